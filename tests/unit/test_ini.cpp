#include "DossierTemporaire.h"
#include "ErreurLevee.h"

#include "services/Services.h"
#include "support/Erreur.h"
#include "support/INI.h"
#include "support/ProfilIni.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace monvalor;
using namespace monvalor::test;
namespace fs = std::filesystem;

namespace {

class IniTest : public ::testing::Test {
protected:
    void SetUp() override { ini.Path(fichier); }
    void TearDown() override { ReinitialiserServices(); }
    std::optional<std::string> Stocke(const char* cle) const {
        return LireProfilTexte(LireFichier(fichier), "s", cle);
    }

    DossierTemporaire dossier;
    std::string fichier = dossier.Fichier("reglages.ini");
    INI ini;
};

} // namespace

TEST_F(IniTest, EcritEtRelitEnClair) {
    ini.Value("s", "k", "", std::string("a=b \xE9"));
    ini.Value("s", "vide", "", std::string());
    EXPECT_EQ(LireFichier(fichier), "[s]\r\nk=a=b \xE9\r\nvide=\r\n");
    EXPECT_EQ(ini.Value("s", "k", "d"), "a=b \xE9");
    // An empty value and an absent key both give the default.
    EXPECT_EQ(ini.Value("s", "vide", "d"), "d");
    EXPECT_EQ(ini.Value("s", "absente", "d"), "d");
    // No text at all deletes the key.
    ini.Value("s", "k", "", std::nullopt);
    EXPECT_EQ(LireFichier(fichier), "[s]\r\nvide=\r\n");
    // Reads are cut to 999 characters.
    const std::string longue(1200, 'a');
    ini.Value("s", "k", "", longue);
    EXPECT_EQ(ini.Value("s", "k", ""), longue.substr(0, 999));
    // An unknown mode stores nothing.
    ini.Mode(2);
    ini.Value("s", "k2", "", std::string("v"));
    ini.Add("s", "k2", "v", "|");
    EXPECT_EQ(ini.Value("s", "k2", "d"), "d");
    EXPECT_EQ(Stocke("k2"), std::nullopt);
}

TEST_F(IniTest, ValeursMasquees) {
    ini.Hashed(true);
    // Keys and values of every Base64 padding, '=' and '@' among them.
    const std::string valeurs[] = {"a", "ab", "abc", "x=y@z", "\x01\xFF\x80\n"};
    for (const std::string& v : valeurs) {
        ini.Value("s", "cl\xE9 " + v.substr(0, 3), "", v);
    }
    for (const std::string& v : valeurs) {
        EXPECT_EQ(ini.Value("s", "cl\xE9 " + v.substr(0, 3), "d"), v);
    }
    // A text too long to scramble is not written at all, rather than written plain.
    const std::string avant = LireFichier(fichier);
    ini.Value("s", "cl\xE9 a", "", std::string(40000, 'x'));
    EXPECT_EQ(LireFichier(fichier), avant);
    // The plain reader sees none of it.
    INI enClair;
    enClair.Path(fichier);
    EXPECT_EQ(enClair.Value("s", "cl\xE9 abc", "d"), "d");
    // A default is the caller's own text: it is never unscrambled.
    EXPECT_EQ(ini.Value("s", "absente", "QUJD"), "QUJD");
}

TEST_F(IniTest, AddAjouteSansDoublonRemoveEnleveChaqueOccurrence) {
    const char* const absente = "<absente>";
    // Add or remove, the list before, the item, the separator, the list after.
    const std::tuple<bool, const char*, const char*, const char*, const char*> cas[] = {
        {true, "a|b", "b", "|", "a|b"},    {true, "a|b", "A", "|", "a|b|A"},
        {true, absente, "a", "|", "a"},    {true, "ab", "c", "", "abc"},
        {true, "a\tb", "b", "", "a\tb"},   {true, "un, deux", "trois", ", ", "un, deux, trois"},
        {true, "a||c", "", "|", "a||c"},   {false, "a|b|c|b", "b", "|", "a|c"},
        {false, "a|a", "a", "|", absente}, {false, absente, "a", "|", absente},
        {false, "|x|b", "b", "|", "x"},    {false, "a||b", "b", "|", "a|"},
        {false, "a\tb\tc", "b", "", "ac"}, {false, "un, deux, trois", "deux", ", ", "un, trois"}};
    for (const auto& [ajout, avant, valeur, separateur, apres] : cas) {
        EcrireFichier(fichier, avant == absente ? "" : "[s]\r\nliste=" + std::string(avant));
        ajout ? ini.Add("s", "liste", valeur, separateur)
              : ini.Remove("s", "liste", valeur, separateur);
        EXPECT_EQ(Stocke("liste").value_or(absente), apres)
            << avant << (ajout ? " + " : " - ") << valeur;
    }
}

TEST_F(IniTest, MagasinDeReglagesEtListesDePlusDe32767Elements) {
    ini.Mode(INI::ModeReglages);
    ini.Path("Appli");
    auto& magasin = *Plateforme().reglages;
    ini.Value("s", "Taux", "", std::string("19,6"));
    EXPECT_EQ(magasin.Lire("Appli", "s", "Taux"), "19,6");
    EXPECT_EQ(ini.Value("s", "Taux", "d"), "19,6");
    ini.Value("s", "Vide", "", std::string());
    EXPECT_EQ(ini.Value("s", "Vide", "d"), "d");
    // 32767 items are still counted; one more overflows and changes nothing.
    std::string liste = "x";
    for (int i = 1; i < 32767; ++i) {
        liste += "|x";
    }
    magasin.Ecrire("Appli", "s", "l", liste);
    ini.Add("s", "l", "y", "|");
    EXPECT_EQ(magasin.Lire("Appli", "s", "l"), liste + "|y");
    EXPECT_EQ(ErreurLevee([&] { ini.Add("s", "l", "z", "|"); }), ErrDepassement);
    EXPECT_EQ(ErreurLevee([&] { ini.Remove("s", "l", "x", "|"); }), ErrDepassement);
    EXPECT_EQ(magasin.Lire("Appli", "s", "l"), liste + "|y");

    // Scrambled: the store holds neither the key nor the value in clear.
    ini.Hashed(true);
    ini.Value("s", "Secret", "", std::string("motdepasse"));
    EXPECT_EQ(magasin.Lire("Appli", "s", "Secret"), std::nullopt);
    EXPECT_EQ(ini.Value("s", "Secret", "d"), "motdepasse");
}
