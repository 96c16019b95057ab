#include "DossierTemporaire.h"
#include "ErreurLevee.h"

#include "platform/Services.h"
#include "support/Erreur.h"
#include "support/INI.h"
#include "support/ProfilIni.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <tuple>

using namespace monvalor;
using monvalor::test::DossierTemporaire;
using monvalor::test::EcrireFichier;
using monvalor::test::ErreurLevee;
using monvalor::test::LireFichier;
namespace fs = std::filesystem;

namespace {

class IniTest : public ::testing::Test {
protected:
    void SetUp() override { ini.Path(fichier); }
    void TearDown() override { ReinitialiserServices(); }

    DossierTemporaire dossier;
    std::string fichier = dossier.Fichier("reglages.ini");
    INI ini;
};

} // namespace

TEST_F(IniTest, EcritEtRelitEnClair) {
    ini.Value("s", "k", "", std::string("abc"));
    EXPECT_EQ(ini.Value("s", "k", "d"), "abc");
    // An empty value and an absent key both give the default.
    ini.Value("s", "vide", "", std::string());
    EXPECT_EQ(ini.Value("s", "vide", "d"), "d");
    EXPECT_EQ(ini.Value("s", "absente", "d"), "d");
    EXPECT_EQ(LireFichier(fichier), "[s]\r\nk=abc\r\nvide=\r\n");
    // No text at all deletes the key.
    ini.Value("s", "k", "ignor\xE9", std::nullopt);
    EXPECT_EQ(LireFichier(fichier), "[s]\r\nvide=\r\n");
    // Reads are cut to 999 characters.
    const std::string longue = std::string(600, 'a') + std::string(600, 'b');
    ini.Value("s", "k", "", longue);
    EXPECT_EQ(LireProfilTexte(LireFichier(fichier), "s", "k"), longue);
    EXPECT_EQ(ini.Value("s", "k", ""), longue.substr(0, 999));
}

TEST_F(IniTest, SansCheminOuSansModeRienNestStocke) {
    INI neuf;
    EXPECT_FALSE(neuf.Hashed());
    EXPECT_EQ(neuf.Mode(), INI::ModeFichier);
    EXPECT_EQ(neuf.Path(), "");
    neuf.Value("s", "k", "", std::string("v"));
    EXPECT_EQ(neuf.Value("s", "k", "d"), "d");
    ini.Mode(2);
    ini.Value("s", "k", "", std::string("v"));
    ini.Add("s", "l", "v", "|");
    EXPECT_EQ(ini.Value("s", "k", "d"), "d");
    EXPECT_FALSE(fs::exists(fichier));
    EXPECT_EQ(Plateforme().reglages->Lire("", "s", "k"), std::nullopt);
}

TEST_F(IniTest, ValeursEtListesMasquees) {
    ini.Hashed(true);
    std::string tousLesOctets(255, '\0');
    std::iota(tousLesOctets.begin(), tousLesOctets.end(), '\x01');
    const std::string valeurs[] = {"a", "ab", "abc", "x=y@z", tousLesOctets};
    for (const std::string& v : valeurs) {
        ini.Value("Section", "cl\xE9 " + v.substr(0, 3), "", v);
    }
    for (const std::string& v : valeurs) {
        EXPECT_EQ(ini.Value("Section", "cl\xE9 " + v.substr(0, 3), "d"), v);
    }
    // A text too long to scramble is not written at all, rather than written plain.
    const std::string avant = LireFichier(fichier);
    ini.Value("Section", "cl\xE9 a", "", std::string(40000, 'x'));
    EXPECT_EQ(LireFichier(fichier), avant);
    // The plain reader sees none of it.
    INI enClair;
    enClair.Path(fichier);
    EXPECT_EQ(enClair.Value("Section", "cl\xE9 abc", "d"), "d");

    for (const char* item : {"a", "b", "a"}) {
        ini.Add("Section", "l", item, "|");
    }
    EXPECT_EQ(ini.Value("Section", "l", ""), "a|b");
    ini.Remove("Section", "l", "a", "|");
    ini.Remove("Section", "l", "b", "|");
    EXPECT_EQ(ini.Value("Section", "l", "d"), "d");
    // Keys and values hold Base64 characters only, "=" turned into "@"; deleting wrote an
    // empty scrambled text: the key stays, empty.
    const std::string contenu = LireFichier(fichier);
    EXPECT_EQ(std::count(contenu.begin(), contenu.end(), '='), std::size(valeurs) + 1);
    EXPECT_EQ(contenu.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                        "0123456789+/@=[]\r\n"),
              std::string::npos);
    EXPECT_EQ(contenu.find("=\r\n") + 3, contenu.size());
}

TEST_F(IniTest, ValeurMasqueeIllisibleRendueTelleQuelle) {
    ini.Hashed(true);
    ini.Value("s", "k", "", std::string("valeur"));
    // Three characters are no whole Base64 group: unscrambling fails, the text stays as read.
    std::string contenu = LireFichier(fichier);
    const std::size_t egal = contenu.find('=');
    contenu.replace(egal + 1, contenu.find("\r\n", egal) - egal - 1, "***");
    EcrireFichier(fichier, contenu);
    EXPECT_EQ(ini.Value("s", "k", "d"), "***");
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
        fs::remove(fichier);
        if (avant != absente) {
            ini.Value("s", "liste", "", std::string(avant));
        }
        if (ajout) {
            ini.Add("s", "liste", valeur, separateur);
        } else {
            ini.Remove("s", "liste", valeur, separateur);
        }
        EXPECT_EQ(LireProfilTexte(LireFichier(fichier), "s", "liste").value_or(absente), apres)
            << avant << (ajout ? " + " : " - ") << valeur;
    }
}

TEST_F(IniTest, ListeDePlusDe32767ElementsDepasse) {
    ini.Mode(INI::ModeReglages);
    ini.Path("Appli");
    std::string liste = "x";
    for (int i = 1; i < 32768; ++i) {
        liste += "|x";
    }
    Plateforme().reglages->Ecrire("Appli", "s", "l", liste);
    EXPECT_EQ(ErreurLevee([&] { ini.Add("s", "l", "y", "|"); }), ErrDepassement);
    EXPECT_EQ(ErreurLevee([&] { ini.Remove("s", "l", "x", "|"); }), ErrDepassement);
    EXPECT_EQ(Plateforme().reglages->Lire("Appli", "s", "l"), liste);

    // One item fewer is still counted.
    liste.resize(liste.size() - 2);
    Plateforme().reglages->Ecrire("Appli", "s", "l", liste);
    ini.Add("s", "l", "y", "|");
    EXPECT_EQ(Plateforme().reglages->Lire("Appli", "s", "l"), liste + "|y");
}

TEST_F(IniTest, ModeMagasinDeReglages) {
    ini.Mode(INI::ModeReglages);
    ini.Path("Monvalor");
    ini.Value("Options", "Taux", "", std::string("19,6"));
    EXPECT_EQ(Plateforme().reglages->Lire("Monvalor", "Options", "Taux"), "19,6");
    EXPECT_EQ(ini.Value("Options", "Taux", "d"), "19,6");
    ini.Value("Options", "Vide", "", std::string());
    EXPECT_EQ(ini.Value("Options", "Vide", "d"), "d");
    // Emptying a list leaves an empty value in the store.
    ini.Add("Options", "Liste", "a", ";");
    EXPECT_EQ(Plateforme().reglages->Lire("Monvalor", "Options", "Liste"), "a");
    ini.Remove("Options", "Liste", "a", ";");
    EXPECT_EQ(Plateforme().reglages->Lire("Monvalor", "Options", "Liste"), "");
    EXPECT_FALSE(fs::exists(fichier));

    // Scrambled: the store holds neither the key nor the value in clear, and reading
    // through the class gives the text back.
    ini.Hashed(true);
    ini.Value("Options", "Secret", "", std::string("motdepasse"));
    EXPECT_EQ(Plateforme().reglages->Lire("Monvalor", "Options", "Secret"), std::nullopt);
    EXPECT_EQ(ini.Value("Options", "Secret", "d"), "motdepasse");
}

TEST_F(IniTest, CheminMasqueNeTouchePasAuFichier) {
    EcrireFichier(fichier, "[s]\r\nk=v\r\n");
    const auto droits = fs::status(fichier).permissions();
    INI masque;
    masque.Hashed(true);
    masque.Path(dossier.Fichier("absent.ini"));
    EXPECT_FALSE(fs::exists(dossier.Fichier("absent.ini")));
    masque.Path(fichier);
    EXPECT_EQ(masque.Path(), fichier);
    EXPECT_EQ(LireFichier(fichier), "[s]\r\nk=v\r\n");
    EXPECT_EQ(fs::status(fichier).permissions(), droits);
}
