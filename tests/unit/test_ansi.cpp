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
    const auto retour = Utf8VersAnsi(AnsiVersUtf8(tous));
    ASSERT_TRUE(retour.has_value());
    EXPECT_EQ(*retour, tous);
}

TEST(Ansi, KnownCharacters) {
    struct Cas {
        const char* ansi;
        const char* utf8;
    };
    for (const Cas& c : {Cas{"\x80", "\xE2\x82\xAC"}, Cas{"\xE9", "\xC3\xA9"},
                         Cas{"\x9C", "\xC5\x93"}, Cas{"\xA0", "\xC2\xA0"}, Cas{"abc", "abc"}}) {
        EXPECT_EQ(AnsiVersUtf8(c.ansi), c.utf8);
        EXPECT_EQ(Utf8VersAnsi(c.utf8).value_or("<none>"), c.ansi);
    }
}

TEST(Ansi, RejectsWhatWindows1252CannotHold) {
    for (const char* utf8 :
         {"\xE2\x88\x9E" /* infinity */, "\xF0\x9F\x98\x80" /* emoji */, "\xC3" /* truncated */,
          "\xC0\xAF" /* overlong */, "\xED\xA0\x80" /* surrogate */, "\xFF"}) {
        EXPECT_FALSE(Utf8VersAnsi(utf8).has_value()) << utf8;
    }
}

TEST(Ansi, DecodesFilesSavedEitherWay) {
    bool utf8 = false, bom = false;
    EXPECT_EQ(DecoderFichierTexte("caf\xC3\xA9", &utf8, &bom), "caf\xE9");
    EXPECT_TRUE(utf8);
    EXPECT_FALSE(bom);
    EXPECT_EQ(DecoderFichierTexte("\xEF\xBB\xBF"
                                  "abc",
                                  &utf8, &bom),
              "abc");
    EXPECT_TRUE(utf8);
    EXPECT_TRUE(bom);
    // After a BOM, only what Windows-1252 lacks, or what is not UTF-8, becomes '?'.
    EXPECT_EQ(DecoderFichierTexte("\xEF\xBB\xBF" +
                                  std::string(reinterpret_cast<const char*>(u8"é∞")) + "\xFF" +
                                  "a"),
              u8"é??a"_ansi);
    EXPECT_EQ(DecoderFichierTexte("caf\xE9", &utf8, &bom), "caf\xE9");
    EXPECT_FALSE(utf8);
    // Plain ASCII reads the same either way and is kept as Windows-1252.
    EXPECT_EQ(DecoderFichierTexte("[a]\r\nb=c", &utf8), "[a]\r\nb=c");
    EXPECT_FALSE(utf8);
}

TEST(Erreur, CarriesNumberAndFrenchDescription) {
    try {
        Lever(ErrDivision);
        FAIL();
    } catch (const Erreur& e) {
        EXPECT_EQ(e.Numero(), 11);
        EXPECT_EQ(e.Description(), "Division par z\xE9ro");
    }
    EXPECT_EQ(Erreur(ErrIndice).Description(), "L'indice n'appartient pas \xE0 la s\xE9lection");
}
