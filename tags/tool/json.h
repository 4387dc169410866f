#pragma once
// A small JSON writer for one object per line; texts are escaped and kept valid UTF-8.

#include <cstdint>
#include <string>
#include <string_view>

namespace tv::tags::tool {

class JsonWriter {
public:
    JsonWriter& BeginObject(std::string_view key = {});
    JsonWriter& EndObject();
    JsonWriter& String(std::string_view key, std::string_view value);
    JsonWriter& Int(std::string_view key, int64_t value);
    JsonWriter& Double(std::string_view key, double value);
    JsonWriter& Bool(std::string_view key, bool value);
    const std::string& Text() const { return m_out; }

    // A JSON string literal of `text` (quotes included). Bytes that are not UTF-8 become U+FFFD.
    static std::string Quote(std::string_view text);

private:
    void Key(std::string_view key);
    std::string m_out;
    bool m_first = true;
};

}  // namespace tv::tags::tool
