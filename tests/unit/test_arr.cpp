#include "support/Arr.h"
#include "support/Chaines.h"
#include "support/Erreur.h"

#include "ErreurLevee.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#if defined(__unix__)
#include <cstdlib>
#include <sys/resource.h>
#endif

using namespace monvalor;
using monvalor::test::ErreurLevee;

namespace {

constexpr std::int32_t kMax = INT32_MAX;

template <class... T> std::vector<Variant> Valeurs(T... valeurs) {
    return {Variant(valeurs)...};
}

// "Count/Capacite", then the items at the given indices: "_" never written, "~" null, "!"
// out of range (error 9), otherwise the text.
std::string Etat(const Arr& a, const std::vector<std::int32_t>& indices) {
    std::string s = std::to_string(a.Count()) + "/" + std::to_string(a.Capacite());
    for (const std::int32_t i : indices) {
        const bool dehors = ErreurLevee([&a, i] { (void)a[i]; }) == ErrIndice;
        s += dehors ? " !" : a[i].EstVide() ? " _" : a[i].EstNull() ? " ~" : " " + a[i].Texte();
    }
    return s;
}

// An array with any bounds, as other parts of the program hand them over.
struct Tableau {
    long inf;
    std::vector<std::string> elements;
    template <class... T> explicit Tableau(long i, T... e) : inf(i), elements{e...} {}
    long LBound() const { return inf; }
    long UBound() const { return inf + static_cast<long>(elements.size()) - 1; }
    const std::string& operator[](long i) const {
        return elements.at(static_cast<std::size_t>(i - inf));
    }
};

// Bounds only: reading an element would throw out of the list.
struct TableauImmense : Tableau {
    long long UBound() const { return std::int64_t{kMax} + 1; }
};

} // namespace

TEST(Arr, NewListIsEmptyWithRoomForHundredAndToStringListsEveryKind) {
    Arr a;
    EXPECT_EQ(Etat(a, {1, 100, 101}), "0/100 _ _ !");
    EXPECT_EQ(a.ToString(), "");
    a.FromArray(1, Valeurs(2.5, true, Variant::Null(), -3, "e", "f", "g", "h", "i", "j"));
    EXPECT_EQ(a.ToString(), "1 : 2,5\r\n2 : Vrai\r\n3 : \r\n4 : -3\r\n5 : e\r\n6 : f\r\n"
                            "7 : g\r\n8 : h\r\n9 : i\r\n10 : j\r\n");
    // An object has no text; a clone shares it.
    auto objet = std::make_shared<int>(1);
    a.Add(objet);
    EXPECT_EQ(ErreurLevee([&a] { (void)a.ToString(); }), ErrType);
    *a.Clone()[11].Objet<int>() = 42;
    EXPECT_EQ(*objet, 42);
}

// Each row starts from the list a, b, c (3 items, room for 100), runs its steps, and gives the
// error the last step raises and the state afterwards.
TEST(Arr, StepsOnAListOfThree) {
    struct Cas {
        std::function<void(Arr&)> pas;
        int erreur;
        std::vector<std::int32_t> indices;
        const char* etat;
    };
    const Cas cas[] = {
        // Writing beyond the capacity grows it to the index + 100; the count never goes down.
        {[](Arr& a) { a.Item(250, "x"), a.Item(9, "z"); }, 0, {9, 250, 351}, "250/350 z x !"},
        {[](Arr& a) { a.Item(100, "x"); }, 0, {100, 101}, "100/100 x !"},
        // Remove leaves null in place, even above the count and at the last allocated slot.
        {[](Arr& a) { a.Remove(2), a.Remove(50), a.Remove(100); }, 0, {2, 50, 100}, "3/100 ~ ~ ~"},
        // Setting the count it has keeps the room; a full list still clones, nulls included.
        {[](Arr& a) { a.Count(3); }, 0, {100}, "3/100 _"},
        {[](Arr& a) { a.Remove(2), a.Count(100), a = a.Clone(); }, 0, {2, 3, 101}, "100/100 ~ c !"},
        // A clone holds the visible items only, with the room of its count.
        {[](Arr& a) { a.Count(1), a = a.Clone(), a.Count(3); }, 0, {1, 2, 3}, "3/3 a _ _"},
        // Lowering the count hides items; raising it fits the capacity, cutting what lay above.
        {[](Arr& a) { a.Count(1); }, 0, {2, 3}, "1/100 b c"},
        {[](Arr& a) { a.Count(1), a.Add("n"), a.Count(3); }, 0, {1, 2, 3, 4}, "3/3 a n c !"},
        {[](Arr& a) { a.Count(1), a.Count(2), a.Count(3); }, 0, {2, 3}, "3/3 b _"},
        // Allocate sets the capacity to at least 1; values cut off do not come back.
        {[](Arr& a) { a.Allocate(0); }, 0, {1, 2}, "3/1 a !"},
        {[](Arr& a) { a.Allocate(1000); }, 0, {3, 4, 1000, 1001}, "3/1000 c _ _ !"},
        {[](Arr& a) { a.Allocate(kMax); }, 0, {3, 4, kMax}, "3/2147483647 c _ _"},
        {[](Arr& a) { a.Allocate(1), a.Allocate(10); }, 0, {1, 2}, "3/10 a _"},
        // A count above the capacity fails where items are read; writing grows the room again.
        {[](Arr& a) { a.Allocate(2), (void)a.ToString(); }, ErrIndice, {3}, "3/2 !"},
        {[](Arr& a) { a.Allocate(2), (void)a.Clone(); }, ErrIndice, {3}, "3/2 !"},
        {[](Arr& a) { a.Allocate(2), a.Remove(3); }, ErrIndice, {3}, "3/2 !"},
        {[](Arr& a) { a.Allocate(2), a.Item(3, "C"); }, 0, {2, 3}, "3/103 b C"},
        // Invalid indices and counts raise their errors and change nothing.
        {[](Arr& a) { (void)a[0]; }, ErrIndice, {1, 3, 4}, "3/100 a c _"},
        {[](Arr& a) { a.Item(0, "x"); }, ErrIndice, {1, 3, 4}, "3/100 a c _"},
        {[](Arr& a) { a.Item(2147483548, "x"); }, ErrDepassement, {1, 3, 4}, "3/100 a c _"},
        {[](Arr& a) { a.Remove(0); }, ErrIndice, {1, 3, 4}, "3/100 a c _"},
        {[](Arr& a) { a.Remove(101); }, ErrIndice, {1, 3, 4}, "3/100 a c _"},
        {[](Arr& a) { a.Count(-1); }, ErrArgument, {1, 3, 4}, "3/100 a c _"},
        // Raising the count allocates nothing; Add fails once the next index cannot be held.
        {[](Arr& a) { a.Count(kMax), a.Add("x"); }, ErrDepassement, {}, "2147483647/2147483647"},
        // A value read from the list can be written back: it is read before the storage moves.
        {[](Arr& a) { a.Item(1000, a[1]), a.Add(a[1000]); }, 0, {1000, 1001}, "1001/1100 a a"},
        // FromArray: the old contents go, each element at its index, the upper bound as count.
        {[](Arr& a) { a.FromArray(Tableau(1, "u")); }, 0, {1, 2}, "1/1 u !"},
        {[](Arr& a) { a.FromArray(Tableau(-5, "m5")); }, 0, {1}, "0/0 !"},
        {[](Arr& a) { a.FromArray(Tableau(3, "x", "y")); }, 0, {1, 2, 3, 4, 5}, "4/4 _ _ x y !"},
        {[](Arr& a) { a.FromArray(Tableau(-1, "m1", "z", "p1")); }, 0, {1, 2}, "1/1 p1 !"},
        {[](Arr& a) { a.FromArray(-1, Valeurs("m1", "z", 1, true)); }, 0, {1, 2}, "2/2 1 Vrai"},
        {[](Arr& a) { a.FromArray(kMax, Valeurs()); }, 0, {kMax - 1}, "2147483646/2147483646 _"},
        // Splitting an empty text gives an array that leaves a list still taking items.
        {[](Arr& a) { a.FromArray(Scinder("", ",")), a.Add("a"); }, 0, {1, 2}, "1/101 a _"},
        // Bounds a count cannot hold.
        {[](Arr& a) { a.FromArray(kMax, Valeurs("x", "y")); }, ErrDepassement, {1}, "3/100 a"},
        {[](Arr& a) { a.FromArray(TableauImmense{Tableau(1)}); }, ErrDepassement, {1}, "3/100 a"},
    };
    for (const Cas& c : cas) {
        Arr a;
        a.Add("a"), a.Add("b"), a.Add("c");
        EXPECT_EQ(ErreurLevee([&] { c.pas(a); }), c.erreur) << &c - cas;
        EXPECT_EQ(Etat(a, c.indices), c.etat) << &c - cas;
    }
}

// A huge allocation can only be made to fail under an address-space limit, not with sanitizers.
#if !defined(__unix__) || defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define MONVALOR_SANS_LIMITE_MEMOIRE
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) ||                         \
    __has_feature(memory_sanitizer)
#define MONVALOR_SANS_LIMITE_MEMOIRE
#endif
#endif

TEST(ArrDeathTest, StorageThatCannotBeAllocatedIsOutOfMemory) {
#ifdef MONVALOR_SANS_LIMITE_MEMOIRE
    GTEST_SKIP() << "needs an address-space limit";
#else
    // In a child process whose address space is capped, huge allocations fail at once with 7
    // and leave the lists usable; nothing large is tried unless the limit holds.
    const auto enfant = [] {
        const rlimit limite{rlim_t{2} << 30, rlim_t{2} << 30};
        Arr a, b;
        a.Add("a"), a.Allocate(kMax);
        bool ok = setrlimit(RLIMIT_AS, &limite) == 0;
        ok = ok && ErreurLevee([&] { a.Item(kMax, "x"); }) == 7;
        ok = ok && ErreurLevee([&] { a.Count(1000000000), a.Add("x"); }) == 7;
        ok = ok && ErreurLevee([&] { a.Count(1), a.FromArray(kMax, Valeurs("x")); }) == 7;
        ok = ok && ErreurLevee([&] { b.Item(2147483547, "x"); }) == 7;
        a.Add("b"), b.Add("c");
        std::exit(ok && Etat(a, {2}) == "2/1000000000 b" && Etat(b, {1}) == "1/100 c" ? 0 : 1);
    };
    EXPECT_EXIT(enfant(), ::testing::ExitedWithCode(0), "");
#endif
}
