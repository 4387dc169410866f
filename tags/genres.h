#pragma once
// The genre names the ID3v1 genre byte indexes: the published list (0..79) and its common
// extension (80..147), kept letter for letter, misspellings included, because other programs
// compare these exact texts.

#include <array>
#include <string_view>

namespace tv::tags {

inline constexpr int kGenreCount = 148;
extern const std::array<std::string_view, kGenreCount> GenreNames;

// The name for an index, or an empty text for 148..255 (255 = no genre).
std::string_view GenreName(int index);

}  // namespace tv::tags
