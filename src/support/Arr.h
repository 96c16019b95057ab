// Growable list of values numbered from 1. Writing beyond the end grows it; lowering Count
// hides the values above the new count without discarding them.
#pragma once

#include "support/Variant.h"

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace monvalor {

// Any array with inclusive bounds LBound()..UBound() read by subscript, such as the result of
// splitting a text.
template <class T>
concept TableauBorne = requires(const T& t) {
    { t.LBound() } -> std::integral;
    { t.UBound() } -> std::integral;
    { t[t.LBound()] } -> std::convertible_to<Variant>;
};

class Arr {
public:
    // An empty list with room for 100 items.
    Arr() = default;

    // A list is an object: copies are made on purpose, with Clone.
    Arr(const Arr&) = delete;
    Arr& operator=(const Arr&) = delete;
    Arr(Arr&&) noexcept = default;
    Arr& operator=(Arr&&) noexcept = default;

    // Replaces the contents with the elements of the array, each at its own index; Count
    // becomes the array's upper bound (0 for the array 0..0 that splitting an empty text
    // gives). Elements at indices below 1 cannot be reached and are not kept; slots between 1
    // and a lower bound above 1 read as empty.
    template <TableauBorne T> void FromArray(const T& tableau);
    // Same, for the elements of `valeurs` numbered from `borneInferieure`.
    void FromArray(std::int32_t borneInferieure, std::vector<Variant> valeurs);

    // A new list with the same Count and items 1..Count (hidden values are not copied).
    // Objects are shared with this list, not duplicated.
    Arr Clone() const;

    std::int32_t Count() const noexcept { return count_; }
    // Raising the count sets the capacity to exactly the new count first; lowering it keeps
    // the values above, hidden. A negative count fails with error 5.
    void Count(std::int32_t nouveauCount);

    // Writes at Count + 1.
    void Add(Variant valeur);
    // The item becomes null; it keeps its place and Count does not change.
    void Remove(std::int32_t index);
    // Sets the capacity to max(taille, 1), keeping the values that still fit. Count is left
    // as it is, even above the new capacity.
    void Allocate(std::int32_t taille);

    // The stored value at index 1..capacity, even above Count. The reference is valid until
    // the list is next changed.
    const Variant& Item(std::int32_t index) const;
    const Variant& operator[](std::int32_t index) const { return Item(index); }
    // Stores at index, growing the capacity to index + 100 when it lies beyond it, and raising
    // Count to index when below.
    void Item(std::int32_t index, Variant valeur);

    // One line "i : value" with CR LF per item 1..Count.
    std::string ToString() const;

    // Highest index that can be read without error.
    std::int32_t Capacite() const noexcept { return capacite_; }

private:
    static constexpr std::int32_t kCapaciteInitiale = 100;
    static constexpr std::int32_t kMarge = 100;

    // Makes sure slots 1..index exist in memory; failing allocation becomes error 7.
    void Reserver(std::int32_t index);
    // New contents: `valeurs` at indices debut (>= 1) onwards, upper bound sup.
    void Remplir(std::int64_t debut, std::int64_t sup, std::vector<Variant> valeurs);

    // Slots 1..capacite_ exist for the caller, but only the first items_.size() are kept in
    // memory: the others have never been written and read as empty. This keeps a large
    // Allocate or Count cheap and lets every limit be checked before anything is allocated.
    std::vector<Variant> items_;
    std::int32_t capacite_ = kCapaciteInitiale;
    std::int32_t count_ = 0;
};

template <TableauBorne T> void Arr::FromArray(const T& tableau) {
    using Indice = std::remove_cvref_t<decltype(tableau.LBound())>;
    const auto inf = static_cast<std::int64_t>(tableau.LBound());
    const auto sup = static_cast<std::int64_t>(tableau.UBound());
    // Elements below index 1 could never be read: skip them rather than copy them.
    const std::int64_t debut = inf < 1 ? 1 : inf;
    std::vector<Variant> valeurs;
    if (sup >= debut && sup <= INT32_MAX) {
        valeurs.reserve(static_cast<std::size_t>(sup - debut + 1));
        for (std::int64_t i = debut; i <= sup; ++i) {
            valeurs.emplace_back(tableau[static_cast<Indice>(i)]);
        }
    }
    Remplir(debut, sup, std::move(valeurs));
}

} // namespace monvalor
