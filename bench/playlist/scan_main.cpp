// Runs one folder scan with the media mask list and prints the staged paths, one per line, so
// scan_bench.sh can time it against find doing the same job.

#include <cstdio>
#include <string>
#include <vector>

#include "playlist/scandir.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    std::vector<std::string> staging;
    tv::playlist::ScanDir(argv[1], tv::playlist::MaskList(), true, staging);
    for (const std::string& path : staging) {
        std::fwrite(path.data(), 1, path.size(), stdout);
        std::fputc('\n', stdout);
    }
    return 0;
}
