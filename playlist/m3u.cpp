#include "playlist/m3u.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>

#include "tags/saferewrite.h"

namespace tv::playlist {

namespace {

constexpr std::string_view kHeader = "#EXTM3U";
constexpr std::string_view kInfoTag = "#EXTINF:";
// Lengths beyond this are taken for garbage and shown as unknown.
constexpr double kMaxSeconds = 100.0 * 365 * 24 * 3600;

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != prefix[i])
            return false;
    }
    return true;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsBlankLine(std::string_view line) {
    for (char c : line) {
        if (!IsBlank(c))
            return false;
    }
    return true;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

struct Info {
    std::string duration;  // duration text, empty when unknown
    std::string_view title;
    bool hasTitle = false;
};

// Reads "#EXTINF:<seconds>[ attributes],<title>". Seconds may be negative (unknown) or carry
// a fraction. Nothing when the seconds are not a number.
std::optional<Info> ParseInfo(std::string_view line) {
    std::string_view rest = line.substr(kInfoTag.size());
    Info info;
    const auto comma = rest.find(',');
    std::string_view number = rest;
    if (comma != std::string_view::npos) {
        number = rest.substr(0, comma);
        info.title = rest.substr(comma + 1);
        info.hasTitle = true;
    }
    number = TrimBlanks(number);
    // Extended players put attributes after the length ("-1 tvg-id=..."); only the number counts.
    const auto blank = number.find_first_of(" \t");
    if (blank != std::string_view::npos)
        number = number.substr(0, blank);
    if (!number.empty() && number.front() == '+')
        number.remove_prefix(1);
    double seconds = 0;
    const char* end = number.data() + number.size();
    const auto parsed = std::from_chars(number.data(), end, seconds);
    if (number.empty() || parsed.ec != std::errc() || parsed.ptr != end)
        return std::nullopt;
    if (std::isfinite(seconds) && seconds >= 0 && seconds <= kMaxSeconds) {
        info.duration = DurationText(static_cast<uint32_t>(std::lround(seconds)));
    }
    return info;
}

std::string ResolvePath(std::string_view line, const std::string& baseFolder) {
    // Absolute paths and URLs stay as they are.
    if (baseFolder.empty() || line.front() == '/' || line.find("://") != std::string_view::npos) {
        return std::string(line);
    }
    std::string path;
    path.reserve(baseFolder.size() + 1 + line.size());
    path += baseFolder;
    if (path.back() != '/')
        path += '/';
    if (line.size() > 2 && line[0] == '.' && line[1] == '/')
        line.remove_prefix(2);
    path += line;
    return path;
}

// Seconds to write for a duration text: -1 when it is empty or not in minutes:seconds form.
long long SecondsToWrite(const std::string& duration) {
    const uint32_t seconds = DurationSeconds(duration);
    if (seconds == 0 && duration != DurationText(0))
        return -1;
    return seconds;
}

void AppendWithoutLineBreaks(std::string& out, std::string_view text) {
    for (char c : text)
        out += (c == '\r' || c == '\n') ? ' ' : c;
}

// Reads the whole file; on failure `reason` says why (empty when the file does not exist).
bool ReadWholeFile(const std::string& path, std::string& out, std::string& reason) {
    // Non-blocking, so that a named pipe given as a playlist is refused below instead of
    // waiting for a writer; regular files ignore the flag.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        reason = errno == ENOENT ? "" : std::strerror(errno);
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (!ok)
        reason = S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a regular file";
    if (ok) {
        // One byte more than the size, so that the read meeting the end needs no growth.
        out.resize(static_cast<size_t>(st.st_size) + 1);
        size_t done = 0;
        // The file may change size while it is read; read until the end whatever fstat said.
        for (;;) {
            if (done == out.size())
                out.resize(out.size() + 4096);
            const ssize_t n = ::read(fd, out.data() + done, out.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                reason = std::strerror(errno);
                ok = false;
                break;
            }
            if (n == 0)
                break;
            done += static_cast<size_t>(n);
        }
        out.resize(done);
    }
    ::close(fd);
    return ok;
}

// An upper bound of the entries in `text`: the lines not starting with "#". Counting them
// first (a memchr pass) lets the rows be reserved once instead of moving them as they grow.
int CountPathLines(std::string_view text) {
    size_t count = 0;
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        if (*p != '#')
            ++count;
        const void* next = std::memchr(p, '\n', static_cast<size_t>(end - p));
        if (next == nullptr)
            break;
        p = static_cast<const char*>(next) + 1;
    }
    return static_cast<int>(std::min<size_t>(count, 1 << 26));
}

void AppendText(PlaylistModel& model, std::string_view text, const std::string& baseFolder) {
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    model.Reserve(model.Count() + CountPathLines(text));

    std::optional<Info> pending;
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        const char* lineEnd = p;
        while (lineEnd < end && *lineEnd != '\n' && *lineEnd != '\r')
            ++lineEnd;
        const std::string_view line(p, static_cast<size_t>(lineEnd - p));
        // Lines end at CR, LF or CR LF.
        p = lineEnd;
        if (p < end && *p++ == '\r' && p < end && *p == '\n')
            ++p;

        if (IsBlankLine(line))
            continue;
        if (line.find('\0') != std::string_view::npos)
            continue;  // no path holds a NUL
        if (line.front() == '#') {
            if (StartsWithNoCase(line, kInfoTag))
                pending = ParseInfo(line);
            // The header, other directives and comments carry nothing for the playlist.
            continue;
        }
        std::string path = ResolvePath(line, baseFolder);
        if (pending && pending->hasTitle) {
            model.AppendLoadedEntry(pending->title, std::move(pending->duration), std::move(path));
        } else {
            std::string duration = pending ? std::move(pending->duration) : std::string();
            model.AppendLoadedEntry(FileNameOf(line), std::move(duration), std::move(path));
        }
        pending.reset();
    }
}

}  // namespace

int LoadPlaylistText(PlaylistModel& model, std::string_view text, const std::string& baseFolder) {
    const int before = model.Count();
    try {
        AppendText(model, text, baseFolder);
    } catch (const std::exception&) {
        // Out of memory on a giant file: the entries read so far stay.
    }
    model.SetEntryCounter(model.Count());
    return model.Count() - before;
}

int LoadPlaylistFile(PlaylistModel& model, const std::string& path) {
    return LoadPlaylistFileStatus(model, path).added;
}

PlaylistLoad LoadPlaylistFileStatus(PlaylistModel& model, const std::string& path) {
    std::string text;
    PlaylistLoad load;
    bool read = false;
    try {
        read = ReadWholeFile(path, text, load.error);
    } catch (const std::exception&) {
        read = false;
        load.error = "it is too large to load";
    }
    int added = 0;
    if (read) {
        const auto slash = path.find_last_of('/');
        std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
        if (slash == 0)
            folder = "/";
        added = LoadPlaylistText(model, text, folder);
    }
    model.SetEntryCounter(model.Count());
    model.RebuildRandomOrder();
    model.NotifyChanged();
    load.added = added;
    return load;
}

std::string PlaylistFileText(const PlaylistModel& model) {
    std::string out;
    size_t size = kHeader.size() + 2;
    for (const Entry& entry : model.Entries()) {
        size += kInfoTag.size() + 16 + entry.display.size() + entry.path.size() + 4;
    }
    out.reserve(size);
    out += kHeader;
    out += "\r\n";
    char number[24];
    for (const Entry& entry : model.Entries()) {
        // A path that holds a line break, or none at all, cannot be written as one line; such
        // an entry would shift every entry after it, so it is left out.
        if (IsBlankLine(entry.path) || entry.path.find_first_of("\r\n") != std::string::npos) {
            continue;
        }
        out += kInfoTag;
        const auto converted =
            std::to_chars(number, number + sizeof number, SecondsToWrite(entry.duration));
        out.append(number, converted.ptr);
        out += ',';
        AppendWithoutLineBreaks(out, TitleOfDisplay(entry.display));
        out += "\r\n";
        // A relative path starting with "#" would read back as a comment.
        if (entry.path.front() == '#')
            out += "./";
        out += entry.path;
        out += "\r\n";
    }
    return out;
}

std::string TemporaryPlaylistPath(const std::string& path) {
    return tags::RewriteTemporaryName(path, 0);
}

bool SavePlaylistFile(const PlaylistModel& model, const std::string& path, std::string* error,
                      tags::FileOps& ops) {
    if (path.empty())
        return false;
    std::string text;
    try {
        text = PlaylistFileText(model);
    } catch (const std::exception&) {
        if (error)
            *error = "out of memory";
        return false;  // nothing has been touched yet
    }
    return tags::SafeWriteFile(path, text, 0666, error, ops);
}

KeptPlaylist::KeptPlaylist(std::string path) : m_path(std::move(path)) {}

std::string KeptPlaylist::Load(PlaylistModel& model) {
    const PlaylistLoad load = LoadPlaylistFileStatus(model, m_path);
    m_unreadable = !load.error.empty();
    if (!m_unreadable)
        return {};
    return "The playlist " + m_path + " could not be read (" + load.error +
           "). It is left as it is; at exit the playlist is saved to " + SavePath() + ".";
}

std::string KeptPlaylist::SavePath() const {
    return m_unreadable ? m_path + ".new" : m_path;
}

std::string KeptPlaylist::Save(const PlaylistModel& model) const {
    std::string error;
    if (SavePlaylistFile(model, SavePath(), &error))
        return {};
    return "The playlist could not be saved to " + SavePath() + ": " +
           (error.empty() ? "unknown error" : error);
}

}  // namespace tv::playlist
