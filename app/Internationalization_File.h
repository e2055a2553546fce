// The language files' line rules and the three-letter language codes, in plain C++ (no Qt), so
// the reader can be tested, fuzzed and run under sanitizers on its own.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

// Bytes of a line taken as its value, counted from just after the first "=", before trimming.
constexpr std::size_t MaxTranslationLength = 255;

// The text without the blanks and control characters (bytes 0..32) at either end.
std::string_view TrimText(std::string_view text);

// The entries of one language file: 8-bit text, one "key = value" entry per line.
class TTranslationTable {
  public:
    // Lines end at LF, CR LF or CR. A line without "=" is skipped. The key is the text before the
    // first "=", the value at most MaxTranslationLength bytes after it; both are trimmed. The
    // first line of a key wins, also when its value is empty.
    static TTranslationTable Parse(std::string_view text);

    // The value of key; empty when no line has that key or its first line has an empty value.
    std::string lookupText(const std::string& key) const;
    const std::unordered_map<std::string, std::string>& Entries() const { return entries; }

  private:
    std::unordered_map<std::string, std::string> entries;
};

// The code that the language files of an ISO 639-1 language and ISO 3166 territory ("it", "IT")
// are named with: the Windows abbreviated language name ("ITA", "DES" for Swiss German, "ENU").
// A territory without a name of its own gives the language's main code; a language outside the
// table gives an empty string.
std::string WindowsLanguageCode(std::string_view language, std::string_view territory);
// The language's main code ("DEU" for every German), empty for a language outside the table.
std::string PrimaryLanguageCode(std::string_view language);
