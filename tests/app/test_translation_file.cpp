// The language files' line rules and the language codes, without Qt.
#include "app/Internationalization_File.h"

#include <gtest/gtest.h>

TEST(TranslationFile, LineRules) {
    const std::string longValue(300, 'x');
    const std::string text = "Open = Apri\r\n"
                             "a line without the sign\n"
                             "Save=Salva\n"
                             "Save=Second\n" // the first line of a key wins
                             "  Exit  =  \n" // an empty value counts as missing
                             "Exit=Esci\n"   // ... and still hides the later line
                             "A=B=C\n"       // the key ends at the first sign
                             "Long= " +
                             longValue +
                             "\n"
                             "\tTab\t=\tScheda\t\r"
                             "Last=Ultimo"; // no line end at all
    const TTranslationTable table = TTranslationTable::Parse(text);
    struct Case {
        const char* key;
        std::string value;
    };
    const Case cases[] = {
        {"Open", "Apri"},
        {"Save", "Salva"},
        {"Exit", ""},
        {"A", "B=C"},
        {"A=B", ""},
        {"Tab", "Scheda"},
        {"Last", "Ultimo"},
        {"a line without the sign", ""},
        {"Open ", ""},
        {"Long", std::string(254, 'x')}, // 255 bytes after the sign, the blank trimmed
    };
    for (const Case& c : cases)
        EXPECT_EQ(table.lookupText(c.key), c.value) << c.key;
    EXPECT_EQ(table.Entries().size(), 7u);
    EXPECT_TRUE(TTranslationTable::Parse(std::string("\0=\0\n=x\n\n", 9)).lookupText("").empty());
}

TEST(TranslationFile, WindowsLanguageCodes) {
    struct Case {
        const char *language, *territory, *code;
    };
    const Case cases[] = {
        {"it", "IT", "ITA"}, {"it", "CH", "ITS"}, {"de", "DE", "DEU"}, {"de", "AT", "DEA"},
        {"de", "", "DEU"},   {"en", "US", "ENU"}, {"en", "GB", "ENG"}, {"fr", "FR", "FRA"},
        {"fr", "CA", "FRC"}, {"es", "ES", "ESP"}, {"es", "MX", "ESM"}, {"pt", "BR", "PTB"},
        {"nb", "NO", "NOR"}, {"zh", "TW", "CHT"}, {"xx", "XX", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WindowsLanguageCode(c.language, c.territory), c.code)
            << c.language << "_" << c.territory;
    EXPECT_EQ(PrimaryLanguageCode("de"), "DEU");
}
