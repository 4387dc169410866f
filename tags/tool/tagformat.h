#pragma once
// One file format the tag tool knows. The tool asks the formats in turn and uses the first that
// handles a file; another format (Ogg, WMA) is one more implementation and one more line in
// main.cpp.

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "tags/lockedfile.h"
#include "tags/tool/json.h"

namespace tv::tags::tool {

// The values given to "write", by option name without dashes ("title", "track", ...).
using WriteValues = std::map<std::string, std::string>;

class TagFormat {
public:
    virtual ~TagFormat() = default;
    virtual bool Handles(const std::filesystem::path& path) const = 0;
    // Adds this format's sections to `json` (inside the file's object) and to `report`.
    // False, with `error` set, when the file cannot be read.
    virtual bool Show(const std::filesystem::path& path, JsonWriter& json, std::string& report,
                      std::string& error) = 0;
    // Write and Remove read the file and write it through `file`, which holds it locked from
    // the read to the last write.
    virtual bool Write(LockedFile& file, const WriteValues& values, std::string& error) = 0;
    virtual bool Remove(LockedFile& file, std::string& error) = 0;
};

// Test seam: how long Write and Remove wait between reading the file and writing it (0: not at
// all), so that tests can make two writers meet.
void SetPauseBeforeWrite(int milliseconds);
void PauseBeforeWrite();

// MPEG audio with ID3v2, ID3v1 and Lyrics3: handles every file.
std::unique_ptr<TagFormat> MakeMpegFormat();
// Ogg Vorbis (and any other Ogg stream but Opus, shown as not valid): shown, written and
// cleared through its comment header.
std::unique_ptr<TagFormat> MakeOggFormat();
// WMA (ASF content): shown only.
std::unique_ptr<TagFormat> MakeWmaFormat();
// Ogg Opus and FLAC: shown, written and cleared through their comment lists.
std::unique_ptr<TagFormat> MakeOpusFormat();
std::unique_ptr<TagFormat> MakeFlacFormat();

}  // namespace tv::tags::tool
