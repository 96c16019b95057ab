#include "support/INI.h"

#include "services/Services.h"
#include "support/Chaines.h"
#include "support/Erreur.h"
#include "support/ProfilIni.h"

#include <limits>

namespace monvalor {

namespace {

// Scrambling key of the stored keys and values; changing it makes every scrambled file
// written before unreadable.
constexpr std::string_view kCleMasque = "q7hz2wrk";

// Room for 999 characters and the terminator, as the classic profile buffer had.
constexpr std::size_t kTailleTampon = 1000;

// Files that hold scrambled settings are hidden from casual browsing where the system has
// such attributes. Here they have no effect on the file, so there is nothing that can fail.
void MarquerCacheEtSysteme(const std::string&) noexcept {}

// The list loops have always counted in 16 bits.
void VerifierTailleListe(const TableauChaines& items) {
    if (items.UBound() > std::numeric_limits<std::int16_t>::max()) {
        throw Erreur(ErrDepassement);
    }
}

} // namespace

std::string INI::Masquer(std::string_view texte) {
    if (texte.empty()) {
        return {};
    }
    std::string u = EncodeB64(Brouiller(texte, kCleMasque));
    Remplacer(u, "=", "@", true);
    return u;
}

std::string INI::Demasquer(std::string_view texte) {
    if (texte.empty()) {
        return {};
    }
    std::string u(texte);
    Remplacer(u, "@", "=", true);
    return Brouiller(DecodeB64(u), kCleMasque);
}

void INI::Path(std::string_view pPath) {
    path_ = pPath;
    if (hashed_) {
        MarquerCacheEtSysteme(path_);
    }
}

std::string INI::Value(std::string_view pSection, std::string_view pKey,
                       std::string_view pDefault) const {
    std::string resultat(pDefault);
    std::string cle(pKey);
    // Set when the text comes from where the settings live rather than from pDefault.
    bool lu = false;
    if (hashed_) {
        try {
            cle = Masquer(cle);
        } catch (...) {
        }
    }
    if (mode_ == ModeReglages) {
        try {
            const auto valeur = Plateforme().reglages->Lire(path_, std::string(pSection), cle);
            if (valeur && !valeur->empty()) {
                resultat = *valeur;
                lu = true;
            }
        } catch (...) {
        }
    } else if (mode_ == ModeFichier) {
        try {
            std::string valeur = LireProfil(pSection, cle, "", kTailleTampon, path_);
            if (!valeur.empty()) {
                resultat = std::move(valeur);
                lu = true;
            }
        } catch (...) {
        }
    }
    // The store holds what Value wrote, scrambled alike, so its values are unscrambled too.
    if (hashed_ && lu) {
        try {
            resultat = Demasquer(resultat);
        } catch (...) {
        }
    }
    return resultat;
}

void INI::Value(std::string_view pSection, std::string_view pKey, std::string_view pDefault,
                const std::optional<std::string>& pValeur) {
    static_cast<void>(pDefault);
    std::string cle(pKey);
    std::optional<std::string> valeur = pValeur;
    if (hashed_) {
        // A key or value that cannot be scrambled is not written at all: written plain, it
        // would stand in the file readable and be read back as garbage.
        try {
            cle = Masquer(cle);
            valeur = Masquer(pValeur.value_or(std::string()));
        } catch (...) {
            return;
        }
    }
    try {
        if (mode_ == ModeReglages) {
            Plateforme().reglages->Ecrire(path_, std::string(pSection), cle,
                                          valeur.value_or(std::string()));
        } else if (mode_ == ModeFichier) {
            EcrireProfil(pSection, cle, valeur, path_);
        }
    } catch (...) {
    }
}

void INI::Add(std::string_view pSection, std::string_view pKey, std::string_view pValue,
              std::string_view pSeparator) {
    const TableauChaines items = Scinder(Value(pSection, pKey, ""), pSeparator);
    VerifierTailleListe(items);
    for (int i = 1; i <= items.UBound(); ++i) {
        if (items[i] == pValue) {
            return;
        }
    }
    std::string actuel = Value(pSection, pKey, "");
    if (!actuel.empty()) {
        actuel.append(pSeparator);
        actuel.append(pValue);
        Value(pSection, pKey, "", actuel);
    } else {
        Value(pSection, pKey, "", std::string(pValue));
    }
}

void INI::Remove(std::string_view pSection, std::string_view pKey, std::string_view pValue,
                 std::string_view pSeparator) {
    const TableauChaines items = Scinder(Value(pSection, pKey, ""), pSeparator);
    VerifierTailleListe(items);
    std::optional<std::string> resultat;
    for (int i = 1; i <= items.UBound(); ++i) {
        if (items[i] == pValue) {
            continue;
        }
        if (resultat && !resultat->empty()) {
            resultat->append(pSeparator);
            resultat->append(items[i]);
        } else {
            resultat = items[i];
        }
    }
    Value(pSection, pKey, "", resultat);
}

} // namespace monvalor
