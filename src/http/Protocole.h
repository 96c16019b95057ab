// HTTP/1.1 as the transfer controls speak it, written once for both faces: the addresses they
// accept and where a redirect leads, the request, and the reading of an answer (status line,
// headers, body framing, chunked bodies) with every limit a hostile server runs into. No
// network here: a face hands over the bytes or the header block its transport received.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace monvalor::http {

// How long a connection may take to open, and a transfer stay without a byte.
inline constexpr std::chrono::milliseconds DelaiDefaut{15000};
// How long a whole transfer may take, redirects included, unless its caller says otherwise: a
// server sending a byte now and then never lets the idle time-out run out.
inline constexpr std::chrono::milliseconds EcheanceDefaut = std::chrono::minutes(30);
// Redirects followed before giving up.
inline constexpr int MaxRedirections = 5;
// Largest header block (interim answers included) and body accepted, and the most reserved up
// front on a server's word: beyond them a server could only exhaust memory.
inline constexpr std::size_t MaxEntetes = 64 * 1024;
inline constexpr std::uint64_t MaxCorps = std::uint64_t{1} << 30;
inline constexpr std::uint64_t MaxReserve = std::uint64_t{256} << 20;
// Interim (1xx) answers accepted before the final one: each is cheap to send and costs a
// parse, so a server could otherwise keep a transfer busy with them.
inline constexpr int MaxReponsesProvisoires = 8;
// Longest chunk-size or trailer line of a chunked body.
inline constexpr std::size_t MaxLigneMorceau = 4096;

// ASCII letters compared without case, as header names are.
bool MemesLettres(std::string_view a, std::string_view b);
// Without the spaces and tabs around it (and a CR at its end).
std::string_view SansBlancs(std::string_view s);
// A Content-Length value: decimal digits only, and no more than 19 of them.
std::optional<std::uint64_t> LireLongueur(std::string_view s);

// An https address cut into what a request needs.
struct Adresse {
    std::string hote; // lower case, without the brackets of an IPv6 address
    std::uint16_t port = 443;
    std::string cible; // path and query, percent-encoded, starting with '/'

    // "hote:port", as the messages name the server.
    std::string Serveur() const;
    // The Host header's value: the port only when it is not 443.
    std::string HoteEntete() const;
};

enum class Refus { Aucun, PasHttps, Invalide };

// An address as given (Windows-1252 text); `refus` says why there is none.
std::optional<Adresse> LireAdresse(std::string_view url, Refus* refus = nullptr);

// Where a Location value leads from `base`, as an address text (RFC 3986, section 5.2); the
// caller then reads it with LireAdresse.
std::string Resoudre(const Adresse& base, std::string_view reference);

// What the transfers call themselves in their requests: "Monvalor/1.3.1".
std::string Agent();

// The GET request for the address, headers and blank line included.
std::string Requete(const Adresse& adresse);

// How the end of a body is known.
enum class Delimitation { Longueur, Morceaux, Fermeture };

// A chunked body, read as it arrives in any pieces: the data of the chunks goes to the body,
// the framing nowhere. Lines are bounded, and so are the trailers.
class DecodeurMorceaux {
public:
    enum class Issue { Suite, Fin, Echec };
    // Decodes `octets`, appending data to `corps` and counting it in `recus` (never beyond
    // `maxCorps`). Fin: the last chunk and its trailers are read, and `lus` bytes of `octets`
    // were used. Echec: `raison` says why.
    Issue Lire(std::string_view octets, std::string& corps, std::uint64_t& recus, std::size_t& lus,
               std::string& raison, std::uint64_t maxCorps);

private:
    enum class Etat { Taille, Donnees, FinDonnees, Annexes } etat_ = Etat::Taille;
    std::string ligne_;
    std::uint64_t reste_ = 0; // of the chunk being read
    std::size_t annexes_ = 0; // trailer bytes so far
};

// One answer to one request, read as it arrives. A transport that frames the body itself
// (WinHTTP) hands over the header block whole and the body's bytes already decoded; otherwise
// everything received goes to Recevoir and the framing is read here.
class Reponse {
public:
    enum class Phase { EnTetes, Corps, AttenteFin, Finie };
    // Suite: read on. Redirection: go to Suivante(). Complete: the body is whole. Echec: see
    // Raison().
    enum class Issue { Suite, Redirection, Complete, Echec };

    // A body announced or grown beyond `maxCorps` (never above MaxCorps) fails.
    Reponse(Adresse adresse, bool cadreeParLeTransport, std::uint64_t maxCorps = MaxCorps);

    // Bytes from the connection; body bytes are appended to `corps`.
    Issue Recevoir(std::string_view octets, std::string& corps);
    // The whole header block, from a transport that frames the body.
    Issue Entetes(std::string_view bloc);
    // The connection ended (a framing transport: the body ended). `finTls`: the server closed
    // its TLS session first, which is what marks the end of a body delimited by the close.
    Issue Fin(bool finTls);
    // Why the body stops here, when the connection fails in the middle of it.
    std::string Coupure() const;

    Phase Etape() const { return phase_; }
    const std::string& Raison() const { return raison_; }
    const Adresse& Suivante() const { return suivante_; }
    // The header block as received: the status line, then each line, CR LF after each.
    const std::string& TexteEntetes() const { return entetes_; }
    std::uint64_t Recus() const { return recus_; }
    // What the body may take up front: what is announced, within reason.
    std::uint64_t AReserver() const;

private:
    Issue Bloc(std::string_view bloc);
    Issue Corps(std::string_view octets, std::string& corps);
    Issue Echouer(std::string raison);

    Adresse adresse_;
    bool cadree_;
    std::uint64_t maxCorps_;
    Phase phase_ = Phase::EnTetes;
    std::string brut_;           // header bytes until the blank line
    std::size_t examine_ = 0;    // of brut_, searched for the blank line already
    std::size_t entetesLus_ = 0; // bytes of the interim answers before
    int provisoires_ = 0;        // interim answers before
    std::string entetes_;
    Delimitation delimitation_ = Delimitation::Fermeture;
    std::uint64_t annonce_ = 0; // Content-Length
    std::uint64_t recus_ = 0;
    DecodeurMorceaux morceaux_;
    Adresse suivante_;
    std::string raison_;
};

// One header's value in a block as TexteEntetes gives it ("Content-Length:", colon optional,
// any case); "" when absent. The status line is no header.
std::string ValeurEntete(std::string_view entetes, std::string_view nom);

} // namespace monvalor::http
