#pragma once
// The comment list that Ogg Vorbis, Opus and FLAC share: a vendor text and "NAME=value" fields,
// every length little-endian. Reading the managed fields from it, and laying out a new list in
// which only the fields the caller edited change.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tags/lockedfile.h"

namespace tv::tags {

// Comment slots: 0 the vendor, then the field names below (index = slot).
inline constexpr int kVorbisSlots = 10;
inline constexpr std::array<const char*, kVorbisSlots> kVorbisFieldNames = {
    "",     "TITLE", "ARTIST",  "ALBUM",     "TRACKNUMBER",
    "DATE", "GENRE", "COMMENT", "PERFORMER", "DESCRIPTION"};

// The items of a comment list that starts at `start` of `data`: the vendor first, then the
// fields. With `limit` every item is cut to that many bytes. Walking stops at the declared
// count or where the data ends (a count or a length larger than the data never allocates more
// than the data). `end` (optional) gets the offset just past the list when every declared item
// was read whole, else 0 (a damaged list).
std::vector<std::string> VorbisCommentItems(std::span<const uint8_t> data, size_t start,
                                            size_t limit, size_t* end = nullptr);

// The seven fields the tag windows edit, in this order: title, artist, album, track, date,
// genre, comment.
inline constexpr size_t kManagedVorbisFields = 7;

// The fields of a comment list as the player shows them, and what a writer needs to tell the
// fields the caller changed from those it left alone.
class VorbisFields {
public:
    // Takes the items (from VorbisCommentItems) of a list that was read.
    void Read(const std::vector<std::string>& items);
    void Clear();  // empties every managed field and marks them all changed

    const std::string& Vendor() const { return m_vendor; }
    const std::string& Title() const { return m_values[0]; }
    const std::string& Artist() const { return m_values[1]; }
    const std::string& Album() const { return m_values[2]; }
    uint16_t Track() const { return m_track; }
    const std::string& Date() const { return m_values[4]; }
    const std::string& Genre() const { return m_values[5]; }
    const std::string& Comment() const { return m_values[6]; }
    void SetTitle(std::string v) { m_values[0] = std::move(v); }
    void SetArtist(std::string v) { m_values[1] = std::move(v); }
    void SetAlbum(std::string v) { m_values[2] = std::move(v); }
    void SetTrack(uint16_t v) { m_track = v; }
    void SetDate(std::string v) { m_values[4] = std::move(v); }
    void SetGenre(std::string v) { m_values[5] = std::move(v); }
    void SetComment(std::string v) { m_values[6] = std::move(v); }

    // The new list (vendor length, vendor, count, fields; no packet prefix, no framing bit)
    // made from the old items: fields of a changed name give way to the new value at the place
    // of the first of them (else at the end); every other item stays byte for byte, in order.
    std::vector<uint8_t> Render(const std::vector<std::string>& oldItems) const;

private:
    std::string m_vendor;
    std::array<std::string, kManagedVorbisFields> m_values;  // [3] unused: the track is m_track
    uint16_t m_track = 0;
    bool m_read = false;
    bool m_clearing = false;
    std::array<std::string, kManagedVorbisFields> m_asRead;
};

// Builds the comment list of the old items with the given fields replaced: `changed[i]` (by
// slot 1..9 of kVorbisFieldNames) drops every old field of that name and puts `values[i]` (when
// not empty) at the place of the first of them, else at the end.
std::vector<uint8_t> RenderVorbisComment(const std::vector<std::string>& oldItems,
                                         const std::array<std::string, 10>& values,
                                         const std::array<bool, 10>& changed);

// The slot (1..9) of a field name in kVorbisFieldNames, compared without case; -1 when none.
int VorbisSlotOf(std::string_view name);

}  // namespace tv::tags
