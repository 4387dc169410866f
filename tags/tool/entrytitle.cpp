#include "tags/tool/entrytitle.h"

#include <algorithm>
#include <cmath>

#include "tags/entrytext.h"

namespace tv::tags::tool {

std::string BuildEntryTitle(std::string_view fileName, std::string_view artist,
                            std::string_view title) {
    const size_t dot = fileName.rfind('.');
    const std::string_view name =
        fileName.substr(0, dot == 0 || dot == std::string_view::npos ? fileName.size() : dot);
    return EntryTitle(name, artist, title);
}

std::string FormatDuration(double seconds) {
    if (!(seconds > 0))
        seconds = 0;
    return EntryDurationText(static_cast<uint64_t>(std::floor(std::min(seconds, 1e15))));
}

}  // namespace tv::tags::tool
