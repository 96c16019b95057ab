#include "services/NumerosFichiers.h"

#include "support/Erreur.h"

namespace monvalor {

namespace {

bool Valide(std::int16_t numero) noexcept {
    return numero >= NumerosFichiers::kPremier && numero <= NumerosFichiers::kDernier;
}

} // namespace

std::int16_t NumerosFichiers::Libre() const {
    for (std::int16_t n = kPremier; n <= kDernier; ++n) {
        if (!ouverts_.test(static_cast<std::size_t>(n))) {
            return n;
        }
    }
    throw Erreur(ErrTropDeFichiers);
}

void NumerosFichiers::Ouvrir(std::int16_t numero) {
    if (!Valide(numero)) {
        throw Erreur(ErrNomFichier);
    }
    if (ouverts_.test(static_cast<std::size_t>(numero))) {
        throw Erreur(ErrFichierOuvert);
    }
    ouverts_.set(static_cast<std::size_t>(numero));
}

void NumerosFichiers::Fermer(std::int16_t numero) noexcept {
    if (Valide(numero)) {
        ouverts_.reset(static_cast<std::size_t>(numero));
    }
}

bool NumerosFichiers::EstOuvert(std::int16_t numero) const noexcept {
    return Valide(numero) && ouverts_.test(static_cast<std::size_t>(numero));
}

} // namespace monvalor
