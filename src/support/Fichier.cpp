#include "support/Fichier.h"

#include "services/FichiersSysteme.h"
#include "services/Services.h"
#include "support/Chaines.h"
#include "support/EcritureSure.h"
#include "support/Erreur.h"
#include "support/Fichiers.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <limits>
#include <new>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <utility>

namespace monvalor {

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kMax32 = std::numeric_limits<std::int32_t>::max();
constexpr const char* kFinLigne = "\r\n";

// The native path of a name that can stand for a file; none for "" or for a name holding a
// NUL, which the system would cut short and so take for another file.
std::optional<fs::path> CheminValide(std::string_view nom) {
    if (nom.empty() || nom.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    return CheminSysteme(nom);
}

fs::path CheminOuErreur(std::string_view nom) {
    auto chemin = CheminValide(nom);
    if (!chemin) {
        throw Erreur(ErrNomFichier);
    }
    return *std::move(chemin);
}

// Holds the object's file number open for the time of one operation, and closes it however
// the operation ends.
class NumeroOuvert {
public:
    explicit NumeroOuvert(std::int16_t numero) : numero_(numero) {
        Plateforme().numerosFichiers.Ouvrir(numero_);
    }
    ~NumeroOuvert() { Plateforme().numerosFichiers.Fermer(numero_); }
    NumeroOuvert(const NumeroOuvert&) = delete;
    NumeroOuvert& operator=(const NumeroOuvert&) = delete;

private:
    std::int16_t numero_;
};

std::int64_t Longueur(const fs::path& chemin) {
    std::error_code erreur;
    const auto taille = fs::file_size(chemin, erreur);
    if (erreur) {
        throw Erreur(ErrFichierIntrouvable);
    }
    return static_cast<std::int64_t>(taille);
}

std::ifstream OuvrirLecture(const fs::path& chemin) {
    std::ifstream entree(chemin, std::ios::binary);
    if (!entree) {
        throw Erreur(ErrAccesChemin);
    }
    return entree;
}

// n characters from the offset (from 0) on; error 62 when the file ends before.
std::string Lire(std::ifstream& entree, std::int64_t debut, std::int64_t n) {
    std::string octets;
    if (n <= 0) {
        return octets;
    }
    octets.resize(static_cast<std::size_t>(n));
    entree.clear();
    if (debut < 0 || !entree.seekg(static_cast<std::streamoff>(debut))) {
        throw Erreur(ErrFinFichier);
    }
    entree.read(octets.data(), static_cast<std::streamsize>(n));
    if (entree.gcount() != static_cast<std::streamsize>(n)) {
        throw Erreur(ErrFinFichier);
    }
    return octets;
}

// x / 2 to the nearest whole number, an exact half going to the even neighbour.
std::int64_t Moitie(std::int64_t x) {
    std::int64_t q = x / 2;
    const std::int64_t reste = x % 2;
    if (reste != 0 && q % 2 != 0) {
        q += reste;
    }
    return q;
}

// Hands each line to `ligne`: a line ends at CR, an LF right after it belonging to the same
// end; a lone LF is part of the line. The last line needs no end.
template <class F> void PourChaqueLigne(std::ifstream& entree, F&& ligne) {
    std::string courante;
    bool commencee = false;
    bool apresCR = false;
    char tampon[1 << 16];
    while (entree) {
        entree.read(tampon, sizeof tampon);
        const auto lus = static_cast<std::size_t>(entree.gcount());
        for (std::size_t i = 0; i < lus; ++i) {
            const char c = tampon[i];
            if (apresCR) {
                apresCR = false;
                if (c == '\n') {
                    continue;
                }
            }
            if (c == '\r') {
                ligne(std::move(courante));
                courante.clear();
                commencee = false;
                apresCR = true;
            } else {
                courante.push_back(c);
                commencee = true;
            }
        }
    }
    if (entree.bad()) {
        throw Erreur(ErrEntreeSortie);
    }
    if (commencee) {
        ligne(std::move(courante));
    }
}

bool EstTexteVide(const Variant& v) {
    return v.EstVide() || (v.EstTexte() && v.Chaine().empty());
}

// A file none of whose write bits is set is read-only, whoever asks.
bool LectureSeule(const fs::file_status& etat) {
    constexpr auto kEcriture =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (etat.permissions() & kEcriture) == fs::perms::none;
}

// Appends the bytes; on a failure the file is cut back to what it held, or removed when the
// append created it.
bool EcrireALaFin(const fs::path& cible, std::string_view octets, bool existait) {
    std::error_code erreur;
    const std::uintmax_t avant = existait ? fs::file_size(cible, erreur) : 0;
    if (erreur) {
        return false;
    }
    std::ofstream sortie(cible, std::ios::binary | std::ios::app);
    if (!sortie) {
        return false;
    }
    sortie.write(octets.data(), static_cast<std::streamsize>(octets.size()));
    sortie.close();
    if (!sortie) {
        if (existait) {
            fs::resize_file(cible, avant, erreur);
        } else {
            fs::remove(cible, erreur);
        }
        return false;
    }
    return true;
}

// Runs f, turning an exhausted memory into error 7.
template <class F> decltype(auto) SansManque(F&& f) {
    try {
        return f();
    } catch (const std::bad_alloc&) {
        throw Erreur(ErrMemoire);
    } catch (const std::length_error&) {
        throw Erreur(ErrMemoire);
    }
}

} // namespace

ListeArr::ListeArr(std::shared_ptr<Arr> tableau) : tableau_(std::move(tableau)) {
    if (!tableau_) {
        throw Erreur(ErrObjetNonDefini);
    }
}

Fichier::Fichier()
    : data_(std::make_shared<ListeArr>()), numero_(Plateforme().numerosFichiers.Libre()) {}

void Fichier::Data(std::shared_ptr<IListe> pdata) {
    if (!pdata) {
        throw Erreur(ErrObjetNonDefini);
    }
    data_ = std::move(pdata);
}

void Fichier::Data(std::shared_ptr<Arr> pdata) {
    Data(std::make_shared<ListeArr>(std::move(pdata)));
}

std::string Fichier::NomCourt() const {
    return ExtraireNom(nomLong_);
}

std::string Fichier::Repertoire() const {
    return ExtraireRepertoire(nomLong_);
}

bool Fichier::Existe() const {
    return CheminValide(nomLong_).has_value() && FichierExiste(nomLong_);
}

std::string Fichier::ToString(std::int32_t psize, std::int32_t pseek) const {
    if (!Existe()) {
        return {};
    }
    const fs::path chemin = CheminOuErreur(nomLong_);
    const std::int64_t longueur = Longueur(chemin);
    NumeroOuvert ouvert(numero_);
    std::ifstream entree = OuvrirLecture(chemin);
    if (pseek < 0 || psize < 0) {
        return {};
    }
    std::int64_t taille = psize;
    std::int64_t recul = pseek;
    if (taille == 0 || taille > longueur) {
        if (longueur > kMax32) {
            throw Erreur(ErrDepassement);
        }
        taille = longueur;
    }
    if (recul == 0) {
        recul = taille;
    }
    // The window has always begun one character early; stored callers count on it.
    const std::int64_t debut = recul < longueur ? longueur - recul - 1 : 0;
    return SansManque([&] { return Lire(entree, debut, std::min(taille, recul)); });
}

void Fichier::Charger(std::int32_t psize, std::int32_t pseek, bool readall) {
    if (!Existe()) {
        return;
    }
    // The list may be replaced from its own Add: keep this one alive until the end.
    const std::shared_ptr<IListe> liste = data_;
    if (readall) {
        const TableauChaines lignes =
            SansManque([&] { return Scinder(ToString(psize, pseek), kFinLigne); });
        if (Arr* tableau = liste->CommeArr()) {
            SansManque([&] { tableau->FromArray(lignes); });
        } else {
            for (int i = 1; i <= lignes.UBound(); ++i) {
                liste->Add(lignes[i]);
            }
        }
    } else {
        const fs::path chemin = CheminOuErreur(nomLong_);
        NumeroOuvert ouvert(numero_);
        std::ifstream entree = OuvrirLecture(chemin);
        const std::int64_t premier = pseek;
        const std::int64_t dernier = std::int64_t{psize} - pseek + 1;
        std::int64_t numero = 0;
        SansManque([&] {
            PourChaqueLigne(entree, [&](std::string&& ligne) {
                ++numero;
                if (premier <= numero && numero <= dernier) {
                    liste->Add(std::move(ligne));
                }
            });
        });
    }
    // A final line end leaves one empty line behind it.
    std::int32_t c = liste->Count();
    if (c > 1) {
        if (EstTexteVide(liste->Item(c))) {
            --c;
        }
        liste->Count(c);
    }
}

void Fichier::Decharger(std::string_view Buffer, std::int16_t pMode) {
    const fs::path chemin = CheminOuErreur(nomLong_);
    NumeroOuvert ouvert(numero_);
    // The whole text is made before the file is touched: an item that cannot be written
    // leaves nothing half done.
    const std::string octets = SansManque([&] {
        std::string texte;
        if (!Buffer.empty()) {
            texte.append(Buffer).append(kFinLigne);
            return texte;
        }
        const std::shared_ptr<IListe> liste = data_;
        const std::int32_t n = liste->Count();
        for (std::int32_t i = 1; i <= n; ++i) {
            const Variant item = liste->Item(i);
            if (!item.EstNull()) {
                texte.append(item.Texte()).append(kFinLigne);
            }
        }
        return texte;
    });

    std::error_code erreur;
    fs::path cible = chemin;
    // A link is written through, not replaced by a file of its own.
    if (fs::is_symlink(fs::symlink_status(chemin, erreur))) {
        cible = fs::weakly_canonical(chemin, erreur);
        if (erreur) {
            throw Erreur(ErrAccesChemin);
        }
    }
    const fs::path parent = cible.parent_path().empty() ? fs::path(".") : cible.parent_path();
    if (!fs::is_directory(parent, erreur)) {
        throw Erreur(ErrCheminIntrouvable);
    }
    const fs::file_status etat = fs::status(cible, erreur);
    const bool existait = fs::exists(etat);
    if (existait && !fs::is_regular_file(etat)) {
        throw Erreur(ErrAccesChemin);
    }

    if (pMode != 1) {
        if (existait && (LectureSeule(etat) || !systeme::Inscriptible(cible))) {
            throw Erreur(ErrAccesChemin);
        }
        if (!EcrireALaFin(cible, octets, existait)) {
            throw Erreur(ErrAccesChemin);
        }
        return;
    }
    if (existait) {
        EffacerAttributs();
    }
    const fs::file_status apres = fs::status(cible, erreur);
    const bool ok = (!existait || (!LectureSeule(apres) && systeme::Inscriptible(cible))) &&
                    RemplacerFichier(cible, octets);
    if (!ok) {
        // As it was: its read-only state too.
        if (existait) {
            fs::permissions(cible, etat.permissions(), fs::perm_options::replace, erreur);
        }
        throw Erreur(ErrAccesChemin);
    }
}

void Fichier::Supprimer() {
    if (!Existe()) {
        return;
    }
    const fs::path chemin = CheminOuErreur(nomLong_);
    std::error_code erreur;
    // Read-only files are kept, as the read-only attribute keeps them on Windows.
    if (LectureSeule(fs::status(chemin, erreur)) || erreur) {
        throw Erreur(ErrAccesChemin);
    }
    if (!fs::remove(chemin, erreur) || erreur) {
        throw Erreur(ErrAccesChemin);
    }
}

std::int32_t Fichier::TrouveSeek(std::string_view Val, std::int32_t TailleLigne,
                                 bool DebutIntervale) const {
    if (!Existe()) {
        return 0;
    }
    const fs::path chemin = CheminOuErreur(nomLong_);
    NumeroOuvert ouvert(numero_);
    std::ifstream entree = OuvrirLecture(chemin);
    const std::int64_t longueur = Longueur(chemin);
    const std::int64_t fenetre = TailleLigne;
    std::int64_t pos = Moitie(longueur);
    std::int64_t pas = Moitie(pos);
    while (pas >= fenetre) {
        if (fenetre < 0) {
            throw Erreur(ErrArgument);
        }
        // The halving keeps every probe that can hold a line inside the file; one that did
        // not would end in error 62 rather than read what is not there.
        const std::string octets = SansManque([&] { return Lire(entree, pos - 1, fenetre); });
        const TableauChaines parties = Scinder(octets, kFinLigne);
        if (parties.UBound() < 2) {
            break;
        }
        // The first line that begins inside the window; the one before is only a tail.
        const TableauChaines champs = Scinder(parties[2], "");
        if (champs.UBound() < 1) {
            break;
        }
        const std::string& cle = champs[1];
        if (cle > Val) {
            pos -= pas;
        } else if (cle < Val) {
            pos += pas;
        }
        pas = Moitie(pas);
    }
    std::int64_t r = longueur - pos;
    r = DebutIntervale ? r + 2 * fenetre : r - 3 * fenetre;
    r = std::clamp<std::int64_t>(r, 0, longueur);
    if (r > kMax32) {
        throw Erreur(ErrDepassement);
    }
    return static_cast<std::int32_t>(r);
}

std::int16_t Fichier::TailleLigne() {
    Charger(1024, 0, true);
    const std::shared_ptr<IListe> liste = data_;
    const std::int32_t n = liste->Count();
    std::size_t max = 0;
    for (std::int32_t i = 1; i <= n; ++i) {
        const Variant item = liste->Item(i);
        if (!item.EstNull()) {
            max = std::max(max, item.Texte().size());
        }
    }
    if (max > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max())) {
        throw Erreur(ErrDepassement);
    }
    return static_cast<std::int16_t>(max);
}

void Fichier::EffacerAttributs() const {
    try {
        const auto chemin = CheminValide(nomLong_);
        if (!chemin) {
            return;
        }
        std::error_code erreur;
        fs::permissions(*chemin, fs::perms::owner_write, fs::perm_options::add, erreur);
    } catch (...) {
    }
}

} // namespace monvalor
