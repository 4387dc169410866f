#pragma once
// The shared part of both tree readers: list the .mp3 files of a tree (sorted), then time one
// pass of a reader over all of them and print files, a checksum of what was read and seconds.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

struct ReadResult {
    std::string artist, title;
    int seconds = 0;
};

template <typename Reader>
int RunTree(int argc, char** argv, const char* name, Reader read) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s TREE\n", argv[0]);
        return 2;
    }
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(argv[1]))
        if (e.is_regular_file() && e.path().extension() == ".mp3")
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    const auto start = std::chrono::steady_clock::now();
    unsigned long checksum = 0;
    long totalSeconds = 0;
    for (const auto& f : files) {
        const ReadResult r = read(f);
        checksum = checksum * 31 + r.artist.size() * 7 + r.title.size();
        totalSeconds += r.seconds;
    }
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s files=%zu checksum=%lu total_seconds=%ld elapsed=%.4f\n", name, files.size(),
                checksum, totalSeconds, elapsed);
    return 0;
}
