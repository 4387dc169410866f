#pragma once
// The shared part of the tree readers: list the .mp3 files of a tree (sorted), then time one
// pass of a reader over all of them and print files, a checksum of what was read and seconds.
// A second, untimed pass reads every file again and takes the bytes each read cost from the
// process's read counter (/proc/self/io rchar: read and pread alike), so both sides report what
// they read: the mean per file, the largest share of one file, and how many files larger than
// the floor's head and tail (68 KB) were read whole.

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

// The bytes this process has read so far, or -1 when the counter cannot be read.
inline long long ReadCharCount() {
    std::FILE* io = std::fopen("/proc/self/io", "r");
    if (!io)
        return -1;
    long long value = -1;
    char key[32];
    long long v = 0;
    while (std::fscanf(io, "%31s %lld", key, &v) == 2)
        if (std::string(key) == "rchar:") {
            value = v;
            break;
        }
    std::fclose(io);
    return value;
}

template <typename Reader>
void PrintReadBytes(const std::vector<std::filesystem::path>& files, Reader& read) {
    constexpr long long kFloorBytes = 64 * 1024 + 4 * 1024;
    // What looking at the counter costs by itself (the first look's bytes count in the second).
    const long long a = ReadCharCount(), b = ReadCharCount();
    if (a < 0)
        return;
    const long long probe = b - a;
    long long total = 0, whole = 0, larger = 0;
    double worst = 0;
    for (const auto& f : files) {
        const long long before = ReadCharCount();
        read(f);
        const long long bytes = std::max(0LL, ReadCharCount() - before - probe);
        const long long size = static_cast<long long>(std::filesystem::file_size(f));
        total += bytes;
        if (size > 0)
            worst = std::max(worst, double(bytes) / double(size));
        if (size > kFloorBytes) {
            ++larger;
            whole += bytes >= size;
        }
    }
    std::printf("read_bytes_per_file=%lld largest_share=%.3f whole_reads=%lld/%lld\n",
                files.empty() ? 0 : total / static_cast<long long>(files.size()), worst, whole,
                larger);
}

template <typename Reader>
int RunTree(int argc, char** argv, const char* name, Reader read) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s TREE [--bytes]\n", argv[0]);
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
    if (argc > 2 && std::string(argv[2]) == "--bytes")
        PrintReadBytes(files, read);
    std::fflush(stdout);
    return 0;
}
