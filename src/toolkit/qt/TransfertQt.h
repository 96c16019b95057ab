// The HTTP transfer control on Qt: the HTTP core (http/TransfertHttp.h) over a QSslSocket of
// its own, https only.
//
// Why not QNetworkAccessManager: it reads exactly Content-Length bytes and leaves the rest on
// the connection, so a server sending more than it announced goes unnoticed; it takes a body
// ended by the connection as whole without knowing whether the server closed its TLS session;
// it hands out parsed headers, not the status line as received (the download window shows
// "HTTP/1.0 404 Not Found"); and it offers no separate connect and idle time-outs. Over our
// own socket the core reads every byte the server sent.
//
// Certificates: the system's, plus those of the PEM file named by MONVALOR_CERTIFICATS.
#pragma once

#include "http/TransfertHttp.h"

#include <QDateTime>
#include <QList>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QString>

#include <chrono>
#include <memory>
#include <string>

class QObject;
class QSslSocket;
class QTimer;

namespace monvalor {

// How long a connection may take to open, and a transfer stay without a byte.
inline constexpr std::chrono::milliseconds DelaiReseauDefaut = http::DelaiDefaut;

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

class TransfertQt final : public TransfertHttp {
public:
    explicit TransfertQt(std::chrono::milliseconds delai = DelaiReseauDefaut,
                         std::shared_ptr<AutoritesCertification> autorites = nullptr);
    ~TransfertQt() override;

private:
    void Connecter(const http::Adresse& adresse) override;
    void Lacher() override;
    void Armer(std::chrono::milliseconds attente) override;
    void Poster() override;
    void Attendre(Attente& attente) override;
    void CorpsReserve(std::string& corps) override;

    // Hands the core what the socket holds; false when the transfer went elsewhere meanwhile.
    bool Lire();
    void Fermee(bool finTls);

    std::shared_ptr<AutoritesCertification> autorites_;
    std::unique_ptr<QObject> contexte_;
    QSslSocket* socket_ = nullptr;
    QTimer* minuterie_ = nullptr;
};

} // namespace monvalor
