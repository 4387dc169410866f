#pragma once
// The playlist's row text for an MPEG file, as the player builds it.

#include <string>
#include <string_view>

namespace tv::tags::tool {

// "Artist - Title", or the one that is non-empty, or the file name without its extension; then
// "_" becomes a space and leading digits and punctuation (". , ! ? space _ -") are stripped
// unless that would leave nothing.
std::string BuildEntryTitle(std::string_view fileName, std::string_view artist,
                            std::string_view title);

// "mm:ss" of whole seconds; an hour or more shows total minutes ("62:05" for 3725 s).
std::string FormatDuration(double seconds);

}  // namespace tv::tags::tool
