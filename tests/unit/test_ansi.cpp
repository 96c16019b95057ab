#include "support/Ansi.h"
#include "support/Erreur.h"
#include "support/TexteSource.h"

#include <gtest/gtest.h>

using namespace monvalor;

TEST(Ansi, EveryByteRoundTripsThroughUtf8) {
    std::string tous;
    for (int o = 0; o < 256; ++o) {
        tous.push_back(static_cast<char>(o));
    }
    EXPECT_EQ(Utf8VersAnsi(AnsiVersUtf8(tous)).value_or("<none>"), tous);
    // Euro, e acute, oe ligature, no-break space.
    EXPECT_EQ(AnsiVersUtf8("\x80\xE9\x9C\xA0"), "\xE2\x82\xAC\xC3\xA9\xC5\x93\xC2\xA0");
}

TEST(Ansi, RejectsWhatWindows1252CannotHold) {
    for (const char* utf8 :
         {"\xE2\x88\x9E" /* infinity */, "\xF0\x9F\x98\x80" /* emoji */, "\xC3" /* truncated */,
          "\xC0\xAF" /* overlong */, "\xED\xA0\x80" /* surrogate */, "\xFF"}) {
        EXPECT_FALSE(Utf8VersAnsi(utf8).has_value()) << utf8;
    }
}

// The wide texts of the Win32 face: exact from Windows-1252; back, a surrogate pair is one
// character, the blanks of number formatting are the no-break space, and the exact form
// refuses what has no byte.
TEST(Ansi, WideTextsBothWays) {
    std::string tous;
    for (int c = 1; c < 256; ++c) {
        tous.push_back(static_cast<char>(c));
    }
    EXPECT_EQ(AnsiExactDepuisLarge(LargeDepuisAnsi(tous)), tous);
    EXPECT_EQ(AnsiDepuisLarge(LargeDepuisAnsi(tous)), tous);
    EXPECT_EQ(LargeDepuisAnsi(u8"€é"_ansi), L"\u20AC\u00E9");
    const std::wstring paire = {wchar_t(0xD83D), wchar_t(0xDE00), L'x'};
    const std::wstring seule = {wchar_t(0xDE00), L'x', wchar_t(0xD83D)};
    const std::pair<std::wstring, std::string> approches[] = {
        {L"1\u202F234,56\u00A0\u20AC", "1\xA0"
                                       "234,56\xA0\x80"},
        {L"\u22125\u2009\u2007", "-5\xA0\xA0"},
        {L"C:\\\u4E2D", "C:\\?"},
        {paire, "?x"},
        {seule, "?x?"},
    };
    for (const auto& [large, ansi] : approches) {
        EXPECT_EQ(AnsiDepuisLarge(large), ansi);
        EXPECT_EQ(AnsiExactDepuisLarge(large), std::nullopt);
    }
}

TEST(Ansi, DecodesFilesSavedEitherWay) {
    const std::string bom = "\xEF\xBB\xBF";
    bool utf8 = false, avaitBom = true;
    // UTF-8 without a BOM is recognised by any character beyond ASCII, not only the last.
    EXPECT_EQ(DecoderFichierTexte("caf\xC3\xA9s", &utf8, &avaitBom), "caf\xE9s");
    EXPECT_TRUE(utf8 && !avaitBom);
    EXPECT_EQ(DecoderFichierTexte(bom + "abc", &utf8, &avaitBom), "abc");
    EXPECT_TRUE(utf8 && avaitBom);
    // After a BOM, only what Windows-1252 lacks, or what is not UTF-8, becomes '?'.
    EXPECT_EQ(DecoderFichierTexte(bom + reinterpret_cast<const char*>(u8"é∞") + "\xFF" + "a"),
              u8"é??a"_ansi);
    // Plain ASCII reads the same either way and is kept as Windows-1252.
    EXPECT_EQ(DecoderFichierTexte("[a]\r\nb=c", &utf8), "[a]\r\nb=c");
    EXPECT_FALSE(utf8);
    EXPECT_EQ(DecoderFichierTexte("caf\xE9", &utf8), "caf\xE9");
}

TEST(Erreur, CarriesNumberAndFrenchDescription) {
    EXPECT_EQ(Erreur(ErrDivision).Numero(), 11);
    EXPECT_EQ(Erreur(ErrDivision).Description(), "Division par z\xE9ro");
    EXPECT_EQ(Erreur(ErrIndice).Description(), "L'indice n'appartient pas \xE0 la s\xE9lection");
}
