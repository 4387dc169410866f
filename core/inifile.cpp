#include "core/inifile.h"

#include "tags/saferewrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <sstream>

namespace tv::core {

namespace {

std::string_view Trim(std::string_view s) {
    const char* kBlanks = " \t\r\n";
    const size_t first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    const size_t last = s.find_last_not_of(kBlanks);
    return s.substr(first, last - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]);
        unsigned char cb = static_cast<unsigned char>(b[i]);
        if (ca >= 'A' && ca <= 'Z')
            ca = static_cast<unsigned char>(ca - 'A' + 'a');
        if (cb >= 'A' && cb <= 'Z')
            cb = static_cast<unsigned char>(cb - 'A' + 'a');
        if (ca != cb)
            return false;
    }
    return true;
}

}  // namespace

std::optional<int> ParseDecimalInt(std::string_view text) {
    std::string_view s = Trim(text);
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    if (s.empty())
        return std::nullopt;
    int value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, 10);
    if (ec != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    return value;
}

IniFile IniFile::Parse(std::string_view text) {
    IniFile file;
    file.m_sections.push_back(Section{});
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view raw = text.substr(pos, end - pos);
        pos = end + 1;
        while (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);

        const std::string_view t = Trim(raw);
        if (t.size() >= 2 && t.front() == '[') {
            const size_t close = t.find(']');
            if (close != std::string_view::npos) {
                Section s;
                s.name = std::string(Trim(t.substr(1, close - 1)));
                s.headed = true;
                file.m_sections.push_back(std::move(s));
                continue;
            }
        }
        Line line;
        line.raw = std::string(raw);
        const size_t eq = t.find('=');
        if (eq != std::string_view::npos && eq > 0 && t.front() != ';' && t.front() != '#') {
            line.key = std::string(Trim(t.substr(0, eq)));
            line.value = std::string(Trim(t.substr(eq + 1)));
        }
        file.m_sections.back().lines.push_back(std::move(line));
    }
    return file;
}

bool IniFile::Load(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *this = IniFile{};
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    *this = Parse(text.str());
    return true;
}

IniFile::Section* IniFile::FindSection(std::string_view name) {
    for (auto& s : m_sections)
        if (s.headed && SameName(s.name, name))
            return &s;
    return nullptr;
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
    for (const auto& s : m_sections)
        if (s.headed && SameName(s.name, name))
            return &s;
    return nullptr;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
    const Section* s = FindSection(section);
    if (!s)
        return std::nullopt;
    for (const auto& line : s->lines)
        if (!line.key.empty() && SameName(line.key, key))
            return line.value;
    return std::nullopt;
}

int IniFile::GetInt(std::string_view section, std::string_view key, int fallback) const {
    const auto value = Get(section, key);
    if (!value)
        return fallback;
    return ParseDecimalInt(*value).value_or(fallback);
}

bool IniFile::GetBool(std::string_view section, std::string_view key, bool fallback) const {
    return GetInt(section, key, fallback ? 1 : 0) != 0;
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
    if (m_sections.empty())
        m_sections.push_back(Section{});
    Section* s = FindSection(section);
    if (!s) {
        Section added;
        added.name = std::string(section);
        added.headed = true;
        m_sections.push_back(std::move(added));
        s = &m_sections.back();
    }
    for (auto& line : s->lines) {
        if (!line.key.empty() && SameName(line.key, key)) {
            line.value = std::string(value);
            line.raw = line.key + "=" + line.value;
            return;
        }
    }
    // New keys go after the last key, so trailing blank lines stay between sections.
    auto insertAt = s->lines.end();
    while (insertAt != s->lines.begin() && Trim(std::prev(insertAt)->raw).empty())
        --insertAt;
    Line line{std::string(key), std::string(value), std::string(key) + "=" + std::string(value)};
    s->lines.insert(insertAt, std::move(line));
}

void IniFile::SetInt(std::string_view section, std::string_view key, int value) {
    Set(section, key, std::to_string(value));
}

void IniFile::SetBool(std::string_view section, std::string_view key, bool value) {
    Set(section, key, value ? "1" : "0");
}

std::string IniFile::Render() const {
    std::string out;
    for (const auto& s : m_sections) {
        if (s.headed)
            out += "[" + s.name + "]\n";
        for (const auto& line : s.lines)
            out += line.raw + "\n";
    }
    return out;
}

bool IniFile::Save(const std::filesystem::path& path, std::string* error) const {
    return WriteFileAtomically(path, Render(), error);
}

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view data,
                         std::string* error) {
    // A new file gets the usual 0644 (less the umask); a replaced one keeps its permissions.
    return tags::SafeWriteFile(path, data, 0644, error);
}

}  // namespace tv::core
