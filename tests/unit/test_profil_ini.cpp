#include "DossierTemporaire.h"
#include "Systeme.h"

#include "support/ProfilIni.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace monvalor;
using namespace monvalor::test;
namespace fs = std::filesystem;

namespace {

// A file as people write them by hand: comments, odd spacing, quotes, mixed line ends, a
// section given twice, keys outside any section and no line end after the last line.
const std::string kFichierManuel = "; r\xE9glages\r\norphelin=dehors\r\n[G\xE9n\xE9ral]\r\n"
                                   "  Langue  =  Fran\347ais  \r\n"
                                   "\tTitre\t=\t\"  Entre guillemets  \"\n"
                                   "Simple='un'\r\nMixte=\"deux'\r\nSeul=\"\r\nVide=\r\n"
                                   "VideCite=\"\"\r\nSansEgal\r\n;Cache=non\r\n  ; Cache2=non\r\n"
                                   "Egal=a=b\r\nDouble=premier\r\nDouble=second\r\n\r\n"
                                   "[ Autre ]   ; commentaire\r\nCle=autre\r\n"
                                   "[g\xC9N\xC9RAL]\r\nLangue=jamais lue\r\nNouvelle=jamais lue\r\n"
                                   "[Fin]\r\nDerniere=sans fin de ligne";
const std::string kGeneral = "G\xE9n\xE9ral";
const std::string kDefaut = "<d\351faut>";

class ProfilIni : public ::testing::Test {
protected:
    std::string Lire(std::string_view section, std::string_view cle,
                     std::string_view defaut = kDefaut, std::size_t taille = 1000) {
        return LireProfil(section, cle, defaut, taille, fichier);
    }
    bool Ecrire(std::string_view section, std::string_view cle,
                const std::optional<std::string>& valeur) {
        return EcrireProfil(section, cle, valeur, fichier);
    }

    DossierTemporaire dossier;
    std::string fichier = dossier.Fichier("essai.ini");
};

} // namespace

TEST_F(ProfilIni, LitUnFichierEcritALaMain) {
    EcrireFichier(fichier, kFichierManuel);
    // Letter case (accents included) and the spaces around names do not matter; comments and
    // the second copy of the section are never read.
    const std::string_view general[][2] = {
        {"Simple", "un"},    {"Mixte", "\"deux'"},  {"Seul", "\""},        {"Vide", ""},
        {"VideCite", ""},    {"SansEgal", kDefaut}, {"Egal", "a=b"},       {"Double", "premier"},
        {";Cache", kDefaut}, {"; Cache2", kDefaut}, {"Nouvelle", kDefaut}, {"Cle", kDefaut},
        {"", kDefaut}};
    for (const auto& [cle, attendu] : general) {
        EXPECT_EQ(Lire(kGeneral, cle), attendu) << cle;
    }
    EXPECT_EQ(Lire("  G\xC9N\xC9RAL\t", " langue "), "Fran\347ais");
    EXPECT_EQ(Lire(kGeneral, "Titre"), "  Entre guillemets  ");
    EXPECT_EQ(Lire("Autre", "Cle"), "autre");
    EXPECT_EQ(Lire("Fin", "Derniere"), "sans fin de ligne");
    // Keys outside any section or in another section.
    EXPECT_EQ(Lire("", "orphelin"), kDefaut);
    EXPECT_EQ(Lire("Absente", "Cle"), kDefaut);
    // Cut to the buffer, its terminator counted; the default loses its trailing spaces.
    const std::tuple<const char*, std::size_t, std::string, std::string> coupes[] = {
        {"Titre", 4, kDefaut, "  E"}, {"Simple", 1, kDefaut, ""},
        {"Simple", 0, kDefaut, ""},   {"x", 1000, kDefaut + "   ", kDefaut},
        {"x", 4, "  d\xE9", "  d"},
    };
    for (const auto& [cle, taille, defaut, attendu] : coupes) {
        EXPECT_EQ(Lire(kGeneral, cle, defaut, taille), attendu) << cle << " " << taille;
    }
}

TEST_F(ProfilIni, LesAutresOctetsDuFichierRestentIntacts) {
    const auto manuel = [](std::string_view ancien, std::string_view nouveau) {
        std::string r = kFichierManuel;
        return r.replace(r.find(ancien), ancien.size(), nouveau);
    };
    const std::string repetee = "[s]\r\nk=1\r\na=x\r\nK = 2\r\n[t]\r\nk=3\r\n";
    const std::string bom = "\xEF\xBB\xBF";
    const std::string utf8 = "[Caf\xC3\xA9]\nnom=caf\xC3\xA9\nz=\xC3\xA9\n";
    // The file before, the section, the key, the value and the file after.
    using Cas =
        std::tuple<std::string, std::string, std::string, std::optional<std::string>, std::string>;
    const Cas cas[] = {
        // Names trimmed; characters harmless inside a name or a value kept.
        {"", " a[b ", " k] ", "x=y;z [w]", "[a[b]\r\nk]=x=y;z [w]\r\n"},
        // In place, the LF-only line end kept elsewhere.
        {kFichierManuel, "G\xC9N\xC9RAL", "titre", "t",
         manuel("\tTitre\t=\t\"  Entre guillemets  \"\n", "titre=t\r\n")},
        // A new key goes after the section's last one, before blank lines and comments.
        {kFichierManuel, "g\xE9n\xE9ral", "Neuve", "n",
         manuel("Double=second\r\n", "Double=second\r\nNeuve=n\r\n")},
        {kFichierManuel, "Fin", "Derniere", "d", manuel("sans fin de ligne", "d\r\n")},
        {kFichierManuel, "Fin", "Autre", "a", kFichierManuel + "\r\nAutre=a\r\n"},
        {kFichierManuel, "Nouvelle", "k", "v", kFichierManuel + "\r\n[Nouvelle]\r\nk=v\r\n"},
        {kFichierManuel, "Rien", "k", std::nullopt, kFichierManuel},
        // Only the first line of a repeated key is replaced; deleting removes them all.
        {repetee, "s", "k", "neuf", "[s]\r\nk=neuf\r\na=x\r\nK = 2\r\n[t]\r\nk=3\r\n"},
        {repetee, "s", "k", std::nullopt, "[s]\r\na=x\r\n[t]\r\nk=3\r\n"},
        // A lone CR ending the last line is its line end.
        {"[s]\r\nk=v\r", "s", "n", "w", "[s]\r\nk=v\r\nn=w\r\n"},
        // A UTF-8 file, with or without BOM, or of only a BOM, stays UTF-8 ("\xE9" is C3 A9,
        // "\x80" E2 82 AC); a Windows-1252 file stays one.
        {utf8, "CAF\xC9", "nom", "12 \x80", "[Caf\xC3\xA9]\nnom=12 \xE2\x82\xAC\r\nz=\xC3\xA9\n"},
        {bom, "s", "k", "\xE9", bom + "[s]\r\nk=\xC3\xA9\r\n"},
        {"[s]\r\nk=caf\xE9\r\n", "s", "n", "th\xE9", "[s]\r\nk=caf\xE9\r\nn=th\xE9\r\n"},
    };
    for (const auto& [avant, section, cle, valeur, apres] : cas) {
        EcrireFichier(fichier, avant);
        ASSERT_TRUE(Ecrire(section, cle, valeur)) << section << " / " << cle;
        EXPECT_EQ(LireFichier(fichier), apres) << section << " / " << cle;
        EXPECT_EQ(Lire(section, cle), valeur.value_or(kDefaut));
    }
}

// Files as Windows' own profile functions read them: any line end, headers to the last ']',
// names and values cut at NUL, the rarer blanks trimmed.
TEST(ProfilTexte, LitCommeWindows) {
    constexpr char kNul[] = "[s]\r\nk=a\0b\r\nn\0m=v\r\n[t\0u]\r\nx=y\r\n";
    const std::string nul(kNul, sizeof kNul - 1);
    // UTF-16 both ways round; U+1F600 (a surrogate pair) and U+041F have no Windows-1252 byte.
    constexpr char kLe[] = "\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0\xE9\0";
    constexpr char kBe[] = "\xFE\xFF\0[\0s\0]\0\n\0k\0=\xD8\x3D\xDE\0\x04\x1F\0x";
    const std::string le(kLe, sizeof kLe - 1);
    const std::string be(kBe, sizeof kBe - 1);
    const std::tuple<std::string, const char*, const char*, std::optional<std::string>> cas[] = {
        {"[s]\rk=v\ra=b\r", "s", "a", "b"},
        {"[s]\nk=v\r\r\n[t]\n\rx=y", "s", "k", "v"},
        {"[s]\nk=v\r\r\n[t]\n\rx=y", "t", "x", "y"},
        {"[s\r\nk=v\r\n", "s", "k", std::nullopt},
        {"[s]\r\n[ouvert\r\nk=v\r\n", "s", "k", "v"},
        {"[t]]]\r\nx=1\r\n", "t]]", "x", "1"},
        {"[t]]]\r\nx=1\r\n", "t", "x", std::nullopt},
        {nul, "s", "k", "a"},
        {nul, "s", "n", "v"},
        {nul, "t", "x", "y"},
        {"[s]\r\nk\r\nk=v\r\n", "s", "k", std::nullopt},
        {"[s]\r\n\v\x1A k\f=\fv\v\r\n", "s", "k", "v"},
        {le, "s", "k", "\xE9"},
        {be, "s", "k", "??x"},
    };
    for (const auto& [octets, section, cle, attendu] : cas) {
        EXPECT_EQ(LireProfilTexte(octets, section, cle), attendu) << section << " " << cle;
    }
    // A lone CR ends a line that a write replaces or follows.
    EXPECT_EQ(ModifierProfilTexte("[s]\rk=v\ra=b\r", "s", "k", "w"), "[s]\rk=w\r\na=b\r");
    EXPECT_EQ(ModifierProfilTexte("[s]\rk=v\r", "s", "n", "w"), "[s]\rk=v\r\nn=w\r\n");
    EXPECT_EQ(ModifierProfilTexte("", "a]b", "k", "v"), "[a]b]\r\nk=v\r\n");
    // Lines of one byte a character would corrupt a UTF-16 file.
    EXPECT_EQ(ModifierProfilTexte(le, "s", "k", "w"), std::nullopt);
}

TEST_F(ProfilIni, RienNestEcritQuandCeSeraitImpossibleOuDangereux) {
    const std::string contenu = "[s]\r\nk=v\r\n";
    EcrireFichier(fichier, contenu);
    // Names and values that would be read back as something else.
    const std::tuple<const char*, const char*, std::optional<std::string>> cas[] = {
        {"s", "k", "a\nb"}, {"s", "k", "a\rb"},         {"s\n", "k", "v"},
        {"s", "k\r", "v"},  {"s", "k\n", std::nullopt}, {"s", "k", std::string("a\0b", 3)},
        {"s", "a=b", "v"},  {"s", "  [k", "v"},         {"s", " ;k", std::nullopt},
    };
    for (const auto& [section, cle, valeur] : cas) {
        EXPECT_FALSE(Ecrire(section, cle, valeur)) << section << cle;
    }
    // A read-only file, even for a user whom permissions do not stop.
    fs::permissions(fichier, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_FALSE(Ecrire("s", "k", "w"));
    EXPECT_FALSE(Ecrire("s", "k", std::nullopt));
    fs::permissions(fichier, fs::perms::owner_read | fs::perms::owner_write);
    // A file under a regular file or in a missing folder, a folder, no name at all: nothing
    // is written, and reading gives the default.
    for (const std::string& f : {fichier + "/sous.ini", dossier.Fichier("absent/x.ini"),
                                 dossier.Chemin().string(), std::string()}) {
        EXPECT_FALSE(EcrireProfil("s", "k", "w", f)) << f;
        EXPECT_EQ(LireProfil("s", "k", "d", 100, f), "d") << f;
    }
    EXPECT_EQ(LireFichier(fichier), contenu);
    // Deleting from a missing file does not create it.
    ASSERT_TRUE(EcrireProfil("s", "k", std::nullopt, dossier.Fichier("absent.ini")));
    EXPECT_EQ(NombreEntrees(dossier.Chemin()), 1);
}

// Size caps, permission bits and links are the POSIX file system's.
#ifndef _WIN32
TEST_F(ProfilIni, EcritureAtomiqueQuiGardeLesDroitsEtLesLiens) {
    // A file-size limit makes write() fail part-way, as a full disk would: the old file stays
    // whole and no temporary file is left.
    const std::string contenu = "[s]\r\nk=v\r\nautre=garde\r\n";
    EcrireFichier(fichier, contenu);
    bool ecrit = true;
    ASSERT_TRUE(SousLimiteTaille(4096, [&] { ecrit = Ecrire("s", "k", std::string(10000, 'x')); }));
    EXPECT_FALSE(ecrit);
    EXPECT_EQ(LireFichier(fichier), contenu);
    EXPECT_EQ(NombreEntrees(dossier.Chemin()), 1);
    // Written through a link, the file keeps its permissions and the link stays a link.
    const auto droits = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(fichier, droits);
    fs::create_symlink("essai.ini", dossier.Fichier("lien.ini"));
    ASSERT_TRUE(EcrireProfil("s", "k", "w", dossier.Fichier("lien.ini")));
    EXPECT_TRUE(fs::is_symlink(dossier.Fichier("lien.ini")));
    EXPECT_EQ(LireFichier(fichier), "[s]\r\nk=w\r\nautre=garde\r\n");
    EXPECT_EQ(fs::status(fichier).permissions(), droits);
    EXPECT_EQ(NombreEntrees(dossier.Chemin()), 2);
}
#endif
