// Windows-1252 <-> UTF-8: the one conversion between the bytes of stored strings and the text the
// program and the file system use.
#include "model/UnAnsiText.h"

#include <cstdint>
#include <cstdio>
#include <optional>

namespace {

// Code points of the bytes 0x80..0x9F; the undefined ones keep their own number.
constexpr char32_t HighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes the sequence at text[at] and advances at; nullopt (having skipped one byte) for a
// broken, overlong or surrogate sequence.
std::optional<char32_t> nextCodePoint(std::string_view text, size_t& at) {
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byte(at);
    if (lead < 0x80) {
        ++at;
        return lead;
    }
    int extra = 0;
    char32_t c = 0, least = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, c = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, c = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, c = lead & 0x07, least = 0x10000;
    } else {
        ++at;
        return std::nullopt;
    }
    if (at + static_cast<size_t>(extra) >= text.size()) {
        ++at;
        return std::nullopt;
    }
    for (int k = 1; k <= extra; ++k) {
        if ((byte(at + k) & 0xC0) != 0x80) {
            ++at;
            return std::nullopt;
        }
        c = (c << 6) | (byte(at + k) & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++at;
        return std::nullopt;
    }
    at += static_cast<size_t>(extra) + 1;
    return c;
}

std::optional<char> ansiByte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (int i = 0; i < 32; ++i)
        if (HighControls[i] == c) return static_cast<char>(0x80 + i);
    return std::nullopt;
}

} // namespace

std::string ansiToUtf8(std::string_view ansi) {
    std::string out;
    out.reserve(ansi.size());
    for (char ch : ansi) {
        const auto b = static_cast<uint8_t>(ch);
        appendUtf8(out, b >= 0x80 && b < 0xA0 ? HighControls[b - 0x80] : char32_t(b));
    }
    return out;
}

std::string utf8ToAnsi(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        const size_t start = at;
        const std::optional<char32_t> c = nextCodePoint(utf8, at);
        if (!c) throw EAnsiTextError("the text is not valid UTF-8");
        const std::optional<char> b = ansiByte(*c);
        if (!b) {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(*c));
            throw EAnsiTextError("the character \"" + std::string(utf8.substr(start, at - start)) +
                                 "\" (" + code + ") is not in the Windows-1252 code page");
        }
        out += *b;
    }
    return out;
}

std::string utf8ToAnsiLossy(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        const std::optional<char32_t> c = nextCodePoint(utf8, at);
        const std::optional<char> b = c ? ansiByte(*c) : std::nullopt;
        out += b ? *b : '?';
    }
    return out;
}

std::string validUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const size_t start = at;
        if (nextCodePoint(text, at))
            out.append(text.substr(start, at - start));
        else
            out += ansiToUtf8(text.substr(start, 1));
    }
    return out;
}
