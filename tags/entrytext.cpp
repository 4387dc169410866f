#include "tags/entrytext.h"

#include <algorithm>
#include <utility>

namespace tv::tags {

std::string CleanEntryTitle(std::string title) {
    std::replace(title.begin(), title.end(), '_', ' ');
    const size_t first = title.find_first_not_of("0123456789.,!? _-");
    if (first != std::string::npos)
        title.erase(0, first);  // stripping everything would leave nothing: keep it then
    return title;
}

std::string EntryTitle(std::string_view name, std::string_view artist, std::string_view title) {
    std::string text;
    if (!artist.empty() && !title.empty()) {
        text.append(artist).append(" - ").append(title);
    } else if (!artist.empty()) {
        text = artist;
    } else if (!title.empty()) {
        text = title;
    } else {
        text = name;
    }
    return CleanEntryTitle(std::move(text));
}

std::string EntryDurationText(uint64_t seconds) {
    const uint64_t minutes = seconds / 60;
    const uint64_t rest = seconds % 60;
    std::string text;
    if (minutes < 10)
        text += '0';
    text += std::to_string(minutes);
    text += ':';
    if (rest < 10)
        text += '0';
    text += std::to_string(rest);
    return text;
}

}  // namespace tv::tags
