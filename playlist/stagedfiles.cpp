#include "playlist/stagedfiles.h"

#include <algorithm>

namespace tv::playlist {

namespace {

// The row holding `path` at `expected` or, when rows before it were removed, the nearest one
// above; -1 when it is gone.
int FindRow(const PlaylistModel& model, const std::string& path, int expected) {
    for (int row = std::min(expected, model.Count() - 1); row >= 0; --row) {
        if (model.At(row).path == path)
            return row;
    }
    return -1;
}

// Runs the pending events once per batch of rows: after the first row (the added rows show at
// once, and a command already waiting, such as a close, is carried out before more work),
// then whenever the batch's time is up, and after the last row.
class EventBatch {
public:
    explicit EventBatch(const AppendCallbacks& callbacks) : m_callbacks(callbacks), m_last(Now()) {}

    void RowDone(bool last) {
        if (!m_callbacks.processEvents)
            return;
        if (!last && !m_first && m_callbacks.eventInterval.count() > 0 &&
            Now() - m_last < m_callbacks.eventInterval)
            return;
        m_first = false;
        m_callbacks.processEvents();
        m_last = Now();  // the pass itself (a paint, a user's command) is not the batch's time
    }

private:
    std::chrono::steady_clock::time_point Now() const {
        return m_callbacks.now ? m_callbacks.now() : std::chrono::steady_clock::now();
    }

    const AppendCallbacks& m_callbacks;
    std::chrono::steady_clock::time_point m_last;
    bool m_first = true;
};

}  // namespace

int AppendStagedFiles(PlaylistModel& model, std::vector<std::string> staged,
                      const AppendCallbacks& callbacks) {
    const int first = model.Count();
    model.SetEntryCounter(first);
    model.Reserve(first + static_cast<int>(staged.size()));
    for (const std::string& path : staged)
        model.AppendPath(path);
    model.SetEntryCounter(model.Count());
    model.RebuildRandomOrder();
    model.NotifyChanged();

    // Rows removed while events run move the new rows up; `shift` is how far they have moved.
    int shift = 0;
    EventBatch batch(callbacks);
    for (size_t i = 0; i < staged.size(); ++i) {
        if (callbacks.terminating && callbacks.terminating())
            break;
        const int expected = first + static_cast<int>(i) - shift;
        const int row = FindRow(model, staged[i], expected);
        if (row >= 0) {
            shift = first + static_cast<int>(i) - row;
            model.SetEntryCounter(row);
            if (model.At(row).duration.empty() && callbacks.buildTrackEntry) {
                callbacks.buildTrackEntry(staged[i], row);
            }
        }
        batch.RowDone(i + 1 == staged.size());
    }
    model.SetEntryCounter(model.Count());
    return static_cast<int>(staged.size());
}

}  // namespace tv::playlist
