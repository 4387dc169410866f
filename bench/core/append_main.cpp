// Adding a folder of MP3 files the way the player does: scan the folder into the staging
// list, append it to the playlist, then complete every new row with its title and duration
// from the file's tags, letting pending events run between rows as the window does. A row
// whose duration stayed empty or "00:00" counts as unfilled (the bench trees hold 3 s files).
//
//   tv_append_bench FOLDER   prints "torvanell rows=N elapsed=SECONDS"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "core/tagtrackinfo.h"
#include "core/trackentry.h"
#include "playlist/playlist.h"
#include "playlist/scandir.h"
#include "playlist/stagedfiles.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    QCoreApplication app(argc, argv);
    const auto start = std::chrono::steady_clock::now();

    std::vector<std::string> staging;
    tv::playlist::ScanDir(argv[1], tv::playlist::MaskList(), true, staging);

    tv::playlist::PlaylistModel model;
    tv::core::TagTrackInfo reader;
    tv::playlist::AppendCallbacks callbacks;
    callbacks.buildTrackEntry = [&](const std::string& path, int row) {
        const tv::core::TrackFacts facts = reader.Read(path, tv::core::LowerExtension(path));
        model.SetRow(row, tv::core::TrackTitle(path, facts),
                     tv::playlist::DurationText(facts.durationSeconds));
    };
    callbacks.processEvents = [] { QCoreApplication::processEvents(); };
    tv::playlist::AppendStagedFiles(model, staging, callbacks);

    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    int empty = 0;
    for (const auto& e : model.Entries())
        empty += e.duration.empty() || e.duration == "00:00" ? 1 : 0;  // the files last 3 s
    std::printf("torvanell rows=%d unfilled=%d elapsed=%.4f\n", model.Count(), empty, elapsed);
    return empty == 0 ? 0 : 1;
}
