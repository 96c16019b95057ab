#include "support/Arr.h"

#include "support/Erreur.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>
#include <new>
#include <stdexcept>

namespace monvalor {

namespace {

constexpr std::int32_t kIndexMax = std::numeric_limits<std::int32_t>::max();

// Lists keep their bounds in signed 32-bit integers: when growing past `index` adds a margin
// of 100 the new bound has to fit, so no index above this one can make the list grow.
constexpr std::int32_t kIndexMaxExtensible = kIndexMax - 100;

// Empty slots that were never kept in memory all read as this one value.
const Variant& Vide() {
    static const Variant vide;
    return vide;
}

} // namespace

void Arr::Reserver(std::int32_t index) {
    const auto taille = static_cast<std::size_t>(index);
    if (items_.size() >= taille) {
        return;
    }
    try {
        items_.resize(taille);
    } catch (const std::bad_alloc&) {
        throw Erreur(ErrMemoire);
    } catch (const std::length_error&) {
        throw Erreur(ErrMemoire);
    }
}

void Arr::Remplir(std::int64_t debut, std::int64_t sup, std::vector<Variant> valeurs) {
    if (sup > kIndexMax) {
        throw Erreur(ErrDepassement);
    }
    std::vector<Variant> items;
    if (!valeurs.empty()) {
        // The slots before a lower bound above 1 are the only ones that must be filled in.
        try {
            items.reserve(static_cast<std::size_t>(debut - 1) + valeurs.size());
            items.resize(static_cast<std::size_t>(debut - 1));
        } catch (const std::bad_alloc&) {
            throw Erreur(ErrMemoire);
        } catch (const std::length_error&) {
            throw Erreur(ErrMemoire);
        }
        std::move(valeurs.begin(), valeurs.end(), std::back_inserter(items));
    }
    // An array with no element at 1 or above (such as 0..0) leaves a list of no item, which
    // cannot be read at all until something is written.
    const auto borne = static_cast<std::int32_t>(std::max<std::int64_t>(sup, 0));
    items_ = std::move(items);
    capacite_ = borne;
    count_ = borne;
}

void Arr::FromArray(std::int32_t borneInferieure, std::vector<Variant> valeurs) {
    const std::int64_t sup =
        std::int64_t{borneInferieure} + static_cast<std::int64_t>(valeurs.size()) - 1;
    if (sup > kIndexMax) {
        throw Erreur(ErrDepassement);
    }
    std::int64_t debut = borneInferieure;
    if (debut < 1) {
        const auto inaccessibles =
            std::min<std::int64_t>(1 - debut, static_cast<std::int64_t>(valeurs.size()));
        valeurs.erase(valeurs.begin(), valeurs.begin() + inaccessibles);
        debut = 1;
    }
    Remplir(debut, sup, std::move(valeurs));
}

Arr Arr::Clone() const {
    // Reading an item above the capacity fails; a list whose count went beyond it after
    // Allocate cannot be copied either.
    if (count_ > capacite_) {
        throw Erreur(ErrIndice);
    }
    Arr copie;
    copie.Allocate(count_);
    copie.Count(count_);
    const auto n = std::min(items_.size(), static_cast<std::size_t>(count_));
    try {
        copie.items_.assign(items_.begin(), items_.begin() + static_cast<std::ptrdiff_t>(n));
    } catch (const std::bad_alloc&) {
        throw Erreur(ErrMemoire);
    }
    return copie;
}

void Arr::Count(std::int32_t nouveauCount) {
    if (nouveauCount < 0) {
        throw Erreur(ErrArgument);
    }
    if (nouveauCount > count_) {
        Allocate(nouveauCount);
    }
    count_ = nouveauCount;
}

void Arr::Add(Variant valeur) {
    if (count_ == kIndexMax) {
        throw Erreur(ErrDepassement);
    }
    // Item raises the count only once the value is stored, so a failing Add leaves the list
    // as it was.
    Item(count_ + 1, std::move(valeur));
}

void Arr::Remove(std::int32_t index) {
    if (index < 1 || index > capacite_) {
        throw Erreur(ErrIndice);
    }
    Reserver(index);
    items_[static_cast<std::size_t>(index) - 1] = Variant::Null();
}

void Arr::Allocate(std::int32_t taille) {
    capacite_ = std::max<std::int32_t>(taille, 1);
    if (items_.size() > static_cast<std::size_t>(capacite_)) {
        items_.resize(static_cast<std::size_t>(capacite_));
    }
}

const Variant& Arr::Item(std::int32_t index) const {
    if (index < 1 || index > capacite_) {
        throw Erreur(ErrIndice);
    }
    const auto i = static_cast<std::size_t>(index) - 1;
    return i < items_.size() ? items_[i] : Vide();
}

void Arr::Item(std::int32_t index, Variant valeur) {
    if (index < 1) {
        throw Erreur(ErrIndice);
    }
    std::int32_t capacite = capacite_;
    if (index > capacite) {
        if (index > kIndexMaxExtensible) {
            throw Erreur(ErrDepassement);
        }
        capacite = index + kMarge;
    }
    Reserver(index);
    capacite_ = capacite;
    items_[static_cast<std::size_t>(index) - 1] = std::move(valeur);
    if (count_ < index) {
        count_ = index;
    }
}

std::string Arr::ToString() const {
    std::string texte;
    try {
        for (std::int64_t i = 1; i <= count_; ++i) {
            texte += std::to_string(i);
            texte += " : ";
            texte += Item(static_cast<std::int32_t>(i)).Texte();
            texte += "\r\n";
        }
    } catch (const std::bad_alloc&) {
        throw Erreur(ErrMemoire);
    }
    return texte;
}

} // namespace monvalor
