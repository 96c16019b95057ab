#include "ErreurLevee.h"

#include "services/Services.h"
#include "support/Erreur.h"
#include "support/TexteSource.h"
#include "toolkit/qt/ReglagesQt.h"

#include <QFile>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

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
    // Texts that QSettings could take for a type, a list, a group or a line end.
    const std::string_view valeurs[] = {
        "",     "19,6",  "a,b,c",     u8"\"cité\""_ansi, "@Variant(x)",          "  x  ",
        "true", "=;#[]", "a/b\\c%2F", "l1\r\nl2",        u8"Français € ÿ œ"_ansi};
    for (const std::string_view& v : valeurs) {
        reglages.Ecrire("Monvalor", "Options", "k" + std::to_string(&v - valeurs), std::string(v));
    }
    // Read back from the file by another store.
    ReglagesQt relu(fichier);
    for (const std::string_view& v : valeurs) {
        EXPECT_EQ(relu.Lire("Monvalor", "Options", "k" + std::to_string(&v - valeurs)), v);
    }
}

TEST_F(ReglagesQtTest, TroisNiveauxDistincts) {
    // No two of these addresses meet, whatever '/', '\', '%' or emptiness they hold.
    const std::string adresses[][3] = {{"A", "s", "k"},     {"B", "s", "k"},
                                       {"A", "t", "k"},     {"A", "s", "j"},
                                       {"A/s", "k", "x"},   {"A", "s/k", "x"},
                                       {"A", "s", "k/x"},   {"A\\s", "k", "x"},
                                       {"A%2Fs", "k", "x"}, {"", "s", "k"},
                                       {"s", "k", ""},      {"A", "", "k"},
                                       {"A", "s", ""},      {"\xC9t\xE9", "\xE0", "\xFF"}};
    // Each holds its own address, written with '|' between the levels.
    for (const auto& [application, section, cle] : adresses) {
        reglages.Ecrire(application, section, cle, application + "|" + section + "|" + cle);
    }
    ReglagesQt relu(fichier);
    for (const auto& [application, section, cle] : adresses) {
        EXPECT_EQ(relu.Lire(application, section, cle), application + "|" + section + "|" + cle);
    }
    reglages.Supprimer("A", "s", "k");
    reglages.Supprimer("A", "s", "absente");
    EXPECT_EQ(reglages.Lire("A", "s", "k"), std::nullopt);
    EXPECT_EQ(reglages.Lire("A", "s", "k/x"), "A|s|k/x");
}

TEST_F(ReglagesQtTest, ListeSaisieALaMainLueCommeUnTexte) {
    QSettings(fichier, QSettings::IniFormat)
        .setValue(QStringLiteral("App/Sec/Cle"),
                  QStringList{QStringLiteral("a"), QStringLiteral("b")});
    EXPECT_EQ(ReglagesQt(fichier).Lire("App", "Sec", "Cle"), "a,b");
}

TEST_F(ReglagesQtTest, EcritureImpossibleSignalee) {
    // A store whose file lies under a regular file cannot be written.
    QFile obstacle(dossier.filePath(QStringLiteral("fichier")));
    ASSERT_TRUE(obstacle.open(QIODevice::WriteOnly));
    ReglagesQt bloque(dossier.filePath(QStringLiteral("fichier/reglages.ini")));
    EXPECT_EQ(test::ErreurLevee([&] { bloque.Ecrire("A", "s", "k", "v"); }), ErrAccesChemin);
}

TEST_F(ReglagesQtTest, PrivesQuelQueSoitLeUmask) {
    const mode_t avant = ::umask(0);
    ReglagesQt profond(dossier.filePath(QStringLiteral("a/b/reglages.ini")));
    profond.Ecrire("Monvalor", "Options", "k", "v");
    ::umask(avant);
    EXPECT_EQ(QFile::permissions(dossier.filePath(QStringLiteral("a/b/reglages.ini"))),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    struct stat infos {};
    ASSERT_EQ(::stat(dossier.filePath(QStringLiteral("a")).toLocal8Bit().constData(), &infos), 0);
    EXPECT_EQ(infos.st_mode & 0777, 0700u);
}
