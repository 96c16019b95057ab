#include "http/TransfertHttp.h"

#include "http/TextesTransfert.h"
#include "support/Erreur.h"

#include <algorithm>

namespace monvalor {

using namespace textes_transfert;

namespace {

bool Terminal(int etat) {
    return etat == EtatReponseComplete || etat == EtatErreur || etat == EtatDeconnecte;
}

} // namespace

TransfertHttp::TransfertHttp(std::chrono::milliseconds delai, bool corpsCadreParLeTransport)
    : delai_(delai), cadre_(corpsCadreParLeTransport) {}

TransfertHttp::~TransfertHttp() {
    *vivant_ = false;
    if (attente_) {
        attente_->remplacee = true;
        Liberer(*attente_);
    }
}

void TransfertHttp::Liberer(Attente& attente) {
    attente.finie = true;
    if (attente.reveiller) {
        attente.reveiller();
    }
}

void TransfertHttp::SurEtat(std::function<void(int)> recepteur) {
    recepteur_ = std::move(recepteur);
}

bool TransfertHttp::Notifier(int etat) {
    if (dernierEtatDonne_) {
        return false;
    }
    dernierEtatDonne_ = Terminal(etat);
    if (attente_) {
        if (dernierEtatDonne_) {
            attente_->etat = etat;
            Liberer(*attente_);
        }
        return true;
    }
    if (!recepteur_) {
        return true;
    }
    const std::shared_ptr<bool> vivant = vivant_;
    const std::uint64_t generation = generation_;
    const std::function<void(int)> recepteur = recepteur_; // it may replace itself
    ++enNotification_;
    recepteur(etat);
    if (!*vivant) {
        return false;
    }
    --enNotification_;
    return generation == generation_;
}

void TransfertHttp::NotifierPlusTard(int etat) {
    etatsPlusTard_.emplace_back(generation_, etat);
    Poster();
}

void TransfertHttp::EtatPoste() {
    if (etatsPlusTard_.empty()) {
        return;
    }
    const auto [generation, etat] = etatsPlusTard_.front();
    etatsPlusTard_.pop_front();
    if (generation == generation_) {
        Notifier(etat);
    }
}

void TransfertHttp::Limiter(std::uint64_t maxCorps, std::chrono::milliseconds echeance) {
    // A year is beyond any use, and keeps the deadline within what steady_clock can add.
    constexpr std::chrono::milliseconds Plafond = std::chrono::hours(24 * 365);
    maxCorpsDemande_ = std::min(maxCorps, http::MaxCorps);
    echeanceDemandee_ = std::clamp(echeance, std::chrono::milliseconds(0), Plafond);
}

void TransfertHttp::Execute(const std::string& url) {
    if (attente_) {
        attente_->remplacee = true;
        Liberer(*std::exchange(attente_, nullptr));
    }
    ++generation_;
    dernierEtatDonne_ = false;
    Lacher();
    info_.clear();
    redirections_ = 0;
    reponse_.reset();
    corps_.clear();
    lu_ = 0;
    maxCorps_ = maxCorpsDemande_;
    echeance_ = echeanceDemandee_;
    fin_ = std::chrono::steady_clock::now() + echeance_;
    http::Refus refus = http::Refus::Aucun;
    const std::optional<http::Adresse> adresse = http::LireAdresse(url, &refus);
    std::string raison = refus == http::Refus::PasHttps   ? SeulHttps(url)
                         : refus == http::Refus::Invalide ? AdresseInvalide(url)
                                                          : Preparer(*adresse);
    if (!raison.empty()) {
        phase_ = Phase::Finie;
        info_ = std::move(raison);
        NotifierPlusTard(EtatErreur);
        return;
    }
    enExecution_ = true;
    Ouvrir(*adresse);
    enExecution_ = false;
}

void TransfertHttp::Ouvrir(const http::Adresse& adresse) {
    Lacher();
    adresse_ = adresse;
    reponse_.emplace(adresse, cadre_, maxCorps_);
    reserve_ = false;
    corps_.clear();
    corps_.shrink_to_fit();
    lu_ = 0;
    phase_ = Phase::Connexion;
    Relancer();
    NotifierPlusTard(EtatConnexion);
    Connecter(adresse_);
}

void TransfertHttp::Securisee() {
    if (phase_ == Phase::Connexion) {
        phase_ = Phase::EnTetes;
        Relancer();
    }
}

bool TransfertHttp::RequeteEnvoyee() {
    Securisee();
    return phase_ == Phase::EnTetes && Notifier(EtatRequeteEnvoyee);
}

bool TransfertHttp::Recevoir(std::string_view octets) {
    if (!reponse_ || (phase_ != Phase::EnTetes && phase_ != Phase::Corps)) {
        return false;
    }
    Relancer();
    const std::uint64_t avant = reponse_->Recus();
    return Suite(reponse_->Recevoir(octets, corps_), avant);
}

bool TransfertHttp::Entetes(std::string_view bloc) {
    if (!reponse_ || phase_ != Phase::EnTetes) {
        return false;
    }
    return Suite(reponse_->Entetes(bloc), reponse_->Recus()) && EnCorps();
}

void TransfertHttp::FinConnexion(bool finTls) {
    if (phase_ == Phase::Connexion) {
        Echouer(SansReponse());
    } else if (reponse_ && (phase_ == Phase::EnTetes || phase_ == Phase::Corps)) {
        Suite(reponse_->Fin(finTls), reponse_->Recus());
    }
}

// What the answer's reading came to; true when the transfer goes on over this connection.
bool TransfertHttp::Suite(http::Reponse::Issue issue, std::uint64_t recusAvant) {
    switch (issue) {
    case http::Reponse::Issue::Echec:
        Echouer(reponse_->Raison());
        return false;
    case http::Reponse::Issue::Complete:
        Terminer();
        return false;
    case http::Reponse::Issue::Redirection:
        if (++redirections_ > http::MaxRedirections) {
            Echouer(TropDeRedirections(http::MaxRedirections));
        } else {
            Ouvrir(http::Adresse(reponse_->Suivante()));
        }
        return false;
    case http::Reponse::Issue::Suite:
        break;
    }
    if (reponse_->Etape() != http::Reponse::Phase::EnTetes) {
        phase_ = Phase::Corps;
        if (!reserve_) {
            reserve_ = true;
            Relancer();
            // What is announced is not yet there: a lying server gets no more than this.
            corps_.reserve(static_cast<std::size_t>(reponse_->AReserver()));
            CorpsReserve(corps_);
        }
    }
    return reponse_->Recus() == recusAvant || Notifier(EtatReception);
}

std::string TransfertHttp::Coupure() const {
    return reponse_ ? reponse_->Coupure() : SansReponse();
}

// The face's one timer runs out at the idle time-out or at the deadline, whichever is first.
void TransfertHttp::Relancer() {
    const auto reste =
        std::chrono::ceil<std::chrono::milliseconds>(fin_ - std::chrono::steady_clock::now());
    finProche_ = reste <= delai_;
    Armer(std::max(std::min(reste, delai_), std::chrono::milliseconds(0)));
}

void TransfertHttp::Delai() {
    if (finProche_) {
        Echouer(EcheanceDepassee(echeance_));
        return;
    }
    Echouer(phase_ == Phase::Connexion ? DelaiConnexion(delai_, adresse_.Serveur())
                                       : Silence(delai_));
}

void TransfertHttp::Echouer(std::string raison) {
    if (phase_ == Phase::Finie || phase_ == Phase::Aucune) {
        return;
    }
    Lacher();
    phase_ = Phase::Finie;
    info_ = std::move(raison);
    // What came of a failed transfer is not to be taken for any part of it.
    corps_.clear();
    corps_.shrink_to_fit();
    lu_ = 0;
    if (enExecution_) {
        NotifierPlusTard(EtatErreur); // the states come from the event loop, never from Execute
    } else {
        Notifier(EtatErreur);
    }
}

void TransfertHttp::Terminer() {
    Lacher();
    phase_ = Phase::Finie;
    Notifier(EtatReponseComplete);
}

std::string TransfertHttp::OpenURL(const std::string& url) {
    Execute(url);
    Attente attente;
    attente_ = &attente;
    const std::shared_ptr<bool> vivant = vivant_;
    Attendre(attente);
    if (!*vivant) {
        throw Erreur(ErrAccesChemin, Arrete());
    }
    if (attente_ == &attente) {
        attente_ = nullptr;
    }
    if (!attente.finie) {
        Cancel(); // the event loop was ended under the wait
        throw Erreur(ErrAccesChemin, Arrete());
    }
    if (attente.remplacee) {
        throw Erreur(ErrAccesChemin, Arrete());
    }
    if (attente.etat != EtatReponseComplete) {
        throw Erreur(ErrAccesChemin, info_.empty() ? Arrete() : info_);
    }
    std::string corps = lu_ == 0 ? std::move(corps_) : corps_.substr(lu_);
    corps_.clear();
    lu_ = 0;
    return corps;
}

std::string TransfertHttp::GetHeader() {
    return reponse_ ? reponse_->TexteEntetes() : std::string();
}

std::string TransfertHttp::GetHeader(const std::string& nom) {
    return reponse_ ? http::ValeurEntete(reponse_->TexteEntetes(), nom) : std::string();
}

std::string TransfertHttp::GetChunk(int taille) {
    if (taille <= 0 || lu_ >= corps_.size()) {
        return {};
    }
    const std::size_t n = std::min(static_cast<std::size_t>(taille), corps_.size() - lu_);
    std::string morceau = corps_.substr(lu_, n);
    lu_ += n;
    if (lu_ == corps_.size()) {
        corps_.clear();
        lu_ = 0;
    } else if (lu_ > (std::size_t{1} << 20) && lu_ > corps_.size() / 2) {
        corps_.erase(0, lu_);
        lu_ = 0;
    }
    return morceau;
}

void TransfertHttp::Cancel() {
    if (phase_ == Phase::Aucune || phase_ == Phase::Finie) {
        return;
    }
    Lacher();
    phase_ = Phase::Finie;
    info_ = Arrete();
    corps_.clear();
    lu_ = 0;
    // Later: Cancel is called from the window's closing, which must not run again inside it.
    NotifierPlusTard(EtatDeconnecte);
}

std::string TransfertHttp::ResponseInfo() const {
    return info_;
}

} // namespace monvalor
