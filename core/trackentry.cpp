#include "core/trackentry.h"

#include "playlist/playlist.h"
#include "tags/entrytext.h"

#include <algorithm>
#include <array>
#include <climits>
#include <filesystem>
#include <string_view>
#include <system_error>

extern "C" {
#include <libavformat/avformat.h>
}

namespace tv::core {

namespace {

// The classic list, then the extensions users have today.
constexpr std::array<std::string_view, 31> kAudioExtensions = {
    ".mp3", ".mp2", ".mp1", ".wav", ".ogg",  ".mo3",  ".it",  ".xm",  ".s3m", ".mtm", ".mod",
    ".umx", ".wma", ".wm",  ".ofr", ".ofs",  ".flac", ".wv",  ".aac", ".mp4", ".ac3", ".alac",
    ".ape", ".mpc", ".spx", ".tta", ".opus", ".m4a",  ".oga", ".aif", ".aiff"};
// The classic list, then the containers users expect today (.mp4 stays audio).
constexpr std::array<std::string_view, 26> kVideoExtensions = {
    ".asf", ".avi",  ".avs",  ".cme", ".cof", ".csa", ".divx", ".m1v", ".m2v",
    ".mls", ".mpeg", ".mpg",  ".ogm", ".rm",  ".viv", ".vob",  ".wmv", ".3gp",
    ".xqt", ".mkv",  ".webm", ".mov", ".m4v", ".flv", ".ts",   ".mp4v"};

template <size_t N>
bool Contains(const std::array<std::string_view, N>& list, const std::string& ext) {
    return std::find(list.begin(), list.end(), ext) != list.end();
}

std::string Trimmed(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

std::string FileNameOf(const std::string& path) {
    return std::string(playlist::FileNameOf(path));
}

std::string LowerExtension(const std::string& path) {
    const std::string name = FileNameOf(path);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return {};
    std::string ext = name.substr(dot);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

std::string NameWithoutExtension(const std::string& path) {
    const std::string name = FileNameOf(path);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

int ClassifyFile(const std::string& path) {
    const std::string ext = LowerExtension(path);
    if (Contains(kAudioExtensions, ext))
        return kKindAudio;
    if (Contains(kVideoExtensions, ext))
        return kKindVideo;
    if (ext == ".swf")
        return kKindFlash;
    return kKindOther;
}

std::string CleanTitle(const std::string& title) {
    return tags::CleanEntryTitle(title);
}

uint32_t VideoDurationSeconds(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return 0;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0)
        return 0;
    // Most containers state their length in the header; the others get a short look.
    if (format->duration <= 0) {
        format->max_analyze_duration = AV_TIME_BASE / 2;
        avformat_find_stream_info(format, nullptr);
    }
    const int64_t duration = format->duration;
    avformat_close_input(&format);
    if (duration <= 0 || duration / AV_TIME_BASE > int64_t{UINT32_MAX})
        return 0;
    return static_cast<uint32_t>(duration / AV_TIME_BASE);
}

std::string TrackTitle(const std::string& path, const TrackFacts& facts) {
    const bool tagged = ClassifyFile(path) != kKindVideo;
    return tags::EntryTitle(NameWithoutExtension(path), tagged ? Trimmed(facts.artist) : "",
                            tagged ? Trimmed(facts.title) : "");
}

}  // namespace tv::core
