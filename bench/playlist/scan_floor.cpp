// The floor of any recursive folder scan: every folder opened once and read with getdents64
// into one buffer, subfolders found by the entry type, nothing matched, sorted or printed.
// Prints the number of entries seen so that the work cannot be left out.
//
// usage: tv_playlist_scan_floor FOLDER

#include <dirent.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct LinuxDirent64 {
    ino64_t d_ino;
    off64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[];
};

long long ReadTree(int parent, const char* name) {
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    alignas(8) static char buffer[1 << 16];
    long long seen = 0;
    std::vector<std::string> folders;
    for (;;) {
        const long got = ::syscall(SYS_getdents64, fd, buffer, sizeof buffer);
        if (got <= 0)
            break;
        for (long at = 0; at < got;) {
            const auto* entry = reinterpret_cast<const LinuxDirent64*>(buffer + at);
            at += entry->d_reclen;
            if (entry->d_name[0] == '.' &&
                (entry->d_name[1] == '\0' || std::strcmp(entry->d_name, "..") == 0))
                continue;
            ++seen;
            if (entry->d_type == DT_DIR && entry->d_name[0] != '.')
                folders.emplace_back(entry->d_name);
        }
    }
    for (const std::string& folder : folders)
        seen += ReadTree(fd, folder.c_str());
    ::close(fd);
    return seen;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tv_playlist_scan_floor FOLDER\n");
        return 2;
    }
    std::printf("%lld\n", ReadTree(AT_FDCWD, argv[1]));
    return 0;
}
