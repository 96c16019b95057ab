// The HTTP transfer control on Qt: a small HTTP/1.1 GET client over QSslSocket, https only.
//
// Why not QNetworkAccessManager: it reads exactly Content-Length bytes and leaves the rest on
// the connection, so a server sending more than it announced goes unnoticed; it hands out
// parsed headers, not the status line as received (the download window looks for
// "HTTP/1.1 404 Not Found" in it); and it offers no separate connect and idle time-outs. Over
// our own socket each of these is a few lines.
//
// One request per connection (Connection: close); chunked and close-delimited bodies; up to
// five redirects, never to http. Certificates: the system's, plus those of the PEM file named
// by MONVALOR_CERTIFICATS.
//
// While OpenURL waits, the states go to it and not to the receiver: a window's handler would
// otherwise take the body's chunks from under it. A new Execute or OpenURL replaces the
// transfer in progress without a state for the old one (an OpenURL so replaced fails as
// stopped). After a failure or a stop, nothing of the body is handed out.
#pragma once

#include "http/Transfert.h"

#include <QDateTime>
#include <QList>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QString>
#include <QUrl>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QObject;
class QSslSocket;
class QTimer;

namespace monvalor {

// How long a connection may take to open, and a transfer stay without a byte.
inline constexpr std::chrono::milliseconds DelaiReseauDefaut{15000};
// Redirects followed before giving up.
inline constexpr int MaxRedirections = 5;
// Largest header block and body accepted: beyond them a server could only exhaust memory.
inline constexpr std::size_t MaxEntetes = 64 * 1024;
inline constexpr std::uint64_t MaxCorps = std::uint64_t{1} << 30;
inline constexpr std::uint64_t MaxReserve = std::uint64_t{256} << 20;

// The certificates the transfers trust: the system's, which Qt loads as it needs them, plus
// those of the PEM file named by MONVALOR_CERTIFICATS. Naming extra ones means naming the
// system's too, a tenth of a second to read: done once per version of the file, and shared
// by the transfers of one program.
class AutoritesCertification {
public:
    QSslConfiguration Configuration();

private:
    QString fichier_;
    QDateTime date_;
    qint64 taille_ = -1;
    QList<QSslCertificate> liste_;
};

class TransfertQt final : public ITransfert {
public:
    explicit TransfertQt(std::chrono::milliseconds delai = DelaiReseauDefaut,
                         std::shared_ptr<AutoritesCertification> autorites = nullptr);
    ~TransfertQt() override;
    TransfertQt(const TransfertQt&) = delete;
    TransfertQt& operator=(const TransfertQt&) = delete;

    std::string OpenURL(const std::string& url) override;
    void Execute(const std::string& url) override;
    void SurEtat(std::function<void(int etat)> recepteur) override;
    std::string GetHeader() override;
    std::string GetHeader(const std::string& nom) override;
    std::string GetChunk(int taille) override;
    void Cancel() override;
    std::string ResponseInfo() const override;

private:
    enum class Phase { Aucune, Connexion, EnTetes, Corps, AttenteFin, Finie };
    enum class Delimitation { Longueur, Morceaux, Fermeture };
    struct Attente;

    void Ouvrir(const QUrl& url);
    void Lacher();
    void Recevoir();
    void FinConnexion();
    void Echouer(std::string raison);
    void Terminer();
    bool Notifier(int etat);
    void NotifierPlusTard(int etat);
    bool AnalyserEntetes();
    bool AjouterCorps(const char* octets, std::size_t n);
    bool LireMorceaux(const char* octets, std::size_t n);

    std::chrono::milliseconds delai_;
    std::shared_ptr<AutoritesCertification> autorites_;
    std::unique_ptr<QObject> contexte_;
    QSslSocket* socket_ = nullptr;
    QTimer* minuterie_ = nullptr;
    std::function<void(int)> recepteur_;
    Attente* attente_ = nullptr; // the OpenURL waiting for this transfer, if any
    std::shared_ptr<bool> vivant_;
    std::uint64_t generation_ = 0; // one per transfer: late events of an older one are dropped
    int enNotification_ = 0;
    bool enExecution_ = false;

    Phase phase_ = Phase::Aucune;
    QUrl url_;
    int redirections_ = 0;
    std::string brut_; // header bytes until the blank line
    std::string entetes_;
    int statut_ = 0;
    Delimitation delimitation_ = Delimitation::Fermeture;
    std::uint64_t annonce_ = 0; // Content-Length
    std::uint64_t recus_ = 0;   // body bytes received
    // Chunked bodies: the size line or trailer being read, and what is left of the chunk.
    std::string ligne_;
    std::uint64_t resteMorceau_ = 0;
    enum class Morceau { Taille, Donnees, FinDonnees, Annexes } morceau_ = Morceau::Taille;
    std::string corps_;
    std::size_t lu_ = 0;  // bytes of corps_ already handed out
    bool finTls_ = false; // the server ended the TLS session before the connection
    std::string info_;
};

} // namespace monvalor
