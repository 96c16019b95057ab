#include "platform/wayland/SelectionWayland.h"

#include "support/Ansi.h"

#include <wayland-client.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/epoll.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <vector>

// The interface tables that wayland-scanner makes from the two protocol descriptions beside this
// file.
extern "C" {
extern const wl_interface ext_data_control_manager_v1_interface;
extern const wl_interface ext_data_control_device_v1_interface;
extern const wl_interface ext_data_control_source_v1_interface;
extern const wl_interface ext_data_control_offer_v1_interface;
extern const wl_interface zwlr_data_control_manager_v1_interface;
extern const wl_interface zwlr_data_control_device_v1_interface;
extern const wl_interface zwlr_data_control_source_v1_interface;
extern const wl_interface zwlr_data_control_offer_v1_interface;
}

namespace monvalor {

namespace {

// The two protocols differ only by their names: the same messages in the same order. The
// first a compositor offers, in this order, is used.
struct Famille {
    const char* nom; // of the manager's global
    const wl_interface* gestionnaire;
    const wl_interface* appareil;
    const wl_interface* source;
};
const Famille kProtocoles[] = {
    {"ext_data_control_manager_v1", &ext_data_control_manager_v1_interface,
     &ext_data_control_device_v1_interface, &ext_data_control_source_v1_interface},
    {"zwlr_data_control_manager_v1", &zwlr_data_control_manager_v1_interface,
     &zwlr_data_control_device_v1_interface, &zwlr_data_control_source_v1_interface},
};

// Request numbers, the same in both protocols.
constexpr std::uint32_t GestionnaireCreerSource = 0;
constexpr std::uint32_t GestionnaireAppareil = 1;
constexpr std::uint32_t GestionnaireDetruire = 2;
constexpr std::uint32_t AppareilSelection = 0;
constexpr std::uint32_t AppareilDetruire = 1;
constexpr std::uint32_t SourceOffrir = 0;
constexpr std::uint32_t SourceDetruire = 1;
constexpr std::uint32_t OffreRecevoir = 0;
constexpr std::uint32_t OffreDetruire = 1;

// The text forms we read, best first; the last is Latin-1, the others UTF-8 (a plain
// "text/plain" is UTF-8 in practice). Compared without regard to case.
constexpr const char* kFormesLues[] = {"text/plain;charset=utf-8", "utf8_string", "text/plain",
                                       "text", "string"};
constexpr int kFormeLatin1 = 4;
// What we offer for our own texts, all UTF-8.
constexpr const char* kFormesOffertes[] = {"text/plain;charset=utf-8", "text/plain", "UTF8_STRING",
                                           "TEXT"};
// Programs asking for our text at once, beyond which a request is refused.
constexpr std::size_t kEnvoisMax = 16;
// Read at most this much in one turn of the event loop, so that a large text does not hold it.
constexpr std::size_t kLectureParTour = 4u << 20;

// Listeners are tables of functions, laid out as the protocol lists its events.
template <typename Table> void Ecouter(wl_proxy* p, const Table& table, void* donnees) {
    wl_proxy_add_listener(p, reinterpret_cast<void (**)(void)>(const_cast<Table*>(&table)),
                          donnees);
}

void Detruire(wl_proxy* p, std::uint32_t requete) {
    if (p != nullptr) {
        wl_proxy_marshal_flags(p, requete, nullptr, wl_proxy_get_version(p),
                               WL_MARSHAL_FLAG_DESTROY);
    }
}

void Fermer(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

// write() on a pipe whose reader has gone raises SIGPIPE, which would end the program: it is
// held back for the call and, if the call raised it, taken away.
ssize_t EcrireSansSignal(int fd, const char* octets, std::size_t taille) {
    sigset_t tuyau, avant, enAttente;
    sigemptyset(&tuyau);
    sigaddset(&tuyau, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &tuyau, &avant);
    sigpending(&enAttente);
    const bool dejaLa = sigismember(&enAttente, SIGPIPE) == 1;
    const ssize_t ecrit = ::write(fd, octets, taille);
    const int erreur = errno;
    if (ecrit < 0 && erreur == EPIPE && !dejaLa) {
        const timespec aucune{};
        sigtimedwait(&tuyau, nullptr, &aucune);
    }
    pthread_sigmask(SIG_SETMASK, &avant, nullptr);
    errno = erreur;
    return ecrit;
}

} // namespace

struct SelectionWayland::Connexion {
    // An offer of the compositor: the clipboard's content as another program put it there.
    struct Offre {
        wl_proxy* proxy = nullptr;
        int forme = -1; // the best of kFormesLues it has, -1 for none
    };
    struct Lecture {
        int fd = -1;
        bool latin1 = false;
        bool recu = false;
        Horloge::time_point activite;
        std::string donnees;
    };
    struct Envoi {
        int fd = -1;
        std::string octets;
        std::size_t ecrit = 0;
        Horloge::time_point activite;
    };

    wl_display* d = nullptr;
    wl_registry* registre = nullptr;
    std::uint32_t nomSiege = 0;
    std::uint32_t nomsGestionnaires[2] = {};
    wl_proxy* siege = nullptr;
    const Famille* protocole = nullptr;
    wl_proxy* gestionnaire = nullptr;
    wl_proxy* appareil = nullptr;
    int epoll = -1;
    bool rompue = false;

    std::vector<std::unique_ptr<Offre>> offres; // announced, not yet the selection
    std::unique_ptr<Offre> selection;           // the clipboard's, when another program's
    bool connue = false;                        // the compositor told the selection once
    bool notre = false;                         // the selection is our source's
    wl_proxy* source = nullptr;                 // ours, until replaced
    std::string texte;                          // what our source serves (UTF-8)

    bool change = true;
    bool regarder = false; // set by the compositor's events, for Traiter to report
    std::optional<std::string> pret;
    Lecture lecture;
    std::vector<Envoi> envois;
    Horloge::time_point maintenant;

    ~Connexion() {
        Fermer(lecture.fd);
        for (Envoi& e : envois) {
            Fermer(e.fd);
        }
        if (d != nullptr) {
            for (auto& o : offres) {
                Detruire(o->proxy, OffreDetruire);
            }
            if (selection) {
                Detruire(selection->proxy, OffreDetruire);
            }
            Detruire(source, SourceDetruire);
            Detruire(appareil, AppareilDetruire);
            Detruire(gestionnaire, GestionnaireDetruire);
            if (siege != nullptr) {
                wl_proxy_destroy(siege);
            }
            if (registre != nullptr) {
                wl_registry_destroy(registre);
            }
            wl_display_disconnect(d);
        }
        Fermer(epoll);
    }

    void Surveiller(int fd, std::uint32_t evenements) {
        epoll_event e{};
        e.events = evenements;
        e.data.fd = fd;
        epoll_ctl(epoll, EPOLL_CTL_ADD, fd, &e);
    }
    void Oublier(int& fd) {
        if (fd >= 0) {
            epoll_ctl(epoll, EPOLL_CTL_DEL, fd, nullptr);
            Fermer(fd);
        }
    }

    // The compositor has gone, or broke the connection: nothing more can be read, and its
    // socket must not keep the event loop awake.
    void Rompre() {
        if (!rompue) {
            rompue = true;
            epoll_ctl(epoll, EPOLL_CTL_DEL, wl_display_get_fd(d), nullptr);
            Oublier(lecture.fd);
        }
    }

    // Reads and handles whatever the compositor sent, without waiting.
    void Evenements() {
        if (rompue) {
            return;
        }
        while (wl_display_prepare_read(d) != 0) {
            if (wl_display_dispatch_pending(d) < 0) {
                Rompre();
                return;
            }
        }
        if (wl_display_flush(d) < 0 && errno != EAGAIN) {
            wl_display_cancel_read(d);
            Rompre();
            return;
        }
        pollfd p{wl_display_get_fd(d), POLLIN, 0};
        if (::poll(&p, 1, 0) > 0) {
            if (wl_display_read_events(d) < 0) {
                Rompre();
                return;
            }
        } else {
            wl_display_cancel_read(d);
        }
        if (wl_display_dispatch_pending(d) < 0) {
            Rompre();
        }
    }

    // Waits, at most until the deadline, for the compositor to have handled everything asked
    // so far.
    bool AllerRetour(Horloge::time_point limite) {
        bool fait = false;
        static const wl_callback_listener ecoute = {[](void* donnees, wl_callback*, std::uint32_t) {
            *static_cast<bool*>(donnees) = true;
        }};
        wl_callback* rappel = wl_display_sync(d);
        wl_callback_add_listener(rappel, &ecoute, &fait);
        while (!fait && !rompue) {
            const auto reste =
                std::chrono::duration_cast<std::chrono::milliseconds>(limite - Horloge::now());
            pollfd p{wl_display_get_fd(d), POLLIN, 0};
            wl_display_flush(d);
            if (reste.count() <= 0 || ::poll(&p, 1, static_cast<int>(reste.count())) <= 0) {
                break;
            }
            Evenements();
        }
        wl_callback_destroy(rappel);
        return fait;
    }

    std::unique_ptr<Offre> Retirer(wl_proxy* proxy) {
        for (auto it = offres.begin(); it != offres.end(); ++it) {
            if ((*it)->proxy == proxy) {
                std::unique_ptr<Offre> o = std::move(*it);
                offres.erase(it);
                return o;
            }
        }
        return nullptr;
    }
    void Abandonner() { Oublier(lecture.fd); }

    // The clipboard's content is now `nouvelle` (none: no content, or ours): whatever was under
    // way, ready or offered of the content before goes.
    void Changer(std::unique_ptr<Offre> nouvelle, bool nous) {
        Abandonner();
        pret.reset();
        if (selection) {
            Detruire(selection->proxy, OffreDetruire);
        }
        selection = std::move(nouvelle);
        notre = nous;
        change = true;
    }

    // --- the compositor's events ------------------------------------------------------------

    static void Global(void* donnees, wl_registry*, std::uint32_t nom, const char* interface,
                       std::uint32_t) {
        auto& c = *static_cast<Connexion*>(donnees);
        if (std::strcmp(interface, "wl_seat") == 0 && c.nomSiege == 0) {
            c.nomSiege = nom;
        }
        for (std::size_t i = 0; i < std::size(kProtocoles); ++i) {
            if (std::strcmp(interface, kProtocoles[i].nom) == 0) {
                c.nomsGestionnaires[i] = nom;
            }
        }
    }
    static void GlobalRetire(void*, wl_registry*, std::uint32_t) {}

    static void NouvelleOffre(void* donnees, wl_proxy*, wl_proxy* proxy) {
        auto& c = *static_cast<Connexion*>(donnees);
        auto offre = std::make_unique<Offre>();
        offre->proxy = proxy;
        static const struct {
            void (*forme)(void*, wl_proxy*, const char*);
        } ecoute = {&Connexion::FormeOfferte};
        Ecouter(proxy, ecoute, offre.get());
        c.offres.push_back(std::move(offre));
    }
    static void FormeOfferte(void* donnees, wl_proxy*, const char* forme) {
        auto& offre = *static_cast<Offre*>(donnees);
        std::string minuscules(forme);
        for (char& ch : minuscules) {
            ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        }
        for (int i = 0; i < static_cast<int>(std::size(kFormesLues)); ++i) {
            if (minuscules == kFormesLues[i] && (offre.forme < 0 || i < offre.forme)) {
                offre.forme = i;
            }
        }
    }
    static void Selection(void* donnees, wl_proxy*, wl_proxy* proxy) {
        auto& c = *static_cast<Connexion*>(donnees);
        // The compositor cancels our source before it tells a selection that replaced it: a
        // selection told while our source lives is ours (or one ours is replacing already).
        c.Changer(proxy != nullptr ? c.Retirer(proxy) : nullptr, c.source != nullptr);
        c.connue = true;
        c.regarder = true;
    }
    static void Primaire(void* donnees, wl_proxy*, wl_proxy* proxy) {
        // The primary selection is not ours to watch.
        auto& c = *static_cast<Connexion*>(donnees);
        if (std::unique_ptr<Offre> o = c.Retirer(proxy)) {
            Detruire(o->proxy, OffreDetruire);
        }
    }
    static void Fini(void* donnees, wl_proxy*) {
        auto& c = *static_cast<Connexion*>(donnees);
        Detruire(c.appareil, AppareilDetruire);
        c.appareil = nullptr;
        c.Rompre();
        c.regarder = true;
    }

    static void Envoyer(void* donnees, wl_proxy* source, const char*, std::int32_t fd) {
        auto& c = *static_cast<Connexion*>(donnees);
        if (source != c.source || c.envois.size() >= kEnvoisMax) {
            ::close(fd);
            return;
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        c.envois.push_back({fd, c.texte, 0, c.maintenant});
        c.Surveiller(fd, EPOLLOUT);
    }
    static void Annulee(void* donnees, wl_proxy* source) {
        auto& c = *static_cast<Connexion*>(donnees);
        if (source == c.source) {
            c.source = nullptr;
            c.texte.clear();
            c.notre = false;
        }
        Detruire(source, SourceDetruire);
    }
};

std::unique_ptr<SelectionWayland> SelectionWayland::Ouvrir(const char* affichage,
                                                           std::chrono::milliseconds attente) {
    const auto limite = Horloge::now() + attente;
    auto c = std::make_unique<Connexion>();
    c->d = wl_display_connect(affichage);
    if (c->d == nullptr) {
        return nullptr;
    }
    c->epoll = ::epoll_create1(EPOLL_CLOEXEC);
    if (c->epoll < 0) {
        return nullptr;
    }
    c->registre = wl_display_get_registry(c->d);
    static const wl_registry_listener ecouteRegistre = {&Connexion::Global,
                                                        &Connexion::GlobalRetire};
    wl_registry_add_listener(c->registre, &ecouteRegistre, c.get());
    if (!c->AllerRetour(limite) || c->nomSiege == 0) {
        return nullptr;
    }
    for (std::size_t i = 0; i < std::size(kProtocoles) && !c->protocole; ++i) {
        if (c->nomsGestionnaires[i] != 0) {
            c->protocole = &kProtocoles[i];
            c->gestionnaire = static_cast<wl_proxy*>(wl_registry_bind(
                c->registre, c->nomsGestionnaires[i], kProtocoles[i].gestionnaire, 1));
        }
    }
    if (!c->protocole) {
        return nullptr;
    }
    c->siege =
        static_cast<wl_proxy*>(wl_registry_bind(c->registre, c->nomSiege, &wl_seat_interface, 1));
    c->appareil = wl_proxy_marshal_flags(c->gestionnaire, GestionnaireAppareil,
                                         c->protocole->appareil, 1, 0, nullptr, c->siege);
    static const struct {
        void (*offre)(void*, wl_proxy*, wl_proxy*);
        void (*selection)(void*, wl_proxy*, wl_proxy*);
        void (*fini)(void*, wl_proxy*);
        void (*primaire)(void*, wl_proxy*, wl_proxy*);
    } ecouteAppareil = {&Connexion::NouvelleOffre, &Connexion::Selection, &Connexion::Fini,
                        &Connexion::Primaire};
    Ecouter(c->appareil, ecouteAppareil, c.get());
    // The device tells the clipboard's content at once: known before the first read.
    if (!c->AllerRetour(limite) || c->rompue) {
        return nullptr;
    }
    c->Surveiller(wl_display_get_fd(c->d), EPOLLIN);
    return std::unique_ptr<SelectionWayland>(new SelectionWayland(std::move(c)));
}

SelectionWayland::SelectionWayland(std::unique_ptr<Connexion> c) : c_(std::move(c)) {}

SelectionWayland::~SelectionWayland() = default;

int SelectionWayland::Descripteur() const {
    return c_->epoll;
}

std::string_view SelectionWayland::Protocole() const {
    return c_->protocole->nom;
}

bool SelectionWayland::Traiter(Horloge::time_point maintenant) {
    c_->maintenant = maintenant;
    c_->Evenements();
    bool regarder = c_->regarder;
    c_->regarder = false;
    regarder |= Recevoir(maintenant);
    Servir(maintenant);
    return regarder;
}

bool SelectionWayland::AChange(Horloge::time_point maintenant) {
    Traiter(maintenant);
    return c_->change || c_->pret.has_value() || c_->lecture.fd >= 0 || c_->rompue;
}

std::optional<std::string> SelectionWayland::Lire(Horloge::time_point maintenant) {
    Traiter(maintenant);
    Connexion& c = *c_;
    if (c.pret) {
        std::optional<std::string> texte = std::move(c.pret);
        c.pret.reset();
        c.change = false;
        return texte;
    }
    if (c.rompue || !c.connue) {
        return std::nullopt;
    }
    if (c.notre && c.source != nullptr) {
        c.change = false;
        return c.texte;
    }
    if (!c.selection || c.selection->forme < 0) {
        // Nothing, or nothing that is text.
        c.change = false;
        return std::string();
    }
    if (c.lecture.fd >= 0) {
        return std::nullopt;
    }
    int tube[2];
    if (::pipe2(tube, O_CLOEXEC | O_NONBLOCK) != 0) {
        return std::nullopt;
    }
    // The request carries a copy of the writing end: ours closes at once, so that the end of
    // the owner's writing reads as the end of the text.
    wl_proxy_marshal_flags(c.selection->proxy, OffreRecevoir, nullptr,
                           wl_proxy_get_version(c.selection->proxy), 0,
                           kFormesLues[c.selection->forme], tube[1]);
    ::close(tube[1]);
    wl_display_flush(c.d);
    c.lecture = {tube[0], c.selection->forme == kFormeLatin1, false, maintenant, {}};
    c.Surveiller(tube[0], EPOLLIN);
    return std::nullopt;
}

bool SelectionWayland::Recevoir(Horloge::time_point maintenant) {
    Connexion::Lecture& l = c_->lecture;
    if (l.fd < 0) {
        return false;
    }
    char tampon[65536];
    std::size_t ceTour = 0;
    while (ceTour < kLectureParTour) {
        const ssize_t n = ::read(l.fd, tampon, sizeof tampon);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno == EAGAIN) {
            break;
        }
        if (n < 0) {
            c_->Abandonner();
            return false;
        }
        if (n == 0) {
            std::string texte = std::move(l.donnees);
            c_->pret = l.latin1 ? Latin1VersUtf8(texte) : std::move(texte);
            c_->Abandonner();
            return true;
        }
        const auto taille = static_cast<std::size_t>(n);
        octetsLus_ += taille;
        ceTour += taille;
        l.activite = maintenant;
        l.recu = true;
        if (l.donnees.size() + taille > TailleMax) {
            // Too long for a text we would look at: no text, and the owner stops there.
            c_->Abandonner();
            c_->pret = std::string();
            return true;
        }
        l.donnees.append(tampon, taille);
    }
    if (maintenant - l.activite > (l.recu ? DelaiMorceau : DelaiReponse)) {
        // The owner is silent: the next read asks again.
        c_->Abandonner();
    }
    return false;
}

void SelectionWayland::Servir(Horloge::time_point maintenant) {
    auto& envois = c_->envois;
    for (auto it = envois.begin(); it != envois.end();) {
        Connexion::Envoi& e = *it;
        while (e.ecrit < e.octets.size()) {
            const ssize_t n =
                EcrireSansSignal(e.fd, e.octets.data() + e.ecrit, e.octets.size() - e.ecrit);
            if (n <= 0) {
                break;
            }
            e.ecrit += static_cast<std::size_t>(n);
            e.activite = maintenant;
        }
        const bool bloque = e.ecrit < e.octets.size() && (errno == EAGAIN || errno == EINTR);
        if (bloque && maintenant - e.activite <= DelaiEcriture) {
            ++it;
            continue;
        }
        // Written whole, refused, or the reader stopped reading.
        c_->Oublier(e.fd);
        it = envois.erase(it);
    }
}

bool SelectionWayland::Ecrire(std::string texte) {
    Connexion& c = *c_;
    if (c.rompue || c.appareil == nullptr) {
        return false;
    }
    wl_proxy* source = wl_proxy_marshal_flags(c.gestionnaire, GestionnaireCreerSource,
                                              c.protocole->source, 1, 0, nullptr);
    static const struct {
        void (*envoyer)(void*, wl_proxy*, const char*, std::int32_t);
        void (*annulee)(void*, wl_proxy*);
    } ecoute = {&Connexion::Envoyer, &Connexion::Annulee};
    Ecouter(source, ecoute, &c);
    for (const char* forme : kFormesOffertes) {
        wl_proxy_marshal_flags(source, SourceOffrir, nullptr, 1, 0, forme);
    }
    wl_proxy_marshal_flags(c.appareil, AppareilSelection, nullptr, 1, 0, source);
    // The one it replaces is cancelled by the compositor; nothing of it is served any more.
    Detruire(c.source, SourceDetruire);
    c.source = source;
    c.texte = std::move(texte);
    wl_display_flush(c.d);
    // Ours from now on: the compositor handles our request before any later one.
    c.Changer(nullptr, true);
    return true;
}

bool SelectionWayland::Vider() {
    Connexion& c = *c_;
    if (c.rompue || c.appareil == nullptr) {
        return false;
    }
    wl_proxy_marshal_flags(c.appareil, AppareilSelection, nullptr, 1, 0, nullptr);
    wl_display_flush(c.d);
    // Empty from now on: what stood there must not be read again before the compositor says.
    c.Changer(nullptr, false);
    return true;
}

bool SelectionWayland::Possede() const {
    return c_->source != nullptr;
}

} // namespace monvalor
