#include "tags/tool/entrytitle.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tv::tags::tool {

std::string BuildEntryTitle(std::string_view fileName, std::string_view artist,
                            std::string_view title) {
    std::string text;
    if (!artist.empty() && !title.empty())
        text = std::string(artist) + " - " + std::string(title);
    else if (!artist.empty())
        text = artist;
    else if (!title.empty())
        text = title;
    else {
        const size_t dot = fileName.rfind('.');
        text =
            fileName.substr(0, dot == 0 || dot == std::string_view::npos ? fileName.size() : dot);
    }
    std::replace(text.begin(), text.end(), '_', ' ');
    const size_t keep = text.find_first_not_of("0123456789.,!? _-");
    if (keep != std::string::npos)
        text.erase(0, keep);
    return text;
}

std::string FormatDuration(double seconds) {
    if (!(seconds > 0))
        seconds = 0;
    const auto whole = static_cast<unsigned long long>(std::floor(std::min(seconds, 1e15)));
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02llu:%02llu", whole / 60, whole % 60);
    return buf;
}

}  // namespace tv::tags::tool
