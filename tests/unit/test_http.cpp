// The HTTP core on answers no test server would send: each answer read whole and again one
// byte at a time, which must come to the same; the addresses and where redirects lead.
#include "http/Protocole.h"
#include "support/TexteSource.h"

#include <gtest/gtest.h>

#include <string>

using namespace monvalor;
using namespace monvalor::http;

namespace {

const Adresse Base = *LireAdresse("https://monvalor.example/maj/version.txt?v=1");

std::string A(std::string_view ansi) {
    return std::string(ansi);
}

std::string Repete(std::string_view s, int n) {
    std::string r;
    while (n-- > 0) {
        r += s;
    }
    return r;
}

// What came of an answer: "ok" and the body, "-> address" for a redirect, or the reason.
std::string Lire(const std::string& reponse, bool finTls, bool parOctet, std::string& corps,
                 std::uint64_t maxCorps = MaxCorps) {
    Reponse r(Base, false, maxCorps);
    Reponse::Issue issue = Reponse::Issue::Suite;
    for (std::size_t i = 0; i < reponse.size() && issue == Reponse::Issue::Suite;
         i += parOctet ? 1 : reponse.size()) {
        issue =
            r.Recevoir(std::string_view(reponse).substr(i, parOctet ? 1 : reponse.size()), corps);
    }
    if (issue == Reponse::Issue::Suite) {
        issue = r.Fin(finTls);
    }
    switch (issue) {
    case Reponse::Issue::Complete:
        return "ok";
    case Reponse::Issue::Redirection:
        return "-> " + r.Suivante().HoteEntete() + r.Suivante().cible;
    default:
        EXPECT_EQ(issue, Reponse::Issue::Echec);
        EXPECT_EQ(r.Etape(), Reponse::Phase::Finie);
        return r.Raison();
    }
}

struct Cas {
    const char* nom;
    std::string reponse;
    std::string issue;
    std::string corps = {};
    bool finTls = true;
};

TEST(Http, AnswersEndAsTheirFramingSaysWhateverPiecesTheyArriveIn) {
    const std::string ok = "HTTP/1.1 200 OK\r\n";
    const std::string morceaux = ok + "Transfer-Encoding: chunked\r\n\r\n";
    const std::string invalide = A(u8"Réponse du serveur invalide"_ansi);
    const std::string malForme = A(u8"Réponse du serveur invalide : morceau mal formé"_ansi);
    const std::string longs = A(u8"Réponse du serveur invalide : en-têtes trop longs"_ansi);
    const Cas cas[] = {
        {"length", ok + "Content-Length: 5\r\n\r\nhello", "ok", "hello"},
        {"LF alone", "HTTP/1.0 200 OK\nContent-length:  3 \n\nabc", "ok", "abc"},
        {"same length twice", ok + "Content-Length: 2\r\ncontent-length: 2\r\n\r\nab", "ok", "ab"},
        {"interim answers first",
         "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 102 x\r\n\r\n" + ok + "Content-Length: 1\r\n\r\nz",
         "ok", "z"},
        {"no content", "HTTP/1.1 204 No Content\r\n\r\n", "ok"},
        {"close-delimited", ok + "\r\nabc", "ok", "abc"},
        {"close-delimited, cut", ok + "\r\nabc",
         A(u8"Transfert incomplet : la connexion a été coupée sans fin de session TLS après 3 "
           u8"octets"_ansi),
         "", false},
        {"chunked", morceaux + "5;x=1\r\nhello\r\nA \r\n0123456789\r\n0\r\nT: 1\r\n\r\n", "ok",
         "hello0123456789"},
        {"chunked last, length ignored",
         ok + "Content-Length: 1\r\nTransfer-Encoding: gzip, chunked\r\n\r\n2\r\nab\r\n0\r\n\r\n",
         "ok", "ab"},
        {"chunked not last", ok + "Transfer-Encoding: chunked, gzip\r\n\r\n0\r\n\r\n", "ok",
         "0\r\n\r\n"},
        {"switching protocols", "HTTP/1.1 101 Switching Protocols\r\n\r\n",
         A(u8"Le serveur a répondu 101 Switching Protocols"_ansi)},
        {"not found", "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n",
         A(u8"Le serveur a répondu 404 Not Found"_ansi)},
        {"redirect without Location", "HTTP/1.1 302 Found\r\n\r\n",
         A(u8"Le serveur a répondu 302 Found"_ansi)},
        {"redirect", "HTTP/1.1 301 Moved\r\nLocation: ../b c?d#e\r\n\r\n",
         "-> monvalor.example/b%20c?d"},
        {"redirect to http", "HTTP/1.1 307 x\r\nLocation: http://monvalor.example/\r\n\r\n",
         A(u8"Redirection refusée vers une adresse qui n'est pas https : "
           u8"http://monvalor.example/"_ansi)},
        {"no status line", "Bonjour\r\n\r\n", invalide},
        {"status of letters", "HTTP/1.1 2x0 OK\r\n\r\n", invalide},
        {"status of four digits", "HTTP/1.1 2000 OK\r\n\r\n", invalide},
        {"two lengths", ok + "Content-Length: 2\r\nContent-Length: 3\r\n\r\nab", invalide},
        {"length signed", ok + "Content-Length: +2\r\n\r\nab", invalide},
        {"length of 20 digits", ok + "Content-Length: 00000000000000000002\r\n\r\nab", invalide},
        {"length beyond the limit", ok + "Content-Length: 1073741825\r\n\r\n",
         A(u8"Réponse trop volumineuse : 1073741825 octets"_ansi)},
        {"more than announced", ok + "Content-Length: 2\r\n\r\nabc",
         A(u8"Le serveur a envoyé plus d'octets que les 2 annoncés"_ansi)},
        {"bytes after no content", "HTTP/1.1 204 No Content\r\n\r\nx",
         A(u8"Le serveur a envoyé plus d'octets que les 0 annoncés"_ansi)},
        {"fewer than announced", ok + "Content-Length: 4\r\n\r\nabc",
         A(u8"Transfert incomplet : 3 octets reçus sur 4 annoncés"_ansi)},
        {"closed before headers", "HTTP/1.1 200 OK\r\n",
         A(u8"Le serveur a fermé la connexion sans répondre"_ansi)},
        {"chunk size not hexadecimal", morceaux + "5g\r\nhello\r\n", malForme},
        {"chunk size of 16 digits", morceaux + "0000000000000001\r\nh\r\n", malForme},
        {"chunk size line too long",
         morceaux + "1;" + std::string(MaxLigneMorceau, 'x') + "\r\nh\r\n0\r\n\r\n", malForme},
        {"chunk data overrun", morceaux + "2\r\nabc\r\n", malForme},
        {"bytes after the last chunk", morceaux + "0\r\n\r\nx",
         A(u8"Le serveur a envoyé des octets après la fin du corps"_ansi)},
        {"chunked, cut", morceaux + "5\r\nhel",
         A(u8"Transfert incomplet : la connexion a été coupée après 3 octets"_ansi)},
        {"endless trailers", morceaux + "0\r\n" + Repete("T: 1\r\n", 12000), longs},
        {"headers without end", ok + std::string(70000, 'x'), longs},
        {"interim answers long together",
         Repete("HTTP/1.1 103 x\r\nLink: " + std::string(20000, 'x') + "\r\n\r\n", 4), longs},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        std::string entier, parOctet;
        EXPECT_EQ(Lire(c.reponse, c.finTls, false, entier), c.issue);
        EXPECT_EQ(Lire(c.reponse, c.finTls, true, parOctet), c.issue);
        if (c.issue == "ok") {
            EXPECT_EQ(entier, c.corps);
            EXPECT_EQ(parOctet, c.corps);
        }
    }
}

TEST(Http, InterimAnswersAndBodiesStopAtTheirLimits) {
    const std::string ok = "HTTP/1.1 200 OK\r\n";
    const std::string morceaux = ok + "Transfer-Encoding: chunked\r\n\r\n";
    const std::string provisoire = "HTTP/1.1 103 Early Hints\r\nLink: </a.css>\r\n\r\n";
    const std::string plusQue10 = A(u8"Réponse trop volumineuse : plus de 10 octets"_ansi);
    const struct {
        const char* nom;
        std::string reponse;
        std::uint64_t maxCorps;
        std::string issue;
        std::string corps = {};
    } cas[] = {
        {"interim answers up to their limit",
         Repete(provisoire, MaxReponsesProvisoires) + ok + "Content-Length: 1\r\n\r\nz", MaxCorps,
         "ok", "z"},
        {"one interim answer more",
         Repete(provisoire, MaxReponsesProvisoires + 1) + ok + "Content-Length: 1\r\n\r\nz",
         MaxCorps,
         A(u8"Réponse du serveur invalide : plus de "_ansi) +
             std::to_string(MaxReponsesProvisoires) + A(u8" réponses provisoires"_ansi)},
        {"length at the limit", ok + "Content-Length: 10\r\n\r\n0123456789", 10, "ok",
         "0123456789"},
        {"length beyond the limit", ok + "Content-Length: 11\r\n\r\n0123456789a", 10,
         A(u8"Réponse trop volumineuse : 11 octets"_ansi)},
        {"chunked up to the limit", morceaux + "6\r\n012345\r\n4\r\n6789\r\n0\r\n\r\n", 10, "ok",
         "0123456789"},
        {"chunked past the limit", morceaux + "6\r\n012345\r\n5\r\n6789a\r\n0\r\n\r\n", 10,
         plusQue10},
        {"close-delimited up to the limit", ok + "\r\n0123456789", 10, "ok", "0123456789"},
        {"close-delimited past the limit", ok + "\r\n0123456789a", 10, plusQue10},
        {"no limit above the largest", ok + "Content-Length: 1073741825\r\n\r\n", MaxCorps + 1,
         A(u8"Réponse trop volumineuse : 1073741825 octets"_ansi)},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        std::string entier, parOctet;
        EXPECT_EQ(Lire(c.reponse, true, false, entier, c.maxCorps), c.issue);
        EXPECT_EQ(Lire(c.reponse, true, true, parOctet, c.maxCorps), c.issue);
        if (c.issue == "ok") {
            EXPECT_EQ(entier, c.corps);
            EXPECT_EQ(parOctet, c.corps);
        }
    }
}

TEST(Http, ATransportThatFramesTheBodyIsTrustedForItsEndButNotPastTheLength) {
    const struct {
        const char* entetes;
        const char* corps;
        std::string issue;
    } cas[] = {
        {"HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\n", "abc", "ok"},
        {"HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\n", "ab",
         A(u8"Transfert incomplet : 2 octets reçus sur 3 annoncés"_ansi)},
        {"HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\n", "abcd",
         A(u8"Le serveur a envoyé plus d'octets que les 3 annoncés"_ansi)},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", "0\r\n", "ok"},
        {"HTTP/1.1 200 OK\r\n\r\n", "", "ok"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.corps);
        Reponse r(Base, true);
        std::string corps;
        ASSERT_EQ(r.Entetes(c.entetes), Reponse::Issue::Suite);
        Reponse::Issue issue = r.Recevoir(c.corps, corps);
        if (issue == Reponse::Issue::Suite) {
            issue = r.Fin(false);
        }
        EXPECT_EQ(issue == Reponse::Issue::Complete ? "ok" : r.Raison(), c.issue);
        if (issue == Reponse::Issue::Complete) {
            EXPECT_EQ(corps, c.corps);
        }
    }
    Reponse r(Base, true);
    EXPECT_EQ(r.Entetes("HTTP/1.1 200 OK\r\n" + std::string(MaxEntetes, 'x')),
              Reponse::Issue::Echec);
}

TEST(Http, OnlyHttpsAddressesAreReadAndRedirectsResolveAgainstTheCurrentOne) {
    const struct {
        const char* url;
        const char* lue; // "host port target", or why not
    } adresses[] = {
        {"https://monvalor.example/a?b#c", "monvalor.example 443 /a?b"},
        {"HTTPS://Monvalor.EXAMPLE:8443", "monvalor.example 8443 /"},
        {"https://127.0.0.1:443?x", "127.0.0.1 443 /?x"},
        {"https://[::1]:9/a b\xE9%zz%41", "::1 9 /a%20b%C3%A9%25zz%41"},
        {"http://monvalor.example/", "pas https"},
        {"monvalor.example/a", "pas https"},
        {"ftp://monvalor.example/", "pas https"},
        {"https:///a", "invalide"},
        {"https:monvalor.example", "invalide"},
        {"https://user@monvalor.example/", "invalide"},
        {"https://monvalor.example:0/", "invalide"},
        {"https://monvalor.example:65536/", "invalide"},
        {"https://monvalor.example:8x/", "invalide"},
        {"https://[::1/", "invalide"},
        {"https://[]/", "invalide"},
        {"https://[::1]x/", "invalide"},
    };
    for (const auto& c : adresses) {
        SCOPED_TRACE(c.url);
        Refus refus = Refus::Aucun;
        const std::optional<Adresse> a = LireAdresse(c.url, &refus);
        EXPECT_EQ(a.has_value(), refus == Refus::Aucun);
        EXPECT_EQ(a ? a->hote + ' ' + std::to_string(a->port) + ' ' + a->cible
                  : refus == Refus::PasHttps ? "pas https"
                                             : "invalide",
                  c.lue);
    }
    const struct {
        const char* reference;
        const char* resolue;
    } redirections[] = {
        {"https://ailleurs.example/x/../y?z#f", "https://ailleurs.example/y?z"},
        {"//ailleurs.example:444", "https://ailleurs.example:444"},
        {"//ailleurs.example/./a/b/..", "https://ailleurs.example/a/"},
        {"/racine", "https://monvalor.example/racine"},
        {"suite.txt", "https://monvalor.example/maj/suite.txt"},
        {"../../../haut", "https://monvalor.example/haut"},
        {"?v=2", "https://monvalor.example/maj/version.txt?v=2"},
        {"", "https://monvalor.example/maj/version.txt?v=1"},
        {"http://monvalor.example/", "http://monvalor.example/"},
    };
    for (const auto& c : redirections) {
        EXPECT_EQ(Resoudre(Base, c.reference), c.resolue) << c.reference;
    }
    EXPECT_EQ(Resoudre(*LireAdresse("https://[::1]:8/a"), "b"), "https://[::1]:8/b");
    EXPECT_EQ(Requete(Base), std::string("GET /maj/version.txt?v=1 HTTP/1.1\r\nHost: "
                                         "monvalor.example\r\nUser-Agent: ") +
                                 Agent() +
                                 "\r\nAccept: */*\r\nAccept-Encoding: identity\r\n"
                                 "Connection: close\r\n\r\n");
}

} // namespace
