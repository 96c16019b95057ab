#include "DossierTemporaire.h"

#include "platform/Services.h"
#include "support/Erreur.h"
#include "support/INI.h"
#include "support/ProfilIni.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace monvalor;
using monvalor::test::DossierTemporaire;
using monvalor::test::EcrireFichier;
using monvalor::test::LireFichier;
namespace fs = std::filesystem;

namespace {

class IniTest : public ::testing::Test {
protected:
    void SetUp() override { ini.Path(fichier); }
    void TearDown() override { ReinitialiserServices(); }

    // The key lines of the file, section headers left out.
    std::vector<std::string> LignesDeCles() const {
        std::vector<std::string> lignes;
        const std::string contenu = LireFichier(fichier);
        std::size_t debut = 0;
        while (debut < contenu.size()) {
            auto fin = contenu.find("\r\n", debut);
            const std::string ligne = contenu.substr(debut, fin - debut);
            if (!ligne.empty() && ligne.front() != '[') {
                lignes.push_back(ligne);
            }
            debut = fin == std::string::npos ? contenu.size() : fin + 2;
        }
        return lignes;
    }

    DossierTemporaire dossier;
    std::string fichier = dossier.Fichier("reglages.ini");
    INI ini;
};

} // namespace

TEST_F(IniTest, ValeursParDefautALaCreation) {
    const INI neuf;
    EXPECT_FALSE(neuf.Hashed());
    EXPECT_EQ(neuf.Mode(), 3);
    EXPECT_EQ(neuf.Path(), "");
    EXPECT_EQ(neuf.Value("s", "k", "d"), "d");
}

TEST_F(IniTest, EcritEtRelitEnClair) {
    ini.Value("s", "k", "", std::string("abc"));
    EXPECT_EQ(ini.Value("s", "k", "d"), "abc");
    EXPECT_EQ(LireFichier(fichier), "[s]\r\nk=abc\r\n");

    // An empty value and an absent key both give the default.
    ini.Value("s", "vide", "", std::string());
    EXPECT_EQ(ini.Value("s", "vide", "d"), "d");
    EXPECT_EQ(ini.Value("s", "absente", "d"), "d");
    EXPECT_EQ(LireFichier(fichier), "[s]\r\nk=abc\r\nvide=\r\n");

    // No text at all deletes the key.
    ini.Value("s", "k", "ignor\xE9", std::nullopt);
    EXPECT_EQ(LireFichier(fichier), "[s]\r\nvide=\r\n");
}

TEST_F(IniTest, ValeurLueCoupeeA999Caracteres) {
    const std::string longue = std::string(600, 'a') + std::string(600, 'b');
    ini.Value("s", "k", "", longue);
    EXPECT_EQ(LireProfilTexte(LireFichier(fichier), "s", "k"), longue);
    EXPECT_EQ(ini.Value("s", "k", ""), longue.substr(0, 999));
}

TEST_F(IniTest, CheminVideOuFichierAbsent) {
    INI sansChemin;
    sansChemin.Value("s", "k", "", std::string("v"));
    EXPECT_EQ(sansChemin.Value("s", "k", "d"), "d");
    EXPECT_EQ(ini.Value("s", "k", "d"), "d");
    EXPECT_FALSE(fs::exists(fichier));
}

TEST_F(IniTest, ValeursMasquees) {
    ini.Hashed(true);
    ini.Path(fichier);
    std::string tousLesOctets;
    for (int o = 1; o < 256; ++o) {
        tousLesOctets.push_back(static_cast<char>(o));
    }
    const std::string valeurs[] = {"a",
                                   "ab",
                                   "abc",
                                   "Fran\xE7"
                                   "ais",
                                   "x=y@z",
                                   tousLesOctets};
    for (const std::string& v : valeurs) {
        ini.Value("Section", "cl\xE9 " + v.substr(0, 3), "", v);
    }
    for (const std::string& v : valeurs) {
        EXPECT_EQ(ini.Value("Section", "cl\xE9 " + v.substr(0, 3), "d"), v);
    }
    // Neither key nor value can be read in the file, and neither holds "=".
    const auto lignes = LignesDeCles();
    ASSERT_EQ(lignes.size(), std::size(valeurs));
    for (const std::string& ligne : lignes) {
        EXPECT_EQ(std::count(ligne.begin(), ligne.end(), '='), 1) << ligne;
        EXPECT_EQ(ligne.find("cl\xE9"), std::string::npos) << ligne;
        EXPECT_EQ(ligne.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                          "0123456789+/@="),
                  std::string::npos)
            << ligne;
    }
    // The plain reader sees none of it.
    INI enClair;
    enClair.Path(fichier);
    EXPECT_EQ(enClair.Value("Section", "cl\xE9 abc", "d"), "d");
}

TEST_F(IniTest, MasqueGardeUneCleVideQuandOnSupprime) {
    ini.Hashed(true);
    ini.Value("s", "k", "", std::string("v"));
    ini.Value("s", "k", "", std::nullopt);
    const auto lignes = LignesDeCles();
    ASSERT_EQ(lignes.size(), 1u);
    EXPECT_EQ(lignes[0].back(), '=');
    EXPECT_EQ(ini.Value("s", "k", "d"), "d");
}

TEST_F(IniTest, ValeurMasqueeIllisibleRendueTelleQuelle) {
    ini.Hashed(true);
    ini.Value("s", "k", "", std::string("valeur"));
    // Replace the scrambled value by one that is not Base64 at all.
    std::string contenu = LireFichier(fichier);
    contenu.replace(contenu.find('=') + 1,
                    contenu.find("\r\n", contenu.find('=')) - contenu.find('=') - 1, "***");
    EcrireFichier(fichier, contenu);
    // Three characters are no whole Base64 group: unscrambling fails, the text stays as read.
    EXPECT_EQ(ini.Value("s", "k", "d"), "***");
}

TEST_F(IniTest, TexteImpossibleAMasquerNestPasEcritEnClair) {
    ini.Hashed(true);
    ini.Value("s", "k", "", std::string("avant"));
    const std::string avant = LireFichier(fichier);
    ini.Value("s", "k", "", std::string(40000, 'x'));
    EXPECT_EQ(LireFichier(fichier), avant);
    EXPECT_EQ(ini.Value("s", "k", "d"), "avant");
}

TEST_F(IniTest, AddAjouteSansDoublon) {
    struct Cas {
        std::optional<std::string> avant;
        const char* valeur;
        const char* separateur;
        std::string apres;
    };
    const Cas cas[] = {
        {"a|b", "b", "|", "a|b"},
        {"a|b", "c", "|", "a|b|c"},
        {"a|b", "A", "|", "a|b|A"},
        {std::nullopt, "a", "|", "a"},
        {"", "a", "|", "a"},
        {"ab", "c", "", "abc"},
        {"a\tb", "b", "", "a\tb"},
        {"un, deux", "deux", ", ", "un, deux"},
        {"un, deux", "trois", ", ", "un, deux, trois"},
        {"a||c", "", "|", "a||c"},
    };
    for (const Cas& c : cas) {
        fs::remove(fichier);
        if (c.avant) {
            ini.Value("s", "liste", "", *c.avant);
        }
        ini.Add("s", "liste", c.valeur, c.separateur);
        EXPECT_EQ(LireProfilTexte(LireFichier(fichier), "s", "liste").value_or("<absente>"),
                  c.apres)
            << c.avant.value_or("<absente>") << " + " << c.valeur;
    }
}

TEST_F(IniTest, RemoveEnleveChaqueOccurrence) {
    struct Cas {
        std::optional<std::string> avant;
        const char* valeur;
        const char* separateur;
        std::optional<std::string> apres;
    };
    const Cas cas[] = {
        {"a|b|c|b", "b", "|", "a|c"},
        {"a|b", "x", "|", "a|b"},
        {"a", "a", "|", std::nullopt},
        {"a|a", "a", "|", std::nullopt},
        {std::nullopt, "a", "|", std::nullopt},
        {"|x|b", "b", "|", "x"},
        {"a||b", "b", "|", "a|"},
        {"a||b", "a", "|", "b"},
        {"a\tb\tc", "b", "", "ac"},
        {"un, deux, trois", "deux", ", ", "un, trois"},
    };
    for (const Cas& c : cas) {
        fs::remove(fichier);
        if (c.avant) {
            ini.Value("s", "liste", "", *c.avant);
        }
        ini.Remove("s", "liste", c.valeur, c.separateur);
        EXPECT_EQ(LireProfilTexte(LireFichier(fichier), "s", "liste"), c.apres)
            << c.avant.value_or("<absente>") << " - " << c.valeur;
    }
}

TEST_F(IniTest, ListesMasquees) {
    ini.Hashed(true);
    ini.Add("s", "l", "a", "|");
    ini.Add("s", "l", "b", "|");
    ini.Add("s", "l", "a", "|");
    EXPECT_EQ(ini.Value("s", "l", ""), "a|b");
    ini.Remove("s", "l", "a", "|");
    ini.Remove("s", "l", "b", "|");
    // The last removal writes an empty scrambled text: the key stays, empty.
    EXPECT_EQ(LignesDeCles().size(), 1u);
    EXPECT_EQ(ini.Value("s", "l", "d"), "d");
}

TEST_F(IniTest, ListeDePlusDe32767ElementsDepasse) {
    ini.Mode(INI::ModeReglages);
    ini.Path("Appli");
    std::string liste = "x";
    for (int i = 1; i < 32768; ++i) {
        liste += "|x";
    }
    Plateforme().reglages->Ecrire("Appli", "s", "l", liste);
    for (bool ajout : {true, false}) {
        try {
            if (ajout) {
                ini.Add("s", "l", "y", "|");
            } else {
                ini.Remove("s", "l", "x", "|");
            }
            ADD_FAILURE() << "pas d'erreur";
        } catch (const Erreur& e) {
            EXPECT_EQ(e.Numero(), ErrDepassement);
        }
    }
    EXPECT_EQ(Plateforme().reglages->Lire("Appli", "s", "l"), liste);

    // One item fewer is still counted.
    liste.resize(liste.size() - 2);
    Plateforme().reglages->Ecrire("Appli", "s", "l", liste);
    ini.Add("s", "l", "y", "|");
    EXPECT_EQ(Plateforme().reglages->Lire("Appli", "s", "l"), liste + "|y");
}

TEST_F(IniTest, ModeSansStockage) {
    ini.Mode(2);
    ini.Value("s", "k", "", std::string("v"));
    ini.Add("s", "l", "v", "|");
    EXPECT_EQ(ini.Value("s", "k", "d"), "d");
    EXPECT_FALSE(fs::exists(fichier));
    EXPECT_EQ(Plateforme().reglages->Lire("", "s", "k"), std::nullopt);
}

TEST_F(IniTest, ModeMagasinDeReglages) {
    ini.Mode(INI::ModeReglages);
    ini.Path("Monvalor");
    ini.Value("Options", "Taux", "", std::string("19,6"));
    EXPECT_EQ(Plateforme().reglages->Lire("Monvalor", "Options", "Taux"), "19,6");
    EXPECT_EQ(ini.Value("Options", "Taux", "d"), "19,6");
    EXPECT_EQ(ini.Value("Options", "Absente", "d"), "d");
    ini.Value("Options", "Vide", "", std::string());
    EXPECT_EQ(ini.Value("Options", "Vide", "d"), "d");
    ini.Add("Options", "Liste", "a", ";");
    ini.Add("Options", "Liste", "b", ";");
    EXPECT_EQ(Plateforme().reglages->Lire("Monvalor", "Options", "Liste"), "a;b");
    ini.Remove("Options", "Liste", "a", ";");
    ini.Remove("Options", "Liste", "b", ";");
    EXPECT_EQ(ini.Value("Options", "Liste", "d"), "d");
    EXPECT_EQ(Plateforme().reglages->Lire("Monvalor", "Options", "Liste"), "");
    EXPECT_FALSE(fs::exists(fichier));

    // Scrambled: the store holds neither the key nor the value in clear, and reading
    // through the class gives the text back.
    INI masque;
    masque.Mode(INI::ModeReglages);
    masque.Hashed(true);
    masque.Path("Monvalor");
    masque.Value("Options", "Secret", "", std::string("motdepasse"));
    EXPECT_EQ(Plateforme().reglages->Lire("Monvalor", "Options", "Secret"), std::nullopt);
    EXPECT_EQ(masque.Value("Options", "Secret", "d"), "motdepasse");
}

TEST_F(IniTest, CheminMasqueNeTouchePasAuFichier) {
    INI masque;
    masque.Hashed(true);
    masque.Path(dossier.Fichier("absent.ini"));
    EXPECT_FALSE(fs::exists(dossier.Fichier("absent.ini")));

    EcrireFichier(fichier, "[s]\r\nk=v\r\n");
    const auto droits = fs::status(fichier).permissions();
    masque.Path(fichier);
    EXPECT_EQ(masque.Path(), fichier);
    EXPECT_EQ(LireFichier(fichier), "[s]\r\nk=v\r\n");
    EXPECT_EQ(fs::status(fichier).permissions(), droits);
}
