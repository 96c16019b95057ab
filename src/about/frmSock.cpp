#include "about/frmSock.h"

#include "http/Protocole.h"
#include "http/Transfert.h"
#include "localisation/Traducteur.h"
#include "services/Services.h"
#include "support/EcritureSure.h"
#include "support/Erreur.h"
#include "support/Fichiers.h"

#include <cmath>
#include <limits>
#include <optional>

namespace monvalor {

namespace {

constexpr int kTailleMorceau = 4096;
// The speed is the average over this many seconds, so that it neither jumps nor lags.
constexpr double kFenetreVitesse = 3.0;

void Avertir(const std::string& texte) {
    Plateforme().boiteMessage->Afficher(texte, MsgExclamation, std::string());
}

double Maintenant() {
    return Plateforme().horloge();
}

std::string Entier(double valeur, const char* unite) {
    return std::to_string(static_cast<std::int64_t>(valeur)) + unite;
}

// The announced length, as the transfer control read it; 0 when none was announced.
std::int64_t Longueur(const std::string& valeur) {
    const std::optional<std::uint64_t> n = http::LireLongueur(http::SansBlancs(valeur));
    if (n && *n > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
        throw Erreur(ErrDepassement);
    }
    return n ? static_cast<std::int64_t>(*n) : 0;
}

} // namespace

frmSock::frmSock() : Fenetre(ConceptionSock), NomFichier(FichierDefaut()) {}

frmSock::~frmSock() {
    if (inet_) {
        inet_->SurEtat(nullptr);
        inet_->Cancel();
    }
}

std::string frmSock::FichierDefaut() {
    return JoindreChemin(RepertoireWindows(), "QUIVSock.dat");
}

ITransfert& frmSock::Inet() {
    if (!inet_) {
        // Kept for the object's life: a transfer may tell its last state while the window
        // unloads because of it.
        inet_ = Plateforme().transferts();
        inet_->SurEtat(
            [this](int etat) { SansErreurNonTraitee([&] { Inet_StateChanged(etat); }); });
    }
    return *inet_;
}

void frmSock::Form_Load() {
    Inet();
    TraduireFormulaire(*this);
}

void frmSock::Gerer(std::string_view controle, int, Evenement evenement) {
    if (evenement != Evenement::Click) {
        return;
    }
    if (controle == "cmdDownload") {
        cmdDownload_Click();
    } else if (controle == "cmdStop") {
        cmdStop_Click();
    } else if (controle == "chkEnTetes") {
        chkEnTetes_Click();
    }
}

void frmSock::LitHTTP() {
    try {
        Charger();
        Inet().Limiter(MaxLecture, DelaiLecture);
        const std::string corps = Inet().OpenURL(Url);
        EcritureSure ecriture(CheminSysteme(NomFichier));
        ecriture.Ecrire(corps);
        ecriture.Ecrire("\r\n");
        ecriture.Valider();
    } catch (const Erreur& e) {
        Avertir(e.Description());
    }
    Decharger();
}

void frmSock::Afficher(Fenetre& frm) {
    Ctl("txtUrl").DefinirTexte(Url);
    cmdDownload_Click();
    MontrerModal(&frm);
}

void frmSock::cmdDownload_Click() {
    for (const char* figure : {"lblRecieve", "lblSpeed", "lblRemaining", "lblElapsed", "lblSize"}) {
        Ctl(figure).DefinirTexte("0");
    }
    Inet().Cancel();
    // Whatever came before, this download is not done until it is.
    Annule = true;
    sortie_ = std::make_unique<EcritureSure>(CheminSysteme(NomFichier));
    enCours_ = true;
    premiersOctets_ = true;
    total_ = recu_ = 0;
    debut_ = Maintenant();
    echantillons_.clear();
    Ctl("ProgressBar").DefinirMax(100);
    Ctl("ProgressBar").DefinirValeur(0);
    Inet().Limiter(http::MaxCorps, DelaiTelechargement);
    Inet().Execute(Url);
}

void frmSock::Inet_StateChanged(int etat) {
    if (!enCours_ || !EstChargee()) {
        return;
    }
    try {
        if (etat == EtatReception) {
            Recevoir();
        } else if (etat == EtatReponseComplete) {
            Achever();
        } else if (etat == EtatErreur) {
            enCours_ = false;
            Avertir(Inet().ResponseInfo());
            Decharger();
        } else if (etat == EtatDeconnecte) {
            Decharger();
        }
    } catch (const Erreur& e) {
        Avertir(e.Description());
        Decharger();
    }
}

void frmSock::Recevoir() {
    if (premiersOctets_) {
        premiersOctets_ = false;
        Ctl("txtHead").DefinirTexte(Inet().GetHeader());
        total_ = Longueur(Inet().GetHeader("Content-Length:"));
        if (total_ == 0) {
            for (const char* c :
                 {"lblTailleTotale", "lblSize", "lblTempsRestant", "lblRemaining"}) {
                Ctl(c).DefinirVisible(false);
            }
        }
        Ctl("lblSize").DefinirTexte(std::to_string(total_) + "b");
    }
    IControle& barre = Ctl("ProgressBar");
    for (std::string morceau = Inet().GetChunk(kTailleMorceau); !morceau.empty();
         morceau = Inet().GetChunk(kTailleMorceau)) {
        recu_ += static_cast<std::int64_t>(morceau.size());
        sortie_->Ecrire(morceau);
        if (total_ == 0) {
            // Of unknown length: a twentieth of the way left at each piece.
            barre.DefinirValeur(barre.Valeur() + (barre.Max() - barre.Valeur()) / 20);
        }
    }
    if (total_ != 0) {
        barre.DefinirValeur(std::min(100.0, static_cast<double>(recu_) / total_ * 100));
    }
    const double maintenant = Maintenant();
    echantillons_.emplace_back(maintenant, recu_);
    while (echantillons_.size() > 2 && echantillons_.front().first < maintenant - kFenetreVitesse) {
        echantillons_.pop_front();
    }
    const double ecoule = maintenant - debut_;
    Ctl("lblRecieve").DefinirTexte(std::to_string(recu_) + "b");
    Ctl("lblElapsed").DefinirTexte(Entier(ecoule, "s"));
    const auto& [depuis, alors] = echantillons_.front();
    const double duree = echantillons_.size() > 1 ? maintenant - depuis : ecoule;
    const double octets = static_cast<double>(recu_ - (echantillons_.size() > 1 ? alors : 0));
    if (duree > 0) {
        const double vitesse = octets / duree;
        Ctl("lblSpeed").DefinirTexte(Entier(vitesse, "b/s"));
        if (total_ != 0 && vitesse > 0) {
            Ctl("lblRemaining")
                .DefinirTexte(Entier(std::max<double>(0, total_ - recu_) / vitesse, "s"));
        }
    }
}

void frmSock::Achever() {
    Recevoir();
    Ctl("ProgressBar").DefinirValeur(Ctl("ProgressBar").Max());
    enCours_ = false;
    sortie_->Valider();
    sortie_.reset();
    Annule = false;
    Decharger();
}

void frmSock::Form_QueryUnload() {
    enCours_ = false;
    // What has not been received whole is dropped: the file keeps what it held.
    sortie_.reset();
    if (inet_) {
        inet_->Cancel();
    }
}

void frmSock::Arreter() {
    if (inet_) {
        inet_->Cancel();
    }
}

void frmSock::cmdStop_Click() {
    Decharger();
}

void frmSock::chkEnTetes_Click() {
    Vue().DefinirHauteur(Vue().Hauteur() == HauteurAvecEnTetes ? HauteurSansEnTetes
                                                               : HauteurAvecEnTetes);
}

} // namespace monvalor
