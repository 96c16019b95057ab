#include "DossierTemporaire.h"
#include "ErreurLevee.h"
#include "Systeme.h"

#include "services/Services.h"
#include "support/Erreur.h"
#include "support/Fichiers.h"
#include "support/ProfilIni.h"

#include <gtest/gtest.h>

#include <limits>

using namespace monvalor;
using namespace monvalor::test;

namespace {

// Records the last document opened; gives the folder set, or fails when there is none.
struct SystemeEspion final : ISysteme {
    long OuvrirDocument(const std::string& chemin, const std::string& operation) override {
        ouvert = chemin + " " + operation;
        return retour;
    }
    void Lancer(const std::string&, int) override {}
    bool LancerVerifie(const std::string&, const std::string&,
                       const std::function<bool(std::string_view)>&) override {
        return false;
    }
    void Terminer(int) override {}
    std::string RepertoireDonnees() override { return repertoire.value(); }
    std::string RepertoireSysteme() override { return repertoire.value(); }

    std::string ouvert;
    long retour = 0;
    std::optional<std::string> repertoire;
};

class Fichiers : public ::testing::Test {
protected:
    void SetUp() override { Plateforme().systeme = espion; }
    void TearDown() override { ReinitialiserServices(); }

    std::shared_ptr<SystemeEspion> espion = std::make_shared<SystemeEspion>();
    DossierTemporaire dossier;
};

} // namespace

TEST_F(Fichiers, ExtraireNomEtRepertoireEtJoindre) {
    // A path, its name and its folder; only the platform's separator divides a path.
    const char* const extraits[][3] = {
        {"c/a/b.t", "b.t", "c/a/"}, {"b.t", "", ""}, {"c/a/", "", ""},      {"/b", "b", "/"},
        {"a//b", "b", "a//"},       {"a|b", "", ""}, {"x/a|b", "a|b", "x/"}};
    for (const auto& [chemin, nom, repertoire] : extraits) {
        EXPECT_EQ(ExtraireNom(P(chemin)), P(nom)) << chemin;
        EXPECT_EQ(ExtraireRepertoire(P(chemin)), P(repertoire)) << chemin;
    }
    // A folder, a name and the path they make.
    const char* const joints[][3] = {{"c/a", "x", "c/a/x"},    {"c/", "x", "c/x"},
                                     {"", "x", "x"},           {"c/a", "", "c/a/"},
                                     {"c/a//", "x", "c/a//x"}, {"a|", "x", "a|/x"}};
    for (const auto& [repertoire, nom, chemin] : joints) {
        EXPECT_EQ(JoindreChemin(P(repertoire), P(nom)), P(chemin)) << repertoire << " + " << nom;
    }
    // The position of the last separator is a 16-bit count; none, no overflow.
    const std::string limite = P("/") + std::string(32766, 'n');
    EXPECT_EQ(ExtraireNom(limite).size(), 32766u);
    EXPECT_EQ(ExtraireRepertoire(limite), P("/"));
    EXPECT_EQ(ErreurLevee([&] { ExtraireNom(limite + 'n'); }), ErrDepassement);
    EXPECT_EQ(ErreurLevee([&] { ExtraireRepertoire(limite + 'n'); }), ErrDepassement);
    EXPECT_EQ(ExtraireNom(std::string(40000, 'n')), "");
}

TEST_F(Fichiers, FichierExiste) {
    EcrireFichier(dossier.Chemin() / "vide.txt", "");
    // A Windows-1252 name reaches the disk as the system's Unicode.
    EcrireFichier(dossier.Chemin() / std::u8string(u8"caf\u00E9.lng"), "x");
    std::filesystem::create_directory(dossier.Chemin() / "sous");
    EXPECT_TRUE(FichierExiste(dossier.Fichier("vide.txt")));
    EXPECT_TRUE(FichierExiste(dossier.Fichier("caf\xE9.lng")));
    for (const std::string& absent :
         {dossier.Fichier("absent"), dossier.Fichier("vide.txt/x"), dossier.Fichier("sous"),
          std::string(), std::string(5000, 'z')}) {
        EXPECT_FALSE(FichierExiste(absent)) << absent;
    }
}

TEST_F(Fichiers, OuvrirDocumentEtRepertoiresDeLaPlateforme) {
    espion->retour = std::numeric_limits<long>::max();
    EXPECT_EQ(OuvrirDocument("mailto:x@exemple.fr", 1234), 0x7FFFFFFF);
    EXPECT_EQ(espion->ouvert, "mailto:x@exemple.fr open");
    // Folders lose their trailing separators, but for a root; deeper than the classic
    // 250-character buffer, they come whole.
    const std::string profond = "/" + std::string(300, 'd');
    const std::string cas[][2] = {{"/x//", "/x"}, {"", ""}, {profond, profond}, {"/", "/"}};
    for (const auto& [donne, attendu] : cas) {
        espion->repertoire = P(donne);
        EXPECT_EQ(RepertoireWindows(), P(attendu));
        EXPECT_EQ(RepertoireSysteme(), P(attendu));
    }
    espion->repertoire.reset();
    EXPECT_EQ(RepertoireWindows(), "");
    EXPECT_EQ(RepertoireSysteme(), "");
    // A profile named without folder lives in the Windows directory.
    espion->repertoire = dossier.Chemin().string() + "/";
    ASSERT_TRUE(EcrireProfil("s", "k", "v", "nu.ini"));
    EXPECT_EQ(LireFichier(dossier.Chemin() / "nu.ini"), "[s]\r\nk=v\r\n");
    EXPECT_EQ(LireProfil("s", "k", "", 100, "nu.ini"), "v");
}
