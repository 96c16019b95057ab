#include "platform/Services.h"
#include "support/Erreur.h"
#include "support/INI.h"
#include "support/TexteSource.h"
#include "toolkit/qt/ReglagesQt.h"

#include <QFile>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace monvalor;

namespace {

class ReglagesQtTest : public ::testing::Test {
protected:
    void TearDown() override { ReinitialiserServices(); }

    QTemporaryDir dossier;
    QString fichier = dossier.filePath(QStringLiteral("reglages.ini"));
    ReglagesQt reglages{fichier};
};

} // namespace

TEST_F(ReglagesQtTest, ValeursRelues) {
    ASSERT_TRUE(dossier.isValid());
    EXPECT_EQ(reglages.Lire("Monvalor", "Options", "Taux"), std::nullopt);
    const std::string_view valeurs[] = {"",
                                        "19,6",
                                        "a,b,c",
                                        u8"\"cité\""_ansi,
                                        "@Variant(x)",
                                        "@",
                                        "  espaces  ",
                                        u8"Français € ÿ œ"_ansi,
                                        "a/b\\c%2F",
                                        "ligne1\r\nligne2",
                                        "=;#[]",
                                        "true"};
    int n = 0;
    for (std::string_view v : valeurs) {
        const std::string cle = "k" + std::to_string(n++);
        reglages.Ecrire("Monvalor", "Options", cle, std::string(v));
        EXPECT_EQ(reglages.Lire("Monvalor", "Options", cle), v) << v;
    }
    // And from the file, by another instance.
    ReglagesQt relu(fichier);
    n = 0;
    for (std::string_view v : valeurs) {
        EXPECT_EQ(relu.Lire("Monvalor", "Options", "k" + std::to_string(n++)), v) << v;
    }
}

TEST_F(ReglagesQtTest, TroisNiveauxDistincts) {
    struct Adresse {
        std::string application, section, cle;
    };
    const Adresse adresses[] = {
        {"A", "s", "k"},
        {"B", "s", "k"},
        {"A", "t", "k"},
        {"A", "s", "j"},
        {"A/s", "k", "x"},
        {"A", "s/k", "x"},
        {"A", "s", "k/x"},
        {"A\\s", "k", "x"},
        {"A%2Fs", "k", "x"},
        {"", "s", "k"},
        {"A", "", "k"},
        {"A", "s", ""},
        {std::string(u8"Été"_ansi), std::string(u8"à"_ansi), std::string(u8"ÿ"_ansi)},
    };
    int n = 0;
    for (const Adresse& a : adresses) {
        reglages.Ecrire(a.application, a.section, a.cle, std::to_string(n++));
    }
    ReglagesQt relu(fichier);
    n = 0;
    for (const Adresse& a : adresses) {
        EXPECT_EQ(relu.Lire(a.application, a.section, a.cle), std::to_string(n++))
            << a.application << " / " << a.section << " / " << a.cle;
    }

    reglages.Supprimer("A", "s", "k");
    EXPECT_EQ(reglages.Lire("A", "s", "k"), std::nullopt);
    EXPECT_EQ(reglages.Lire("A", "s", "j"), "3");
    EXPECT_EQ(reglages.Lire("A", "s", "k/x"), "6");
    reglages.Supprimer("A", "s", "absente");
}

TEST_F(ReglagesQtTest, ListeSaisieALaMainLueCommeUnTexte) {
    {
        QSettings direct(fichier, QSettings::IniFormat);
        direct.setValue(QStringLiteral("App/Sec/Cle"),
                        QStringList{QStringLiteral("a"), QStringLiteral("b")});
    }
    ReglagesQt relu(fichier);
    EXPECT_EQ(relu.Lire("App", "Sec", "Cle"), "a,b");
}

TEST_F(ReglagesQtTest, EcritureImpossibleSignalee) {
    // A store whose file lies under a regular file cannot be written.
    {
        QFile obstacle(dossier.filePath(QStringLiteral("fichier")));
        ASSERT_TRUE(obstacle.open(QIODevice::WriteOnly));
    }
    ReglagesQt bloque(dossier.filePath(QStringLiteral("fichier/reglages.ini")));
    try {
        bloque.Ecrire("A", "s", "k", "v");
        ADD_FAILURE() << "pas d'erreur";
    } catch (const Erreur& e) {
        EXPECT_EQ(e.Numero(), ErrAccesChemin);
    }
}

TEST_F(ReglagesQtTest, ClasseIniEnModeMagasin) {
    auto magasin = std::make_shared<ReglagesQt>(fichier);
    Plateforme().reglages = magasin;
    INI ini;
    ini.Mode(INI::ModeReglages);
    ini.Path("Monvalor");
    ini.Value("Options", "Taux", "", std::string("19,6"));
    ini.Add("Options", "Liste", "a", "|");
    ini.Add("Options", "Liste", "b", "|");
    EXPECT_EQ(magasin->Lire("Monvalor", "Options", "Taux"), "19,6");
    EXPECT_EQ(ini.Value("Options", "Liste", ""), "a|b");

    INI masque;
    masque.Mode(INI::ModeReglages);
    masque.Hashed(true);
    masque.Path("Monvalor");
    masque.Value("Options", "Secret", "", std::string("mot de passe"));
    EXPECT_EQ(magasin->Lire("Monvalor", "Options", "Secret"), std::nullopt);
    EXPECT_EQ(masque.Value("Options", "Secret", "d"), "mot de passe");
    EXPECT_EQ(ReglagesQt(fichier).Lire("Monvalor", "Options", "Taux"), "19,6");
}
