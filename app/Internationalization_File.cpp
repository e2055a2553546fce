// The language files' line rules and the three-letter language codes.
#include "app/Internationalization_File.h"

#include <algorithm>
#include <iterator>

namespace {

bool isBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

struct TLanguageCode {
    const char* language;  // ISO 639-1
    const char* territory; // ISO 3166; empty for the language's main code
    const char* code;
};

// The Windows abbreviated language names: the main code of each language first, then the
// territories that have a name of their own.
constexpr TLanguageCode LanguageCodes[] = {
    {"af", "", "AFK"},   {"ar", "", "ARA"},   {"be", "", "BEL"},   {"bg", "", "BGR"},
    {"ca", "", "CAT"},   {"cs", "", "CSY"},   {"da", "", "DAN"},   {"de", "", "DEU"},
    {"de", "AT", "DEA"}, {"de", "CH", "DES"}, {"de", "LI", "DEC"}, {"de", "LU", "DEL"},
    {"el", "", "ELL"},   {"en", "", "ENU"},   {"en", "AU", "ENA"}, {"en", "BZ", "ENL"},
    {"en", "CA", "ENC"}, {"en", "GB", "ENG"}, {"en", "IE", "ENI"}, {"en", "IN", "ENN"},
    {"en", "JM", "ENJ"}, {"en", "NZ", "ENZ"}, {"en", "PH", "ENP"}, {"en", "TT", "ENT"},
    {"en", "ZA", "ENS"}, {"en", "ZW", "ENW"}, {"es", "", "ESP"},   {"es", "AR", "ESS"},
    {"es", "BO", "ESB"}, {"es", "CL", "ESL"}, {"es", "CO", "ESO"}, {"es", "CR", "ESC"},
    {"es", "DO", "ESD"}, {"es", "EC", "ESF"}, {"es", "GT", "ESG"}, {"es", "HN", "ESH"},
    {"es", "MX", "ESM"}, {"es", "NI", "ESI"}, {"es", "PA", "ESA"}, {"es", "PE", "ESR"},
    {"es", "PR", "ESU"}, {"es", "PY", "ESZ"}, {"es", "SV", "ESE"}, {"es", "US", "EST"},
    {"es", "UY", "ESY"}, {"es", "VE", "ESV"}, {"et", "", "ETI"},   {"eu", "", "EUQ"},
    {"fa", "", "FAR"},   {"fi", "", "FIN"},   {"fo", "", "FOS"},   {"fr", "", "FRA"},
    {"fr", "BE", "FRB"}, {"fr", "CA", "FRC"}, {"fr", "CH", "FRS"}, {"fr", "LU", "FRL"},
    {"fr", "MC", "FRM"}, {"gl", "", "GLC"},   {"he", "", "HEB"},   {"hi", "", "HIN"},
    {"hr", "", "HRV"},   {"hu", "", "HUN"},   {"hy", "", "HYE"},   {"id", "", "IND"},
    {"is", "", "ISL"},   {"it", "", "ITA"},   {"it", "CH", "ITS"}, {"ja", "", "JPN"},
    {"ka", "", "KAT"},   {"kk", "", "KKZ"},   {"ko", "", "KOR"},   {"lt", "", "LTH"},
    {"lv", "", "LVI"},   {"mk", "", "MKI"},   {"ms", "", "MSL"},   {"nb", "", "NOR"},
    {"nl", "", "NLD"},   {"nl", "BE", "NLB"}, {"nn", "", "NON"},   {"no", "", "NOR"},
    {"pl", "", "PLK"},   {"pt", "", "PTG"},   {"pt", "BR", "PTB"}, {"ro", "", "ROM"},
    {"ru", "", "RUS"},   {"sk", "", "SKY"},   {"sl", "", "SLV"},   {"sq", "", "SQI"},
    {"sv", "", "SVE"},   {"sv", "FI", "SVF"}, {"sw", "", "SWK"},   {"th", "", "THA"},
    {"tr", "", "TRK"},   {"uk", "", "UKR"},   {"ur", "", "URD"},   {"vi", "", "VIT"},
    {"zh", "", "CHS"},   {"zh", "HK", "ZHH"}, {"zh", "MO", "ZHM"}, {"zh", "SG", "ZHI"},
    {"zh", "TW", "CHT"},
};

} // namespace

std::string_view TrimText(std::string_view text) {
    while (!text.empty() && isBlankOrControl(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlankOrControl(text.back()))
        text.remove_suffix(1);
    return text;
}

TTranslationTable TTranslationTable::Parse(std::string_view text) {
    TTranslationTable table;
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        std::string_view line = text.substr(0, end);
        if (end == std::string_view::npos) {
            text = {};
        } else {
            const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
            text.remove_prefix(end + (crlf ? 2 : 1));
        }
        const std::size_t sign = line.find('=');
        if (sign == std::string_view::npos) continue;
        const std::string_view key = TrimText(line.substr(0, sign));
        const std::string_view value = TrimText(line.substr(sign + 1, MaxTranslationLength));
        table.entries.emplace(std::string(key), std::string(value)); // the first line wins
    }
    return table;
}

std::string TTranslationTable::lookupText(const std::string& key) const {
    const auto found = entries.find(key);
    return found == entries.end() ? std::string() : found->second;
}

std::string WindowsLanguageCode(std::string_view language, std::string_view territory) {
    for (const TLanguageCode& c : LanguageCodes)
        if (language == c.language && !territory.empty() && territory == c.territory) return c.code;
    return PrimaryLanguageCode(language);
}

std::string PrimaryLanguageCode(std::string_view language) {
    const auto found = std::find_if(
        std::begin(LanguageCodes), std::end(LanguageCodes),
        [&](const TLanguageCode& c) { return language == c.language && *c.territory == '\0'; });
    return found == std::end(LanguageCodes) ? std::string() : std::string(found->code);
}
