#include "http/Protocole.h"

#include "http/TextesTransfert.h"
#include "support/Ansi.h"
#include "support/Version.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace monvalor::http {

using namespace textes_transfert;

namespace {

char Minuscule(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool Lettre(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool Chiffre(char c) {
    return c >= '0' && c <= '9';
}

int ValeurHexa(char c) {
    const char m = Minuscule(c);
    return Chiffre(m) ? m - '0' : m >= 'a' && m <= 'f' ? m - 'a' + 10 : -1;
}

// The scheme of an address, lower case; "" when it has none ("/a", "b/c", "//h/x").
std::string Schema(std::string_view adresse) {
    const std::size_t fin = adresse.find_first_of(":/?#");
    if (fin == std::string_view::npos || fin == 0 || adresse[fin] != ':' ||
        !Lettre(adresse.front())) {
        return {};
    }
    std::string s(adresse.substr(0, fin));
    for (char& c : s) {
        if (!Lettre(c) && !Chiffre(c) && c != '+' && c != '-' && c != '.') {
            return {};
        }
        c = Minuscule(c);
    }
    return s;
}

// A path and query as a request carries them: what may not appear raw is percent-encoded,
// characters beyond ASCII as their UTF-8 bytes.
std::string Encoder(std::string_view brut) {
    constexpr char Hexa[] = "0123456789ABCDEF";
    std::string s;
    s.reserve(brut.size());
    auto pourcent = [&](unsigned char o) {
        s += '%';
        s += Hexa[o >> 4];
        s += Hexa[o & 0x0F];
    };
    for (std::size_t i = 0; i < brut.size(); ++i) {
        const auto o = static_cast<unsigned char>(brut[i]);
        if (o >= 0x80) {
            for (char u : AnsiVersUtf8(brut.substr(i, 1))) {
                pourcent(static_cast<unsigned char>(u));
            }
        } else if (o <= 0x20 || o == 0x7F || std::strchr("\"<>\\^`{|}", o) != nullptr ||
                   (o == '%' && (i + 2 >= brut.size() || ValeurHexa(brut[i + 1]) < 0 ||
                                 ValeurHexa(brut[i + 2]) < 0))) {
            pourcent(o);
        } else {
            s += static_cast<char>(o);
        }
    }
    return s;
}

// "/a/b/../c/./d" read as "/a/c/d" (RFC 3986, section 5.2.4).
std::string SansPoints(std::string_view chemin) {
    std::vector<std::string_view> segments;
    while (!chemin.empty()) {
        chemin.remove_prefix(1); // the '/'
        const std::size_t fin = std::min(chemin.find('/'), chemin.size());
        const std::string_view segment = chemin.substr(0, fin);
        chemin.remove_prefix(fin);
        if (segment == "..") {
            if (!segments.empty()) {
                segments.pop_back();
            }
        } else if (segment != ".") {
            segments.push_back(segment);
            continue;
        }
        if (chemin.empty()) {
            segments.emplace_back(); // "/a/.." is the folder "/"
        }
    }
    std::string s;
    for (const std::string_view segment : segments) {
        s += '/';
        s.append(segment);
    }
    return s.empty() ? "/" : s;
}

// The path of a reference that starts with one, dots removed, and the query after it.
std::string CheminEtRequete(std::string_view reference) {
    const std::size_t q = std::min(reference.find('?'), reference.size());
    return SansPoints(reference.substr(0, q)) + std::string(reference.substr(q));
}

bool EstRedirection(int statut) {
    return statut == 301 || statut == 302 || statut == 303 || statut == 307 || statut == 308;
}

} // namespace

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

std::optional<std::uint64_t> LireLongueur(std::string_view s) {
    if (s.empty() || s.size() > 19) {
        return std::nullopt;
    }
    std::uint64_t n = 0;
    for (char c : s) {
        if (!Chiffre(c)) {
            return std::nullopt;
        }
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return n;
}

std::string Adresse::Serveur() const {
    return hote + ':' + std::to_string(port);
}

std::string Adresse::HoteEntete() const {
    std::string s = hote.find(':') == std::string::npos ? hote : '[' + hote + ']';
    if (port != 443) {
        s += ':' + std::to_string(port);
    }
    return s;
}

std::optional<Adresse> LireAdresse(std::string_view url, Refus* refus) {
    Refus pourquoi = Refus::Aucun;
    Refus& r = refus ? *refus : pourquoi;
    r = Refus::Invalide;
    if (Schema(url) != "https") {
        r = Refus::PasHttps;
        return std::nullopt;
    }
    url.remove_prefix(url.find(':') + 1);
    if (url.substr(0, 2) != "//") {
        return std::nullopt;
    }
    url.remove_prefix(2);
    const std::size_t finAutorite = std::min(url.find_first_of("/?#"), url.size());
    std::string_view autorite = url.substr(0, finAutorite);
    std::string_view reste = url.substr(finAutorite);
    Adresse a;
    std::string_view port;
    if (!autorite.empty() && autorite.front() == '[') {
        const std::size_t fin = autorite.find(']');
        if (fin == std::string_view::npos || fin == 1) {
            return std::nullopt;
        }
        for (char c : autorite.substr(1, fin - 1)) {
            if (ValeurHexa(c) < 0 && c != ':' && c != '.') {
                return std::nullopt;
            }
        }
        a.hote = autorite.substr(1, fin - 1);
        autorite.remove_prefix(fin + 1);
        if (!autorite.empty() && autorite.front() != ':') {
            return std::nullopt;
        }
        port = autorite.substr(std::min<std::size_t>(1, autorite.size()));
    } else {
        const std::size_t deuxPoints = std::min(autorite.find(':'), autorite.size());
        a.hote = autorite.substr(0, deuxPoints);
        port = autorite.substr(std::min(deuxPoints + 1, autorite.size()));
        for (char c : a.hote) {
            if (!Lettre(c) && !Chiffre(c) && c != '-' && c != '.' && c != '_' && c != '~') {
                return std::nullopt; // user names, percent-encoded or foreign letters included
            }
        }
    }
    if (a.hote.empty()) {
        return std::nullopt;
    }
    for (char& c : a.hote) {
        c = Minuscule(c);
    }
    if (!port.empty()) {
        const auto n = LireLongueur(port);
        if (port.size() > 5 || !n || *n == 0 || *n > 65535) {
            return std::nullopt;
        }
        a.port = static_cast<std::uint16_t>(*n);
    }
    // The fragment stays with the client.
    reste = reste.substr(0, reste.find('#'));
    a.cible = Encoder(reste);
    if (a.cible.empty() || a.cible.front() != '/') {
        a.cible.insert(a.cible.begin(), '/');
    }
    r = Refus::Aucun;
    return a;
}

std::string Resoudre(const Adresse& base, std::string_view reference) {
    reference = reference.substr(0, reference.find('#'));
    const std::string origine = "https://" + base.HoteEntete();
    if (!Schema(reference).empty() || reference.substr(0, 2) == "//") {
        // Absolute, or of the same scheme: its own authority, its path without dots.
        const std::string absolue =
            Schema(reference).empty() ? "https:" + std::string(reference) : std::string(reference);
        const std::size_t debut = absolue.find(':') + 1;
        std::size_t chemin = debut;
        if (absolue.compare(debut, 2, "//") == 0) {
            chemin = std::min(absolue.find_first_of("/?", debut + 2), absolue.size());
        }
        if (chemin >= absolue.size() || absolue[chemin] != '/') {
            return absolue;
        }
        return absolue.substr(0, chemin) +
               CheminEtRequete(std::string_view(absolue).substr(chemin));
    }
    const std::size_t q = std::min(base.cible.find('?'), base.cible.size());
    if (reference.empty()) {
        return origine + base.cible;
    }
    if (reference.front() == '?') {
        return origine + base.cible.substr(0, q) + std::string(reference);
    }
    if (reference.front() == '/') {
        return origine + CheminEtRequete(reference);
    }
    const std::string_view chemin = std::string_view(base.cible).substr(0, q);
    return origine + CheminEtRequete(std::string(chemin.substr(0, chemin.rfind('/') + 1)) +
                                     std::string(reference));
}

std::string Agent() {
    return std::string("Monvalor/") + VersionProgramme.texte;
}

std::string Requete(const Adresse& adresse) {
    return "GET " + adresse.cible + " HTTP/1.1\r\nHost: " + adresse.HoteEntete() +
           "\r\nUser-Agent: " + Agent() +
           "\r\nAccept: */*\r\nAccept-Encoding: identity\r\nConnection: close\r\n\r\n";
}

DecodeurMorceaux::Issue DecodeurMorceaux::Lire(std::string_view octets, std::string& corps,
                                               std::uint64_t& recus, std::size_t& lus,
                                               std::string& raison, std::uint64_t maxCorps) {
    std::size_t i = 0;
    auto echec = [&](std::string texte) {
        raison = std::move(texte);
        return Issue::Echec;
    };
    while (i < octets.size()) {
        if (etat_ == Etat::Donnees) {
            const std::size_t pris =
                static_cast<std::size_t>(std::min<std::uint64_t>(reste_, octets.size() - i));
            if (pris > maxCorps - recus) {
                return echec(PlusQue(maxCorps));
            }
            corps.append(octets.substr(i, pris));
            recus += pris;
            reste_ -= pris;
            i += pris;
            if (reste_ == 0) {
                etat_ = Etat::FinDonnees;
            }
            continue;
        }
        // The other states read one line.
        const std::size_t nl = octets.find('\n', i);
        const std::size_t fin = nl == std::string_view::npos ? octets.size() : nl;
        if (ligne_.size() + (fin - i) > MaxLigneMorceau) {
            return echec(MorceauMalForme());
        }
        ligne_.append(octets.substr(i, fin - i));
        i = nl == std::string_view::npos ? fin : fin + 1;
        if (nl == std::string_view::npos) {
            return Issue::Suite;
        }
        std::string_view ligne = ligne_;
        if (!ligne.empty() && ligne.back() == '\r') {
            ligne.remove_suffix(1);
        }
        switch (etat_) {
        case Etat::Taille: {
            ligne = SansBlancs(ligne.substr(0, ligne.find(';')));
            if (ligne.empty() || ligne.size() > 15) {
                return echec(MorceauMalForme());
            }
            std::uint64_t taille = 0;
            for (char c : ligne) {
                const int chiffre = ValeurHexa(c);
                if (chiffre < 0) {
                    return echec(MorceauMalForme());
                }
                taille = taille * 16 + static_cast<std::uint64_t>(chiffre);
            }
            reste_ = taille;
            etat_ = taille == 0 ? Etat::Annexes : Etat::Donnees;
            break;
        }
        case Etat::FinDonnees:
            if (!ligne.empty()) {
                return echec(MorceauMalForme());
            }
            etat_ = Etat::Taille;
            break;
        case Etat::Annexes:
            annexes_ += ligne_.size() + 1;
            if (annexes_ > MaxEntetes) {
                return echec(EntetesTropLongs());
            }
            if (ligne.empty()) {
                ligne_.clear();
                lus = i;
                return Issue::Fin;
            }
            break;
        case Etat::Donnees:
            break;
        }
        ligne_.clear();
    }
    return Issue::Suite;
}

Reponse::Reponse(Adresse adresse, bool cadreeParLeTransport, std::uint64_t maxCorps)
    : adresse_(std::move(adresse)), cadree_(cadreeParLeTransport),
      maxCorps_(std::min(maxCorps, MaxCorps)) {}

Reponse::Issue Reponse::Echouer(std::string raison) {
    phase_ = Phase::Finie;
    raison_ = std::move(raison);
    return Issue::Echec;
}

Reponse::Issue Reponse::Recevoir(std::string_view octets, std::string& corps) {
    if (phase_ != Phase::EnTetes) {
        return Corps(octets, corps);
    }
    if (cadree_) {
        return Issue::Suite; // the transport gives the headers whole
    }
    brut_.append(octets);
    for (;;) {
        // The blank line: LF LF or LF CR LF, looked for in what was not searched yet.
        std::size_t fin = std::string::npos;
        for (std::size_t p = brut_.find('\n', examine_); p != std::string::npos;
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
        if (entetesLus_ + std::min(fin, brut_.size()) > MaxEntetes) {
            return Echouer(EntetesTropLongs());
        }
        if (fin == std::string::npos) {
            examine_ = brut_.size() < 2 ? 0 : brut_.size() - 2;
            return Issue::Suite;
        }
        const Issue issue = Bloc(std::string_view(brut_).substr(0, fin));
        if (issue != Issue::Suite) {
            return issue;
        }
        if (phase_ == Phase::EnTetes) {
            // An interim 1xx answer: the real one follows.
            if (++provisoires_ > MaxReponsesProvisoires) {
                return Echouer(TropDeProvisoires(MaxReponsesProvisoires));
            }
            entetesLus_ += fin;
            brut_.erase(0, fin);
            examine_ = 0;
            continue;
        }
        const std::string reste = brut_.substr(fin);
        brut_.clear();
        brut_.shrink_to_fit();
        return Corps(reste, corps);
    }
}

Reponse::Issue Reponse::Entetes(std::string_view bloc) {
    if (phase_ != Phase::EnTetes) {
        return Issue::Suite;
    }
    if (bloc.size() > MaxEntetes) {
        return Echouer(EntetesTropLongs());
    }
    return Bloc(bloc);
}

Reponse::Issue Reponse::Bloc(std::string_view bloc) {
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
    // "HTTP/1.1 404 Not Found": the version, three digits, the reason.
    const std::string_view premiere = lignes.empty() ? std::string_view() : lignes.front();
    const std::size_t espace = premiere.find(' ');
    if (premiere.substr(0, 5) != "HTTP/" || espace == std::string_view::npos ||
        premiere.size() < espace + 4 ||
        (premiere.size() > espace + 4 && premiere[espace + 4] != ' ')) {
        return Echouer(Invalide());
    }
    int statut = 0;
    for (std::size_t k = espace + 1; k < espace + 4; ++k) {
        if (!Chiffre(premiere[k])) {
            return Echouer(Invalide());
        }
        statut = statut * 10 + (premiere[k] - '0');
    }
    if (statut >= 100 && statut < 200 && statut != 101) {
        return Issue::Suite; // still reading headers: the final answer follows
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
                return Echouer(Invalide());
            }
            longueur = valeur;
            longueurVue = true;
        } else if (MemesLettres(nom, "Transfer-Encoding")) {
            codage = valeur;
        } else if (MemesLettres(nom, "Location")) {
            destination = valeur;
        }
    }
    if (EstRedirection(statut) && !destination.empty()) {
        const std::optional<Adresse> suivante = LireAdresse(Resoudre(adresse_, destination));
        if (!suivante) {
            return Echouer(RedirectionRefusee(destination));
        }
        suivante_ = *suivante;
        phase_ = Phase::Finie;
        return Issue::Redirection;
    }
    if (statut < 200 || statut > 299) {
        return Echouer(Statut(premiere.substr(espace + 1)));
    }
    if (!codage.empty()) {
        // The last coding applied is the one that frames the body.
        const std::string_view derniere = SansBlancs(codage.substr(codage.rfind(',') + 1));
        delimitation_ =
            MemesLettres(derniere, "chunked") ? Delimitation::Morceaux : Delimitation::Fermeture;
    } else if (statut == 204) {
        delimitation_ = Delimitation::Longueur;
        annonce_ = 0;
    } else if (longueurVue) {
        const std::optional<std::uint64_t> n = LireLongueur(longueur);
        if (!n) {
            return Echouer(Invalide());
        }
        delimitation_ = Delimitation::Longueur;
        annonce_ = *n;
    } else {
        delimitation_ = Delimitation::Fermeture;
    }
    if (delimitation_ == Delimitation::Longueur && annonce_ > maxCorps_) {
        return Echouer(TropVolumineuse(annonce_));
    }
    phase_ =
        delimitation_ == Delimitation::Longueur && annonce_ == 0 ? Phase::AttenteFin : Phase::Corps;
    return Issue::Suite;
}

Reponse::Issue Reponse::Corps(std::string_view octets, std::string& corps) {
    if (octets.empty() || phase_ == Phase::Finie) {
        return phase_ == Phase::Finie ? Issue::Echec : Issue::Suite;
    }
    if (phase_ == Phase::AttenteFin) {
        return Echouer(delimitation_ == Delimitation::Longueur ? TropDOctets(annonce_)
                                                               : ApresLaFin());
    }
    if (delimitation_ == Delimitation::Morceaux && !cadree_) {
        std::size_t lus = 0;
        std::string raison;
        switch (morceaux_.Lire(octets, corps, recus_, lus, raison, maxCorps_)) {
        case DecodeurMorceaux::Issue::Echec:
            return Echouer(std::move(raison));
        case DecodeurMorceaux::Issue::Fin:
            phase_ = Phase::AttenteFin;
            return lus < octets.size() ? Echouer(ApresLaFin()) : Issue::Suite;
        case DecodeurMorceaux::Issue::Suite:
            return Issue::Suite;
        }
    }
    if (delimitation_ == Delimitation::Longueur && octets.size() > annonce_ - recus_) {
        return Echouer(TropDOctets(annonce_));
    }
    if (octets.size() > maxCorps_ - recus_) {
        return Echouer(PlusQue(maxCorps_));
    }
    corps.append(octets);
    recus_ += octets.size();
    if (delimitation_ == Delimitation::Longueur && recus_ == annonce_) {
        phase_ = Phase::AttenteFin;
    }
    return Issue::Suite;
}

Reponse::Issue Reponse::Fin(bool finTls) {
    switch (phase_) {
    case Phase::EnTetes:
        return Echouer(SansReponse());
    case Phase::Corps:
        if (cadree_ ? delimitation_ != Delimitation::Longueur
                    : delimitation_ == Delimitation::Fermeture && finTls) {
            break;
        }
        return Echouer(Coupure());
    case Phase::AttenteFin:
        break;
    case Phase::Finie:
        return Issue::Echec;
    }
    phase_ = Phase::Finie;
    return Issue::Complete;
}

std::string Reponse::Coupure() const {
    switch (delimitation_) {
    case Delimitation::Longueur:
        return Incomplet(recus_, annonce_);
    case Delimitation::Morceaux:
        return Coupe(recus_);
    case Delimitation::Fermeture:
        break;
    }
    return CoupeSansFinTls(recus_);
}

std::uint64_t Reponse::AReserver() const {
    return delimitation_ == Delimitation::Longueur ? std::min(annonce_, MaxReserve) : 0;
}

std::string ValeurEntete(std::string_view entetes, std::string_view nom) {
    nom = SansBlancs(nom);
    if (!nom.empty() && nom.back() == ':') {
        nom.remove_suffix(1);
    }
    bool premiere = true;
    while (!entetes.empty()) {
        const std::size_t p = entetes.find("\r\n");
        const std::string_view ligne = entetes.substr(0, p);
        entetes.remove_prefix(p == std::string_view::npos ? entetes.size() : p + 2);
        if (std::exchange(premiere, false)) {
            continue; // the status line
        }
        const std::size_t dp = ligne.find(':');
        if (dp != std::string_view::npos && MemesLettres(SansBlancs(ligne.substr(0, dp)), nom)) {
            return std::string(SansBlancs(ligne.substr(dp + 1)));
        }
    }
    return {};
}

} // namespace monvalor::http
