// Fuzz target: the translation file reader (line rules, trimming, value length, first match) and
// the Windows-1252 reading of files that are not UTF-8.
#include "app/Internationalization_File.h"
#include "model/UnAnsiText.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const TTranslationTable table = TTranslationTable::Parse(text);
    for (const auto& [key, value] : table.Entries()) {
        // Entries are single trimmed lines, keys end before the first sign, values are bounded.
        const bool sound =
            value.size() <= MaxTranslationLength && TrimText(key) == key &&
            TrimText(value) == value && key.find_first_of("\r\n=") == std::string::npos &&
            value.find_first_of("\r\n") == std::string::npos && table.lookupText(key) == value;
        // Text read as Windows-1252 goes back to the same bytes.
        if (!sound || utf8ToAnsi(ansiToUtf8(key)) != key) std::abort();
    }
    if (size >= 4) WindowsLanguageCode(text.substr(0, 2), text.substr(2, 2));
    return 0;
}
