#pragma once
// Text conversions of the tag formats. Every text leaves the readers as UTF-8.

#include <cstdint>
#include <string>
#include <string_view>

namespace tv::tags {

// ISO-8859-1 bytes to UTF-8.
std::string Latin1ToUtf8(std::string_view bytes);

// True when `bytes` is well-formed UTF-8 (shortest forms, no surrogates, at most U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// The 8-bit text of ID3v1 fields and encoding-0 frames: ISO-8859-1, except that bytes which form
// valid UTF-8 with at least one non-ASCII character are taken as UTF-8 (many taggers write that).
std::string EightBitToUtf8(std::string_view bytes);

// UTF-16 code units to UTF-8; stops at a zero unit. Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);

// UTF-8 to ISO-8859-1; false when a character does not fit (or the input is not UTF-8).
bool Utf8ToLatin1(std::string_view utf8, std::string& latin1);

// UTF-8 to UTF-16 little-endian code units (no byte-order mark). Malformed bytes become U+FFFD.
std::string Utf8ToUtf16LE(std::string_view utf8);

// Removes characters with codes 0..32 at the end, or at both ends.
std::string TrimRight(std::string_view text);
std::string Trim(std::string_view text);

// Number of characters of a UTF-8 text (continuation bytes are not counted).
size_t Utf8Length(std::string_view text);

}  // namespace tv::tags
