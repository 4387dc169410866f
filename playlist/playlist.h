#pragma once

// The playlist model: one row per entry, each with its display text ("12. Artist - Title"),
// its duration text ("03:25", empty until the entry is completed) and its full path, plus the
// current entry (the one playing or last started), the focused entry (the caret), the selected
// rows, the shuffled order and the entry counter.
//
// Threads: user-interface thread only. The model knows nothing about windows; a view listens
// through PlaylistListener and draws from the model.

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace tv::playlist {

inline constexpr int kRowHeight = 14;  // ROW_HEIGHT: pixels per row in both lists

// The file name of a path: everything after the last "/" (the whole path without one). The one
// implementation the playlist, its files and the title builder share.
std::string_view FileNameOf(std::string_view path);

struct Entry {
    std::string display;   // PlayList row: number, ". ", title
    std::string duration;  // TrackTime row
    std::string path;      // FileList row, exactly as added or read
};

// Duration text of a number of seconds: "mm:ss"; below an hour the minutes of the hour, from
// an hour on the total minutes (3725 s gives "62:05") so that the M3U writer keeps the true
// seconds.
std::string DurationText(uint32_t seconds);
// Seconds of a duration text ("03:25" gives 205, "62:05" gives 3725); 0 for an empty or
// malformed text.
uint32_t DurationSeconds(const std::string& text);
// The title part of a display text: everything after the first "." and the one character
// after it ("12. Artist - Title" gives "Artist - Title").
std::string TitleOfDisplay(const std::string& display);

class PlaylistListener {
public:
    virtual ~PlaylistListener() = default;
    // Rows were appended, removed or cleared, or their texts changed.
    virtual void PlaylistChanged() = 0;
};

class PlaylistModel {
public:
    int Count() const { return static_cast<int>(m_entries.size()); }
    const Entry& At(int i) const { return m_entries.at(static_cast<size_t>(i)); }
    const std::vector<Entry>& Entries() const { return m_entries; }

    // Makes room for `count` rows in all; bulk appenders call it first.
    void Reserve(int count);
    // Appends a row for `path`: display "n. <file name>", empty duration.
    void AppendPath(const std::string& path);
    // Appends a row with the given title and duration text (the M3U reader's rows).
    // Appending does not notify the listener: bulk appenders call NotifyChanged once at the end.
    void AppendEntry(const std::string& title, const std::string& duration,
                     const std::string& path);
    // The same, taking the duration and path texts over instead of copying them.
    void AppendLoadedEntry(std::string_view title, std::string&& duration, std::string&& path);
    // Rewrites row i: display "i+1. title", duration text, and notifies the listener.
    // Out-of-range rows are ignored.
    void SetRow(int i, const std::string& title, const std::string& duration);

    // Removes row i (out of range: ignored), renumbers the rows after it, selects the row that
    // moved into place i (the new last row when i was the last) and keeps the current entry on
    // the same file (-1 when it was row i). Notifies the listener.
    void RemoveEntry(int i);
    // Empties the playlist: no current, focused or selected entry; the shuffled order stays.
    // Notifies the listener.
    void ClearPlaylist();

    int Current() const { return m_current; }  // -1: none
    void SetCurrent(int i);
    int Focused() const { return m_focused; }  // -1: none
    void SetFocused(int i) { m_focused = i; }

    bool IsSelected(int i) const;
    // Selecting a row makes it the focused entry; deselecting does not move the focus.
    void Select(int i, bool selected = true);
    void ClearSelection();
    std::vector<int> SelectedRows() const;

    int EntryCounter() const { return m_entryCounter; }
    void SetEntryCounter(int c) { m_entryCounter = c; }

    // The shuffled order: a permutation of 0..n-1 made by 3n + 1 random moves; the random
    // position is -1 after a rebuild. Removing entries leaves it as it is, so readers must
    // skip values at or beyond Count().
    // The moves are drawn when the order is first read after a rebuild, from the generator
    // state the rebuild took: a large playlist loaded while random play is off never pays for
    // them, and two rebuilds in a row cost one.
    void RebuildRandomOrder();
    const std::vector<int>& RandomList() const;
    int RandomPosition() const { return m_randomPosition; }
    void SetRandomPosition(int p) { m_randomPosition = p; }
    // Seeds the shuffle (tests use a fixed seed; the program seeds from a clock once).
    void SeedRandom(uint32_t seed) { m_rng.seed(seed); }

    // The current entry's display text without its number; empty when there is none.
    std::string CurrentTitle() const;

    // Counts every change of what is saved: rows added, removed or cleared, a row's texts
    // rewritten to something new, the current entry moved. Equal values mean nothing to save.
    uint64_t Revision() const { return m_revision; }

    void SetListener(PlaylistListener* listener) { m_listener = listener; }
    void NotifyChanged();

private:
    void PushRow(Entry&& entry);

    std::vector<Entry> m_entries;
    std::vector<bool> m_selected;
    mutable std::vector<int> m_randomList;
    mutable std::mt19937 m_randomSource;  // the state the pending order is drawn from
    mutable bool m_randomPending = false;
    int m_randomCount = 0;
    int m_current = -1;
    int m_focused = -1;
    int m_entryCounter = 0;
    int m_randomPosition = -1;
    uint64_t m_revision = 0;
    std::mt19937 m_rng{std::random_device{}()};
    PlaylistListener* m_listener = nullptr;
};

}  // namespace tv::playlist
