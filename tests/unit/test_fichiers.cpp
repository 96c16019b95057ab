#include "DossierTemporaire.h"

#include "platform/Services.h"
#include "support/Erreur.h"
#include "support/Fichiers.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

using namespace monvalor;
using monvalor::test::DossierTemporaire;

namespace {

// Writes a path with '\' standing for the platform's separator.
std::string P(std::string chemin) {
    for (char& c : chemin) {
        if (c == '\\') {
            c = SeparateurChemin;
        }
    }
    return chemin;
}

constexpr char kAutreSeparateur = SeparateurChemin == '/' ? '\\' : '/';

class SystemeEspion final : public ISysteme {
public:
    long OuvrirDocument(const std::string& chemin, const std::string& operation) override {
        appels.push_back({chemin, operation});
        return retour;
    }
    void Lancer(const std::string&, int) override {}
    void Terminer(int) override {}
    std::string RepertoireDonnees() override {
        if (echoue) {
            throw std::runtime_error("indisponible");
        }
        return donnees;
    }
    std::string RepertoireSysteme() override {
        if (echoue) {
            throw std::runtime_error("indisponible");
        }
        return systeme;
    }

    struct Appel {
        std::string chemin;
        std::string operation;
    };
    std::vector<Appel> appels;
    long retour = 42;
    bool echoue = false;
    std::string donnees;
    std::string systeme;
};

class Fichiers : public ::testing::Test {
protected:
    void SetUp() override { Plateforme().systeme = espion; }
    void TearDown() override { ReinitialiserServices(); }

    std::shared_ptr<SystemeEspion> espion = std::make_shared<SystemeEspion>();
};

} // namespace

TEST_F(Fichiers, ExtraireNomEtRepertoire) {
    struct Cas {
        std::string chemin, nom, repertoire;
    };
    const Cas cas[] = {
        {P("C:\\a\\b.txt"), "b.txt", P("C:\\a\\")},
        {"b.txt", "", ""},
        {P("C:\\a\\"), "", ""},
        {P("\\b"), "b", P("\\")},
        {P("\\"), "", ""},
        {"", "", ""},
        {P("a\\\\b"), "b", P("a\\\\")},
        {P("d\xE9j\xE0\\caf\xE9.lng"), "caf\xE9.lng", P("d\xE9j\xE0\\")},
        // Only the platform's separator divides a path.
        {std::string("a") + kAutreSeparateur + "b", "", ""},
        {P("x\\a") + kAutreSeparateur + "b", std::string("a") + kAutreSeparateur + "b", P("x\\")},
    };
    for (const Cas& c : cas) {
        EXPECT_EQ(ExtraireNom(c.chemin), c.nom) << c.chemin;
        EXPECT_EQ(ExtraireRepertoire(c.chemin), c.repertoire) << c.chemin;
    }
}

TEST_F(Fichiers, ExtraireDepasseAuDelaDe32767CaracteresApresLeSeparateur) {
    const std::string limite = P("\\") + std::string(32766, 'n');
    EXPECT_EQ(ExtraireNom(limite).size(), 32766u);
    EXPECT_EQ(ExtraireRepertoire(limite), P("\\"));

    const std::string trop = P("\\") + std::string(32767, 'n');
    for (auto routine : {&ExtraireNom, &ExtraireRepertoire}) {
        try {
            routine(trop);
            ADD_FAILURE() << "pas d'erreur";
        } catch (const Erreur& e) {
            EXPECT_EQ(e.Numero(), ErrDepassement);
        }
    }
    // A long path without separator has no position to overflow.
    EXPECT_EQ(ExtraireNom(std::string(40000, 'n')), "");
}

TEST_F(Fichiers, JoindreChemin) {
    struct Cas {
        std::string repertoire, nom, attendu;
    };
    const Cas cas[] = {
        {P("C:\\a"), "x.lng", P("C:\\a\\x.lng")},
        {P("C:\\"), "x.lng", P("C:\\x.lng")},
        {"", "x.lng", "x.lng"},
        {P("C:\\a"), "", P("C:\\a\\")},
        {"", "", ""},
        {P("C:\\a"), P("\\x"), P("C:\\a\\\\x")},
        {P("C:\\a\\\\"), "x", P("C:\\a\\\\x")},
        {std::string("a") + kAutreSeparateur, "x", std::string("a") + kAutreSeparateur + P("\\x")},
    };
    for (const Cas& c : cas) {
        EXPECT_EQ(JoindreChemin(c.repertoire, c.nom), c.attendu) << c.repertoire << " + " << c.nom;
    }
}

TEST_F(Fichiers, FichierExiste) {
    DossierTemporaire dossier;
    test::EcrireFichier(dossier.Chemin() / "vide.txt", "");
    test::EcrireFichier(dossier.Chemin() / "plein.txt", "abc");
    // A Windows-1252 name reaches the disk as UTF-8.
    test::EcrireFichier(dossier.Chemin() / "caf\xC3\xA9.lng", "x");
    std::filesystem::create_directory(dossier.Chemin() / "sous");

    EXPECT_TRUE(FichierExiste(dossier.Fichier("vide.txt")));
    EXPECT_TRUE(FichierExiste(dossier.Fichier("plein.txt")));
    EXPECT_TRUE(FichierExiste(dossier.Fichier("caf\xE9.lng")));
    EXPECT_FALSE(FichierExiste(dossier.Fichier("absent.txt")));
    EXPECT_FALSE(FichierExiste(dossier.Fichier("absent/vide.txt")));
    EXPECT_FALSE(FichierExiste(dossier.Fichier("plein.txt/x")));
    EXPECT_FALSE(FichierExiste(dossier.Fichier("sous")));
    EXPECT_FALSE(FichierExiste(""));
    EXPECT_FALSE(FichierExiste(std::string(5000, 'z')));
}

TEST_F(Fichiers, OuvrirDocumentPasseParLeShell) {
    espion->retour = 42;
    EXPECT_EQ(OuvrirDocument("http://www.exemple.fr"), 42);
    espion->retour = 2;
    EXPECT_EQ(OuvrirDocument("mailto:x@exemple.fr", 1234), 2);
    espion->retour = 0x7FFFFFFFFFL;
    EXPECT_EQ(OuvrirDocument("x"), 0x7FFFFFFF);

    ASSERT_EQ(espion->appels.size(), 3u);
    EXPECT_EQ(espion->appels[0].chemin, "http://www.exemple.fr");
    EXPECT_EQ(espion->appels[0].operation, "open");
    EXPECT_EQ(espion->appels[1].chemin, "mailto:x@exemple.fr");
}

TEST_F(Fichiers, RepertoiresSansSeparateurFinal) {
    struct Cas {
        std::string donne, attendu;
    };
    const Cas cas[] = {
        {P("\\home\\u\\.local\\share\\Monvalor"), P("\\home\\u\\.local\\share\\Monvalor")},
        {P("\\home\\u\\Monvalor\\"), P("\\home\\u\\Monvalor")},
        {P("\\x\\\\"), P("\\x")},
        {"", ""},
        // Deeper than the classic 250-character buffer: the whole folder, not a truncated one.
        {P("\\") + std::string(300, 'd'), P("\\") + std::string(300, 'd')},
    };
    for (const Cas& c : cas) {
        espion->donnees = c.donne;
        espion->systeme = c.donne;
        EXPECT_EQ(RepertoireWindows(), c.attendu);
        EXPECT_EQ(RepertoireSysteme(), c.attendu);
    }
    if (SeparateurChemin == '/') {
        espion->donnees = "/";
        EXPECT_EQ(RepertoireWindows(), "/");
    }
}

TEST_F(Fichiers, RepertoiresVidesQuandLaPlateformeEchoue) {
    espion->echoue = true;
    EXPECT_EQ(RepertoireWindows(), "");
    EXPECT_EQ(RepertoireSysteme(), "");
}
