#include "tags/textcodec.h"

namespace tv::tags {

namespace {

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// Decodes one character at `i`; returns its length, or 0 when the bytes there are malformed.
size_t DecodeUtf8(std::string_view s, size_t i, uint32_t& cp) {
    const auto b0 = uint8_t(s[i]);
    size_t len = 0;
    uint32_t min = 0;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        cp = b0 & 0x1F;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        cp = b0 & 0x0F;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        cp = b0 & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size())
        return 0;
    for (size_t k = 1; k < len; ++k) {
        const auto b = uint8_t(s[i + k]);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

}  // namespace

std::string Latin1ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes)
        AppendUtf8(out, uint8_t(c));
    return out;
}

bool IsValidUtf8(std::string_view bytes) {
    uint32_t cp = 0;
    for (size_t i = 0; i < bytes.size();) {
        const size_t len = DecodeUtf8(bytes, i, cp);
        if (len == 0)
            return false;
        i += len;
    }
    return true;
}

std::string EightBitToUtf8(std::string_view bytes) {
    bool ascii = true;
    for (char c : bytes)
        ascii = ascii && uint8_t(c) < 0x80;
    if (ascii)
        return std::string(bytes);
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    return Latin1ToUtf8(bytes);
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    std::string out;
    const size_t units = bytes.size() / 2;
    auto unitAt = [&](size_t k) -> uint32_t {
        const auto a = uint8_t(bytes[2 * k]);
        const auto b = uint8_t(bytes[2 * k + 1]);
        return bigEndian ? (uint32_t(a) << 8 | b) : (uint32_t(b) << 8 | a);
    };
    for (size_t k = 0; k < units; ++k) {
        uint32_t u = unitAt(k);
        if (u == 0)
            break;
        if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units) {
            const uint32_t low = unitAt(k + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                ++k;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF)
            u = 0xFFFD;
        AppendUtf8(out, u);
    }
    return out;
}

bool Utf8ToLatin1(std::string_view utf8, std::string& latin1) {
    latin1.clear();
    uint32_t cp = 0;
    for (size_t i = 0; i < utf8.size();) {
        const size_t len = DecodeUtf8(utf8, i, cp);
        if (len == 0 || cp > 0xFF)
            return false;
        latin1 += char(cp);
        i += len;
    }
    return true;
}

std::string Utf8ToUtf16LE(std::string_view utf8) {
    std::string out;
    auto put = [&](uint32_t u) {
        out += char(u & 0xFF);
        out += char(u >> 8);
    };
    uint32_t cp = 0;
    for (size_t i = 0; i < utf8.size();) {
        size_t len = DecodeUtf8(utf8, i, cp);
        if (len == 0) {
            cp = 0xFFFD;
            len = 1;
        }
        if (cp >= 0x10000) {
            put(0xD800 + ((cp - 0x10000) >> 10));
            put(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            put(cp);
        }
        i += len;
    }
    return out;
}

std::string TrimRight(std::string_view text) {
    size_t end = text.size();
    while (end > 0 && uint8_t(text[end - 1]) <= 32)
        --end;
    return std::string(text.substr(0, end));
}

std::string Trim(std::string_view text) {
    size_t begin = 0;
    while (begin < text.size() && uint8_t(text[begin]) <= 32)
        ++begin;
    return TrimRight(text.substr(begin));
}

size_t Utf8Length(std::string_view text) {
    size_t n = 0;
    for (char c : text)
        n += (uint8_t(c) & 0xC0) != 0x80;
    return n;
}

}  // namespace tv::tags
