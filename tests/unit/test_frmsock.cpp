// The download window over a transfer control the test drives and a clock it moves: the silent
// fetch, the download in view with its figures, and every way a download ends.
#include "Doubles.h"

using namespace monvalor;
using namespace monvalor::test;

namespace {

class Telechargement : public AvecDoubles {
protected:
    std::string Cible() { return (dossier.Chemin() / "MonvalorUpdate").string(); }
    std::string Texte(std::string_view c) { return frmSock::Defaut().Ctl(c).Texte(); }
    std::vector<std::string> Figures() {
        return {Texte("lblSize"), Texte("lblRecieve"), Texte("lblSpeed"), Texte("lblRemaining"),
                Texte("lblElapsed")};
    }
    // Shows the window over the About window; the user's and the network's doings run while
    // it is shown.
    void Afficher(std::function<void(FormulaireMemoire&)> pendant) {
        auto fabrique = std::make_shared<FabriqueMemoire>();
        fabrique->pendantModal = [&](FormulaireMemoire& f) {
            if (f.Conception().nom == "frmSock") {
                pendant(f);
            }
        };
        Plateforme().formulaires = fabrique;
        frmSock& s = frmSock::Defaut();
        s.NomFichier = Cible();
        s.Url = "https://monvalor.example/MonvalorUpdate";
        s.Afficher(frmAbout::Defaut());
        EXPECT_FALSE(s.EstChargee());
    }
    std::vector<std::string> Messages() {
        std::vector<std::string> textes;
        for (const auto& [texte, style, titre] : systeme->messages) {
            EXPECT_EQ(std::tuple(style, titre), std::tuple(int(MsgExclamation), ""));
            textes.push_back(texte);
        }
        return textes;
    }
};

} // namespace

TEST_F(Telechargement, TheSilentFetchWritesTheBodyAndALineEndOrTellsWhyAndKeepsTheOldCopy) {
    frmSock& s = frmSock::Defaut();
    EXPECT_EQ(std::tuple(s.NomFichier, s.Annule),
              std::tuple(JoindreChemin(dossier.Chemin().string(), "QUIVSock.dat"), true));
    s.Url = "https://monvalor.example/version.txt";
    s.Charger();
    transfert->corps = "Version 1.4.0\r\nhttps://monvalor.example/MonvalorUpdate";
    s.LitHTTP();
    EXPECT_EQ(LireFichier(s.NomFichier), transfert->corps + "\r\n");
    EXPECT_FALSE(s.EstChargee());
    transfert->raison = "Le serveur a répondu 404 Not Found";
    s.LitHTTP();
    EXPECT_EQ(Messages(), std::vector<std::string>{transfert->raison});
    EXPECT_EQ(LireFichier(s.NomFichier), transfert->corps + "\r\n");
    EXPECT_EQ(transfert->demandes, std::vector<std::string>(2, s.Url));
}

TEST_F(Telechargement, TheFiguresMoveAsTheBytesArriveAndTheFileAppearsOnlyWhole) {
    EcrireFichier(Cible(), "ancien");
    Afficher([&](FormulaireMemoire& f) {
        EXPECT_EQ(Figures(), std::vector<std::string>(5, "0"));
        EXPECT_EQ(transfert->demandes.back(), frmSock::Defaut().Url);
        transfert->entetes = "HTTP/1.1 200 OK\r\nContent-Length: 10000\r\n";
        transfert->valeurs["Content-Length:"] = " 10000";
        // Within the clock's resolution there is no speed yet.
        transfert->Arriver(std::string(1000, 'a'));
        EXPECT_EQ(Figures(), (std::vector<std::string>{"10000b", "1000b", "0", "0", "0s"}));
        horloge += 2;
        transfert->Arriver(std::string(3000, 'a'));
        EXPECT_EQ(Figures(), (std::vector<std::string>{"10000b", "4000b", "1500b/s", "4s", "2s"}));
        EXPECT_EQ(f.Memoire("ProgressBar").Valeur(), 40);
        EXPECT_EQ(Texte("txtHead"), transfert->entetes);
        EXPECT_EQ(LireFichier(Cible()), "ancien");
        // The speed is that of the last seconds, not of the whole transfer.
        horloge += 10;
        transfert->Arriver(std::string(1000, 'b'));
        horloge += 1;
        transfert->Arriver(std::string(4000, 'c'));
        EXPECT_EQ(Figures(), (std::vector<std::string>{"10000b", "9000b", "4000b/s", "0s", "13s"}));
        transfert->Arriver(std::string(1000, 'd'));
        transfert->Etat(EtatReponseComplete);
    });
    EXPECT_EQ(LireFichier(Cible()), std::string(4000, 'a') + std::string(1000, 'b') +
                                        std::string(4000, 'c') + std::string(1000, 'd'));
    EXPECT_FALSE(frmSock::Defaut().Annule);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(Telechargement,
       WithoutALengthTheBarClosesATwentiethOfTheGapAtEachPieceAndTheLastByteCounts) {
    Afficher([&](FormulaireMemoire& f) {
        transfert->Arriver(std::string(4096 * 3 + 1, 'x'));
        for (const char* c : {"lblTailleTotale", "lblSize", "lblTempsRestant", "lblRemaining"}) {
            EXPECT_FALSE(f.Memoire(c).Visible()) << c;
        }
        EXPECT_EQ(Texte("lblSize"), "0b");
        EXPECT_NEAR(f.Memoire("ProgressBar").Valeur(), 100 * (1 - std::pow(0.95, 4)), 1e-9);
        transfert->Etat(EtatReponseComplete);
    });
    EXPECT_EQ(LireFichier(Cible()), std::string(4096 * 3 + 1, 'x'));
    EXPECT_FALSE(frmSock::Defaut().Annule);
}

TEST_F(Telechargement, AFailureOrAStopLeavesTheEarlierFileAndCountsAsNotDoneEvenAfterASuccess) {
    EcrireFichier(Cible(), "ancien");
    const std::function<void(FormulaireMemoire&)> fins[] = {
        [&](FormulaireMemoire&) { transfert->Etat(EtatReponseComplete); },
        [&](FormulaireMemoire&) {
            transfert->Arriver("moitié");
            transfert->Echouer("La connexion a été coupée avant la fin");
        },
        [&](FormulaireMemoire& f) {
            transfert->Arriver("moitié");
            f.Cliquer("cmdStop");
        },
        [&](FormulaireMemoire&) { transfert->Etat(EtatDeconnecte); },
    };
    for (const auto& fin : fins) {
        Afficher(fin);
    }
    EXPECT_EQ(std::tuple(LireFichier(Cible()), frmSock::Defaut().Annule, Messages()),
              std::tuple(std::string(), true,
                         std::vector<std::string>{"La connexion a été coupée avant la fin"}));
    EXPECT_GE(transfert->annulations, 1);
    // Nothing of the temporary files stays behind.
    EXPECT_EQ(NombreEntrees(dossier.Chemin()), 1);
}

TEST_F(Telechargement, EnTetesShowsAndHidesTheHeadersPaneAndPauseIsNotOffered) {
    frmSock& s = frmSock::Defaut();
    FormulaireMemoire& f = Forme(s);
    EXPECT_FALSE(f.Memoire("cmdPause").Actif());
    // Bytes of no download of this window go nowhere.
    transfert->Arriver("perdu");
    EXPECT_EQ(Texte("lblRecieve"), "");
    std::vector<int> hauteurs{f.Hauteur()};
    for (int i = 0; i < 3; ++i) {
        f.Cliquer("chkEnTetes");
        hauteurs.push_back(f.Hauteur());
    }
    EXPECT_EQ(hauteurs, (std::vector<int>{2460, 5250, 2460, 5250}));
}
