#include "dialogs/frmRepertoire.h"

#include "localisation/Traducteur.h"
#include "services/Services.h"
#include "support/Erreur.h"
#include "support/TexteSource.h"

namespace monvalor {

namespace {

const std::string_view kTexte = u8"txtRépertoire"_ansi;

// The failure's own text, with the single OK button and the program's title.
void Signaler(const Erreur& e) {
    Plateforme().boiteMessage->Afficher(e.Description(), MsgOK, std::string());
}

} // namespace

frmRepertoire::frmRepertoire() : Fenetre(ConceptionRepertoire) {}

void frmRepertoire::Form_Load() {
    Positionner();
}

void frmRepertoire::Gerer(std::string_view controle, int, Evenement evenement) {
    if (evenement == Evenement::Change) {
        if (controle == "drvHisto") {
            drvHisto_Change();
        } else if (controle == "dirHisto") {
            dirHisto_Change();
        }
    } else if (evenement == Evenement::Click) {
        if (controle == u8"cmdValideRépertoire"_ansi) {
            cmdValideRepertoire_Click();
        } else if (controle == "OKButton") {
            OKButton_Click();
        } else if (controle == "CancelButton") {
            CancelButton_Click();
        }
    }
}

void frmRepertoire::Positionner() {
    enPositionnement_ = true;
    try {
        if (!Repertoire.empty()) {
            Ctl("drvHisto").DefinirTexte(Repertoire);
            Ctl("dirHisto").DefinirTexte(Repertoire);
        }
        Ctl(kTexte).DefinirTexte(Ctl("dirHisto").Texte());
        TraduireFormulaire(*this);
    } catch (const Erreur& e) {
        enPositionnement_ = false;
        Signaler(e);
        return;
    }
    enPositionnement_ = false;
}

void frmRepertoire::drvHisto_Change() {
    try {
        Ctl("dirHisto").DefinirTexte(Ctl("drvHisto").Texte());
        Ctl(kTexte).DefinirTexte(Ctl("dirHisto").Texte());
    } catch (const Erreur& e) {
        // Positioning goes on to the folder on that drive and tells its own failure: one box
        // for one failure.
        if (!enPositionnement_) {
            Signaler(e);
        }
    }
}

void frmRepertoire::dirHisto_Change() {
    Ctl(kTexte).DefinirTexte(Ctl("dirHisto").Texte());
}

void frmRepertoire::cmdValideRepertoire_Click() {
    Repertoire = Ctl(kTexte).Texte();
    Positionner();
}

void frmRepertoire::OKButton_Click() {
    Repertoire = Ctl("dirHisto").Texte();
    Cacher();
}

void frmRepertoire::CancelButton_Click() {
    Repertoire.clear();
    Cacher();
}

} // namespace monvalor
