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
    // The lines go out in 64 KB writes from one buffer: the printing is the benchmark's own
    // cost, not the scan's, and a buffer the size of the whole list would cost a page fault
    // per 4 KB.
    std::string out;
    out.reserve(1 << 16);
    for (const std::string& path : staging) {
        if (out.size() + path.size() + 1 > out.capacity()) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
        out.append(path).push_back('\n');
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}
