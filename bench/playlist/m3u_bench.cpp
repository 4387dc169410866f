// Loading and saving a 100 000-entry default.m3u, each next to its plain-C++ peer on the same
// file in the same run: reading the file and splitting it into lines, and writing the same
// bytes with an ofstream. The goal is loading in at most three times the read-and-split.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "playlist/m3u.h"

namespace {

constexpr int kEntries = 100000;

std::string Folder() {
    static const std::string folder = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tv-m3u-bench-XXXXXX").string();
        return std::string(::mkdtemp(pattern.data()));
    }();
    return folder;
}

// A playlist like a large music collection's: absolute paths in artist/album folders.
const std::string& SourceFile() {
    static const std::string path = [] {
        tv::playlist::PlaylistModel model;
        for (int i = 0; i < kEntries; ++i) {
            const std::string artist = "Artist " + std::to_string(i / 120);
            const std::string album = "Album " + std::to_string(i / 12);
            const std::string title = "Title number " + std::to_string(i);
            model.AppendEntry(artist + " - " + title, tv::playlist::DurationText(60 + i % 900),
                              "/home/user/Music/" + artist + "/" + album + "/" +
                                  std::to_string(i % 12 + 1) + " - " + title + ".mp3");
        }
        const std::string file = Folder() + "/default.m3u";
        tv::playlist::SavePlaylistFile(model, file);
        return file;
    }();
    return path;
}

void PeerReadAndSplit(benchmark::State& state) {
    const std::string& file = SourceFile();
    for (auto _ : state) {
        std::ifstream in(file, std::ios::binary);
        std::vector<std::string> lines;
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(line);
        }
        benchmark::DoNotOptimize(lines.data());
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(PeerReadAndSplit)->Unit(benchmark::kMillisecond);

void LoadPlaylistFile(benchmark::State& state) {
    const std::string& file = SourceFile();
    for (auto _ : state) {
        tv::playlist::PlaylistModel model;
        if (tv::playlist::LoadPlaylistFile(model, file) != kEntries)
            state.SkipWithError("short load");
        benchmark::DoNotOptimize(model.Entries().data());
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(LoadPlaylistFile)->Unit(benchmark::kMillisecond);

void LoadPlaylistFileAndDrawOrder(benchmark::State& state) {
    // Loading and then reading the shuffled order at once (random play on at start).
    const std::string& file = SourceFile();
    for (auto _ : state) {
        tv::playlist::PlaylistModel model;
        tv::playlist::LoadPlaylistFile(model, file);
        benchmark::DoNotOptimize(model.RandomList().data());
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(LoadPlaylistFileAndDrawOrder)->Unit(benchmark::kMillisecond);

void LoadPlaylistTextOnly(benchmark::State& state) {
    // The parse alone, without reading the file or shuffling.
    std::ifstream in(SourceFile(), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    for (auto _ : state) {
        tv::playlist::PlaylistModel model;
        tv::playlist::LoadPlaylistText(model, text, "/home/user");
        benchmark::DoNotOptimize(model.Entries().data());
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(LoadPlaylistTextOnly)->Unit(benchmark::kMillisecond);

void RebuildRandomOrder(benchmark::State& state) {
    tv::playlist::PlaylistModel model;
    tv::playlist::LoadPlaylistText(model, std::string("/a\n"), "");
    for (int i = 1; i < kEntries; ++i)
        model.AppendPath("/a");
    for (auto _ : state) {
        model.RebuildRandomOrder();
        benchmark::DoNotOptimize(model.RandomList().data());
    }
}
BENCHMARK(RebuildRandomOrder)->Unit(benchmark::kMillisecond);

void FloorDrawPositionsOnly(benchmark::State& state) {
    // The floor of any exact drawing of the shuffled order: the 2 (3n + 1) positions taken
    // from the generator, without moving anything.
    std::mt19937 rng(1);
    for (auto _ : state) {
        std::uniform_int_distribution<int> pick(0, kEntries - 1);
        long long sum = 0;
        for (long long k = 0; k < 2 * (3LL * kEntries + 1); ++k)
            sum += pick(rng);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(FloorDrawPositionsOnly)->Unit(benchmark::kMillisecond);

void PeerWriteLines(benchmark::State& state) {
    std::ifstream in(SourceFile(), std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    const std::string out = Folder() + "/peer.m3u";
    for (auto _ : state) {
        std::ofstream file(out, std::ios::binary | std::ios::trunc);
        for (const std::string& line : lines)
            file << line << '\n';
        file.flush();
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(PeerWriteLines)->Unit(benchmark::kMillisecond);

void SavePlaylistFile(benchmark::State& state) {
    tv::playlist::PlaylistModel model;
    tv::playlist::LoadPlaylistFile(model, SourceFile());
    const std::string out = Folder() + "/saved.m3u";
    for (auto _ : state) {
        if (!tv::playlist::SavePlaylistFile(model, out))
            state.SkipWithError("save failed");
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(SavePlaylistFile)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(Folder());
    return 0;
}
