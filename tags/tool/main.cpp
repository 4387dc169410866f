// torvanell-tag: shows, writes and removes the tags of audio files from the command line.
//   torvanell-tag show [--json] FILE...
//   torvanell-tag write FILE [--allow-unlink] [--title T] [--artist A] ... [--track N]
//   torvanell-tag remove FILE [--allow-unlink]
// Exit status: 0 success, 1 an operation failed (or the file is not one whose tags the tool
// writes), 2 bad usage.

#include <fcntl.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "tags/saferewrite.h"
#include "tags/tool/tagformat.h"
#include "tags/tool/writablekind.h"

namespace {

using namespace tv::tags::tool;
using tv::tags::LockedFile;

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

const char* const kUsageText =
    "usage: torvanell-tag show [--json] FILE...\n"
    "       torvanell-tag write FILE [--allow-unlink] [--title T] [--artist A] [--album A]\n"
    "                   [--year Y|--date D] [--track N] [--genre G] [--comment C]\n"
    "                   [--composer C] [--encoder E] [--copyright C] [--language L]\n"
    "                   [--link URL]\n"
    "       torvanell-tag remove FILE [--allow-unlink]\n";

int Usage(const std::string& problem) {
    std::cerr << "torvanell-tag: " << problem << "\n" << kUsageText;
    return kUsage;
}

int Failure(const std::string& file, const std::string& reason) {
    std::cerr << "torvanell-tag: " << file << ": " << reason << "\n";
    return kFailed;
}

// The formats in the order they are asked; the MPEG family takes everything, so it is last.
std::vector<std::unique_ptr<TagFormat>> Formats() {
    std::vector<std::unique_ptr<TagFormat>> formats;
    formats.push_back(MakeOggFormat());
    formats.push_back(MakeOpusFormat());
    formats.push_back(MakeFlacFormat());
    formats.push_back(MakeWmaFormat());
    formats.push_back(MakeMpegFormat());
    return formats;
}

TagFormat& FormatFor(std::vector<std::unique_ptr<TagFormat>>& formats,
                     const std::filesystem::path& path) {
    for (auto& format : formats)
        if (format->Handles(path))
            return *format;
    return *formats.back();
}

// The format that writes `path`, decided by its content: MPEG audio (ID3), Ogg Vorbis, Opus or
// FLAC. Null,
// with `error` set, for anything else; the file is then never opened for writing.
std::unique_ptr<TagFormat> WriterFor(const std::filesystem::path& path, std::string& error) {
    const WritableCheck check = CheckWritable(path);
    switch (check.Kind) {
        case WritableKind::Mpeg:
            return MakeMpegFormat();
        case WritableKind::OggVorbis:
            return MakeOggFormat();
        case WritableKind::Opus:
            return MakeOpusFormat();
        case WritableKind::Flac:
            return MakeFlacFormat();
        case WritableKind::None:
            break;
    }
    error =
        check.What == "cannot read the file"
            ? check.What
            : "refused: " + check.What +
                  "; tags are written only to MPEG audio (ID3), Ogg Vorbis, Opus and FLAC files";
    return nullptr;
}

// Opens and locks `path` and runs `change` on it (write or remove).
int Change(const std::string& path, bool allowUnlink,
           const std::function<bool(TagFormat&, LockedFile&, std::string&)>& change) {
    std::string error;
    const auto format = WriterFor(path, error);
    if (!format)
        return Failure(path, error);
    LockedFile file;
    file.AllowUnlink(allowUnlink);
    if (!file.Open(path, &error))
        return Failure(path, error);
    if (!change(*format, file, error)) {
        if (error.find("other hard links") != std::string::npos)
            error += " (--allow-unlink writes it anyway, as a file of its own)";
        return Failure(path, error);
    }
    return kOk;
}

int Show(const std::vector<std::string>& args) {
    bool json = false;
    std::vector<std::string> files;
    bool optionsDone = false;
    for (const std::string& arg : args) {
        if (!optionsDone && arg == "--json")
            json = true;
        else if (!optionsDone && arg == "--")
            optionsDone = true;
        else if (!optionsDone && arg.size() > 1 && arg[0] == '-')
            return Usage("unknown option " + arg);
        else
            files.push_back(arg);
    }
    if (files.empty())
        return Usage("show needs at least one file");
    auto formats = Formats();
    int status = kOk;
    for (const std::string& file : files) {
        tv::tags::RemoveRewriteLeftovers(file);
        JsonWriter writer;
        writer.BeginObject().String("path", file);
        std::string report = file + "\n";
        std::string error;
        if (!FormatFor(formats, file).Show(file, writer, report, error)) {
            status = Failure(file, error);
            continue;
        }
        writer.EndObject();
        if (json)
            std::cout << writer.Text() << "\n";
        else
            std::cout << report << "\n";
    }
    return status;
}

int Write(const std::vector<std::string>& args) {
    static const std::set<std::string> kKeys = {"title",   "artist",    "album",    "year",
                                                "track",   "genre",     "comment",  "composer",
                                                "encoder", "copyright", "language", "link"};
    std::string file;
    WriteValues values;
    bool allowUnlink = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--allow-unlink") {
            allowUnlink = true;
        } else if (arg.rfind("--", 0) == 0 && arg.size() > 2) {
            // "--date" is the Ogg name of the year.
            const std::string key = arg == "--date" ? "year" : arg.substr(2);
            if (!kKeys.count(key))
                return Usage("unknown option " + arg);
            if (i + 1 >= args.size())
                return Usage(arg + " needs a value");
            const std::string& value = args[++i];
            if (key == "track") {
                if (value.empty() || value.size() > 5 ||
                    value.find_first_not_of("0123456789") != std::string::npos ||
                    std::stoul(value) > 65535)
                    return Usage("--track needs a number from 0 to 65535");
            }
            values[key] = value;
        } else if (file.empty()) {
            file = arg;
        } else {
            return Usage("write takes one file");
        }
    }
    if (file.empty())
        return Usage("write needs a file");
    return Change(file, allowUnlink, [&](TagFormat& format, LockedFile& held, std::string& error) {
        return format.Write(held, values, error);
    });
}

int Remove(std::vector<std::string> args) {
    const auto option = std::find(args.begin(), args.end(), "--allow-unlink");
    const bool allowUnlink = option != args.end();
    if (allowUnlink)
        args.erase(option);
    if (args.size() != 1 || (args[0].size() > 1 && args[0][0] == '-'))
        return Usage("remove takes exactly one file");
    return Change(args[0], allowUnlink,
                  [](TagFormat& format, LockedFile& held, std::string& error) {
                      return format.Remove(held, error);
                  });
}

// Test seams, set from the environment: TORVANELL_TAG_TEST_PAUSE_MS waits between the read and
// the write; TORVANELL_TAG_TEST_NAMED_ONLY=1 acts as on a file system without unnamed files.
class NamedOnlyOps : public tv::tags::FileOps {
public:
    int Open(const char* path, int flags, mode_t mode) override {
        if ((flags & O_TMPFILE) == O_TMPFILE)
            return errno = EOPNOTSUPP, -1;
        return FileOps::Open(path, flags, mode);
    }
};

void ApplyTestSeams() {
    if (const char* pause = std::getenv("TORVANELL_TAG_TEST_PAUSE_MS"))
        SetPauseBeforeWrite(std::atoi(pause));
    static NamedOnlyOps namedOnly;
    if (const char* named = std::getenv("TORVANELL_TAG_TEST_NAMED_ONLY"); named && *named == '1')
        tv::tags::UseFileOps(&namedOnly);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc < 2)
            return Usage("no command given");
        const std::string command = argv[1];
        const std::vector<std::string> args(argv + 2, argv + argc);
        ApplyTestSeams();
        if (command == "show")
            return Show(args);
        if (command == "write")
            return Write(args);
        if (command == "remove")
            return Remove(args);
        if (command == "--help" || command == "-h") {
            std::cout << kUsageText;
            return kOk;
        }
        return Usage("unknown command " + command);
    } catch (const std::exception& e) {
        std::cerr << "torvanell-tag: " << e.what() << "\n";
        return kFailed;
    }
}
