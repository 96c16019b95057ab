// The HTTP transfer control on Windows, over WinHTTP in its asynchronous mode: WinHTTP's
// threads only queue what happened and wake a message-only window of the control; every
// state, read and decision then happens on the window's thread, from the message loop.
//
// Redirects are followed here, not by WinHTTP: each hop gets its certificate checked and its
// address refused unless https, up to five. Certificates: the system's, plus those of the PEM
// file named by MONVALOR_CERTIFICATS; with such a file WinHTTP lets an unknown authority pass
// (names and dates it still checks) and the chain is verified here against both stores before
// any answer is read.
//
// WinHTTP frames the body itself and reads no further than Content-Length: bytes sent beyond
// it, or a server that never ends the connection after a whole body, go unseen here. What it
// lets through is checked: fewer bytes than announced, cuts, malformed headers.
//
// While OpenURL waits, the states go to it and not to the receiver. A new Execute or OpenURL
// replaces the transfer in progress without a state for the old one. After a failure or a
// stop, nothing of the body is handed out.
#pragma once

#include "http/Transfert.h"

#include <windows.h>

#include <wincrypt.h>
#include <winhttp.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

namespace monvalor {

class TransfertWin32 final : public ITransfert {
public:
    // How long a connection may take to open, and a transfer stay without a byte.
    static constexpr std::chrono::milliseconds DelaiDefaut{15000};

    explicit TransfertWin32(std::chrono::milliseconds delai = DelaiDefaut);
    ~TransfertWin32() override;
    TransfertWin32(const TransfertWin32&) = delete;
    TransfertWin32& operator=(const TransfertWin32&) = delete;

    std::string OpenURL(const std::string& url) override;
    void Execute(const std::string& url) override;
    void SurEtat(std::function<void(int etat)> recepteur) override;
    std::string GetHeader() override;
    std::string GetHeader(const std::string& nom) override;
    std::string GetChunk(int taille) override;
    void Cancel() override;
    std::string ResponseInfo() const override;

private:
    enum class Phase { Aucune, Connexion, EnTetes, Corps, Finie };
    struct Attente;
    struct Evenement;
    struct Canal; // what WinHTTP's threads share with the control

    static LRESULT CALLBACK ProcedureFenetre(HWND, UINT, WPARAM, LPARAM);
    static void CALLBACK Rappel(HINTERNET, DWORD_PTR, DWORD, LPVOID, DWORD);
    void Reseau();
    void EtatPlusTard();
    void Delai();
    void Ouvrir(const std::string& adresse);
    void Lacher();
    void Traiter(const Evenement& e);
    void Lire();
    void Entetes();
    void FinCorps();
    void ErreurRequete(DWORD api, DWORD code);
    bool CertificatAccepte();
    std::string DefautCertificat(bool* vu = nullptr);
    bool AjouterCorps(const std::string& octets);
    void Echouer(std::string raison);
    void Terminer();
    bool Notifier(int etat);
    void NotifierPlusTard(int etat);
    void Armer();
    std::string NomServeur() const;

    std::chrono::milliseconds delai_;
    HWND fenetre_ = nullptr;
    HINTERNET session_ = nullptr;
    HINTERNET connexion_ = nullptr;
    HINTERNET requete_ = nullptr;
    std::shared_ptr<Canal> canal_;
    std::function<void(int)> recepteur_;
    Attente* attente_ = nullptr; // the OpenURL waiting for this transfer, if any
    std::shared_ptr<bool> vivant_;
    std::uint64_t generation_ = 0; // one per transfer: late events of an older one are dropped
    std::deque<std::pair<std::uint64_t, int>> etatsPlusTard_;
    bool enExecution_ = false;

    Phase phase_ = Phase::Aucune;
    std::string adresse_;
    std::wstring hote_;
    INTERNET_PORT port_ = 0;
    HCERTSTORE autorites_ = nullptr; // the certificates of MONVALOR_CERTIFICATS, if any
    DWORD defautsCertificat_ = 0;    // what WinHTTP said of a refused certificate
    int redirections_ = 0;
    std::string entetes_;
    bool longueurAnnoncee_ = false;
    bool morceaux_ = false;
    std::uint64_t annonce_ = 0; // Content-Length
    std::uint64_t recus_ = 0;
    std::string corps_;
    std::size_t lu_ = 0; // bytes of corps_ already handed out
    std::string info_;
};

} // namespace monvalor
