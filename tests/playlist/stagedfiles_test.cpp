#include <gtest/gtest.h>

#include "playlist/stagedfiles.h"

namespace tv::playlist {
namespace {

TEST(AppendStagedFiles, AppendsNumberedOnThenCompletesEachRowWithEventsBetween) {
    PlaylistModel model;
    model.AppendEntry("Old", "01:00", "/old.mp3");
    std::vector<std::string> log;
    AppendCallbacks callbacks;
    callbacks.eventInterval = std::chrono::milliseconds(0);  // a batch of one row
    callbacks.buildTrackEntry = [&](const std::string& path, int row) {
        log.push_back("build " + path + " " + std::to_string(row) + " counter " +
                      std::to_string(model.EntryCounter()));
        model.SetRow(row, "Title of " + path, "00:0" + std::to_string(row));
    };
    callbacks.processEvents = [&] { log.push_back("events"); };
    const std::vector<std::string> staged{"/m/a.mp3", "/m/b.ogg"};

    EXPECT_EQ(AppendStagedFiles(model, staged, callbacks), 2);
    EXPECT_EQ(log, (std::vector<std::string>{"build /m/a.mp3 1 counter 1", "events",
                                             "build /m/b.ogg 2 counter 2", "events"}));
    EXPECT_EQ(model.At(1).display, "2. Title of /m/a.mp3");
    EXPECT_EQ(model.At(2).duration, "00:02");
    EXPECT_EQ(model.EntryCounter(), 3);
    EXPECT_EQ(model.RandomList().size(), 3u);
}

TEST(AppendStagedFiles, RowsBeforeCompletionShowFileNamesAndTerminationStops) {
    PlaylistModel model;
    int built = 0;
    AppendCallbacks callbacks;
    callbacks.buildTrackEntry = [&](const std::string&, int) { ++built; };
    callbacks.terminating = [&] { return built == 1; };
    AppendStagedFiles(model, {"/x/one.mp3", "/x/two.mp3", "/x/three.mp3"}, callbacks);
    EXPECT_EQ(built, 1);
    EXPECT_EQ(model.At(2).display, "3. three.mp3");
    EXPECT_EQ(model.At(2).duration, "");
    EXPECT_EQ(model.EntryCounter(), 3);
}

TEST(AppendStagedFiles, RowsRemovedWhileEventsRunAreNotCompletedOnTheWrongFile) {
    PlaylistModel model;
    PlaylistModel* target = &model;
    std::vector<std::pair<std::string, int>> built;
    AppendCallbacks callbacks;
    callbacks.buildTrackEntry = [&](const std::string& path, int row) {
        built.emplace_back(path, row);
        EXPECT_EQ(target->At(row).path, path);
    };
    callbacks.eventInterval = std::chrono::milliseconds(0);
    bool removed = false;
    callbacks.processEvents = [&] {
        if (!removed) {
            removed = true;
            model.RemoveEntry(0);  // the user deletes a row while titles fill in
        }
    };
    AppendStagedFiles(model, {"/a.mp3", "/b.mp3", "/c.mp3"}, callbacks);
    // "/a.mp3" itself went; the others are completed where they moved to.
    EXPECT_EQ(built, (std::vector<std::pair<std::string, int>>{
                         {"/a.mp3", 0}, {"/b.mp3", 0}, {"/c.mp3", 1}}));

    PlaylistModel cleared;
    target = &cleared;
    callbacks.processEvents = [&] { cleared.ClearPlaylist(); };
    built.clear();
    AppendStagedFiles(cleared, {"/a.mp3", "/b.mp3"}, callbacks);
    EXPECT_EQ(built.size(), 1u);
    EXPECT_EQ(cleared.EntryCounter(), 0);
}

// Events run once per batch: after the first row, then when the interval has passed since the
// last pass (the pass's own time not counted), and after the last row; never in between, so
// the list is not drawn for every row. A close asked for during a pass ends the completion.
TEST(AppendStagedFiles, EventsRunOncePerBatchAndAfterTheLastRow) {
    using std::chrono::milliseconds;
    PlaylistModel model;
    std::chrono::steady_clock::time_point clock{};
    std::vector<std::string> log;
    bool closing = false;
    AppendCallbacks callbacks;
    callbacks.now = [&] { return clock; };
    callbacks.buildTrackEntry = [&](const std::string& path, int row) {
        clock += milliseconds(20);  // each row takes 20 ms
        log.push_back(path);
        model.SetRow(row, path, "00:01");
    };
    callbacks.processEvents = [&] {
        clock += milliseconds(30);  // a paint
        log.push_back("events");
    };
    callbacks.terminating = [&] { return closing; };
    AppendStagedFiles(model, {"a", "b", "c", "d", "e", "f", "g"}, callbacks);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "events", "b", "c", "d", "events", "e", "f", "g",
                                             "events"}));

    log.clear();
    callbacks.processEvents = [&] {
        log.push_back("events");
        closing = true;
    };
    AppendStagedFiles(model, {"h", "i", "j"}, callbacks);
    EXPECT_EQ(log, (std::vector<std::string>{"h", "events"}));
    EXPECT_EQ(model.At(8).display, "9. i");  // keeps its file name, without a duration
    EXPECT_EQ(model.At(8).duration, "");
    EXPECT_EQ(model.EntryCounter(), 10);
}

TEST(AppendStagedFiles, EmptyCallbacksAndEmptyStaging) {
    PlaylistModel model;
    EXPECT_EQ(AppendStagedFiles(model, {}, {}), 0);
    EXPECT_EQ(AppendStagedFiles(model, {"/a.mp3"}, {}), 1);
    EXPECT_EQ(model.At(0).display, "1. a.mp3");
}

}  // namespace
}  // namespace tv::playlist
