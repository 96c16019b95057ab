// Answers and addresses from a hostile server: an answer read whole and in
// pieces comes to the same, the body never outgrows its limits (a caller's
// included), and every address accepted reads back the same.
#include "http/Protocole.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace monvalor::http;

static void Exiger(bool condition) {
    if (!condition) {
        std::abort();
    }
}

namespace {

struct Lecture {
    Reponse::Issue issue = Reponse::Issue::Suite;
    std::string corps;
    std::string raison;
    std::string entetes;
    std::string suivante;
};

// The address an accepted one reads back as; it is printable ASCII only.
std::string Relue(const Adresse& a) {
    for (char c : a.hote + a.cible) {
        Exiger(c > 0x20 && c < 0x7F);
    }
    Exiger(!a.hote.empty() && a.cible.front() == '/' && a.port != 0);
    const std::string texte = "https://" + a.HoteEntete() + a.cible;
    const auto relue = LireAdresse(texte);
    Exiger(relue && relue->hote == a.hote && relue->port == a.port && relue->cible == a.cible);
    return texte;
}

Lecture Lire(const Adresse& base, std::string_view reponse, bool cadree, bool finTls,
             std::size_t piece, std::uint64_t maxCorps) {
    Reponse r(base, cadree, maxCorps);
    Lecture l;
    if (cadree) {
        const std::size_t fin = reponse.find("\r\n\r\n");
        const std::size_t n = fin == std::string_view::npos ? reponse.size() : fin + 4;
        l.issue = r.Entetes(reponse.substr(0, n));
        reponse.remove_prefix(n);
    }
    for (std::size_t i = 0; i < reponse.size() && l.issue == Reponse::Issue::Suite; i += piece) {
        l.issue = r.Recevoir(reponse.substr(i, piece), l.corps);
        Exiger(l.corps.size() == r.Recus() && r.Recus() <= maxCorps);
    }
    if (l.issue == Reponse::Issue::Suite && r.Etape() != Reponse::Phase::EnTetes) {
        Exiger(r.AReserver() <= MaxReserve);
    }
    if (l.issue == Reponse::Issue::Suite) {
        l.issue = r.Fin(finTls);
    }
    Exiger(l.issue != Reponse::Issue::Suite && r.Etape() == Reponse::Phase::Finie);
    Exiger((l.issue == Reponse::Issue::Echec) == !r.Raison().empty());
    Exiger(r.TexteEntetes().size() <= MaxEntetes + 2 * MaxEntetes / 3);
    l.raison = r.Raison();
    l.entetes = r.TexteEntetes();
    if (l.issue == Reponse::Issue::Redirection) {
        l.suivante = Relue(r.Suivante());
    }
    return l;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t mode = data[0];
    const std::string_view reste(reinterpret_cast<const char*>(data) + 1, size - 1);
    static const Adresse base = *LireAdresse("https://monvalor.example/maj/v.txt?x=1");

    // The input as an address, and as a redirect's destination.
    if (const auto a = LireAdresse(reste)) {
        Relue(*a);
    }
    if (const auto a = LireAdresse(Resoudre(base, reste.substr(0, reste.find('\n'))))) {
        Relue(*a);
    }

    // The input as an answer: whole, then in pieces of one to sixteen bytes.
    const bool cadree = mode & 1;
    const bool finTls = mode & 2;
    const std::uint64_t maxCorps = mode & 4 ? 100 : MaxCorps; // as a caller may bound it
    const Lecture entiere = Lire(base, reste, cadree, finTls, reste.size() + 1, maxCorps);
    const Lecture morcelee = Lire(base, reste, cadree, finTls, 1 + (mode >> 4), maxCorps);
    // (A failed body is dropped whole, wherever its reading stopped.)
    Exiger(entiere.issue == morcelee.issue && entiere.raison == morcelee.raison &&
           (entiere.issue == Reponse::Issue::Echec || entiere.corps == morcelee.corps) &&
           entiere.entetes == morcelee.entetes && entiere.suivante == morcelee.suivante);
    return 0;
}
