#include "toolkit/qt/TransfertQt.h"

#include "http/TextesTransfert.h"
#include "support/Erreur.h"
#include "toolkit/qt/TexteQt.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QFileInfo>
#include <QObject>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <QSslSocket>
#include <QTimer>

#include <algorithm>
#include <arpa/inet.h>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <utility>
#include <vector>

namespace monvalor {

using namespace textes_transfert;

struct TransfertQt::Attente {
    QEventLoop boucle;
    int etat = EtatAucun;
    bool remplacee = false; // another transfer took the control over
};

namespace {

char Minuscule(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool MemesLettres(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Minuscule(x) == Minuscule(y);
           });
}

std::string_view SansBlancs(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

// A Content-Length value: decimal digits only, and no more than a body may hold.
bool LireLongueur(std::string_view s, std::uint64_t& n) {
    if (s.empty() || s.size() > 19) {
        return false;
    }
    n = 0;
    for (char c : s) {
        if (c < '0' || c > '9') {
            return false;
        }
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return true;
}

bool EstRedirection(int statut) {
    return statut == 301 || statut == 302 || statut == 303 || statut == 307 || statut == 308;
}

std::string NomServeur(const QUrl& url) {
    return DepuisQString(url.host()) + ':' + Decimal(static_cast<std::uint64_t>(url.port(443)));
}

std::string RaisonCertificat(const QList<QSslError>& erreurs, const QUrl& url) {
    const std::string hote = DepuisQString(url.host());
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
    : delai_(delai),
      autorites_(autorites ? std::move(autorites) : std::make_shared<AutoritesCertification>()),
      contexte_(std::make_unique<QObject>()), vivant_(std::make_shared<bool>(true)) {
    minuterie_ = new QTimer(contexte_.get());
    minuterie_->setSingleShot(true);
    QObject::connect(minuterie_, &QTimer::timeout, contexte_.get(), [this] {
        if (phase_ == Phase::Connexion) {
            Echouer(DelaiConnexion(delai_, NomServeur(url_)));
        } else {
            Echouer(Silence(delai_));
        }
    });
}

TransfertQt::~TransfertQt() {
    *vivant_ = false;
    if (attente_) {
        attente_->remplacee = true;
        attente_->boucle.quit();
    }
    if (socket_) {
        socket_->disconnect();
        socket_->abort();
    }
    minuterie_->disconnect();
    minuterie_->stop();
    if (enNotification_ > 0) {
        // We are being destroyed from inside one of our own callbacks: the socket or the timer
        // that called is still on the stack. The states still queued would find us gone.
        QCoreApplication::removePostedEvents(contexte_.get(), QEvent::MetaCall);
        contexte_.release()->deleteLater();
    }
}

void TransfertQt::SurEtat(std::function<void(int)> recepteur) {
    recepteur_ = std::move(recepteur);
}

bool TransfertQt::Notifier(int etat) {
    if (attente_) {
        if (etat == EtatReponseComplete || etat == EtatErreur || etat == EtatDeconnecte) {
            attente_->etat = etat;
            attente_->boucle.quit();
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

void TransfertQt::NotifierPlusTard(int etat) {
    const std::uint64_t generation = generation_;
    QMetaObject::invokeMethod(
        contexte_.get(),
        [this, generation, etat] {
            if (generation == generation_) {
                Notifier(etat);
            }
        },
        Qt::QueuedConnection);
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

void TransfertQt::Execute(const std::string& url) {
    if (attente_) {
        attente_->remplacee = true;
        attente_->boucle.quit();
        attente_ = nullptr;
    }
    ++generation_;
    Lacher();
    info_.clear();
    redirections_ = 0;
    entetes_.clear();
    const QUrl adresse(VersQString(url), QUrl::TolerantMode);
    const QString schema = adresse.scheme().toLower();
    std::string refus;
    if (schema != QLatin1String("https")) {
        refus = SeulHttps(url);
    } else if (!adresse.isValid() || adresse.host().isEmpty()) {
        refus = AdresseInvalide(url);
    }
    if (!refus.empty()) {
        corps_.clear();
        lu_ = 0;
        phase_ = Phase::Finie;
        info_ = std::move(refus);
        NotifierPlusTard(EtatErreur);
        return;
    }
    enExecution_ = true;
    Ouvrir(adresse);
    enExecution_ = false;
}

void TransfertQt::Ouvrir(const QUrl& url) {
    Lacher();
    url_ = url;
    brut_.clear();
    entetes_.clear();
    statut_ = 0;
    delimitation_ = Delimitation::Fermeture;
    annonce_ = 0;
    recus_ = 0;
    ligne_.clear();
    resteMorceau_ = 0;
    morceau_ = Morceau::Taille;
    corps_.clear();
    corps_.shrink_to_fit();
    lu_ = 0;
    finTls_ = false;
    phase_ = Phase::Connexion;

    socket_ = new QSslSocket(contexte_.get());
    QSslSocket* s = socket_;
    s->setSslConfiguration(autorites_->Configuration());
    QObject::connect(s, &QSslSocket::encrypted, s, [this] {
        phase_ = Phase::EnTetes;
        QByteArray cible =
            url_.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
        if (cible.isEmpty()) {
            cible = "/";
        }
        QByteArray hote = url_.host(QUrl::FullyEncoded).toLatin1();
        if (hote.contains(':')) {
            hote = '[' + hote + ']';
        }
        if (url_.port(443) != 443) {
            hote += ':' + QByteArray::number(url_.port());
        }
        const QByteArray requete = "GET " + cible + " HTTP/1.1\r\nHost: " + hote +
                                   "\r\nUser-Agent: Monvalor/" MONVALOR_VERSION
                                   "\r\nAccept: */*\r\nAccept-Encoding: identity\r\n"
                                   "Connection: close\r\n\r\n";
        socket_->write(requete);
        minuterie_->start(delai_);
        Notifier(EtatRequeteEnvoyee);
    });
    QObject::connect(s, &QSslSocket::readyRead, s, [this] { Recevoir(); });
    QObject::connect(s, &QSslSocket::disconnected, s, [this] { FinConnexion(); });
    QObject::connect(s, &QSslSocket::sslErrors, s, [this](const QList<QSslError>& erreurs) {
        // Never ignored: the handshake then fails, and says why here.
        Echouer(RaisonCertificat(erreurs, url_));
    });
    QObject::connect(s, &QSslSocket::errorOccurred, s, [this](QAbstractSocket::SocketError e) {
        switch (e) {
        case QAbstractSocket::RemoteHostClosedError:
            // Qt tells the TLS close_notify from a bare TCP end only this way: on the alert it
            // closes the connection itself, its descriptor still open when it reports the end;
            // on a FIN or a reset the descriptor is closed already. Only a close-delimited
            // body needs to know: without the alert, a cut looks like its end.
            finTls_ = socket_ && DescripteurOuvert(*socket_);
            FinConnexion();
            break;
        case QAbstractSocket::ConnectionRefusedError:
            Echouer(Refusee(NomServeur(url_)));
            break;
        case QAbstractSocket::HostNotFoundError:
            Echouer(Introuvable(DepuisQString(url_.host())));
            break;
        case QAbstractSocket::SslHandshakeFailedError:
            Echouer(EchecTls(NomServeur(url_)));
            break;
        default:
            Echouer(ErreurReseau(NomServeur(url_),
                                 DepuisQString(socket_ ? socket_->errorString() : QString())));
            break;
        }
    });
    minuterie_->start(delai_);
    NotifierPlusTard(EtatConnexion);
    s->connectToHostEncrypted(url_.host(), static_cast<quint16>(url_.port(443)));
}

void TransfertQt::Echouer(std::string raison) {
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

void TransfertQt::Terminer() {
    Lacher();
    phase_ = Phase::Finie;
    Notifier(EtatReponseComplete);
}

void TransfertQt::FinConnexion() {
    if (!socket_) {
        return;
    }
    const std::uint64_t generation = generation_;
    const QSslSocket* s = socket_;
    Recevoir(); // what was still buffered when the peer closed
    if (generation != generation_ || socket_ != s) {
        return;
    }
    switch (phase_) {
    case Phase::Aucune:
    case Phase::Finie:
        return;
    case Phase::Connexion:
    case Phase::EnTetes:
        Echouer(SansReponse());
        return;
    case Phase::Corps:
        if (delimitation_ == Delimitation::Fermeture && finTls_) {
            Terminer();
        } else if (delimitation_ == Delimitation::Fermeture) {
            Echouer(CoupeSansFinTls(recus_));
        } else if (delimitation_ == Delimitation::Longueur) {
            Echouer(Incomplet(recus_, annonce_));
        } else {
            Echouer(Coupe(recus_));
        }
        return;
    case Phase::AttenteFin:
        Terminer();
        return;
    }
}

void TransfertQt::Recevoir() {
    const std::uint64_t generation = generation_;
    bool corpsArrive = false;
    while (generation == generation_ && socket_ && socket_->bytesAvailable() > 0) {
        minuterie_->start(delai_);
        const qint64 dispo = socket_->bytesAvailable();
        // The whole of what is there: QIODevice then hands over its buffer's block itself, and
        // appending it to the body is the only copy made.
        const QByteArray bloc = socket_->read(dispo);
        const char* o = bloc.constData();
        std::size_t n = static_cast<std::size_t>(bloc.size());
        if (phase_ == Phase::EnTetes) {
            brut_.append(o, n);
            for (;;) {
                std::size_t fin = std::string::npos;
                for (std::size_t p = brut_.find('\n'); p != std::string::npos;
                     p = brut_.find('\n', p + 1)) {
                    if (p + 1 < brut_.size() && brut_[p + 1] == '\n') {
                        fin = p + 2;
                        break;
                    }
                    if (p + 2 < brut_.size() && brut_[p + 1] == '\r' && brut_[p + 2] == '\n') {
                        fin = p + 3;
                        break;
                    }
                }
                if (fin == std::string::npos) {
                    if (brut_.size() > MaxEntetes) {
                        Echouer(EntetesTropLongs());
                        return;
                    }
                    break;
                }
                std::string reste = brut_.substr(fin);
                brut_.resize(fin);
                if (!AnalyserEntetes()) {
                    return;
                }
                if (phase_ == Phase::EnTetes) {
                    // An interim 1xx answer: the real one follows.
                    brut_ = std::move(reste);
                    continue;
                }
                if (!reste.empty()) {
                    if (!AjouterCorps(reste.data(), reste.size())) {
                        return;
                    }
                    corpsArrive = true;
                }
                break;
            }
            continue;
        }
        if (phase_ == Phase::Corps || phase_ == Phase::AttenteFin) {
            if (!AjouterCorps(o, n)) {
                return;
            }
            corpsArrive = true;
        }
    }
    if (corpsArrive && generation == generation_ && !corps_.empty() &&
        (phase_ == Phase::Corps || phase_ == Phase::AttenteFin)) {
        Notifier(EtatReception);
    }
}

bool TransfertQt::AnalyserEntetes() {
    std::string_view bloc(brut_);
    entetes_.clear();
    std::vector<std::string_view> lignes;
    while (!bloc.empty()) {
        const std::size_t p = bloc.find('\n');
        std::string_view ligne = bloc.substr(0, p);
        bloc.remove_prefix(p == std::string_view::npos ? bloc.size() : p + 1);
        if (!ligne.empty() && ligne.back() == '\r') {
            ligne.remove_suffix(1);
        }
        if (ligne.empty()) {
            break;
        }
        lignes.push_back(ligne);
        entetes_.append(ligne);
        entetes_ += "\r\n";
    }
    const std::string invalide = Invalide();
    // "HTTP/1.1 404 Not Found": the version, three digits, the reason.
    const std::string_view premiere = lignes.empty() ? std::string_view() : lignes.front();
    const std::size_t espace = premiere.find(' ');
    if (premiere.substr(0, 5) != "HTTP/" || espace == std::string_view::npos ||
        premiere.size() < espace + 4) {
        Echouer(invalide);
        return false;
    }
    statut_ = 0;
    for (std::size_t k = espace + 1; k < espace + 4; ++k) {
        if (premiere[k] < '0' || premiere[k] > '9') {
            Echouer(invalide);
            return false;
        }
        statut_ = statut_ * 10 + (premiere[k] - '0');
    }
    if (premiere.size() > espace + 4 && premiere[espace + 4] != ' ') {
        Echouer(invalide);
        return false;
    }
    if (statut_ >= 100 && statut_ < 200 && statut_ != 101) {
        return true; // still in EnTetes: the caller reads on
    }
    std::string_view longueur, codage, destination;
    bool longueurVue = false;
    for (std::size_t k = 1; k < lignes.size(); ++k) {
        const std::size_t dp = lignes[k].find(':');
        if (dp == std::string_view::npos) {
            continue;
        }
        const std::string_view nom = SansBlancs(lignes[k].substr(0, dp));
        const std::string_view valeur = SansBlancs(lignes[k].substr(dp + 1));
        if (MemesLettres(nom, "Content-Length")) {
            if (longueurVue && valeur != longueur) {
                Echouer(invalide);
                return false;
            }
            longueur = valeur;
            longueurVue = true;
        } else if (MemesLettres(nom, "Transfer-Encoding")) {
            codage = valeur;
        } else if (MemesLettres(nom, "Location")) {
            destination = valeur;
        }
    }
    if (EstRedirection(statut_) && !destination.empty()) {
        const QUrl suivante = url_.resolved(QUrl(
            QString::fromLatin1(destination.data(), static_cast<qsizetype>(destination.size())),
            QUrl::TolerantMode));
        if (suivante.scheme().toLower() != QLatin1String("https") || suivante.host().isEmpty()) {
            Echouer(RedirectionRefusee(destination));
            return false;
        }
        if (++redirections_ > MaxRedirections) {
            Echouer(TropDeRedirections(MaxRedirections));
            return false;
        }
        const int redirections = redirections_;
        Ouvrir(suivante);
        redirections_ = redirections;
        return false;
    }
    if (statut_ < 200 || statut_ > 299) {
        Echouer(Statut(premiere.substr(espace + 1)));
        return false;
    }
    if (!codage.empty()) {
        // The last coding applied is the one that frames the body.
        std::string_view derniere = codage.substr(codage.rfind(',') + 1);
        delimitation_ = MemesLettres(SansBlancs(derniere), "chunked") ? Delimitation::Morceaux
                                                                      : Delimitation::Fermeture;
    } else if (statut_ == 204) {
        delimitation_ = Delimitation::Longueur;
        annonce_ = 0;
    } else if (longueurVue) {
        if (!LireLongueur(longueur, annonce_)) {
            Echouer(invalide);
            return false;
        }
        delimitation_ = Delimitation::Longueur;
    } else {
        delimitation_ = Delimitation::Fermeture;
    }
    if (delimitation_ == Delimitation::Longueur && annonce_ > MaxCorps) {
        Echouer(TropVolumineuse(annonce_));
        return false;
    }
    if (delimitation_ == Delimitation::Longueur) {
        // What is announced is not yet there: a lying server gets no more than this up front.
        corps_.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(annonce_, MaxReserve)));
        GrandesPages(corps_);
    }
    phase_ =
        delimitation_ == Delimitation::Longueur && annonce_ == 0 ? Phase::AttenteFin : Phase::Corps;
    return true;
}

// Takes body bytes in; false when the transfer failed on them.
bool TransfertQt::AjouterCorps(const char* octets, std::size_t n) {
    if (n == 0) {
        return true;
    }
    if (phase_ == Phase::AttenteFin) {
        Echouer(delimitation_ == Delimitation::Longueur ? TropDOctets(annonce_) : ApresLaFin());
        return false;
    }
    if (delimitation_ == Delimitation::Morceaux) {
        return LireMorceaux(octets, n);
    }
    corps_.append(octets, n);
    recus_ += n;
    if (delimitation_ == Delimitation::Longueur && recus_ > annonce_) {
        Echouer(TropDOctets(annonce_));
        return false;
    }
    if (recus_ > MaxCorps) {
        Echouer(PlusQue(MaxCorps));
        return false;
    }
    if (delimitation_ == Delimitation::Longueur && recus_ == annonce_) {
        phase_ = Phase::AttenteFin;
    }
    return true;
}

bool TransfertQt::LireMorceaux(const char* octets, std::size_t n) {
    const std::string invalide = MorceauMalForme();
    std::size_t i = 0;
    while (i < n) {
        if (morceau_ == Morceau::Donnees) {
            const std::size_t pris =
                static_cast<std::size_t>(std::min<std::uint64_t>(resteMorceau_, n - i));
            if (recus_ + pris > MaxCorps) {
                Echouer(PlusQue(MaxCorps));
                return false;
            }
            corps_.append(octets + i, pris);
            recus_ += pris;
            resteMorceau_ -= pris;
            i += pris;
            if (resteMorceau_ == 0) {
                morceau_ = Morceau::FinDonnees;
            }
            continue;
        }
        if (phase_ == Phase::AttenteFin) {
            Echouer(ApresLaFin());
            return false;
        }
        // The other states read one line.
        const char* nl = static_cast<const char*>(std::memchr(octets + i, '\n', n - i));
        const std::size_t fin = nl ? static_cast<std::size_t>(nl - octets) : n;
        ligne_.append(octets + i, fin - i);
        i = nl ? fin + 1 : n;
        if (ligne_.size() > 4096) {
            Echouer(invalide);
            return false;
        }
        if (!nl) {
            return true;
        }
        std::string_view ligne = ligne_;
        if (!ligne.empty() && ligne.back() == '\r') {
            ligne.remove_suffix(1);
        }
        switch (morceau_) {
        case Morceau::Taille: {
            ligne = SansBlancs(ligne.substr(0, ligne.find(';')));
            std::uint64_t taille = 0;
            if (ligne.empty() || ligne.size() > 15) {
                Echouer(invalide);
                return false;
            }
            for (char c : ligne) {
                const char m = Minuscule(c);
                const int chiffre = m >= '0' && m <= '9'   ? m - '0'
                                    : m >= 'a' && m <= 'f' ? m - 'a' + 10
                                                           : -1;
                if (chiffre < 0) {
                    Echouer(invalide);
                    return false;
                }
                taille = taille * 16 + static_cast<std::uint64_t>(chiffre);
            }
            resteMorceau_ = taille;
            morceau_ = taille == 0 ? Morceau::Annexes : Morceau::Donnees;
            break;
        }
        case Morceau::FinDonnees:
            if (!ligne.empty()) {
                Echouer(invalide);
                return false;
            }
            morceau_ = Morceau::Taille;
            break;
        case Morceau::Annexes:
            if (ligne.empty()) {
                phase_ = Phase::AttenteFin;
            }
            break;
        case Morceau::Donnees:
            break;
        }
        ligne_.clear();
    }
    return true;
}

std::string TransfertQt::OpenURL(const std::string& url) {
    Execute(url);
    Attente attente;
    attente_ = &attente;
    const std::shared_ptr<bool> vivant = vivant_;
    attente.boucle.exec();
    const std::string arret = Arrete();
    if (!*vivant) {
        throw Erreur(ErrAccesChemin, arret);
    }
    if (attente_ == &attente) {
        attente_ = nullptr;
    }
    if (attente.remplacee) {
        throw Erreur(ErrAccesChemin, arret);
    }
    if (attente.etat != EtatReponseComplete) {
        throw Erreur(ErrAccesChemin, info_.empty() ? arret : info_);
    }
    std::string corps = lu_ == 0 ? std::move(corps_) : corps_.substr(lu_);
    corps_.clear();
    lu_ = 0;
    return corps;
}

std::string TransfertQt::GetHeader() {
    return entetes_;
}

std::string TransfertQt::GetHeader(const std::string& nom) {
    std::string_view cherche = SansBlancs(nom);
    if (!cherche.empty() && cherche.back() == ':') {
        cherche.remove_suffix(1);
    }
    std::string_view reste(entetes_);
    bool premiere = true;
    while (!reste.empty()) {
        const std::size_t p = reste.find("\r\n");
        const std::string_view ligne = reste.substr(0, p);
        reste.remove_prefix(p == std::string_view::npos ? reste.size() : p + 2);
        if (std::exchange(premiere, false)) {
            continue; // the status line
        }
        const std::size_t dp = ligne.find(':');
        if (dp != std::string_view::npos &&
            MemesLettres(SansBlancs(ligne.substr(0, dp)), cherche)) {
            return std::string(SansBlancs(ligne.substr(dp + 1)));
        }
    }
    return {};
}

std::string TransfertQt::GetChunk(int taille) {
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

void TransfertQt::Cancel() {
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

std::string TransfertQt::ResponseInfo() const {
    return info_;
}

} // namespace monvalor
