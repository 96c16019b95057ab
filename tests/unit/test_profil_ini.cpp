#include "DossierTemporaire.h"

#include "platform/Services.h"
#include "support/ProfilIni.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

using namespace monvalor;
using monvalor::test::DossierTemporaire;
using monvalor::test::EcrireFichier;
using monvalor::test::LireFichier;
using monvalor::test::NombreEntrees;
namespace fs = std::filesystem;

namespace {

// A file as people write them by hand: comments, odd spacing, quotes, mixed line ends, a
// section given twice, keys outside any section and no line end after the last line.
const std::string kFichierManuel = "; r\xE9glages\r\n"
                                   "orphelin=dehors\r\n"
                                   "[G\xE9n\xE9ral]\r\n"
                                   "  Langue  =  Fran\xE7"
                                   "ais  \r\n"
                                   "\tTitre\t=\t\"  Entre guillemets  \"\n"
                                   "Simple='un'\r\n"
                                   "Mixte=\"deux'\r\n"
                                   "Seul=\"\r\n"
                                   "Vide=\r\n"
                                   "VideCite=\"\"\r\n"
                                   "SansEgal\r\n"
                                   ";Cache=non\r\n"
                                   "  ; Cache2=non\r\n"
                                   "Egal=a=b\r\n"
                                   "Double=premier\r\n"
                                   "Double=second\r\n"
                                   "\r\n"
                                   "[ Autre ]   ; commentaire\r\n"
                                   "Cle=autre\r\n"
                                   "[g\xC9N\xC9RAL]\r\n"
                                   "Langue=jamais lue\r\n"
                                   "Nouvelle=jamais lue\r\n"
                                   "[Fin]\r\n"
                                   "Derniere=sans fin de ligne";

class ProfilIni : public ::testing::Test {
protected:
    void TearDown() override { ReinitialiserServices(); }

    std::string Lire(std::string_view section, std::string_view cle,
                     std::string_view defaut = "<d\xE9"
                                               "faut>",
                     std::size_t taille = 1000) {
        return LireProfil(section, cle, defaut, taille, fichier);
    }

    DossierTemporaire dossier;
    std::string fichier = dossier.Fichier("essai.ini");
};

} // namespace

TEST_F(ProfilIni, LitUnFichierEcritALaMain) {
    EcrireFichier(fichier, kFichierManuel);
    struct Cas {
        const char* section;
        const char* cle;
        const char* attendu;
    };
    const char* d = "<d\xE9"
                    "faut>";
    const Cas cas[] = {
        {"G\xE9n\xE9ral", "Langue",
         "Fran\xE7"
         "ais"},
        {"G\xC9N\xC9RAL", "LANGUE",
         "Fran\xE7"
         "ais"},
        {"  g\xE9n\xE9ral\t", " langue ",
         "Fran\xE7"
         "ais"},
        {"G\xE9n\xE9ral", "Titre", "  Entre guillemets  "},
        {"G\xE9n\xE9ral", "Simple", "un"},
        {"G\xE9n\xE9ral", "Mixte", "\"deux'"},
        {"G\xE9n\xE9ral", "Seul", "\""},
        {"G\xE9n\xE9ral", "Vide", ""},
        {"G\xE9n\xE9ral", "VideCite", ""},
        {"G\xE9n\xE9ral", "SansEgal", ""},
        {"G\xE9n\xE9ral", "Cache", d},
        {"G\xE9n\xE9ral", ";Cache", d},
        {"G\xE9n\xE9ral", "Cache2", d},
        {"G\xE9n\xE9ral", "Egal", "a=b"},
        {"G\xE9n\xE9ral", "Double", "premier"},
        // The second section of the same name is never looked at.
        {"G\xE9n\xE9ral", "Nouvelle", d},
        {"G\xE9n\xE9ral", "Cle", d},
        {"Autre", "Cle", "autre"},
        {"Autre", "Langue", d},
        {"Fin", "Derniere", "sans fin de ligne"},
        {"", "orphelin", d},
        {"Absente", "Langue", d},
        {"G\xE9n\xE9ral", "", d},
    };
    for (const Cas& c : cas) {
        EXPECT_EQ(Lire(c.section, c.cle), c.attendu) << c.section << " / " << c.cle;
    }
}

TEST_F(ProfilIni, CoupeALaTailleDuTampon) {
    EcrireFichier(fichier, "[s]\r\ncle=" + std::string(1200, 'v') + "\r\ncourte=abcdef\r\n");
    EXPECT_EQ(Lire("s", "cle"), std::string(999, 'v'));
    EXPECT_EQ(Lire("s", "cle", "", 1300), std::string(1200, 'v'));
    EXPECT_EQ(Lire("s", "courte", "", 4), "abc");
    EXPECT_EQ(Lire("s", "courte", "", 1), "");
    EXPECT_EQ(Lire("s", "courte", "", 0), "");
    // The default loses its trailing spaces and is cut alike.
    EXPECT_EQ(Lire("s", "absente",
                   "d\xE9"
                   "faut   ",
                   1000),
              "d\xE9"
              "faut");
    EXPECT_EQ(Lire("s", "absente",
                   "  d\xE9"
                   "faut",
                   4),
              "  d");
}

TEST_F(ProfilIni, FichierAbsentOuIllisibleDonneLeDefaut) {
    EXPECT_EQ(Lire("s", "k", "d"), "d");
    EXPECT_EQ(LireProfil("s", "k", "d", 100, dossier.Fichier("absent/x.ini")), "d");
    EXPECT_EQ(LireProfil("s", "k", "d", 100, dossier.Chemin().string()), "d");
    EXPECT_EQ(LireProfil("s", "k", "d", 100, ""), "d");
}

TEST_F(ProfilIni, NomSansDossierDansLeRepertoireWindows) {
    class Systeme final : public ISysteme {
    public:
        explicit Systeme(std::string d) : d_(std::move(d)) {}
        long OuvrirDocument(const std::string&, const std::string&) override { return 0; }
        void Lancer(const std::string&, int) override {}
        void Terminer(int) override {}
        std::string RepertoireDonnees() override { return d_; }
        std::string RepertoireSysteme() override { return d_; }

    private:
        std::string d_;
    };
    Plateforme().systeme = std::make_shared<Systeme>(dossier.Chemin().string());
    ASSERT_TRUE(EcrireProfil("s", "k", "v", "nu.ini"));
    EXPECT_EQ(LireFichier(dossier.Chemin() / "nu.ini"), "[s]\r\nk=v\r\n");
    EXPECT_EQ(LireProfil("s", "k", "", 100, "nu.ini"), "v");
}

TEST_F(ProfilIni, CreeLeFichierLaSectionEtLaCle) {
    ASSERT_TRUE(EcrireProfil(" s ", " k ", "v", fichier));
    EXPECT_EQ(LireFichier(fichier), "[s]\r\nk=v\r\n");
    ASSERT_TRUE(EcrireProfil("s", "k2", "", fichier));
    EXPECT_EQ(LireFichier(fichier), "[s]\r\nk=v\r\nk2=\r\n");
    ASSERT_TRUE(EcrireProfil("t", "k", "w", fichier));
    EXPECT_EQ(LireFichier(fichier), "[s]\r\nk=v\r\nk2=\r\n[t]\r\nk=w\r\n");
    EXPECT_EQ(Lire("s", "k2"), "");
    EXPECT_EQ(Lire("t", "k"), "w");
}

TEST_F(ProfilIni, LesAutresOctetsDuFichierRestentIntacts) {
    struct Cas {
        const char* nom;
        const char* section;
        const char* cle;
        std::optional<std::string> valeur;
        std::string attendu;
    };
    const std::string& f = kFichierManuel;
    auto remplacer = [&f](std::string_view ancien, std::string_view nouveau) {
        std::string r = f;
        r.replace(r.find(ancien), ancien.size(), nouveau);
        return r;
    };
    const Cas cas[] = {
        {"remplace en place (LF gard\xE9 ailleurs)", "G\xC9N\xC9RAL", "titre", "t",
         remplacer("\tTitre\t=\t\"  Entre guillemets  \"\n", "titre=t\r\n")},
        {"premi\xE8re des cl\xE9s doubles", "G\xE9n\xE9ral", "Double", "x",
         remplacer("Double=premier\r\n", "Double=x\r\n")},
        {"cl\xE9 sans \xE9gal", "G\xE9n\xE9ral", "SansEgal", "oui",
         remplacer("SansEgal\r\n", "SansEgal=oui\r\n")},
        {"supprime", "G\xE9n\xE9ral", "Langue", std::nullopt,
         remplacer("  Langue  =  Fran\xE7"
                   "ais  \r\n",
                   "")},
        {"nouvelle cl\xE9 apr\xE8s la derni\xE8re, avant blanc et commentaires", "g\xE9n\xE9ral",
         "Neuve", "n", remplacer("Double=second\r\n\r\n", "Double=second\r\nNeuve=n\r\n\r\n")},
        {"derni\xE8re ligne sans fin de ligne", "Fin", "Derniere", "d",
         remplacer("Derniere=sans fin de ligne", "Derniere=d\r\n")},
        {"ajout apr\xE8s une ligne sans fin", "Fin", "Autre", "a", f + "\r\nAutre=a\r\n"},
        {"nouvelle section en fin", "Nouvelle", "k", "v", f + "\r\n[Nouvelle]\r\nk=v\r\n"},
        {"supprimer l'absent ne change rien", "Fin", "Absente", std::nullopt, f},
        {"section absente, suppression", "Rien", "k", std::nullopt, f},
        {"valeur identique", "Autre", "Cle", "autre", f},
    };
    for (const Cas& c : cas) {
        EcrireFichier(fichier, f);
        ASSERT_TRUE(EcrireProfil(c.section, c.cle, c.valeur, fichier)) << c.nom;
        EXPECT_EQ(LireFichier(fichier), c.attendu) << c.nom;
        if (c.valeur) {
            EXPECT_EQ(Lire(c.section, c.cle), *c.valeur) << c.nom;
        }
    }
}

TEST_F(ProfilIni, SupprimerDansUnFichierAbsentNeLeCreePas) {
    ASSERT_TRUE(EcrireProfil("s", "k", std::nullopt, fichier));
    EXPECT_FALSE(fs::exists(fichier));
}

TEST_F(ProfilIni, FichiersUtf8AvecEtSansBom) {
    for (const std::string bom : {"", "\xEF\xBB\xBF"}) {
        // "é" is C3 A9, "€" E2 82 AC; line ends kept as written.
        const std::string contenu = bom + "[Donn\xC3\xA9"
                                          "es]\n"
                                          "prix=12 \xE2\x82\xAC\n"
                                          "; \xC3\xA9t\xC3\xA9\n"
                                          "nom=caf\xC3\xA9\n";
        EcrireFichier(fichier, contenu);
        EXPECT_EQ(Lire("DONN\xC9"
                       "ES",
                       "prix"),
                  "12 \x80");
        EXPECT_EQ(Lire("donn\xE9"
                       "es",
                       "nom"),
                  "caf\xE9");

        ASSERT_TRUE(EcrireProfil("Donn\xE9"
                                 "es",
                                 "nom", "th\xE9", fichier));
        std::string attendu = contenu;
        attendu.replace(attendu.find("nom=caf\xC3\xA9\n"), 10, "nom=th\xC3\xA9\r\n");
        EXPECT_EQ(LireFichier(fichier), attendu) << "BOM: " << !bom.empty();

        ASSERT_TRUE(EcrireProfil("\xC9t\xE9", "\xE0", "\xFF", fichier));
        attendu += "[\xC3\x89t\xC3\xA9]\r\n\xC3\xA0=\xC3\xBF\r\n";
        EXPECT_EQ(LireFichier(fichier), attendu);
        EXPECT_EQ(Lire("\xC9T\xC9", "\xC0"), "\xFF");
    }
}

TEST_F(ProfilIni, FichierWindows1252ResteEnWindows1252) {
    const std::string contenu = "[s]\r\nk=caf\xE9\r\n";
    EcrireFichier(fichier, contenu);
    ASSERT_TRUE(EcrireProfil("s", "n", "th\xE9", fichier));
    EXPECT_EQ(LireFichier(fichier), contenu + "n=th\xE9\r\n");
}

TEST_F(ProfilIni, RefuseCeQuiCorrompraitLeFichier) {
    struct Cas {
        const char* section;
        const char* cle;
        std::optional<std::string> valeur;
    };
    const Cas cas[] = {
        {"s", "k", "deux\r\nlignes"},
        {"s", "k", "a\nb"},
        {"s", "k", "a\rb"},
        {"s\n", "k", "v"},
        {"s", "k\r", "v"},
        {"s", "k\n", std::nullopt},
        {"a]b", "k", "v"},
        {"s", "a=b", "v"},
        {"s", "[k", "v"},
        {"s", "  [k", "v"},
        {"s", ";k", "v"},
        {"s", " ;k", std::nullopt},
    };
    const std::string contenu = "[s]\r\nk=v\r\n";
    for (const Cas& c : cas) {
        EcrireFichier(fichier, contenu);
        EXPECT_FALSE(EcrireProfil(c.section, c.cle, c.valeur, fichier)) << c.section << c.cle;
        EXPECT_EQ(LireFichier(fichier), contenu);
    }
    EXPECT_EQ(NombreEntrees(dossier.Chemin()), 1);
    // Characters that are harmless inside a name or a value stay writable.
    ASSERT_TRUE(EcrireProfil("a[b", "k]", "x=y;z [w]", fichier));
    EXPECT_EQ(Lire("a[b", "k]"), "x=y;z [w]");
}

TEST_F(ProfilIni, EcritureImpossibleNePerdRien) {
    const std::string contenu = "[s]\r\nk=v\r\n";
    EcrireFichier(fichier, contenu);

    // A read-only file, even for a user whom permissions do not stop.
    fs::permissions(fichier, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_FALSE(EcrireProfil("s", "k", "w", fichier));
    EXPECT_FALSE(EcrireProfil("s", "k", std::nullopt, fichier));
    EXPECT_EQ(LireFichier(fichier), contenu);
    fs::permissions(fichier, fs::perms::owner_read | fs::perms::owner_write);

    // A folder that cannot hold files: its "parent" is a regular file, or it does not exist.
    EXPECT_FALSE(EcrireProfil("s", "k", "w", fichier + "/sous.ini"));
    EXPECT_FALSE(EcrireProfil("s", "k", "w", dossier.Fichier("absent/x.ini")));
    EXPECT_FALSE(EcrireProfil("s", "k", "w", dossier.Chemin().string()));
    EXPECT_FALSE(EcrireProfil("s", "k", "w", ""));
    EXPECT_EQ(LireFichier(fichier), contenu);
    EXPECT_EQ(NombreEntrees(dossier.Chemin()), 1);
}

#if !defined(_WIN32)
TEST_F(ProfilIni, DisquePleinPendantLEcritureNePerdRien) {
    // A file-size limit makes write() fail part-way, as a full disk would.
    const std::string contenu = "[s]\r\nk=v\r\nautre=garde\r\n";
    EcrireFichier(fichier, contenu);
    struct rlimit avant {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &avant), 0);
    const auto ancienSignal = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limite = avant;
    limite.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limite), 0);
    const bool ecrit = EcrireProfil("s", "k", std::string(10000, 'x'), fichier);
    setrlimit(RLIMIT_FSIZE, &avant);
    std::signal(SIGXFSZ, ancienSignal);

    EXPECT_FALSE(ecrit);
    EXPECT_EQ(LireFichier(fichier), contenu);
    EXPECT_EQ(NombreEntrees(dossier.Chemin()), 1) << "fichier temporaire laiss\xE9";
}

TEST_F(ProfilIni, GardeLesDroitsEtLesLiens) {
    EcrireFichier(fichier, "[s]\r\nk=v\r\n");
    const auto droits = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(fichier, droits);
    ASSERT_TRUE(EcrireProfil("s", "k", "w", fichier));
    EXPECT_EQ(fs::status(fichier).permissions(), droits);

    const std::string lien = dossier.Fichier("lien.ini");
    fs::create_symlink("essai.ini", lien);
    ASSERT_TRUE(EcrireProfil("s", "k", "par le lien", lien));
    EXPECT_TRUE(fs::is_symlink(lien));
    EXPECT_EQ(LireFichier(fichier), "[s]\r\nk=par le lien\r\n");
    EXPECT_EQ(NombreEntrees(dossier.Chemin()), 2);
}
#endif

TEST_F(ProfilIni, LongueValeurEtNombreuxCles) {
    const std::string longue(100000, 'L');
    ASSERT_TRUE(EcrireProfil("s", "long", longue, fichier));
    for (int i = 0; i < 40; ++i) {
        ASSERT_TRUE(EcrireProfil("s", "k" + std::to_string(i), std::to_string(i * 7), fichier));
    }
    EXPECT_EQ(LireProfilTexte(LireFichier(fichier), "s", "long"), longue);
    EXPECT_EQ(Lire("s", "long"), std::string(999, 'L'));
    for (int i = 0; i < 40; i += 7) {
        EXPECT_EQ(Lire("s", "K" + std::to_string(i)), std::to_string(i * 7));
    }
}

TEST_F(ProfilIni, SupprimerUneCleRepeteeLaFaitDisparaitre) {
    const std::string contenu = "[s]\r\nk=1\r\na=x\r\nK = 2\r\n[t]\r\nk=3\r\n";
    EcrireFichier(fichier, contenu);
    ASSERT_TRUE(EcrireProfil("s", "k", "neuf", fichier));
    EXPECT_EQ(LireFichier(fichier), "[s]\r\nk=neuf\r\na=x\r\nK = 2\r\n[t]\r\nk=3\r\n");
    ASSERT_TRUE(EcrireProfil("s", "k", std::nullopt, fichier));
    EXPECT_EQ(LireFichier(fichier), "[s]\r\na=x\r\n[t]\r\nk=3\r\n");
    EXPECT_EQ(Lire("s", "k"), "<d\xE9"
                              "faut>");
}

TEST_F(ProfilIni, FichierNeContenantQueLaMarqueUtf8) {
    EcrireFichier(fichier, "\xEF\xBB\xBF");
    ASSERT_TRUE(EcrireProfil("s", "k", "\xE9", fichier));
    EXPECT_EQ(LireFichier(fichier), "\xEF\xBB\xBF[s]\r\nk=\xC3\xA9\r\n");
    EXPECT_EQ(Lire("s", "k"), "\xE9");
}

TEST_F(ProfilIni, DerniereLigneFinissantParUnRetourChariotSeul) {
    EcrireFichier(fichier, "[s]\r\nk=v\r");
    EXPECT_EQ(Lire("s", "k"), "v");
    ASSERT_TRUE(EcrireProfil("s", "n", "w", fichier));
    EXPECT_EQ(LireFichier(fichier), "[s]\r\nk=v\r\nn=w\r\n");

    EcrireFichier(fichier, "[s]\r");
    ASSERT_TRUE(EcrireProfil("s", "k", "v", fichier));
    EXPECT_EQ(LireFichier(fichier), "[s]\r\nk=v\r\n");
    ASSERT_TRUE(EcrireProfil("t", "k", "w", fichier));
    EXPECT_EQ(Lire("s", "k"), "v");
    EXPECT_EQ(Lire("t", "k"), "w");
}
