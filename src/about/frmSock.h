// The download window: fetches one address over HTTPS into a local file, either silently
// (LitHTTP) or in view (Afficher), with the size, speed and time figures moving as the bytes
// arrive. The file is written whole or not at all.
#pragma once

#include "forms/Formulaire.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <utility>

namespace monvalor {

class EcritureSure;
class ITransfert;

extern const ConceptionFenetre ConceptionSock;

// The bounds of a silent fetch (a small text: at most this many bytes, within this time) and
// of a download in view (the body cap of any transfer, within this time).
inline constexpr std::uint64_t MaxLecture = 64 * 1024;
inline constexpr std::chrono::milliseconds DelaiLecture{10000};
inline constexpr std::chrono::milliseconds DelaiTelechargement{30 * 60 * 1000};

// The window's heights (client area, twips) without and with the headers pane.
inline constexpr int HauteurSansEnTetes = 2460;
inline constexpr int HauteurAvecEnTetes = 5250;

class frmSock final : public Fenetre, public InstanceParDefaut<frmSock> {
public:
    frmSock();
    ~frmSock() override;

    // Where the next transfer writes; at first FichierDefaut().
    std::string NomFichier;
    std::string Url;
    // True from the start of each visible download until it has been received whole and
    // written in NomFichier's place.
    bool Annule = true;

    // "QUIVSock.dat" in the program's data folder.
    static std::string FichierDefaut();
    // Fetches Url into NomFichier (the body, then CR LF) without showing the window; a failure
    // is told in a message box and leaves NomFichier as it was.
    void LitHTTP();
    // Downloads Url into NomFichier in view, modally over frm; returns once the window is
    // unloaded. Erreur when the file cannot be prepared, before anything is shown.
    void Afficher(Fenetre& frm);
    // Stops the transfer in progress, silent or in view; harmless when none runs.
    void Arreter();

protected:
    void Form_Load() override;
    void Form_QueryUnload() override;
    void Gerer(std::string_view controle, int indice, Evenement evenement) override;

private:
    void cmdDownload_Click();
    void cmdStop_Click();
    void chkEnTetes_Click();
    void Inet_StateChanged(int etat);
    ITransfert& Inet();
    void Recevoir();
    void Achever();

    std::unique_ptr<ITransfert> inet_;
    std::unique_ptr<EcritureSure> sortie_;
    bool enCours_ = false;
    bool premiersOctets_ = false;
    std::int64_t total_ = 0;
    std::int64_t recu_ = 0;
    double debut_ = 0;
    // The last few seconds of the transfer, (moment, bytes received), for the speed.
    std::deque<std::pair<double, std::int64_t>> echantillons_;
};

} // namespace monvalor
