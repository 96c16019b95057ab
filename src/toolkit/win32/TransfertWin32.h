// The HTTP transfer control on Windows: the HTTP core (http/TransfertHttp.h) over WinHTTP in
// its asynchronous mode. WinHTTP's threads only queue what happened and wake a message-only
// window of the control; every state, read and decision then happens on the window's thread,
// from the message loop.
//
// Redirects are followed by the core, not by WinHTTP: each hop gets its certificate checked
// and its address refused unless https. Certificates: the system's, plus those of the PEM file
// named by MONVALOR_CERTIFICATS; with such a file WinHTTP lets an unknown authority pass
// (names and dates it still checks) and the chain is verified here against both stores before
// any answer is read.
//
// WinHTTP frames the body itself and reads no further than Content-Length: bytes sent beyond
// it, or a server that never ends the connection after a whole body, go unseen here. What it
// lets through is checked: fewer bytes than announced, cuts, malformed headers.
#pragma once

#include "http/TransfertHttp.h"
#include "toolkit/win32/FenetreMessages.h"
#include "toolkit/win32/Poignees.h"

#include <windows.h>

#include <wincrypt.h>
#include <winhttp.h>

#include <chrono>
#include <memory>
#include <string>

namespace monvalor {

class TransfertWin32 final : public TransfertHttp {
public:
    // How long a connection may take to open, and a transfer stay without a byte.
    static constexpr std::chrono::milliseconds DelaiDefaut = http::DelaiDefaut;

    explicit TransfertWin32(std::chrono::milliseconds delai = DelaiDefaut);
    ~TransfertWin32() override;

private:
    struct Evenement;
    struct Canal; // what WinHTTP's threads share with the control

    std::string Preparer(const http::Adresse& adresse) override;
    void Connecter(const http::Adresse& adresse) override;
    void Lacher() override;
    void Armer(std::chrono::milliseconds attente) override;
    void Poster() override;
    void Attendre(Attente& attente) override;

    static void CALLBACK Rappel(HINTERNET, DWORD_PTR, DWORD, LPVOID, DWORD);
    bool Message(UINT message, WPARAM w);
    void Reseau();
    void Traiter(const Evenement& e);
    void Lire();
    void LireEntetes();
    void ErreurRequete(DWORD code);
    bool CertificatAccepte();
    std::string DefautCertificat(bool* vu = nullptr);

    FenetreMessages fenetre_;
    PoigneeInternet session_;
    PoigneeInternet connexion_;
    PoigneeInternet requete_;
    std::shared_ptr<Canal> canal_;
    std::wstring hote_;
    MagasinCertificats autorites_; // the certificates of MONVALOR_CERTIFICATS, if any
    DWORD defautsCertificat_ = 0;  // what WinHTTP said of a refused certificate
};

} // namespace monvalor
