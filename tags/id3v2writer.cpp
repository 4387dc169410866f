// Writing and removing the ID3v2 tag: the reader's frame walk turned around.

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "tags/id3v1.h"
#include "tags/id3v2.h"
#include "tags/saferewrite.h"
#include "tags/textcodec.h"

namespace tv::tags {

using namespace Internal;

namespace {

constexpr int kManagedSlots = 12;

// The managed slot a frame id belongs to, 0 when none.
int ManagedSlot(const std::string& id, bool v22) {
    for (int slot = 1; slot <= kManagedSlots; ++slot)
        if (id == SlotId(slot, v22))
            return slot;
    return 0;
}

// Encoding 0 when every character fits ISO-8859-1, else 1 (UTF-16 with a byte-order mark).
uint8_t ChooseEncoding(const std::string& text) {
    std::string latin1;
    return Utf8ToLatin1(text, latin1) ? 0 : 1;
}

void AppendText(std::vector<uint8_t>& out, const std::string& text, uint8_t encoding) {
    std::string bytes;
    if (encoding == 0) {
        Utf8ToLatin1(text, bytes);
    } else {
        bytes = "\xFF\xFE" + Utf8ToUtf16LE(text);
    }
    out.insert(out.end(), bytes.begin(), bytes.end());
}

void AppendTextFrame(std::vector<uint8_t>& out, int slot, const std::string& text) {
    if (text.empty())
        return;
    const uint8_t enc = ChooseEncoding(text);
    std::vector<uint8_t> data{enc};
    AppendText(data, text, enc);
    AppendFrame23(out, SlotId(slot, false), data);
}

// A comment: encoding, language (by default "eng"), description (by default empty), the text.
void AppendCommentFrame(std::vector<uint8_t>& out, const std::string& text,
                        std::string_view language = "eng", const std::string& description = "") {
    if (text.empty())
        return;
    const uint8_t enc = ChooseEncoding(description + text);
    std::vector<uint8_t> data{enc};
    for (size_t i = 0; i < 3; ++i)
        data.push_back(i < language.size() ? uint8_t(language[i]) : uint8_t(' '));
    AppendText(data, description, enc);
    data.push_back(0);
    if (enc != 0)
        data.push_back(0);
    AppendText(data, text, enc);
    AppendFrame23(out, "COMM", data);
}

// A link: encoding 0, an empty description, the address as 8-bit text (which is what the
// format allows for it; an address beyond ISO-8859-1 is kept as its UTF-8 bytes).
void AppendLinkFrame(std::vector<uint8_t>& out, const std::string& link) {
    if (link.empty())
        return;
    std::vector<uint8_t> data{0, 0};
    std::string bytes;
    if (!Utf8ToLatin1(link, bytes))
        bytes = link;
    data.insert(data.end(), bytes.begin(), bytes.end());
    AppendFrame23(out, "WXXX", data);
}

// A frame of the old tag the writer does not manage, in 2.3 form (see AppendAs23). 2.4 text
// frames in encodings that 2.3 does not know are re-encoded.
void AppendKeptFrame(std::vector<uint8_t>& out, ID3v2Frame& frame, uint8_t sourceMajor) {
    if (!frame.Opaque && sourceMajor >= 4 && frame.Id[0] == 'T' && frame.Id != "TXXX" &&
        !frame.Data.empty() && frame.Data[0] >= 2) {
        // Several values of a 2.4 text frame are separated by zeros; 2.3 knows one value.
        const std::string text = DecodeFrameText(frame.Data);
        const uint8_t enc = ChooseEncoding(text);
        std::vector<uint8_t> data{enc};
        AppendText(data, text, enc);
        frame.Data = std::move(data);
    }
    AppendAs23(out, frame, sourceMajor);
}

}  // namespace

// The frames of the old tag that hold a managed field, by slot, with their whole data.
using OldFrames = std::array<std::vector<ID3v2Frame>, kManagedSlots + 1>;

// An old frame of a field the caller did not change, under its 2.3 id: its bytes as they were
// when 2.3 can hold them, else (a 2.4 encoding 2.3 does not know) its whole value re-encoded.
void AppendUntouchedFrame(std::vector<uint8_t>& out, int slot, const ID3v2Frame& frame,
                          uint8_t sourceMajor) {
    if (frame.Opaque) {
        AppendAs23(out, frame, sourceMajor);
    } else if (frame.Data.empty() || frame.Data[0] <= 1) {
        AppendFrame23(out, SlotId(slot, false), frame.Data, frame.StatusFlags);
    } else if (slot == 7) {
        const std::string_view language(reinterpret_cast<const char*>(frame.Data.data()) + 1,
                                        std::min<size_t>(3, frame.Data.size() - 1));
        AppendCommentFrame(out, ExtractDescribedText(frame.Data, true, false), language,
                           ExtractDescription(frame.Data, true));
    } else if (slot == 12) {
        AppendLinkFrame(out, ExtractDescribedText(frame.Data, false, true));
    } else {
        AppendTextFrame(out, slot, DecodeFrameText(frame.Data));
    }
}

// The index of the comment the reader shows (the last one without a description, else the
// last one); -1 when there is none.
int ShownComment(const std::vector<ID3v2Frame>& comments) {
    int shown = -1;
    bool plain = false;
    for (size_t i = 0; i < comments.size(); ++i) {
        const ID3v2Frame& f = comments[i];
        if (f.Opaque || f.Data.empty() || f.Data[0] > 3)
            continue;
        const bool isPlain = IsPlainComment(f.Data);
        if (plain && !isPlain)
            continue;
        plain = isPlain;
        shown = int(i);
    }
    return shown;
}

// An edited comment replaces the comment the reader showed, in its language and under its
// description; every other comment stays as it was.
void AppendEditedComments(std::vector<uint8_t>& out, const std::string& text,
                          const std::vector<ID3v2Frame>& old, uint8_t sourceMajor) {
    const int shown = ShownComment(old);
    for (size_t i = 0; i < old.size(); ++i) {
        if (int(i) != shown) {
            AppendUntouchedFrame(out, 7, old[i], sourceMajor);
            continue;
        }
        const std::vector<uint8_t>& data = old[i].Data;
        const std::string_view language(reinterpret_cast<const char*>(data.data()) + 1,
                                        std::min<size_t>(3, data.size() - 1));
        AppendCommentFrame(out, text, language, ExtractDescription(data, true));
    }
    if (shown < 0)
        AppendCommentFrame(out, text);
}

class ID3v2Writer {
public:
    static std::vector<uint8_t> RenderFrames(const TID3v2& tag, const OldFrames& old,
                                             uint8_t sourceMajor) {
        std::vector<uint8_t> out;
        const std::string* values[kManagedSlots + 1] = {
            nullptr,          &tag.m_title,    &tag.m_artist,  &tag.m_album,    nullptr,
            &tag.m_year,      &tag.m_genre,    &tag.m_comment, &tag.m_composer, &tag.m_encoder,
            &tag.m_copyright, &tag.m_language, &tag.m_link};
        for (int slot = 1; slot <= kManagedSlots; ++slot) {
            const bool untouched =
                tag.m_tagRead && (slot == 4 ? std::to_string(tag.m_track) == tag.m_asRead[4]
                                            : *values[slot] == tag.m_asRead[size_t(slot)]);
            if (untouched) {
                for (const ID3v2Frame& frame : old[size_t(slot)])
                    AppendUntouchedFrame(out, slot, frame, sourceMajor);
                continue;
            }
            if (slot == 4) {
                if (tag.m_track > 0) {
                    // "3/12" survives a write when the number in front of "/" did not change.
                    const bool keepText = ExtractTrack(tag.m_trackText) == tag.m_track;
                    AppendTextFrame(out, 4,
                                    keepText ? tag.m_trackText : std::to_string(tag.m_track));
                }
            } else if (slot == 7) {
                AppendEditedComments(out, tag.m_comment, old[7], sourceMajor);
            } else if (slot == 12) {
                AppendLinkFrame(out, tag.m_link);
            } else {
                AppendTextFrame(out, slot, *values[slot]);
            }
        }
        return out;
    }
};

bool TID3v2::WriteTag(const std::filesystem::path& fileName) {
    m_lastError.clear();
    LockedFile file;
    if (!file.Open(fileName, &m_lastError))
        return false;
    return WriteTag(file);
}

bool TID3v2::WriteTag(LockedFile& file) {
    m_lastError.clear();
    try {
        if (m_readIdentity.Known() && file.Identity() != m_readIdentity) {
            m_lastError = kChangedSinceRead;
            return false;
        }
        FileStream stream;
        if (!stream.OpenDuplicate(file.Descriptor())) {
            m_lastError = "cannot open the file";
            return false;
        }
        ID3v2Header old{};
        const bool hasTag = stream.Size() >= 10 && stream.ReadExact(0, &old, 10) &&
                            std::memcmp(old.Id, "ID3", 3) == 0;
        const int64_t oldTotal = hasTag ? TagTotalSize(old, stream.Size()) : 0;

        OldFrames managed;
        std::vector<uint8_t> kept;
        if (hasTag && oldTotal > 0 && old.Major >= 2 && old.Major <= 4) {
            const bool v22 = old.Major == 2;
            const bool ok = WalkID3v2Frames(stream, old, oldTotal, SIZE_MAX, [&](ID3v2Frame& f) {
                const int slot = ManagedSlot(f.Id, v22);
                if (slot > 0)
                    managed[size_t(slot)].push_back(std::move(f));
                else
                    AppendKeptFrame(kept, f, old.Major);
                return true;
            });
            if (!ok) {
                m_lastError = "cannot read the old tag";
                return false;
            }
        }
        std::vector<uint8_t> frames =
            ID3v2Writer::RenderFrames(*this, managed, hasTag ? old.Major : 3);
        frames.insert(frames.end(), kept.begin(), kept.end());

        int64_t total = 10 + int64_t(frames.size());
        const bool needRewrite = !hasTag || oldTotal < total || oldTotal > kRewriteSize;
        const int64_t padding = needRewrite ? kRewriteSize - total : oldTotal - total;
        if (padding > 0)
            total += padding;
        if (total - 10 >= (int64_t(1) << 28)) {
            m_lastError = "the tag would be too large";
            return false;
        }

        std::vector<uint8_t> tag(size_t(total), 0);
        std::memcpy(tag.data(), "ID3", 3);
        tag[3] = 3;
        WriteSynchsafe32(tag.data() + 6, uint32_t(total - 10));
        std::copy(frames.begin(), frames.end(), tag.begin() + 10);

        bool ok = false;
        if (needRewrite || !file.Writable()) {
            // A read-only file in a writable folder is replaced even where the tag would fit.
            const int64_t audioStart = hasTag ? oldTotal : 0;
            ok = SafeRewrite(
                file,
                [&](RewriteSink& sink) {
                    return sink.Write(tag.data(), tag.size()) &&
                           sink.CopyFrom(stream.Descriptor(), audioStart, -1);
                },
                &m_lastError);
        } else {
            ok = OverwriteHead(file, tag.data(), tag.size(), &m_lastError);
        }
        if (ok)
            m_readIdentity = file.Identity();
        return ok;
    } catch (const std::exception& e) {
        m_lastError = e.what();
        return false;
    }
}

bool TID3v2::RemoveTag(const std::filesystem::path& fileName) {
    m_lastError.clear();
    LockedFile file;
    if (!file.Open(fileName, &m_lastError))
        return false;
    return RemoveTag(file);
}

bool TID3v2::RemoveTag(LockedFile& file) {
    m_lastError.clear();
    try {
        if (m_readIdentity.Known() && file.Identity() != m_readIdentity) {
            m_lastError = kChangedSinceRead;
            return false;
        }
        FileStream stream;
        if (!stream.OpenDuplicate(file.Descriptor())) {
            m_lastError = "cannot open the file";
            return false;
        }
        TID3v1 trailer;
        if (!trailer.ScanTag(stream, false)) {
            m_lastError = "cannot read the file";
            return false;
        }
        const int64_t tail = stream.Size() - trailer.TrailerSize();
        const ID3v2Extent extent = FindID3v2Tags(stream, tail);
        if (extent.HeadEnd == 0 && extent.AppendedStart < 0) {
            char id[3] = {};
            const bool startsWithTag = stream.ReadExact(0, id, 3) && std::memcmp(id, "ID3", 3) == 0;
            m_lastError = startsWithTag ? "the ID3v2 tag states a size larger than the file"
                                        : "the file has no ID3v2 tag";
            return false;
        }
        const int64_t audioEnd = extent.AppendedStart >= 0 ? extent.AppendedStart : tail;
        const int fd = stream.Descriptor();
        const bool ok = SafeRewrite(
            file,
            [&](RewriteSink& sink) {
                return sink.CopyFrom(fd, extent.HeadEnd, audioEnd - extent.HeadEnd) &&
                       sink.CopyFrom(fd, tail, -1);
            },
            &m_lastError);
        if (ok)
            Reset();
        return ok;
    } catch (const std::exception& e) {
        m_lastError = e.what();
        return false;
    }
}

}  // namespace tv::tags
