// tv_dropout_probe: plays a file through the real engine while this thread - the thread that
// makes every engine call, as the window thread does in the player - does the player's heavy
// work: a recursive folder scan of a generated tree with the completion of every new row from
// the file's tags, a large playlist loaded and saved, and tags written. Prints the engine's
// underrun count and the longest pause of the mixing thread; the output itself (SDL's disk
// driver) is checked for gaps by analyse_gaps.py.
//
// usage: tv_dropout_probe TONE WORK SEED.mp3 [--files N] [--folders N] [--playlist N]
//                         [--tags N] [--stall-ms MS]
//   --stall-ms pauses the channel for MS once, two seconds into the music: a deliberate gap,
//   so that the checker can be shown to fail.
// Exit status 0 when no underrun was counted, 1 otherwise, 2 on bad usage or setup.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "core/audio/engine.h"
#include "core/tagtrackinfo.h"
#include "playlist/m3u.h"
#include "playlist/playlist.h"
#include "playlist/scandir.h"
#include "playlist/stagedfiles.h"
#include "tags/id3v2.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Options {
    int files = 20000;
    int folders = 3800;
    int playlist = 100000;
    int tags = 500;
    int stallMs = 0;
};

// The start of every mixed block of the channel, written on the mixing thread.
struct BlockTimes {
    static constexpr size_t kCapacity = 1 << 18;  // over 90 minutes of 1024-frame blocks
    std::vector<Clock::time_point> at = std::vector<Clock::time_point>(kCapacity);
    std::atomic<size_t> count{0};
};

void RecordBlock(tv::audio::Handle, tv::audio::Handle, float*, uint32_t, void* user) {
    auto* times = static_cast<BlockTimes*>(user);
    const size_t i = times->count.load(std::memory_order_relaxed);
    if (i < BlockTimes::kCapacity) {
        times->at[i] = Clock::now();
        times->count.store(i + 1, std::memory_order_release);
    }
}

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// `folders` leaf folders in groups of 100 under `root`, `files` copies of `seed` spread
// evenly over them.
void MakeTree(const fs::path& root, const fs::path& seed, int files, int folders) {
    std::vector<fs::path> leaves;
    for (int f = 0; f < folders; ++f) {
        leaves.push_back(root / ("group " + std::to_string(f / 100)) /
                         ("album " + std::to_string(f % 100)));
        fs::create_directories(leaves.back());
    }
    for (int i = 0; i < files; ++i)
        fs::copy_file(seed, leaves[static_cast<size_t>(i % folders)] /
                                ("track " + std::to_string(i) + ".mp3"));
}

void MakePlaylist(const fs::path& path, int entries) {
    std::ofstream out(path, std::ios::binary);
    out << "#EXTM3U\r\n";
    for (int i = 0; i < entries; ++i)
        out << "#EXTINF:" << 180 + i % 120 << ",Artist " << i % 997 << " - Song " << i
            << "\r\n/music/library/artist " << i % 997 << "/song " << i << ".flac\r\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s TONE WORK SEED.mp3 [options]\n", argv[0]);
        return 2;
    }
    const fs::path tone = argv[1], work = argv[2], seed = argv[3];
    Options options;
    for (int i = 4; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const int value = std::atoi(argv[i + 1]);
        if (name == "--files")
            options.files = value;
        else if (name == "--folders")
            options.folders = std::max(1, value);
        else if (name == "--playlist")
            options.playlist = value;
        else if (name == "--tags")
            options.tags = value;
        else if (name == "--stall-ms")
            options.stallMs = value;
        else {
            std::fprintf(stderr, "unknown option %s\n", name.c_str());
            return 2;
        }
    }

    const auto setupStart = Clock::now();
    const fs::path tree = work / "library";
    const fs::path bigList = work / "big.m3u";
    MakeTree(tree, seed, options.files, options.folders);
    MakePlaylist(bigList, options.playlist);
    std::printf("setup: %d files in %d folders, %d-entry playlist in %.0f ms\n", options.files,
                options.folders, options.playlist, Ms(Clock::now() - setupStart));

    tv::audio::Engine engine;
    if (!engine.Init(-1, 44100, 0)) {
        std::fprintf(stderr, "no audio device\n");
        return 2;
    }
    const tv::audio::Handle channel =
        engine.StreamCreateFile(tv::audio::StreamFormat::Core, tone, 0);
    if (!channel) {
        std::fprintf(stderr, "cannot open %s\n", tone.c_str());
        return 2;
    }
    BlockTimes times;
    engine.ChannelSetDSP(channel, RecordBlock, &times, 0);
    const int64_t length = engine.ChannelGetLength(channel);
    engine.ChannelPlay(channel, true);
    const auto playStart = Clock::now();

    // What the window's timer would do between events: note a change of the count at once.
    uint64_t reported = 0;
    bool stalled = options.stallMs <= 0;
    const auto events = [&] {
        const uint64_t now = engine.UnderrunCount();
        if (now != reported) {
            std::printf("underruns: %llu at %.1f s\n", static_cast<unsigned long long>(now),
                        Ms(Clock::now() - playStart) / 1000);
            reported = now;
        }
        if (!stalled && Clock::now() - playStart > std::chrono::seconds(2)) {
            engine.ChannelPause(channel);
            std::this_thread::sleep_for(std::chrono::milliseconds(options.stallMs));
            engine.ChannelPlay(channel, false);
            stalled = true;
        }
    };
    const auto playing = [&] { return engine.ChannelGetPosition(channel) < length; };

    tv::core::TagTrackInfo reader;
    const std::vector<std::string> masks = tv::playlist::MaskList();
    int rounds = 0;
    double scanMs = 0, completeMs = 0, loadMs = 0, saveMs = 0, tagMs = 0;
    // The work goes round until the music ends, so all of it overlaps the playing.
    while (playing()) {
        ++rounds;
        tv::playlist::PlaylistModel model;
        auto t = Clock::now();
        std::vector<std::string> staged;
        tv::playlist::ScanDir(tree.string(), masks, true, staged);
        scanMs += Ms(Clock::now() - t);
        t = Clock::now();
        tv::playlist::AppendCallbacks callbacks;
        callbacks.buildTrackEntry = [&](const std::string& path, int row) {
            const tv::core::TrackFacts facts = reader.Read(path, tv::core::LowerExtension(path));
            model.SetRow(row, tv::core::TrackTitle(path, facts),
                         tv::playlist::DurationText(facts.durationSeconds));
        };
        callbacks.processEvents = events;
        callbacks.terminating = [&] { return !playing(); };
        tv::playlist::AppendStagedFiles(model, staged, callbacks);
        completeMs += Ms(Clock::now() - t);
        events();

        t = Clock::now();
        tv::playlist::LoadPlaylistFile(model, bigList.string());
        loadMs += Ms(Clock::now() - t);
        events();
        t = Clock::now();
        tv::playlist::SavePlaylistFile(model, (work / "saved.m3u").string());
        saveMs += Ms(Clock::now() - t);
        events();

        t = Clock::now();
        for (int i = 0; i < std::min(options.tags, static_cast<int>(staged.size())) && playing();
             ++i) {
            tv::tags::TID3v2 tag;
            tag.ReadTag(staged[static_cast<size_t>(i)]);
            tag.SetTitle("Round " + std::to_string(rounds) + " track " + std::to_string(i));
            tag.SetArtist("Probe");
            if (!tag.WriteTag(staged[static_cast<size_t>(i)]))
                std::fprintf(stderr, "tag write failed: %s\n", tag.LastError().c_str());
            events();
        }
        tagMs += Ms(Clock::now() - t);
    }
    while (playing()) {
        events();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    events();
    const double playedMs = Ms(Clock::now() - playStart);
    // Let the device take the last blocks before the output closes.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    engine.StreamFree(channel);

    const size_t blocks =
        std::min(times.count.load(std::memory_order_acquire), BlockTimes::kCapacity);
    // A device holds about two blocks: a longer pause of the mixing thread would be heard.
    const double twoBlocksMs = 2 * 1024 * 1000.0 / 44100;
    double longestPause = 0;
    int longPauses = 0;
    for (size_t i = 1; i < blocks; ++i) {
        const double pause = Ms(times.at[i] - times.at[i - 1]);
        longestPause = std::max(longestPause, pause);
        longPauses += pause > twoBlocksMs ? 1 : 0;
    }
    std::printf(
        "played %.1f s in %d rounds: scan %.0f ms, completion %.0f ms, load %.0f ms, "
        "save %.0f ms, tags %.0f ms\n",
        playedMs / 1000, rounds, scanMs, completeMs, loadMs, saveMs, tagMs);
    std::printf(
        "longest pause between mixed blocks: %.1f ms (%zu blocks, %d pauses over %.0f ms)\n",
        longestPause, blocks, longPauses, twoBlocksMs);
    const uint64_t underruns = engine.UnderrunCount();
    std::printf("underruns: %llu\n", static_cast<unsigned long long>(underruns));
    return underruns == 0 ? 0 : 1;
}
