#include "tags/tool/json.h"

#include <cmath>
#include <cstdio>

#include "tags/textcodec.h"

namespace tv::tags::tool {

std::string JsonWriter::Quote(std::string_view text) {
    std::string out = "\"";
    size_t i = 0;
    while (i < text.size()) {
        const auto c = uint8_t(text[i]);
        if (c >= 0x80) {
            // Take the longest valid UTF-8 sequence here, or replace one stray byte.
            size_t len = (c & 0xE0) == 0xC0   ? 2
                         : (c & 0xF0) == 0xE0 ? 3
                         : (c & 0xF8) == 0xF0 ? 4
                                              : 0;
            if (len && i + len <= text.size() && IsValidUtf8(text.substr(i, len))) {
                out.append(text.substr(i, len));
                i += len;
            } else {
                out += "\xEF\xBF\xBD";
                ++i;
            }
            continue;
        }
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += char(c);
                }
        }
        ++i;
    }
    out += '"';
    return out;
}

void JsonWriter::Key(std::string_view key) {
    if (!m_first)
        m_out += ',';
    m_first = false;
    if (!key.empty()) {
        m_out += Quote(key);
        m_out += ':';
    }
}

JsonWriter& JsonWriter::BeginObject(std::string_view key) {
    Key(key);
    m_out += '{';
    m_first = true;
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    m_out += '}';
    m_first = false;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view key, std::string_view value) {
    Key(key);
    m_out += Quote(value);
    return *this;
}

JsonWriter& JsonWriter::Int(std::string_view key, int64_t value) {
    Key(key);
    m_out += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Double(std::string_view key, double value) {
    Key(key);
    if (!std::isfinite(value)) {
        m_out += "null";
        return *this;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6f", value);
    m_out += buf;
    return *this;
}

JsonWriter& JsonWriter::Bool(std::string_view key, bool value) {
    Key(key);
    m_out += value ? "true" : "false";
    return *this;
}

}  // namespace tv::tags::tool
