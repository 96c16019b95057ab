// The update check over the transfer double: the version file, the question, the download, the
// signature, and every way it stops without starting anything.
#include "services/FichiersSysteme.h"
#include "support/Chaines.h"

#include "Doubles.h"

using namespace monvalor;
using namespace monvalor::test;

namespace {

// The updater's file name on this system.
std::string NomMiseAJour() {
    return "MonvalorUpdate" + std::string(systeme::SuffixeProgramme());
}

const std::string kSite = "https://monvalor.example/telechargement";
const std::string kUpdater = "https://monvalor.example/telechargement/MonvalorUpdate";

class MiseAJour : public AvecDoubles {
protected:
    void SetUp() override {
        AvecDoubles::SetUp();
        InfosApplication& app = Plateforme().application;
        std::tie(app.versionMajeure, app.versionMineure, app.versionRevision) = std::tuple(1, 3, 1);
        // A signature is the signed bytes behind "SIG", from the built-in key.
        Plateforme().signature = [](std::string_view octets, std::string_view sig,
                                    std::string_view cle) {
            return cle.find("BEGIN PUBLIC KEY") != std::string_view::npos &&
                   sig == "SIG" + std::string(octets);
        };
        auto fabrique = std::make_shared<FabriqueMemoire>();
        fabrique->pendantModal = [this](FormulaireMemoire& f) {
            if (f.Conception().nom == "frmSock" && pendant) {
                pendant(f);
            }
        };
        Plateforme().formulaires = fabrique;
        frmAbout::Defaut().Site(kSite);
    }
    // The site's version file, the updater's signature as published.
    void Publier(const std::string& version, const std::string& signature = "") {
        pages[kSite + "/version.txt"] = version;
        pages[kUpdater + ".sig"] = EncodeB64(signature) + "\n";
    }
    void Repondre(int reponse) { systeme->reponses = {reponse}; }
    // The updater arrives whole.
    void Recevoir() {
        transfert->Arriver("#!/bin/sh\n");
        transfert->Etat(EtatReponseComplete);
    }
    std::vector<std::string> Messages() { return systeme->Textes(); }
    std::function<void(FormulaireMemoire&)> pendant;
    const std::string kAnnonce = "Version 1.4.0\r\n" + kUpdater + "\r\nUne version plus rapide.";
};

} // namespace

TEST(Versions, NumbersCompareOneByOneAndAnythingElseIsNeverNewer) {
    const std::pair<const char*, bool> cas[] = {
        {"Version 1.3.10", true},  {"Version 1.10.0", true},
        {"Version 1.4.0", true},   {"Version 2", true},
        {"Version 1.3.1.1", true}, {"Version 1.3.1", false},
        {"Version 1.3", false},    {"Version 1.2.99", false},
        {"version 9.0.0", false},  {"Version 1.a", false},
        {"Version ", false},       {"Version 1..4", false},
        {"Version 1.4.", false},   {"Version -2", false},
        {"Version 1.4.0 ", false}, {"Version 99999999999999999999", false},
        {"Version 2.-1", false},   {"Version 1,4,0", false},
    };
    for (const auto& [texte, plusRecente] : cas) {
        EXPECT_EQ(VersionPlusRecente(texte, 1, 3, 1), plusRecente) << texte;
    }
}

TEST_F(MiseAJour, NothingNewerIsSaidOnlyWhenAskedAndNothingIsFetchedBeyondTheVersionFile) {
    const std::string cas[] = {"Version 1.4.0\r\n" + kUpdater,
                               "Version 1.3.1\r\n" + kUpdater + "\r\nx",
                               "Version 1.3.10.x\r\n" + kUpdater + "\r\nx", ""};
    for (const std::string& version : cas) {
        for (bool pbMsg : {true, false}) {
            systeme->messages.clear();
            Publier(version);
            frmAbout::Defaut().Maj(pbMsg);
            EXPECT_EQ(Messages(),
                      pbMsg ? std::vector<std::string>{std::string(u8"Pas de mise à jour"_ansi)}
                            : std::vector<std::string>{})
                << version;
        }
    }
    EXPECT_EQ(transfert->demandes, std::vector<std::string>(8, kSite + "/version.txt"));
}

TEST_F(MiseAJour, NoDownloadsNothingAndYesDownloadsChecksTheSignatureThenStartsTheUpdaterAndEnds) {
    Publier(kAnnonce + "\r\nVoulez-vous l'installer ?\r\n", "SIG#!/bin/sh\n");
    Repondre(RepNon);
    frmAbout::Defaut().Maj(true);
    EXPECT_EQ(
        systeme->messages,
        (std::vector<MessageVu>{{"Une version plus rapide.\r\nVoulez-vous l'installer ?\r\n\r\n",
                                 MsgOuiNon | MsgInformation, ""}}));
    EXPECT_EQ(transfert->demandes.size(), 1u);

    Repondre(RepOui);
    pendant = [this](FormulaireMemoire&) { Recevoir(); };
    frmAbout::Defaut().Maj(true);
    const std::string updater = JoindreChemin(dossier.Chemin().string(), NomMiseAJour());
    EXPECT_EQ(
        std::tuple(systeme->lances, systeme->fins),
        std::tuple(std::vector<std::pair<std::string, int>>{{updater, 0}}, std::vector<int>{0}));
    EXPECT_EQ(frmSock::Defaut().NomFichier, frmSock::FichierDefaut());
}

TEST_F(MiseAJour, AnUpdaterThatDidNotArriveWholeAndGenuineIsNeverStarted) {
    const std::string updater = JoindreChemin(dossier.Chemin().string(), NomMiseAJour());
    const auto entier = [this] { Recevoir(); };
    const std::string refus = std::string(
        u8"La mise à jour reçue ne porte pas une signature valable : elle n'est pas lancée."_ansi);
    const struct {
        std::string signature;
        std::function<void()> reseau;
        std::string message;
    } cas[] = {
        {"SIG#!/bin/sh\n",
         [&] {
             transfert->Arriver("#!/bin/");
             transfert->Echouer("La connexion a été coupée avant la fin");
         },
         "La connexion a été coupée avant la fin"},
        {"SIG#!/bin/sh\nautre", entier, refus},
        {"", entier, refus},
    };
    for (const auto& c : cas) {
        systeme->messages.clear();
        Publier(kAnnonce, c.signature);
        Repondre(RepOui);
        pendant = [&](FormulaireMemoire&) { c.reseau(); };
        frmAbout::Defaut().Maj(false);
        EXPECT_EQ(Messages().back(), c.message);
        EXPECT_EQ(std::tuple(systeme->lances.size(), systeme->fins.size(), FichierExiste(updater)),
                  std::tuple(0u, 0u, false));
    }
}

TEST_F(MiseAJour, TheUpdaterGoesToTheDataFolderWhenTheProgramsFolderCannotBeWritten) {
    systeme->donnees = (dossier.Chemin() / "donnees").string();
    EXPECT_EQ(CheminMiseAJour(), JoindreChemin(dossier.Chemin().string(), NomMiseAJour()));
    Plateforme().application.repertoire = (dossier.Chemin() / "absent").string();
    EXPECT_EQ(CheminMiseAJour(), JoindreChemin(systeme->donnees, NomMiseAJour()));
    // An updater that cannot be written is told, and the download window writes where it
    // wrote before.
    systeme->donnees = dossier.Chemin().string();
    EcrireFichier(dossier.Chemin() / "fichier", "");
    Plateforme().application.repertoire = (dossier.Chemin() / "fichier").string();
    Publier(kAnnonce);
    Repondre(RepOui);
    frmAbout::Defaut().Maj(false);
    EXPECT_EQ(Messages().back(), DescriptionErreur(ErrAccesChemin));
    EXPECT_EQ(frmSock::Defaut().NomFichier, frmSock::FichierDefaut());
    EXPECT_TRUE(systeme->lances.empty());
}
