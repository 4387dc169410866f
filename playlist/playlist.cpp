#include "playlist/playlist.h"

#include "tags/entrytext.h"

#include "playlist/randomorder.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace tv::playlist {

std::string_view FileNameOf(std::string_view path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

namespace {

std::string NumberedDisplay(int number, const std::string& title) {
    std::string display = std::to_string(number);
    display += ". ";
    display += title;
    return display;
}

}  // namespace

std::string DurationText(uint32_t seconds) {
    return tags::EntryDurationText(seconds);
}

uint32_t DurationSeconds(const std::string& text) {
    // "m...m:ss": the minutes are everything before the last three characters.
    if (text.size() < 4 || text[text.size() - 3] != ':')
        return 0;
    const char* begin = text.data();
    const char* colon = begin + text.size() - 3;
    uint32_t minutes = 0;
    uint32_t seconds = 0;
    auto m = std::from_chars(begin, colon, minutes);
    if (m.ec != std::errc() || m.ptr != colon)
        return 0;
    auto s = std::from_chars(colon + 1, begin + text.size(), seconds);
    if (s.ec != std::errc() || s.ptr != begin + text.size() || seconds > 59)
        return 0;
    if (minutes > (UINT32_MAX - seconds) / 60)
        return 0;
    return minutes * 60 + seconds;
}

std::string TitleOfDisplay(const std::string& display) {
    // A display text always carries "n. "; a text without a "." (never made by this model)
    // is returned whole rather than losing its first character.
    const auto dot = display.find('.');
    if (dot == std::string::npos)
        return display;
    const auto start = dot + 2;
    return start >= display.size() ? std::string() : display.substr(start);
}

void PlaylistModel::Reserve(int count) {
    if (count <= 0)
        return;
    m_entries.reserve(static_cast<size_t>(count));
    m_selected.reserve(static_cast<size_t>(count));
}

void PlaylistModel::PushRow(Entry&& entry) {
    // The row lists keep one size even when memory runs out half-way.
    m_selected.push_back(false);
    try {
        m_entries.push_back(std::move(entry));
    } catch (...) {
        m_selected.pop_back();
        throw;
    }
    ++m_revision;
}

void PlaylistModel::AppendPath(const std::string& path) {
    AppendEntry(std::string(FileNameOf(path)), std::string(), path);
}

void PlaylistModel::AppendEntry(const std::string& title, const std::string& duration,
                                const std::string& path) {
    PushRow(Entry{NumberedDisplay(Count() + 1, title), duration, path});
}

void PlaylistModel::AppendLoadedEntry(std::string_view title, std::string&& duration,
                                      std::string&& path) {
    char number[16];
    const auto converted = std::to_chars(number, number + sizeof number, Count() + 1);
    std::string display;
    display.reserve(static_cast<size_t>(converted.ptr - number) + 2 + title.size());
    display.append(number, converted.ptr);
    display += ". ";
    display += title;
    PushRow(Entry{std::move(display), std::move(duration), std::move(path)});
}

void PlaylistModel::SetRow(int i, const std::string& title, const std::string& duration) {
    if (i < 0 || i >= Count())
        return;
    Entry& entry = m_entries[static_cast<size_t>(i)];
    std::string display = NumberedDisplay(i + 1, title);
    // Playing a row rebuilds it: the same texts again are no change to save.
    if (display != entry.display || duration != entry.duration)
        ++m_revision;
    entry.display = std::move(display);
    entry.duration = duration;
    NotifyChanged();
}

void PlaylistModel::RemoveEntry(int i) {
    if (i < 0 || i >= Count())
        return;
    // The row to select afterwards: the one that moves up into place i, or the new last row.
    const int toSelect = (i == Count() - 1) ? i - 1 : i;

    m_entries.erase(m_entries.begin() + i);
    m_selected.erase(m_selected.begin() + i);
    m_entryCounter = Count();
    ++m_revision;

    for (int j = i; j < Count(); ++j) {
        std::string& display = m_entries[static_cast<size_t>(j)].display;
        const auto dot = display.find('.');
        if (dot == std::string::npos) {
            display = NumberedDisplay(j + 1, display);
        } else {
            display.replace(0, dot, std::to_string(j + 1));
        }
    }

    // The current entry keeps pointing at the same file.
    if (m_current == i) {
        m_current = -1;
    } else if (m_current > i) {
        --m_current;
    }
    if (m_focused >= Count())
        m_focused = Count() - 1;
    if (toSelect >= 0)
        Select(toSelect);
    NotifyChanged();
}

void PlaylistModel::ClearPlaylist() {
    ++m_revision;
    m_entries.clear();
    m_selected.clear();
    m_entryCounter = 0;
    // No row is left to point at; the shuffled order stays as it is (readers skip values at
    // or beyond Count()).
    m_current = -1;
    m_focused = -1;
    NotifyChanged();
}

void PlaylistModel::SetCurrent(int i) {
    if (i != m_current)
        ++m_revision;
    m_current = i;
}

bool PlaylistModel::IsSelected(int i) const {
    return i >= 0 && i < Count() && m_selected[static_cast<size_t>(i)];
}

void PlaylistModel::Select(int i, bool selected) {
    if (i < 0 || i >= Count())
        return;
    m_selected[static_cast<size_t>(i)] = selected;
    if (selected)
        m_focused = i;
}

void PlaylistModel::ClearSelection() {
    std::fill(m_selected.begin(), m_selected.end(), false);
}

std::vector<int> PlaylistModel::SelectedRows() const {
    std::vector<int> rows;
    for (int i = 0; i < Count(); ++i) {
        if (m_selected[static_cast<size_t>(i)])
            rows.push_back(i);
    }
    return rows;
}

void PlaylistModel::RebuildRandomOrder() {
    // Take the generator's state for this order and move the generator on to a fresh stream,
    // so the next rebuild gives another order whether or not this one was ever drawn.
    m_randomSource = m_rng;
    m_rng.seed(static_cast<uint32_t>(m_rng()));
    m_randomCount = Count();
    m_randomPending = true;
    m_randomPosition = -1;
}

const std::vector<int>& PlaylistModel::RandomList() const {
    if (m_randomPending) {
        m_randomList = Internal::ShuffleByMoves(m_randomCount, m_randomSource);
        m_randomPending = false;
    }
    return m_randomList;
}

std::string PlaylistModel::CurrentTitle() const {
    if (m_current < 0 || m_current >= Count())
        return std::string();
    return TitleOfDisplay(At(m_current).display);
}

void PlaylistModel::NotifyChanged() {
    if (m_listener != nullptr)
        m_listener->PlaylistChanged();
}

}  // namespace tv::playlist
