#include "tagfixtures.h"

#include <stdlib.h>
#include <sys/wait.h>
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tv::tags::test {

Bytes B(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes MpegHeader(const FrameSpec& s) {
    return {0xFF, uint8_t(0xE0 | (s.Version << 3) | (s.Layer << 1) | 1),
            uint8_t((s.BitRateIndex << 4) | (s.SampleRateIndex << 2) | (s.Padding ? 2 : 0)),
            uint8_t(s.Mode << 6)};
}

int MpegFrameLength(const FrameSpec& s) {
    static const int v1[3][16] = {
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0}};
    static const int v2l1[16] = {0,   32,  48,  56,  64,  80,  96,  112,
                                 128, 144, 160, 176, 192, 224, 256, 0};
    static const int v2[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
    static const int rates[4][3] = {
        {11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
    const int kbps = s.Version == 3 ? v1[s.Layer - 1][s.BitRateIndex]
                     : s.Layer == 3 ? v2l1[s.BitRateIndex]
                                    : v2[s.BitRateIndex];
    const int coefficient = s.Layer == 3 ? 48 : (s.Version == 3 || s.Layer == 2) ? 144 : 72;
    const int padding = s.Padding ? (s.Layer == 3 ? 4 : 1) : 0;
    return coefficient * kbps * 1000 / rates[s.Version][s.SampleRateIndex] + padding;
}

Bytes MpegFrames(const FrameSpec& spec, int count) {
    Bytes out;
    const Bytes header = MpegHeader(spec);
    const int length = MpegFrameLength(spec);
    for (int i = 0; i < count; ++i) {
        out.insert(out.end(), header.begin(), header.end());
        out.resize(out.size() + size_t(length - 4), 0);
    }
    return out;
}

static int VbrOffset(const FrameSpec& s) {
    if (s.Version == 3)
        return s.Mode == 3 ? 21 : 36;
    return s.Mode == 3 ? 13 : 21;
}

static void PutBE32(Bytes& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v >> 24);
    b[at + 1] = uint8_t(v >> 16);
    b[at + 2] = uint8_t(v >> 8);
    b[at + 3] = uint8_t(v);
}

Bytes XingFrame(const FrameSpec& spec, int32_t frames, int32_t bytes, std::string_view vendor) {
    Bytes f = MpegFrames(spec, 1);
    const size_t p = size_t(VbrOffset(spec));
    std::memcpy(&f[p], "Xing", 4);
    PutBE32(f, p + 4, 3);
    PutBE32(f, p + 8, uint32_t(frames));
    PutBE32(f, p + 12, uint32_t(bytes));
    std::copy(vendor.begin(), vendor.end(), f.begin() + long(p + 120));
    return f;
}

Bytes VbriFrame(const FrameSpec& spec, int32_t frames, int32_t bytes) {
    Bytes f = MpegFrames(spec, 1);
    const size_t p = 36;  // where the header sits in stereo MPEG 1
    std::memcpy(&f[p], "VBRI", 4);
    PutBE32(f, p + 10, uint32_t(bytes));
    PutBE32(f, p + 14, uint32_t(frames));
    return f;
}

Bytes ID3v1(std::string_view title, std::string_view artist, std::string_view album,
            std::string_view year, std::string_view comment, uint8_t byte125, uint8_t byte126,
            uint8_t genre) {
    Bytes t(128, 0);
    std::memcpy(t.data(), "TAG", 3);
    auto put = [&](size_t at, std::string_view text, size_t width) {
        std::copy_n(text.begin(), std::min(width, text.size()), t.begin() + long(at));
    };
    put(3, title, 30);
    put(33, artist, 30);
    put(63, album, 30);
    put(93, year, 4);
    put(97, comment, 30);
    t[125] = byte125;
    t[126] = byte126;
    t[127] = genre;
    return t;
}

Bytes Lyrics3(const std::vector<std::pair<std::string, std::string>>& fields) {
    std::string body = "LYRICSBEGIN";
    for (const auto& [id, data] : fields) {
        char len[8];
        std::snprintf(len, sizeof len, "%05zu", data.size());
        body += id + len + data;
    }
    char size[8];
    std::snprintf(size, sizeof size, "%06zu", body.size());
    return B(body + size + "LYRICS200");
}

Bytes Text(uint8_t encoding, const Bytes& payload) {
    return Bytes{encoding} + payload;
}
Bytes Latin1(std::string_view text) {
    return Text(0, B(text));
}

Bytes ID3v2(uint8_t major, const std::vector<Frame>& frames, int padding, uint8_t flags,
            const Bytes& extendedHeader) {
    Bytes body = extendedHeader;
    for (const Frame& f : frames) {
        const uint32_t n = uint32_t(f.Data.size());
        body.insert(body.end(), f.Id.begin(), f.Id.end());
        if (major == 2) {
            body.insert(body.end(), {uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)});
        } else if (major == 3) {
            body.insert(body.end(),
                        {uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)});
            body.insert(body.end(), {0, f.FormatFlags});
        } else {
            body.insert(body.end(), {uint8_t((n >> 21) & 0x7F), uint8_t((n >> 14) & 0x7F),
                                     uint8_t((n >> 7) & 0x7F), uint8_t(n & 0x7F)});
            body.insert(body.end(), {0, f.FormatFlags});
        }
        body.insert(body.end(), f.Data.begin(), f.Data.end());
    }
    body.resize(body.size() + size_t(padding), 0);
    const uint32_t n = uint32_t(body.size());
    Bytes header = {'I',
                    'D',
                    '3',
                    major,
                    0,
                    flags,
                    uint8_t((n >> 21) & 0x7F),
                    uint8_t((n >> 14) & 0x7F),
                    uint8_t((n >> 7) & 0x7F),
                    uint8_t(n & 0x7F)};
    return header + body;
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tv-tags-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::filesystem::path TempDir::Write(const std::string& name, const Bytes& bytes) const {
    const auto file = m_path / name;
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return file;
}

Bytes TempDir::Read(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> TempDir::Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::pair<int, std::string> RunTool(const std::string& args, Errors errors) {
    const std::string command = std::string(TV_TAG_TOOL) + " " + args +
                                (errors == Errors::Captured ? " 2>&1" : " 2>/dev/null");
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("cannot run " + command);
    std::string out;
    std::array<char, 4096> buf{};
    size_t n = 0;
    while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0)
        out.append(buf.data(), n);
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

std::string Quoted(const std::filesystem::path& p) {
    return "'" + p.string() + "'";
}

}  // namespace tv::tags::test
