#pragma once

// The texts of a playlist row that come from a file's tags: the title rules and the duration
// text. The player, the playlist and torvanell-tag all show rows, so they share these.

#include <cstdint>
#include <string>
#include <string_view>

namespace tv::tags {

// The clean-up every title gets: "_" become spaces, then leading digits, ".", ",", "!", "?",
// blanks, "_" and "-" are dropped, unless that would leave nothing.
std::string CleanEntryTitle(std::string title);

// "Artist - Title" when both are there, the one that is there otherwise, else `name` (the file
// name without its extension); then cleaned up. Callers pass trimmed tag texts.
std::string EntryTitle(std::string_view name, std::string_view artist, std::string_view title);

// "mm:ss" of whole seconds. From an hour on the minutes are the total minutes (3725 s gives
// "62:05"), so the M3U writer gets the true length back from the text.
std::string EntryDurationText(uint64_t seconds);

}  // namespace tv::tags
