// What a transfer control does whatever carries its bytes: the states and when they come, the
// redirects, the time-outs' verdicts, the failures and their texts, the body handed out, and
// OpenURL's wait. A face derives from it and gives only its transport (a socket, WinHTTP),
// its timer and its way of calling back from the event loop.
//
// While OpenURL waits, the states go to it and not to the receiver: a window's handler would
// otherwise take the body's chunks from under it. A new Execute or OpenURL replaces the
// transfer in progress without a state for the old one (an OpenURL so replaced fails as
// stopped). Nothing follows a transfer's last state. After a failure or a stop, nothing of the
// body is handed out. The control may be destroyed from inside its receiver.
#pragma once

#include "http/Protocole.h"
#include "http/Transfert.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace monvalor {

class TransfertHttp : public ITransfert {
public:
    TransfertHttp(std::chrono::milliseconds delai, bool corpsCadreParLeTransport);
    ~TransfertHttp() override;
    TransfertHttp(const TransfertHttp&) = delete;
    TransfertHttp& operator=(const TransfertHttp&) = delete;

    std::string OpenURL(const std::string& url) override;
    void Execute(const std::string& url) override;
    // Until called: http::MaxCorps and http::EcheanceDefaut.
    void Limiter(std::uint64_t maxCorps, std::chrono::milliseconds echeance) override;
    void SurEtat(std::function<void(int etat)> recepteur) override;
    std::string GetHeader() override;
    std::string GetHeader(const std::string& nom) override;
    std::string GetChunk(int taille) override;
    void Cancel() override;
    std::string ResponseInfo() const override;

protected:
    // What OpenURL waits for; the face's loop runs until `finie`, and `reveiller` (set by the
    // face while it waits) ends its wait at once.
    struct Attente {
        bool finie = false;
        int etat = EtatAucun;
        bool remplacee = false; // another transfer took the control over
        std::function<void()> reveiller;
    };
    enum class Phase { Aucune, Connexion, EnTetes, Corps, Finie };

    // --- what the face gives ---
    // A refusal of the address before anything is sent ("" when it may be fetched).
    virtual std::string Preparer(const http::Adresse&) { return {}; }
    // Opens a connection to the address and sends the request once it is secured, then says
    // so with RequeteEnvoyee. A failure is told with Echouer.
    virtual void Connecter(const http::Adresse& adresse) = 0;
    // Lets go of the connection and stops the timer; nothing more comes from them.
    virtual void Lacher() = 0;
    // (Re)starts the timer for `attente` (0 included): Delai() when it runs out.
    virtual void Armer(std::chrono::milliseconds attente) = 0;
    // Has EtatPoste() called from the event loop, once per call.
    virtual void Poster() = 0;
    // Runs the event loop until `attente.finie`; may return before when the loop is ended.
    virtual void Attendre(Attente& attente) = 0;
    // The body's room was just reserved.
    virtual void CorpsReserve(std::string&) {}

    // --- what the face tells ---
    // The connection is secured and the request on its way: the wait for an answer begins.
    void Securisee();
    // The request left (Securisee included). False when the transfer is no longer this one
    // (stopped, replaced, destroyed): the caller then returns at once.
    bool RequeteEnvoyee();
    // Bytes of the answer (with a framing transport: body bytes). False as above, or when the
    // answer needs no more of this connection.
    bool Recevoir(std::string_view octets);
    // The header block whole, from a framing transport. True when the body is to be read.
    bool Entetes(std::string_view bloc);
    // The connection ended (a framing transport: the body ended); `finTls` as Reponse::Fin.
    void FinConnexion(bool finTls);
    // The timer ran out: the idle time-out or the deadline, whichever it was armed for.
    void Delai();
    void EtatPoste();
    void Echouer(std::string raison);

    Phase Etape() const { return phase_; }
    // The body is being received (or its end awaited).
    bool EnCorps() const { return phase_ == Phase::Corps; }
    const http::Adresse& Cible() const { return adresse_; }
    // The texts of a cut: what the connection's failure means at this point.
    std::string Coupure() const;
    std::chrono::milliseconds DelaiReseau() const { return delai_; }
    // False once the control is destroyed: what runs after a call that may destroy it asks.
    const std::shared_ptr<bool>& Vivant() const { return vivant_; }
    // Whether a receiver's call is on the stack.
    bool EnNotification() const { return enNotification_ > 0; }

private:
    void Ouvrir(const http::Adresse& adresse);
    void Relancer();
    bool Suite(http::Reponse::Issue issue, std::uint64_t recusAvant);
    void Terminer();
    bool Notifier(int etat);
    void NotifierPlusTard(int etat);
    static void Liberer(Attente& attente);

    std::chrono::milliseconds delai_;
    bool cadre_;
    // As Limiter set them, for the transfers to come; then those of the transfer in progress.
    std::uint64_t maxCorpsDemande_ = http::MaxCorps;
    std::chrono::milliseconds echeanceDemandee_ = http::EcheanceDefaut;
    std::uint64_t maxCorps_ = http::MaxCorps;
    std::chrono::milliseconds echeance_ = http::EcheanceDefaut;
    std::chrono::steady_clock::time_point fin_; // the deadline
    bool finProche_ = false; // the timer was armed for the deadline, not the idle time-out
    std::function<void(int)> recepteur_;
    Attente* attente_ = nullptr; // the OpenURL waiting for this transfer, if any
    std::shared_ptr<bool> vivant_ = std::make_shared<bool>(true);
    std::uint64_t generation_ = 0; // one per transfer: late events of an older one are dropped
    std::uint64_t saut_ = 0;       // one per connection of a transfer
    std::deque<std::pair<std::uint64_t, int>> etatsPlusTard_;
    bool dernierEtatDonne_ = false;
    int enNotification_ = 0;
    bool enExecution_ = false;

    Phase phase_ = Phase::Aucune;
    http::Adresse adresse_;
    int redirections_ = 0;
    std::optional<http::Reponse> reponse_; // of the connection in progress, or the last one
    bool reserve_ = false;
    std::string corps_;
    std::size_t lu_ = 0; // bytes of corps_ already handed out
    std::string info_;
};

} // namespace monvalor
