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
    EXPECT_EQ(a.Count(), 0);
    EXPECT_EQ(a.ToString(), "");
    EXPECT_EQ(a.Capacite(), 100);
    EXPECT_TRUE(a[1].EstVide());
    EXPECT_TRUE(a.Item(100).EstVide());
    EXPECT_EQ(ErreurLevee([&a] { (void)a[101]; }), ErrIndice);
}

TEST(Arr, AddAppendsAndToStringListsThem) {
    Arr a = Liste({"a", "b", "c"});
    EXPECT_EQ(a.Count(), 3);
    EXPECT_EQ(a.ToString(), "1 : a\r\n2 : b\r\n3 : c\r\n");
    EXPECT_EQ(a[2], "b");
}

TEST(Arr, ToStringWritesEveryKindAndLongIndices) {
    Arr a;
    a.Add(2.5);
    a.Add(true);
    a.Add(Variant::Null());
    a.Add(Variant());
    a.Add(-3);
    for (int i = 6; i <= 11; ++i) {
        a.Add(std::string(1, static_cast<char>('a' + i - 1)));
    }
    EXPECT_EQ(a.ToString(), "1 : 2,5\r\n2 : Vrai\r\n3 : \r\n4 : \r\n5 : -3\r\n6 : f\r\n"
                            "7 : g\r\n8 : h\r\n9 : i\r\n10 : j\r\n11 : k\r\n");
}

TEST(Arr, ToStringOfAnObjectIsATypeMismatch) {
    Arr a;
    a.Add("a");
    a.Add(std::make_shared<int>(1));
    EXPECT_EQ(ErreurLevee([&a] { (void)a.ToString(); }), ErrType);
}

TEST(Arr, WritingBeyondCapacityGrowsByHundred) {
    Arr a;
    a.Add("premier");
    a.Item(250, "x");
    EXPECT_EQ(a.Count(), 250);
    EXPECT_EQ(a.Capacite(), 350);
    EXPECT_EQ(a[1], "premier");
    for (std::int32_t i = 2; i <= 249; ++i) {
        ASSERT_TRUE(a[i].EstVide()) << i;
    }
    EXPECT_EQ(a[250], "x");
    EXPECT_TRUE(a[350].EstVide());
    EXPECT_EQ(ErreurLevee([&a] { (void)a[351]; }), ErrIndice);
    // Writing inside the capacity neither grows it nor lowers the count.
    a.Item(300, "y");
    a.Item(10, "z");
    EXPECT_EQ(a.Capacite(), 350);
    EXPECT_EQ(a.Count(), 300);
    EXPECT_EQ(a[10], "z");
}

TEST(Arr, AddingPastTheCapacityGrowsOneStepAtATime) {
    Arr a;
    for (int i = 1; i <= 101; ++i) {
        a.Add(i);
    }
    EXPECT_EQ(a.Count(), 101);
    EXPECT_EQ(a.Capacite(), 201);
    EXPECT_EQ(a[1], 1);
    EXPECT_EQ(a[100], 100);
    EXPECT_EQ(a[101], 101);
}

TEST(Arr, RemoveLeavesNullInPlace) {
    Arr a = Liste({"a", "b", "c"});
    a.Remove(2);
    EXPECT_EQ(a.Count(), 3);
    EXPECT_TRUE(a[2].EstNull());
    EXPECT_EQ(a[3], "c");
    EXPECT_EQ(a.ToString(), "1 : a\r\n2 : \r\n3 : c\r\n");
    // Above the count but inside the capacity: stored, hidden, count unchanged.
    a.Remove(50);
    EXPECT_EQ(a.Count(), 3);
    EXPECT_TRUE(a[50].EstNull());
    EXPECT_TRUE(a[49].EstVide());
}

TEST(Arr, LoweringCountHidesAndRaisingRevealsUpToTheNewCapacity) {
    Arr a = Liste({"a", "b", "c"});
    a.Count(1);
    EXPECT_EQ(a.Count(), 1);
    EXPECT_EQ(a.ToString(), "1 : a\r\n");
    EXPECT_EQ(a[3], "c"); // hidden, still stored
    EXPECT_EQ(a.Capacite(), 100);

    a.Count(2);
    EXPECT_EQ(a.ToString(), "1 : a\r\n2 : b\r\n");
    // Raising the count fits the capacity to it exactly: what lay above is gone.
    EXPECT_EQ(a.Capacite(), 2);
    EXPECT_EQ(ErreurLevee([&a] { (void)a[3]; }), ErrIndice);
    a.Count(3);
    EXPECT_TRUE(a[3].EstVide());
}

TEST(Arr, AddAfterLoweringCountOverwritesTheHiddenValue) {
    Arr a = Liste({"a", "b", "c"});
    a.Count(1);
    a.Add("n");
    EXPECT_EQ(a.Count(), 2);
    EXPECT_EQ(a.ToString(), "1 : a\r\n2 : n\r\n");
    EXPECT_EQ(a[3], "c");
}

TEST(Arr, AllocateSetsTheCapacityExactly) {
    struct Cas {
        std::int32_t taille;
        std::int32_t capacite;
    };
    for (const Cas& c : {Cas{kMin, 1}, Cas{-5, 1}, Cas{0, 1}, Cas{1, 1}, Cas{2, 2}, Cas{7, 7},
                         Cas{100, 100}, Cas{1000, 1000}, Cas{kMax, kMax}}) {
        Arr a = Liste({"a", "b", "c"});
        a.Allocate(c.taille);
        EXPECT_EQ(a.Capacite(), c.capacite) << c.taille;
        EXPECT_EQ(a.Count(), 3) << c.taille;
        EXPECT_EQ(a[1], "a") << c.taille;
        for (std::int32_t i = 2; i <= 3; ++i) {
            if (i <= c.capacite) {
                EXPECT_EQ(a[i], std::string(1, static_cast<char>('a' + i - 1))) << c.taille;
            } else {
                EXPECT_EQ(ErreurLevee([&a, i] { (void)a[i]; }), ErrIndice) << c.taille;
            }
        }
        EXPECT_EQ(a[c.capacite].EstVide(), c.capacite > 3) << c.taille;
        if (c.capacite < kMax) {
            EXPECT_EQ(ErreurLevee([&a, &c] { (void)a[c.capacite + 1]; }), ErrIndice) << c.taille;
        }
    }
}

TEST(Arr, CountAboveCapacityFailsWhereItemsAreRead) {
    Arr a = Liste({"a", "b", "c"});
    a.Allocate(2);
    EXPECT_EQ(a.Count(), 3);
    EXPECT_EQ(ErreurLevee([&a] { (void)a.ToString(); }), ErrIndice);
    EXPECT_EQ(ErreurLevee([&a] { (void)a.Clone(); }), ErrIndice);
    EXPECT_EQ(ErreurLevee([&a] { a.Remove(3); }), ErrIndice);
    // Writing is allowed and grows the storage again.
    a.Item(3, "C");
    EXPECT_EQ(a.Capacite(), 103);
    EXPECT_EQ(a.ToString(), "1 : a\r\n2 : b\r\n3 : C\r\n");
}

TEST(Arr, ShrinkingThenGrowingDoesNotBringBackOldValues) {
    Arr a = Liste({"a", "b", "c"});
    a.Allocate(1);
    a.Allocate(10);
    EXPECT_EQ(a[1], "a");
    EXPECT_TRUE(a[2].EstVide());
    EXPECT_TRUE(a[3].EstVide());
}

TEST(Arr, InvalidIndicesAndCountsRaiseTheirErrors) {
    struct Cas {
        const char* nom;
        std::function<void(Arr&)> operation;
        int numero;
    };
    const std::vector<Cas> cas = {
        {"read 0", [](Arr& a) { (void)a[0]; }, ErrIndice},
        {"read -1", [](Arr& a) { (void)a.Item(-1); }, ErrIndice},
        {"read min", [](Arr& a) { (void)a[kMin]; }, ErrIndice},
        {"read 101", [](Arr& a) { (void)a[101]; }, ErrIndice},
        {"read max", [](Arr& a) { (void)a[kMax]; }, ErrIndice},
        {"write 0", [](Arr& a) { a.Item(0, "x"); }, ErrIndice},
        {"write -1", [](Arr& a) { a.Item(-1, "x"); }, ErrIndice},
        {"write min", [](Arr& a) { a.Item(kMin, "x"); }, ErrIndice},
        {"write 2147483548", [](Arr& a) { a.Item(2147483548, "x"); }, ErrDepassement},
        {"write max", [](Arr& a) { a.Item(kMax, "x"); }, ErrDepassement},
        {"remove 0", [](Arr& a) { a.Remove(0); }, ErrIndice},
        {"remove -1", [](Arr& a) { a.Remove(-1); }, ErrIndice},
        {"remove 101", [](Arr& a) { a.Remove(101); }, ErrIndice},
        {"remove max", [](Arr& a) { a.Remove(kMax); }, ErrIndice},
        {"count -1", [](Arr& a) { a.Count(-1); }, ErrArgument},
        {"count min", [](Arr& a) { a.Count(kMin); }, ErrArgument},
    };
    for (const Cas& c : cas) {
        Arr a = Liste({"a", "b"});
        EXPECT_EQ(ErreurLevee([&] { c.operation(a); }), c.numero) << c.nom;
        // A failed operation changes nothing.
        EXPECT_EQ(a.Count(), 2) << c.nom;
        EXPECT_EQ(a.Capacite(), 100) << c.nom;
        EXPECT_EQ(a.ToString(), "1 : a\r\n2 : b\r\n") << c.nom;
    }
}

TEST(Arr, AddStopsAtTheLargestCount) {
    Arr a;
    a.Add("a");
    // Raising the count only sets bounds: nothing is allocated for the slots.
    a.Count(kMax);
    EXPECT_EQ(a.Count(), kMax);
    EXPECT_EQ(a.Capacite(), kMax);
    EXPECT_TRUE(a[kMax].EstVide());
    EXPECT_EQ(ErreurLevee([&a] { a.Add("x"); }), ErrDepassement);
    EXPECT_EQ(a.Count(), kMax);
    EXPECT_EQ(a[1], "a");
}

TEST(Arr, FailedAddLeavesTheCountAlone) {
    Arr a;
    a.Count(2147483547);
    // The next index would need the storage to grow past what a count can hold.
    EXPECT_EQ(ErreurLevee([&a] { a.Add("x"); }), ErrDepassement);
    EXPECT_EQ(a.Count(), 2147483547);
    EXPECT_EQ(a.Capacite(), 2147483547);
}

TEST(Arr, FromArrayTakesBoundsAndElements) {
    struct Cas {
        long inf;
        std::vector<std::string> elements;
        std::int32_t count;
        std::string texte;
    };
    const std::vector<Cas> cas = {
        {1,
         {"un", "deux", "trois", "quatre", "cinq"},
         5,
         "1 : un\r\n2 : deux\r\n3 : trois\r\n4 : quatre\r\n5 : cinq\r\n"},
        {0, {""}, 0, ""},
        {1, {""}, 1, "1 : \r\n"},
        {1, {}, 0, ""},
        {0, {}, 0, ""},
        {-5, {"a"}, 0, ""},
        {3, {"c", "d"}, 4, "1 : \r\n2 : \r\n3 : c\r\n4 : d\r\n"},
        {-2, {"m2", "m1", "z", "p1", "p2"}, 2, "1 : p1\r\n2 : p2\r\n"},
    };
    for (const Cas& c : cas) {
        Arr a = Liste({"ancien", "contenu", "x"});
        a.Item(300, "cache");
        a.FromArray(Tableau{c.inf, c.elements});
        EXPECT_EQ(a.Count(), c.count) << c.inf;
        EXPECT_EQ(a.ToString(), c.texte) << c.inf;
        // The old contents are gone, hidden values included.
        EXPECT_EQ(a.Capacite(), c.count) << c.inf;
        EXPECT_EQ(ErreurLevee([&a, &c] { (void)a[c.count + 1]; }), ErrIndice) << c.inf;
    }
}

TEST(Arr, FromArrayGenericFormAndElementKinds) {
    Arr a;
    a.FromArray(1, {Variant(1), Variant("deux"), Variant::Null(), Variant(true)});
    EXPECT_EQ(a.Count(), 4);
    EXPECT_EQ(a[1], 1);
    EXPECT_EQ(a[2], "deux");
    EXPECT_TRUE(a[3].EstNull());
    EXPECT_EQ(a[4], true);
    EXPECT_EQ(a.Capacite(), 4);
}

TEST(Arr, ListFromAnEmptySplitAcceptsNewItems) {
    Arr a;
    a.FromArray(0, {Variant("")});
    EXPECT_EQ(a.Count(), 0);
    EXPECT_EQ(ErreurLevee([&a] { (void)a[1]; }), ErrIndice);
    a.Add("a");
    EXPECT_EQ(a.Count(), 1);
    EXPECT_EQ(a.Capacite(), 101);
    EXPECT_EQ(a.ToString(), "1 : a\r\n");
}

TEST(Arr, FromArrayRefusesBoundsACountCannotHold) {
    Arr a = Liste({"a"});
    EXPECT_EQ(ErreurLevee([&a] {
                  a.FromArray(kMax, {Variant("x"), Variant("y")});
              }),
              ErrDepassement);
    EXPECT_EQ(ErreurLevee([&a] { a.FromArray(TableauImmense{}); }), ErrDepassement);
    EXPECT_EQ(a.ToString(), "1 : a\r\n");
    a.FromArray(kMax, {});
    EXPECT_EQ(a.Count(), kMax - 1);
    EXPECT_TRUE(a[kMax - 1].EstVide());
}

TEST(Arr, FromArrayOfAStringArray) {
    TableauChaines vide;
    ASSERT_EQ(vide.LBound(), 0);
    ASSERT_EQ(vide.UBound(), 0);
    Arr a = Liste({"x"});
    a.FromArray(vide);
    EXPECT_EQ(a.Count(), 0);
    EXPECT_EQ(a.ToString(), "");
}

TEST(Arr, CloneIsIndependentButSharesObjects) {
    auto objet = std::make_shared<int>(41);
    Arr source = Liste({"a", "b"});
    source.Add(objet);
    Arr copie = source.Clone();
    EXPECT_EQ(copie.Count(), 3);
    EXPECT_EQ(copie[1], "a");
    EXPECT_EQ(copie[2], "b");

    copie.Item(1, "z");
    EXPECT_EQ(source[1], "a");
    source.Item(2, "y");
    EXPECT_EQ(copie[2], "b");
    copie.Add("plus");
    EXPECT_EQ(source.Count(), 3);

    EXPECT_EQ(copie[3].Objet<int>().get(), objet.get());
    *copie[3].Objet<int>() = 42;
    EXPECT_EQ(*source[3].Objet<int>(), 42);
}

TEST(Arr, CloneKeepsOnlyTheVisibleItems) {
    Arr source = Liste({"a", "b", "c"});
    source.Count(2);
    const Arr copie = source.Clone();
    EXPECT_EQ(copie.Count(), 2);
    EXPECT_EQ(copie.Capacite(), 2);
    EXPECT_EQ(copie.ToString(), "1 : a\r\n2 : b\r\n");
    EXPECT_EQ(ErreurLevee([&copie] { (void)copie[3]; }), ErrIndice);

    const Arr vide = Arr().Clone();
    EXPECT_EQ(vide.Count(), 0);
    EXPECT_EQ(vide.Capacite(), 1);
}

TEST(Arr, CloneKeepsRemovedItemsAndSlotsNeverWritten) {
    Arr source;
    source.Item(5, "e");
    source.Remove(2);
    const Arr copie = source.Clone();
    EXPECT_EQ(copie.Count(), 5);
    EXPECT_TRUE(copie[1].EstVide());
    EXPECT_TRUE(copie[2].EstNull());
    EXPECT_EQ(copie[5], "e");
}

TEST(Arr, ValueReadFromTheListCanBeWrittenBackIntoIt) {
    Arr a = Liste({"a"});
    // The argument is read before the storage grows and moves.
    a.Item(1000, a[1]);
    a.Add(a[1000]);
    EXPECT_EQ(a[1000], "a");
    EXPECT_EQ(a[1001], "a");
}

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
    if (setrlimit(RLIMIT_AS, &limite) != 0) {
        std::exit(20);
    }
    Arr a = Liste({"a"});
    a.Allocate(kMax);
    if (ErreurLevee([&a] { a.Item(kMax, "x"); }) != 7) {
        std::exit(21);
    }
    a.Count(1000000000);
    if (ErreurLevee([&a] { a.Add("x"); }) != 7 || a.Count() != 1000000000) {
        std::exit(22);
    }
    a.Count(1);
    if (ErreurLevee([&a] { a.FromArray(kMax, {Variant("fin")}); }) != 7 || a.Count() != 1) {
        std::exit(25);
    }
    Arr b;
    if (ErreurLevee([&b] { b.Item(2147483547, "x"); }) != 7 || b.Count() != 0 ||
        b.Capacite() != 100) {
        std::exit(23);
    }
    // Both lists stay usable.
    a.Add("b");
    b.Add("c");
    std::exit(a.ToString() == "1 : a\r\n2 : b\r\n" && b.ToString() == "1 : c\r\n" ? 0 : 24);
}

} // namespace
#endif

TEST(ArrDeathTest, StorageThatCannotBeAllocatedIsOutOfMemory) {
#ifdef MONVALOR_SANS_LIMITE_MEMOIRE
    GTEST_SKIP() << "needs an address-space limit, which sanitizers do not allow";
#else
    EXPECT_EXIT(AllouerSousLimite(), ::testing::ExitedWithCode(0), "");
#endif
}
