#pragma once

// The settings file format: "[Section]" lines and "key=value" lines, read and written by the
// program itself. Section and key names compare without regard to ASCII case, as the classic
// profile files do. Everything the program does not know (other sections, other keys, comment
// lines) is kept in place, so a rewrite changes only the keys that were set.
//
// Threads: plain value type; no shared state.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tv::core {

class IniFile {
public:
    // Builds the file from text. Never fails: lines it cannot read as a section or a key are
    // kept verbatim and written back unchanged.
    static IniFile Parse(std::string_view text);

    // Reads `path`. false when the file cannot be read; the object is then empty.
    bool Load(const std::filesystem::path& path);

    // The value of `key` in `section`, trimmed of surrounding blanks; nullopt when missing.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    // An integer in decimal (optional sign, digits, nothing else but surrounding blanks);
    // `fallback` when the key is missing or holds anything else, or does not fit an int.
    int GetInt(std::string_view section, std::string_view key, int fallback) const;
    // A boolean stored as an integer: true when it is not 0; `fallback` as for GetInt.
    bool GetBool(std::string_view section, std::string_view key, bool fallback) const;

    // Sets `key` in `section`: an existing key keeps its place, a new key goes after the
    // section's last key, a new section goes at the end of the file.
    void Set(std::string_view section, std::string_view key, std::string_view value);
    void SetInt(std::string_view section, std::string_view key, int value);
    void SetBool(std::string_view section, std::string_view key, bool value);

    // The file's text, lines ended by "\n".
    std::string Render() const;

    // Writes the file atomically: a new temporary file beside `path` is created exclusively,
    // written, flushed and renamed over `path`. On failure the original file is untouched,
    // the temporary file is removed, false is returned and `error` (when given) says why.
    bool Save(const std::filesystem::path& path, std::string* error = nullptr) const;

private:
    struct Line {
        std::string key;  // empty: a line kept verbatim in `raw`
        std::string value;
        std::string raw;
    };
    struct Section {
        std::string name;  // empty for the lines before the first section header
        bool headed = false;
        std::vector<Line> lines;
    };
    Section* FindSection(std::string_view name);
    const Section* FindSection(std::string_view name) const;

    std::vector<Section> m_sections;
};

// Writes `data` to `path` atomically (see IniFile::Save). Shared by every file the program
// rewrites as a whole.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view data,
                         std::string* error = nullptr);

// Parses a decimal integer with an optional sign and surrounding blanks; nullopt otherwise.
std::optional<int> ParseDecimalInt(std::string_view text);

}  // namespace tv::core
