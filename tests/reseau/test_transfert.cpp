// A face's transfer control against the loopback server (serveur.py), one way of failing or
// succeeding per path. Run through avec_serveur.sh, which gives the ports and the certificate;
// Banc.h is what the face lends the tests.
#include "Banc.h"
#include "http/Protocole.h"
#include "support/Erreur.h"
#include "support/TexteSource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace monvalor {

using namespace std::chrono_literals;

namespace {

std::map<std::string, int> Ports() {
    std::map<std::string, int> ports;
    const char* texte = std::getenv("MONVALOR_TEST_PORTS");
    std::istringstream flux(texte ? texte : "");
    std::string mot;
    while (flux >> mot) {
        const auto egal = mot.find('=');
        ports[mot.substr(0, egal)] = std::stoi(mot.substr(egal + 1));
    }
    return ports;
}

} // namespace

int Port(const std::string& nom) {
    static const std::map<std::string, int> ports = Ports();
    const auto p = ports.find(nom);
    return p == ports.end() ? 0 : p->second;
}

std::string Https(const std::string& chemin, const std::string& port) {
    return "https://127.0.0.1:" + std::to_string(Port(port)) + chemin;
}

namespace {

// The server's body pattern: byte i is i % 251, every byte value up to 250 included.
std::string Motif(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) {
        s[i] = static_cast<char>(i % 251);
    }
    return s;
}

std::string A(std::string_view ansi) {
    return std::string(ansi);
}

// The description of the Erreur the call raised; "(none)" when it raised none.
template <class F> std::string ErreurLeveeTexte(F&& f) {
    try {
        f();
    } catch (const Erreur& e) {
        return e.Description();
    }
    return "(none)";
}

// What a window sees of one Execute: the states in order, and the body as it takes it, some
// while it arrives and the rest once complete.
struct Deroulement {
    std::vector<int> etats;
    std::string corps;
    std::size_t prisAvantLaFin = 0;
    int receptions = 0;
    bool finie = false;
};

bool Terminal(int e) {
    return e == EtatReponseComplete || e == EtatErreur || e == EtatDeconnecte;
}

Deroulement Executer(ITransfert& t, const std::string& url,
                     const std::function<void(ITransfert&, Deroulement&)>& pendant = {}) {
    Deroulement d;
    t.SurEtat([&](int e) {
        d.etats.push_back(e);
        if (e == EtatReception) {
            ++d.receptions;
            const std::string morceau = t.GetChunk(1000);
            EXPECT_LE(morceau.size(), 1000u);
            d.corps += morceau;
            d.prisAvantLaFin = d.corps.size();
            if (pendant) {
                pendant(t, d);
            }
        }
        if (e == EtatReponseComplete) {
            for (std::string c = t.GetChunk(4096); !c.empty(); c = t.GetChunk(4096)) {
                d.corps += c;
            }
        }
        if (Terminal(e)) {
            d.finie = true;
        }
    });
    t.Execute(url);
    EXPECT_TRUE(d.etats.empty()) << "states come from the event loop, not from Execute";
    Tourner([&] { return d.finie; }, 30s);
    t.SurEtat({});
    return d;
}

class Transfert : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(Port("https"), 0) << "run through avec_serveur.sh";
        Variable("MONVALOR_CERTIFICATS", std::getenv("MONVALOR_TEST_CERTIFICAT"));
    }
    void TearDown() override { Variable("MONVALOR_CERTIFICATS", nullptr); }
};

struct Reussite {
    const char* chemin;
    std::size_t taille;
    int receptionsMin;
};

TEST_F(Transfert, WholeBodiesArriveExactWhateverTheirFraming) {
    const Reussite cas[] = {
        {"/corps/10", 10, 1},       {"/corps/0", 0, 0},      {"/corps/300000", 300000, 1},
        {"/ferme/70000", 70000, 1}, {"/ferme/0", 0, 0},      {"/morceaux/80000", 80000, 1},
        {"/morceaux/1", 1, 1},      {"/lent/500/5", 500, 3}, {"/redir/5", 100, 1},
    };
    for (const Reussite& c : cas) {
        SCOPED_TRACE(c.chemin);
        const auto t = NouveauTransfert();
        const Deroulement d = Executer(*t, Https(c.chemin));
        ASSERT_FALSE(d.etats.empty());
        EXPECT_EQ(d.etats.front(), EtatConnexion);
        EXPECT_EQ(d.etats.back(), EtatReponseComplete);
        EXPECT_EQ(std::count(d.etats.begin(), d.etats.end(), EtatReponseComplete), 1);
        EXPECT_NE(std::find(d.etats.begin(), d.etats.end(), EtatRequeteEnvoyee), d.etats.end());
        EXPECT_GE(d.receptions, c.receptionsMin);
        EXPECT_EQ(d.corps.size(), c.taille);
        EXPECT_TRUE(d.corps == Motif(c.taille));
        EXPECT_EQ(t->ResponseInfo(), "");
        EXPECT_EQ(t->GetChunk(4096), "") << "the body was handed out once";
        EXPECT_EQ(A(t->GetHeader().substr(0, 17)), "HTTP/1.1 200 OK\r\n");
        if (c.taille > 0 && c.receptionsMin > 0) {
            EXPECT_GT(d.prisAvantLaFin, 0u) << "GetChunk gives bytes while they arrive";
        }
    }
}

struct Echec {
    const char* nom;
    std::string url;
    std::string raison;
    bool cadrage = false; // seen only by a face that reads the answer itself
};

std::vector<Echec> Echecs() {
    const std::string ferme = std::to_string(Port("ferme"));
    const std::string http = "http://127.0.0.1:" + std::to_string(Port("http")) + "/corps/10";
    return {
        {"404 in HTTP/1.1", Https("/404"), A(u8"Le serveur a répondu 404 Not Found"_ansi)},
        {"404 in HTTP/1.0", Https("/404-10"), A(u8"Le serveur a répondu 404 Not Found"_ansi)},
        {"500", Https("/500"), A(u8"Le serveur a répondu 500 Internal Server Error"_ansi)},
        {"reset mid-body", Https("/coupe/100000"),
         A(u8"Transfert incomplet : 50000 octets reçus sur 100000 annoncés"_ansi)},
        {"fewer bytes", Https("/moins/1000"),
         A(u8"Transfert incomplet : 900 octets reçus sur 1000 annoncés"_ansi)},
        {"more bytes", Https("/plus/1000"),
         A(u8"Le serveur a envoyé plus d'octets que les 1000 annoncés"_ansi), true},
        {"close-delimited, reset", Https("/ferme-coupe/70000"),
         A(u8"Transfert incomplet : la connexion a été coupée sans fin de session TLS après "
           u8"70000 octets"_ansi)},
        {"close-delimited, no close_notify", Https("/ferme-tcp/1000"),
         A(u8"Transfert incomplet : la connexion a été coupée sans fin de session TLS après "
           u8"1000 octets"_ansi),
         true},
        {"chunked cut", Https("/morceaux-coupe/80000"),
         A(u8"Transfert incomplet : la connexion a été coupée après "_ansi), true},
        {"status not a number", Https("/statut-invalide"), A(u8"Réponse du serveur invalide"_ansi)},
        {"no status line", Https("/sans-statut"), A(u8"Réponse du serveur invalide"_ansi)},
        {"two lengths", Https("/longueurs/10"), A(u8"Réponse du serveur invalide"_ansi)},
        {"length not a number", Https("/longueur-invalide"),
         A(u8"Réponse du serveur invalide"_ansi)},
        {"refused", "https://127.0.0.1:" + ferme + "/corps/10",
         A(u8"Connexion refusée par 127.0.0.1:"_ansi) + ferme},
        {"unknown host", "https://hote-inconnu.invalid/x",
         A(u8"Serveur introuvable : hote-inconnu.invalid"_ansi)},
        {"http", http, A(u8"Adresse refusée : seul https est accepté ("_ansi) + http + ")"},
        {"ftp", "ftp://127.0.0.1/x",
         A(u8"Adresse refusée : seul https est accepté (ftp://127.0.0.1/x)"_ansi)},
        {"no host", "https:///corps/10", A(u8"Adresse invalide : https:///corps/10"_ansi)},
        {"redirect to http", Https("/redir-http"),
         A(u8"Redirection refusée vers une adresse qui n'est pas https : "_ansi) + http},
        {"six redirects", Https("/redir/6"), A(u8"Trop de redirections (plus de 5)"_ansi)},
    };
}

TEST_F(Transfert, EachFailureEndsInErrorWithItsFrenchReasonAndNothingComplete) {
    for (const Echec& c : Echecs()) {
        SCOPED_TRACE(c.nom);
        if (c.cadrage && !CadreLeCorps()) {
            continue;
        }
        const auto t = NouveauTransfert();
        const Deroulement d = Executer(*t, c.url);
        ASSERT_FALSE(d.etats.empty());
        EXPECT_EQ(d.etats.back(), EtatErreur);
        EXPECT_EQ(std::count_if(d.etats.begin(), d.etats.end(), Terminal), 1);
        EXPECT_EQ(t->ResponseInfo().substr(0, c.raison.size()), c.raison);
        EXPECT_EQ(t->GetChunk(4096), "") << "nothing of a failed body is handed out";
        // OpenURL fails alike, with the same text as its description.
        const auto u = NouveauTransfert();
        try {
            const std::string corps = u->OpenURL(c.url);
            ADD_FAILURE() << "OpenURL returned " << corps.size() << " bytes";
        } catch (const Erreur& e) {
            EXPECT_EQ(e.Description().substr(0, c.raison.size()), c.raison);
            EXPECT_EQ(e.Description(), u->ResponseInfo());
        }
    }
}

TEST_F(Transfert, NothingIsFetchedOverHttpNorAfterARedirectToIt) {
    const auto t = NouveauTransfert();
    EXPECT_EQ(t->OpenURL(Https("/connexions-http")), "0");
}

TEST_F(Transfert, TimeOutsEndTheTransferWithTheirReason) {
    struct Cas {
        const char* nom;
        std::string url;
        std::string raison;
        bool cadrage = false;
    };
    const Cas cas[] = {
        {"server silent after the request", Https("/muet"),
         A(u8"Le serveur n'a rien envoyé pendant 1,5 s"_ansi)},
        {"whole body, connection never ended", Https("/attente-fin/100"),
         A(u8"Le serveur n'a rien envoyé pendant 1,5 s"_ansi), true},
        {"no TLS answer", Https("/corps/10", "sourd"),
         A(u8"Délai de connexion dépassé (1,5 s) : 127.0.0.1:"_ansi) +
             std::to_string(Port("sourd"))},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        if (c.cadrage && !CadreLeCorps()) {
            continue;
        }
        const auto t = NouveauTransfert(1500ms);
        const auto debut = std::chrono::steady_clock::now();
        const Deroulement d = Executer(*t, c.url);
        const auto duree = std::chrono::steady_clock::now() - debut;
        ASSERT_FALSE(d.etats.empty());
        EXPECT_EQ(d.etats.back(), EtatErreur);
        EXPECT_EQ(t->ResponseInfo(), c.raison);
        EXPECT_GE(duree, 1400ms);
        EXPECT_LT(duree, 10s);
    }
}

TEST_F(Transfert, TheCallersLimitsEndEveryTransferStartedAfterThem) {
    const std::string plusDe1000 = A(u8"Réponse trop volumineuse : plus de 1000 octets"_ansi);
    const std::string echeance = A(u8"Le serveur n'a pas tout envoyé en 1,5 s"_ansi);
    const struct {
        const char* nom;
        std::string url;
        std::uint64_t maxCorps;
        std::chrono::milliseconds echeance;
        std::string raison; // "" for a success
    } cas[] = {
        // Idle for no more than 200 ms while the time-out is 1 s: only the deadline ends it.
        {"a byte every 200 ms", Https("/goutte/40/200"), http::MaxCorps, 1500ms, echeance},
        {"redirects, each within the deadline", Https("/redir-lent/5"), http::MaxCorps, 1500ms,
         echeance},
        {"interim answers without end", Https("/provisoires"), http::MaxCorps, 1500ms,
         RaisonProvisoiresSansFin(echeance)},
        {"body at the limit", Https("/corps/1000"), 1000, 30s, ""},
        {"announced beyond the limit", Https("/corps/1001"), 1000, 30s,
         A(u8"Réponse trop volumineuse : 1001 octets"_ansi)},
        {"chunked beyond the limit", Https("/morceaux/1001"), 1000, 30s, plusDe1000},
        {"close-delimited beyond the limit", Https("/ferme/1001"), 1000, 30s, plusDe1000},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        const auto t = NouveauTransfert(1000ms);
        t->Limiter(c.maxCorps, c.echeance);
        const Deroulement d = Executer(*t, c.url);
        ASSERT_FALSE(d.etats.empty());
        EXPECT_EQ(d.etats.back(), c.raison.empty() ? EtatReponseComplete : EtatErreur);
        EXPECT_EQ(t->ResponseInfo(), c.raison);
        // The same control's next transfer keeps the limits.
        EXPECT_EQ(ErreurLeveeTexte([&] { t->OpenURL(c.url); }),
                  c.raison.empty() ? "(none)" : c.raison);
    }
}

TEST_F(Transfert, ACertificateNobodyVouchesForIsRefused) {
    const std::string inconnu =
        A(u8"Le certificat du serveur 127.0.0.1 n'est pas d'une autorité reconnue"_ansi);
    // Without an extra file the system alone judges, and says what the face lets it say.
    const std::string sansFichier =
        RaisonCertificatInconnu("127.0.0.1:" + std::to_string(Port("https")));
    const struct {
        const char* certificats;
        std::string raison;
    } cas[] = {
        {"", sansFichier},
        {"/nulle/part.pem", sansFichier},
        {nullptr, sansFichier},
        // Another certificate for the same names: the extra file vouches for it, not for ours.
        {std::getenv("MONVALOR_TEST_AUTRE_CERTIFICAT"), inconnu},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.certificats ? c.certificats : "(unset)");
        Variable("MONVALOR_CERTIFICATS", c.certificats);
        const auto t = NouveauTransfert();
        const Deroulement d = Executer(*t, Https("/corps/10"));
        ASSERT_FALSE(d.etats.empty());
        EXPECT_EQ(d.etats.back(), EtatErreur);
        EXPECT_EQ(t->ResponseInfo(), c.raison);
        EXPECT_EQ(d.corps, "");
        EXPECT_EQ(ErreurLeveeTexte([&] { t->OpenURL(Https("/corps/10")); }), c.raison);
    }
}

TEST_F(Transfert, HeadersAsReceived) {
    const auto t = NouveauTransfert();
    EXPECT_EQ(t->OpenURL(Https("/corps/10")), Motif(10));
    EXPECT_EQ(
        t->GetHeader(),
        "HTTP/1.1 200 OK\r\nContent-Length: 10\r\nContent-Type: application/octet-stream\r\n");
    EXPECT_EQ(t->GetHeader("Content-Length:"), "10");
    EXPECT_EQ(t->GetHeader("content-length"), "10");
    EXPECT_EQ(t->GetHeader("Content-Type:"), "application/octet-stream");
    EXPECT_EQ(t->GetHeader("Location:"), "");
    EXPECT_EQ(t->GetHeader("HTTP/1.1 200 OK"), "") << "the status line is no header";
    // A failed answer's headers stay readable: the window shows them.
    EXPECT_THROW(t->OpenURL(Https("/404-10")), Erreur);
    EXPECT_EQ(t->GetHeader(), "HTTP/1.0 404 Not Found\r\nContent-Length: 24\r\n");
    // Chunked: no Content-Length to give.
    EXPECT_EQ(t->OpenURL(Https("/morceaux/5000")), Motif(5000));
    EXPECT_EQ(t->GetHeader("Content-Length:"), "");
    EXPECT_EQ(t->GetHeader("Transfer-Encoding:"), "chunked");
    // Lines ended by LF alone are given with CR LF (the core reads malformed answers, interim
    // ones and over-long headers in tests/unit/test_http.cpp).
    EXPECT_EQ(t->OpenURL(Https("/lf/3")), Motif(3));
    EXPECT_EQ(t->GetHeader(), "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n");
}

TEST_F(Transfert, OpenUrlKeepsTheEventLoopRunningAndReturnsLargeBodiesWhole) {
    const auto t = NouveauTransfert();
    // Outlives the test: ticks still due afterwards count into it harmlessly.
    const auto tics = std::make_shared<int>(0);
    for (int k = 1; k <= 40; ++k) {
        PlusTard(k * 50ms, [tics] { ++*tics; });
    }
    EXPECT_EQ(t->OpenURL(Https("/lent/500/5")), Motif(500));
    EXPECT_GE(*tics, 5);
    EXPECT_TRUE(t->OpenURL(Https("/corps/3000000")) == Motif(3000000));
}

TEST_F(Transfert, CancelStopsTheTransferAndSaysSoLater) {
    const auto t = NouveauTransfert();
    bool arrete = false;
    const Deroulement d = Executer(*t, Https("/lent/500/5"), [&](ITransfert& x, Deroulement&) {
        if (!arrete) {
            arrete = true;
            x.Cancel();
        }
    });
    ASSERT_FALSE(d.etats.empty());
    EXPECT_EQ(d.etats.back(), EtatDeconnecte);
    EXPECT_EQ(std::count(d.etats.begin(), d.etats.end(), EtatReponseComplete), 0);
    EXPECT_EQ(t->ResponseInfo(), A(u8"Transfert arrêté"_ansi));
    EXPECT_EQ(t->GetChunk(4096), "");
    // Nothing runs any more: no state comes, and a second Cancel is harmless.
    int etats = 0;
    t->SurEtat([&](int) { ++etats; });
    t->Cancel();
    Tourner([] { return false; }, 900ms);
    EXPECT_EQ(etats, 0);

    // Stopped from a timer while OpenURL waits.
    const auto u = NouveauTransfert();
    PlusTard(200ms, [&] { u->Cancel(); });
    EXPECT_EQ(ErreurLeveeTexte([&] { u->OpenURL(Https("/lent/500/5")); }),
              A(u8"Transfert arrêté"_ansi));
}

TEST_F(Transfert, ANewExecuteReplacesTheRunningOneSilently) {
    const auto t = NouveauTransfert();
    t->Execute(Https("/lent/500/5"));
    const Deroulement d = Executer(*t, Https("/corps/10"));
    ASSERT_FALSE(d.etats.empty());
    EXPECT_EQ(d.etats.back(), EtatReponseComplete);
    EXPECT_EQ(std::count_if(d.etats.begin(), d.etats.end(), Terminal), 1);
    EXPECT_EQ(std::count(d.etats.begin(), d.etats.end(), EtatConnexion), 1);
    EXPECT_EQ(d.corps, Motif(10));
    // A stopped transfer's late EtatDeconnecte does not reach the one that follows.
    t->Execute(Https("/lent/500/5"));
    t->Cancel();
    const Deroulement apres = Executer(*t, Https("/corps/10"));
    ASSERT_FALSE(apres.etats.empty());
    EXPECT_EQ(apres.etats.back(), EtatReponseComplete);
    EXPECT_EQ(std::count_if(apres.etats.begin(), apres.etats.end(), Terminal), 1);
    // An OpenURL replaced from inside its wait fails as stopped; the new transfer goes on.
    const auto u = NouveauTransfert();
    Deroulement nouveau;
    PlusTard(200ms, [&] {
        u->SurEtat([&](int e) { nouveau.etats.push_back(e); });
        u->Execute(Https("/corps/10"));
    });
    EXPECT_EQ(ErreurLeveeTexte([&] { u->OpenURL(Https("/lent/500/5")); }),
              A(u8"Transfert arrêté"_ansi));
    Tourner([&] { return !nouveau.etats.empty() && Terminal(nouveau.etats.back()); }, 10s);
    ASSERT_FALSE(nouveau.etats.empty());
    EXPECT_EQ(nouveau.etats.back(), EtatReponseComplete);
    EXPECT_EQ(u->GetChunk(100), Motif(10));
}

TEST_F(Transfert, TheControlMayBeDestroyedFromItsOwnReceiver) {
    for (const char* chemin : {"/lent/500/5", "/corps/10", "/404", "/muet"}) {
        SCOPED_TRACE(chemin);
        auto t = NouveauTransfert(1000ms);
        int etats = 0;
        t->SurEtat([&](int e) {
            ++etats;
            if (e == EtatReception || Terminal(e)) {
                t.reset();
            }
        });
        t->Execute(Https(chemin));
        Tourner([&] { return t == nullptr; }, 10s);
        EXPECT_EQ(t, nullptr);
        const int vus = etats;
        Tourner([] { return false; }, 100ms);
        EXPECT_EQ(etats, vus);
    }
    // Stopped, then destroyed: the EtatDeconnecte still queued never comes.
    {
        auto t = NouveauTransfert();
        int etats = 0;
        t->SurEtat([&](int e) {
            ++etats;
            if (e == EtatReception) {
                t->Cancel();
                t.reset();
            }
        });
        t->Execute(Https("/lent/500/5"));
        Tourner([&] { return t == nullptr; }, 10s);
        Tourner([] { return false; }, 300ms);
        EXPECT_EQ(t, nullptr);
        EXPECT_EQ(etats, 3) << "3, 6, 8 and nothing after";
    }
    // And while OpenURL waits.
    auto t = NouveauTransfert();
    PlusTard(200ms, [&] { t.reset(); });
    EXPECT_EQ(ErreurLeveeTexte([&] { t->OpenURL(Https("/lent/500/5")); }),
              A(u8"Transfert arrêté"_ansi));
}

} // namespace
} // namespace monvalor
