#include "toolkit/qt/TransfertQt.h"

#include "http/TextesTransfert.h"
#include "toolkit/qt/TexteQt.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QObject>
#include <QSslError>
#include <QSslSocket>
#include <QTimer>

#include <arpa/inet.h>
#include <cstdlib>
#include <netinet/in.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <utility>

namespace monvalor {

using namespace textes_transfert;

namespace {

std::string RaisonCertificat(const QList<QSslError>& erreurs, const std::string& hote) {
    for (const QSslError& e : erreurs) {
        switch (e.error()) {
        case QSslError::HostNameMismatch:
            return CertificatNom(hote);
        case QSslError::CertificateExpired:
            return CertificatExpire(hote);
        case QSslError::CertificateNotYetValid:
            return CertificatPasEncore(hote);
        default:
            break;
        }
    }
    return CertificatInconnu(hote);
}

// Whether the socket's descriptor is still the connection Qt opened: open, and bound to the
// local port Qt knows (a number closed and given again to another socket would not be).
bool DescripteurOuvert(const QSslSocket& s) {
    const qintptr fd = s.socketDescriptor();
    if (fd < 0) {
        return false;
    }
    sockaddr_storage adresse{};
    socklen_t taille = sizeof adresse;
    if (getsockname(static_cast<int>(fd), reinterpret_cast<sockaddr*>(&adresse), &taille) != 0) {
        return false;
    }
    std::uint16_t port = 0;
    if (adresse.ss_family == AF_INET) {
        port = ntohs(reinterpret_cast<const sockaddr_in*>(&adresse)->sin_port);
    } else if (adresse.ss_family == AF_INET6) {
        port = ntohs(reinterpret_cast<const sockaddr_in6*>(&adresse)->sin6_port);
    } else {
        return false;
    }
    return port != 0 && port == s.localPort();
}

// A large body is written once into fresh memory, where touching each 4 KiB page for the
// first time costs more than the copy into it: asking for 2 MiB pages where the system gives
// them on request divides those first touches by 512.
void GrandesPages(std::string& tampon) {
    constexpr std::uintptr_t Page = std::uintptr_t{2} << 20;
    if (tampon.capacity() < 4 * Page) {
        return;
    }
    const auto debut = reinterpret_cast<std::uintptr_t>(tampon.data());
    const std::uintptr_t premier = (debut + Page - 1) & ~(Page - 1);
    const std::uintptr_t fin = (debut + tampon.capacity()) & ~(Page - 1);
    if (fin > premier) {
        madvise(reinterpret_cast<void*>(premier), fin - premier, MADV_HUGEPAGE);
    }
}

} // namespace

QSslConfiguration AutoritesCertification::Configuration() {
    QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
    conf.setPeerVerifyMode(QSslSocket::VerifyPeer);
    const char* variable = std::getenv("MONVALOR_CERTIFICATS");
    const QString fichier = QString::fromLocal8Bit(variable ? variable : "");
    if (fichier.isEmpty()) {
        return conf;
    }
    const QFileInfo info(fichier);
    const QDateTime date = info.lastModified();
    if (fichier != fichier_ || date != date_ || info.size() != taille_) {
        fichier_ = fichier;
        date_ = date;
        taille_ = info.size();
        liste_.clear();
        const QList<QSslCertificate> en_plus = QSslCertificate::fromPath(
            fichier, QSsl::Pem, QSslCertificate::PatternSyntax::FixedString);
        if (!en_plus.isEmpty()) {
            // Setting the list ends Qt's loading of the system's on demand: name them too.
            liste_ = QSslConfiguration::systemCaCertificates() + en_plus;
        }
    }
    if (!liste_.isEmpty()) {
        conf.setCaCertificates(liste_);
    }
    return conf;
}

TransfertQt::TransfertQt(std::chrono::milliseconds delai,
                         std::shared_ptr<AutoritesCertification> autorites)
    : TransfertHttp(delai, false),
      autorites_(autorites ? std::move(autorites) : std::make_shared<AutoritesCertification>()),
      contexte_(std::make_unique<QObject>()) {
    minuterie_ = new QTimer(contexte_.get());
    minuterie_->setSingleShot(true);
    QObject::connect(minuterie_, &QTimer::timeout, contexte_.get(), [this] { Delai(); });
}

TransfertQt::~TransfertQt() {
    if (socket_) {
        socket_->disconnect();
        socket_->abort();
    }
    minuterie_->disconnect();
    minuterie_->stop();
    if (EnNotification()) {
        // We are being destroyed from inside one of our own callbacks: the socket or the timer
        // that called is still on the stack. The states still queued would find us gone.
        QCoreApplication::removePostedEvents(contexte_.get(), QEvent::MetaCall);
        contexte_.release()->deleteLater();
    }
}

void TransfertQt::Poster() {
    QMetaObject::invokeMethod(
        contexte_.get(), [this] { EtatPoste(); }, Qt::QueuedConnection);
}

void TransfertQt::Attendre(Attente& attente) {
    QEventLoop boucle;
    attente.reveiller = [&boucle] { boucle.quit(); };
    if (!attente.finie) {
        boucle.exec();
    }
    attente.reveiller = nullptr;
}

void TransfertQt::Armer(std::chrono::milliseconds attente) {
    minuterie_->start(attente);
}

void TransfertQt::CorpsReserve(std::string& corps) {
    GrandesPages(corps);
}

void TransfertQt::Lacher() {
    minuterie_->stop();
    if (!socket_) {
        return;
    }
    QSslSocket* s = socket_;
    socket_ = nullptr;
    s->disconnect();
    s->abort();
    // Often called from the socket's own signal, which goes on using it after we return.
    s->deleteLater();
}

void TransfertQt::Connecter(const http::Adresse& adresse) {
    socket_ = new QSslSocket(contexte_.get());
    QSslSocket* s = socket_;
    s->setSslConfiguration(autorites_->Configuration());
    QObject::connect(s, &QSslSocket::encrypted, s, [this] {
        socket_->write(QByteArray::fromStdString(http::Requete(Cible())));
        RequeteEnvoyee();
    });
    QObject::connect(s, &QSslSocket::readyRead, s, [this] { Lire(); });
    QObject::connect(s, &QSslSocket::disconnected, s, [this] { Fermee(false); });
    QObject::connect(s, &QSslSocket::sslErrors, s, [this](const QList<QSslError>& erreurs) {
        // Never ignored: the handshake then fails, and says why here.
        Echouer(RaisonCertificat(erreurs, Cible().hote));
    });
    QObject::connect(s, &QSslSocket::errorOccurred, s, [this](QAbstractSocket::SocketError e) {
        switch (e) {
        case QAbstractSocket::RemoteHostClosedError:
            // Qt tells the TLS close_notify from a bare TCP end only this way: on the alert it
            // closes the connection itself, its descriptor still open when it reports the end;
            // on a FIN or a reset the descriptor is closed already. Only a close-delimited
            // body needs to know: without the alert, a cut looks like its end.
            Fermee(socket_ && DescripteurOuvert(*socket_));
            break;
        case QAbstractSocket::ConnectionRefusedError:
            Echouer(Refusee(Cible().Serveur()));
            break;
        case QAbstractSocket::HostNotFoundError:
            Echouer(Introuvable(Cible().hote));
            break;
        case QAbstractSocket::SslHandshakeFailedError:
            Echouer(EchecTls(Cible().Serveur()));
            break;
        default:
            Echouer(ErreurReseau(Cible().Serveur(),
                                 DepuisQString(socket_ ? socket_->errorString() : QString())));
            break;
        }
    });
    s->connectToHostEncrypted(QString::fromStdString(adresse.hote), adresse.port);
}

bool TransfertQt::Lire() {
    if (!socket_ || socket_->bytesAvailable() <= 0) {
        return socket_ != nullptr;
    }
    // The whole of what is there: QIODevice then hands over its buffer's block itself, and
    // appending it to the body is the only copy made.
    const QByteArray bloc = socket_->readAll();
    return Recevoir(std::string_view(bloc.constData(), static_cast<std::size_t>(bloc.size())));
}

void TransfertQt::Fermee(bool finTls) {
    // What was still buffered when the peer closed comes first.
    if (Lire()) {
        FinConnexion(finTls);
    }
}

} // namespace monvalor
