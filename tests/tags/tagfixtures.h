#pragma once
// Generators of tag and MPEG bytes for the tests: every fixture is built here, in memory.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tv::tags::test {

using Bytes = std::vector<uint8_t>;

Bytes B(std::string_view text);
Bytes operator+(Bytes a, const Bytes& b);

// MPEG frames with zero payload. Indices as in the header: version 3 = MPEG 1, 2 = MPEG 2,
// 0 = MPEG 2.5; layer 1 = III, 2 = II, 3 = I.
struct FrameSpec {
    uint8_t Version = 3;
    uint8_t Layer = 1;
    uint8_t BitRateIndex = 9;  // 128 kbit/s for MPEG 1 Layer III
    uint8_t SampleRateIndex = 0;
    uint8_t Mode = 0;
    bool Padding = false;
};
Bytes MpegHeader(const FrameSpec& spec);
int MpegFrameLength(const FrameSpec& spec);
Bytes MpegFrames(const FrameSpec& spec, int count);
// One frame carrying a Xing ("Xing") or VBRI header at the offset the analyser looks at.
Bytes XingFrame(const FrameSpec& spec, int32_t frames, int32_t bytes, std::string_view vendor = "");
Bytes VbriFrame(const FrameSpec& spec, int32_t frames, int32_t bytes);

// A 128-byte ID3v1 tag; `comment` fills bytes 97.. (up to 30), then bytes 125/126 are set.
Bytes ID3v1(std::string_view title, std::string_view artist, std::string_view album,
            std::string_view year, std::string_view comment, uint8_t byte125, uint8_t byte126,
            uint8_t genre);
// A Lyrics3 v2.00 block: "LYRICSBEGIN", the fields, the 6-digit size and "LYRICS200".
Bytes Lyrics3(const std::vector<std::pair<std::string, std::string>>& fields);

// ID3v2 frames and tags.
struct Frame {
    std::string Id;
    Bytes Data;
    uint8_t FormatFlags = 0;
};
Bytes Text(uint8_t encoding, const Bytes& payload);  // encoding byte + payload
Bytes Latin1(std::string_view text);                 // encoding 0 + bytes
Bytes ID3v2(uint8_t major, const std::vector<Frame>& frames, int padding = 0, uint8_t flags = 0,
            const Bytes& extendedHeader = {});

// A folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path Write(const std::string& name, const Bytes& bytes) const;
    static Bytes Read(const std::filesystem::path& file);
    std::vector<std::string> Names() const;  // sorted file names in the folder

private:
    std::filesystem::path m_path;
};

// The tag tool (torvanell-tag) run through the shell with `args`: its exit status (-1 when it
// did not exit normally) and its standard output, followed by what it wrote to standard error
// when that is Captured.
enum class Errors { Dropped, Captured };
std::pair<int, std::string> RunTool(const std::string& args, Errors errors = Errors::Dropped);
// A path in single quotes, for a RunTool command line.
std::string Quoted(const std::filesystem::path& p);

}  // namespace tv::tags::test
