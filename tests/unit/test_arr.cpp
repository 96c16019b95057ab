#include "support/Arr.h"
#include "support/Chaines.h"
#include "support/Erreur.h"

#include "ErreurLevee.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
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

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

Arr Liste(std::initializer_list<const char*> valeurs) {
    Arr a;
    for (const char* v : valeurs) {
        a.Add(v);
    }
    return a;
}

// "Count/Capacite", then the items at the given indices: "_" never written, "~" null, "!"
// out of range (error 9), otherwise the text.
std::string Etat(const Arr& a, std::initializer_list<std::int32_t> indices) {
    std::string s = std::to_string(a.Count()) + "/" + std::to_string(a.Capacite());
    for (const std::int32_t i : indices) {
        s += ' ';
        if (ErreurLevee([&a, i] { (void)a[i]; }) == ErrIndice) {
            s += '!';
        } else {
            s += a[i].EstVide() ? "_" : a[i].EstNull() ? "~" : a[i].Texte();
        }
    }
    return s;
}

// An array with any bounds, as other parts of the program hand them over.
struct Tableau {
    long inf = 1;
    std::vector<std::string> elements;
    long LBound() const { return inf; }
    long UBound() const { return inf + static_cast<long>(elements.size()) - 1; }
    const std::string& operator[](long i) const {
        return elements.at(static_cast<std::size_t>(i - inf));
    }
};

// Bounds only: reading an element would be a fault of the list.
struct TableauImmense {
    long long LBound() const { return 1; }
    long long UBound() const { return std::int64_t{kMax} + 1; }
    std::string operator[](long long) const {
        ADD_FAILURE() << "element read although the bounds do not fit";
        return {};
    }
};

static_assert(TableauBorne<TableauChaines>);
static_assert(TableauBorne<Tableau>);
static_assert(!TableauBorne<std::vector<std::string>>);

} // namespace

TEST(Arr, NewListIsEmptyWithRoomForHundred) {
    const Arr a;
    EXPECT_EQ(Etat(a, {1, 100, 101}), "0/100 _ _ !");
    EXPECT_EQ(a.ToString(), "");
}

TEST(Arr, ToStringListsEveryKindWithItsIndex) {
    Arr a;
    a.FromArray(1, {2.5, true, Variant::Null(), Variant(), -3, "f", "g", "h", "i", "j", "k"});
    EXPECT_EQ(a.ToString(), "1 : 2,5\r\n2 : Vrai\r\n3 : \r\n4 : \r\n5 : -3\r\n6 : f\r\n"
                            "7 : g\r\n8 : h\r\n9 : i\r\n10 : j\r\n11 : k\r\n");
    a.Add(std::make_shared<int>(1));
    EXPECT_EQ(ErreurLevee([&a] { (void)a.ToString(); }), ErrType);
}

TEST(Arr, WritingBeyondCapacityGrowsByHundred) {
    Arr a = Liste({"premier"});
    a.Item(250, "x");
    EXPECT_EQ(Etat(a, {1, 2, 249, 250, 350, 351}), "250/350 premier _ _ x _ !");
    // Writing inside the capacity neither grows it nor lowers the count.
    a.Item(300, "y");
    a.Item(10, "z");
    EXPECT_EQ(Etat(a, {10, 300}), "300/350 z y");
}

TEST(Arr, RemoveLeavesNullInPlaceEvenAboveTheCount) {
    Arr a = Liste({"a", "b", "c"});
    a.Remove(2);
    a.Remove(50);
    EXPECT_EQ(Etat(a, {1, 2, 3, 49, 50}), "3/100 a ~ c _ ~");
    // The last allocated slot is still inside.
    a.Remove(100);
    EXPECT_EQ(Etat(a, {100, 101}), "3/100 ~ !");
    // Setting the count it has keeps the room; a full list still clones.
    a.Count(3);
    EXPECT_EQ(Etat(a, {100}), "3/100 ~");
    a.Count(100);
    EXPECT_EQ(Etat(a.Clone(), {}), "100/100");
}

TEST(Arr, LoweringCountHidesAndRaisingRevealsUpToTheNewCapacity) {
    Arr a = Liste({"a", "b", "c", "d"});
    a.Count(1);
    EXPECT_EQ(a.ToString(), "1 : a\r\n");
    EXPECT_EQ(Etat(a, {3}), "1/100 c");
    a.Add("n"); // over the hidden value
    EXPECT_EQ(a.ToString(), "1 : a\r\n2 : n\r\n");
    // Raising the count fits the capacity to it exactly: what lay above is gone.
    a.Count(3);
    EXPECT_EQ(Etat(a, {3, 4}), "3/3 c !");
    a.Count(4);
    EXPECT_EQ(Etat(a, {4}), "4/4 _");
}

TEST(Arr, AllocateSetsTheCapacityExactly) {
    struct Cas {
        std::int32_t taille;
        const char* etat;
    };
    for (const Cas& c :
         {Cas{kMin, "3/1 a ! ! ! ! !"}, Cas{0, "3/1 a ! ! ! ! !"}, Cas{2, "3/2 a b ! ! ! !"},
          Cas{1000, "3/1000 a b c _ _ !"}, Cas{kMax, "3/2147483647 a b c _ _ _"}}) {
        Arr a = Liste({"a", "b", "c"});
        a.Allocate(c.taille);
        EXPECT_EQ(Etat(a, {1, 2, 3, 4, 1000, 1001}), c.etat) << c.taille;
    }
    // Values cut off by a smaller capacity do not come back with a larger one.
    Arr a = Liste({"a", "b"});
    a.Allocate(1);
    a.Allocate(10);
    EXPECT_EQ(Etat(a, {1, 2}), "2/10 a _");
}

TEST(Arr, CountAboveCapacityFailsWhereItemsAreRead) {
    Arr a = Liste({"a", "b", "c"});
    a.Allocate(2);
    EXPECT_EQ(ErreurLevee([&a] { (void)a.ToString(); }), ErrIndice);
    EXPECT_EQ(ErreurLevee([&a] { (void)a.Clone(); }), ErrIndice);
    EXPECT_EQ(ErreurLevee([&a] { a.Remove(3); }), ErrIndice);
    // Writing is allowed and grows the storage again.
    a.Item(3, "C");
    EXPECT_EQ(Etat(a, {1, 2, 3}), "3/103 a b C");
}

TEST(Arr, InvalidIndicesAndCountsRaiseTheirErrorsAndChangeNothing) {
    struct Cas {
        const char* nom;
        std::function<void(Arr&)> operation;
        int numero;
    };
    const std::vector<Cas> cas = {
        {"read 0", [](Arr& a) { (void)a[0]; }, ErrIndice},
        {"read min", [](Arr& a) { (void)a[kMin]; }, ErrIndice},
        {"read max", [](Arr& a) { (void)a[kMax]; }, ErrIndice},
        {"write 0", [](Arr& a) { a.Item(0, "x"); }, ErrIndice},
        {"write 2147483548", [](Arr& a) { a.Item(2147483548, "x"); }, ErrDepassement},
        {"remove 0", [](Arr& a) { a.Remove(0); }, ErrIndice},
        {"remove 101", [](Arr& a) { a.Remove(101); }, ErrIndice},
        {"count -1", [](Arr& a) { a.Count(-1); }, ErrArgument},
    };
    for (const Cas& c : cas) {
        Arr a = Liste({"a", "b"});
        EXPECT_EQ(ErreurLevee([&] { c.operation(a); }), c.numero) << c.nom;
        EXPECT_EQ(Etat(a, {1, 2, 3}), "2/100 a b _") << c.nom;
    }
}

TEST(Arr, AddFailsOnceTheNextIndexCannotBeHeld) {
    Arr a = Liste({"a"});
    // Raising the count only sets bounds: nothing is allocated for the slots.
    a.Count(kMax);
    EXPECT_EQ(ErreurLevee([&a] { a.Add("x"); }), ErrDepassement);
    EXPECT_EQ(Etat(a, {1, kMax}), "2147483647/2147483647 a _");
    // Below that, the storage would have to grow past what a count can hold.
    Arr b;
    b.Count(2147483547);
    EXPECT_EQ(ErreurLevee([&b] { b.Add("x"); }), ErrDepassement);
    EXPECT_EQ(Etat(b, {}), "2147483547/2147483547");
}

TEST(Arr, FromArrayTakesBoundsAndElements) {
    struct Cas {
        long inf;
        std::vector<std::string> elements;
        const char* etat;
    };
    for (const Cas& c :
         {Cas{1, {"un", "deux"}, "2/2 un deux ! ! !"}, Cas{0, {"z"}, "0/0 ! ! ! ! !"},
          Cas{1, {"u"}, "1/1 u ! ! ! !"}, Cas{0, {}, "0/0 ! ! ! ! !"},
          Cas{-5, {"a"}, "0/0 ! ! ! ! !"}, Cas{3, {"c", "d"}, "4/4 _ _ c d !"},
          Cas{-2, {"m2", "m1", "z", "p1", "p2"}, "2/2 p1 p2 ! ! !"}}) {
        // The old contents go, hidden values included.
        Arr a = Liste({"ancien", "contenu", "x"});
        a.Item(300, "cache");
        a.FromArray(Tableau{c.inf, c.elements});
        EXPECT_EQ(Etat(a, {1, 2, 3, 4, 5}), c.etat) << c.inf;
    }
    Arr a;
    a.FromArray(-1, {Variant("m1"), Variant(0), Variant(1), Variant("deux"), Variant::Null(),
                     Variant(true)});
    EXPECT_EQ(Etat(a, {1, 2, 3, 4, 5}), "4/4 1 deux ~ Vrai !");
    // The empty array that splitting an empty text gives leaves a list that still takes items.
    a.FromArray(Scinder("", ","));
    EXPECT_EQ(Etat(a, {1}), "0/0 !");
    a.Add("a");
    EXPECT_EQ(Etat(a, {1}), "1/101 a");
}

TEST(Arr, FromArrayRefusesBoundsACountCannotHold) {
    Arr a = Liste({"a"});
    EXPECT_EQ(ErreurLevee([&a] {
                  a.FromArray(kMax, {Variant("x"), Variant("y")});
              }),
              ErrDepassement);
    EXPECT_EQ(ErreurLevee([&a] { a.FromArray(TableauImmense{}); }), ErrDepassement);
    EXPECT_EQ(Etat(a, {1}), "1/100 a");
    a.FromArray(kMax, {});
    EXPECT_EQ(Etat(a, {kMax - 1}), "2147483646/2147483646 _");
}

TEST(Arr, CloneCopiesTheVisibleItemsAndSharesObjects) {
    auto objet = std::make_shared<int>(41);
    // 1 never written, 2 a text, 3 removed, 4 an object, 5 hidden.
    Arr source;
    source.Item(2, "b");
    source.Item(4, objet);
    source.Remove(3);
    source.Item(5, "cache");
    source.Count(4);
    Arr copie = source.Clone();
    EXPECT_EQ(Etat(copie, {1, 2, 3, 5}), "4/4 _ b ~ !");
    copie.Count(5); // nothing hidden came along
    EXPECT_EQ(Etat(copie, {5}), "5/5 _");
    copie.Item(2, "z");
    source.Item(1, "y");
    EXPECT_EQ(Etat(source, {1, 2}), "4/100 y b");
    EXPECT_EQ(Etat(copie, {1, 2}), "5/5 _ z");
    *copie[4].Objet<int>() = 42;
    EXPECT_EQ(*objet, 42);
    EXPECT_EQ(Etat(Arr().Clone(), {1}), "0/1 _");
}

TEST(Arr, ValueReadFromTheListCanBeWrittenBackIntoIt) {
    Arr a = Liste({"a"});
    // The argument is read before the storage grows and moves.
    a.Item(1000, a[1]);
    a.Add(a[1000]);
    EXPECT_EQ(Etat(a, {1000, 1001}), "1001/1100 a a");
}

// A huge allocation can only be made to fail under an address-space limit, which sanitizers
// do not allow.
#if defined(__unix__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) ||                         \
    __has_feature(memory_sanitizer)
#define MONVALOR_SANS_LIMITE_MEMOIRE
#endif
#endif
#else
#define MONVALOR_SANS_LIMITE_MEMOIRE
#endif

#ifndef MONVALOR_SANS_LIMITE_MEMOIRE
namespace {
// Runs in a child process whose address space is capped, so that a huge allocation fails at
// once instead of touching memory. Exits with 0 when every check holds.
[[noreturn]] void AllouerSousLimite() {
    const rlimit limite{rlim_t{2} << 30, rlim_t{2} << 30};
    Arr a = Liste({"a"}), b;
    a.Allocate(kMax);
    // Nothing large is tried unless the limit holds.
    bool ok = setrlimit(RLIMIT_AS, &limite) == 0 && ErreurLevee([&a] { a.Item(kMax, "x"); }) == 7;
    a.Count(1000000000);
    ok = ok && ErreurLevee([&a] { a.Add("x"); }) == 7 && a.Count() == 1000000000;
    a.Count(1);
    ok = ok && ErreurLevee([&a] { a.FromArray(kMax, {Variant("fin")}); }) == 7;
    ok = ok && ErreurLevee([&b] { b.Item(2147483547, "x"); }) == 7 && Etat(b, {}) == "0/100";
    // Both lists stay usable.
    a.Add("b");
    b.Add("c");
    std::exit(ok && a.ToString() == "1 : a\r\n2 : b\r\n" && b.ToString() == "1 : c\r\n" ? 0 : 1);
}
} // namespace
#endif

TEST(ArrDeathTest, StorageThatCannotBeAllocatedIsOutOfMemory) {
#ifdef MONVALOR_SANS_LIMITE_MEMOIRE
    GTEST_SKIP() << "needs an address-space limit";
#else
    EXPECT_EXIT(AllouerSousLimite(), ::testing::ExitedWithCode(0), "");
#endif
}
