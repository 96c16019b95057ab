#include "support/Erreur.h"
#include "support/Variant.h"

#include "ErreurLevee.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

using namespace monvalor;
using monvalor::test::ErreurLevee;

TEST(Variant, AsText) {
    struct Cas {
        Variant valeur;
        std::string texte;
    };
    // Whole numbers below 1E+15 with their digits only, then plain decimals down to 0,00001,
    // the shortest digits that read back, a comma; texts byte for byte.
    for (const Cas& c :
         {Cas{-0.0, "0"}, Cas{-7, "-7"}, Cas{999999999999999.0, "999999999999999"},
          Cas{-0.125, "-0,125"}, Cas{0.1 + 0.2, "0,30000000000000004"}, Cas{0.00001, "0,00001"},
          Cas{0.000009, "9E-06"}, Cas{1.5e-7, "1,5E-07"}, Cas{1e15, "1E+15"},
          Cas{-2.5e20, "-2,5E+20"}, Cas{Variant(), ""}, Cas{Variant::Null(), ""}, Cas{true, "Vrai"},
          Cas{false, "Faux"}, Cas{std::string("D\xE9\0\x80", 4), std::string("D\xE9\0\x80", 4)}}) {
        EXPECT_EQ(c.valeur.Texte(), c.texte) << c.valeur;
    }
}

TEST(Variant, StrictAccessorsRefuseOtherKindsAndObjectsAreSharedAndTyped) {
    auto p = std::make_shared<int>(0);
    // A literal must not become a Boolean, nor an empty reference stop being an object.
    const std::vector<Variant> v({3.0, std::int64_t{1} << 40, true, "t", std::string("t"),
                                  std::string_view("t"), Variant(), Variant::Null(), p,
                                  std::shared_ptr<int>()});
    for (std::size_t i = 0; i < v.size(); ++i) {
        const bool objet = i >= 8;
        EXPECT_EQ(ErreurLevee([&] { (void)v[i].Nombre(); }), i < 2 ? 0 : ErrType) << v[i];
        EXPECT_EQ(ErreurLevee([&] { (void)v[i].Booleen(); }), i == 2 ? 0 : ErrType) << v[i];
        EXPECT_EQ(ErreurLevee([&] { (void)v[i].Chaine(); }), i / 3 == 1 ? 0 : ErrType) << v[i];
        EXPECT_EQ(ErreurLevee([&] { (void)v[i].Objet<int>(); }), objet ? 0 : ErrType) << v[i];
        EXPECT_EQ(ErreurLevee([&] { (void)v[i].Objet<double>(); }), ErrType) << v[i];
        EXPECT_EQ(ErreurLevee([&] { (void)v[i].Texte(); }), objet ? ErrType : 0) << v[i];
    }
    EXPECT_EQ(v[1].Nombre(), 1099511627776.0);
    EXPECT_TRUE(v[2].Booleen());
    EXPECT_EQ(v[3].Chaine() + v[4].Chaine() + v[5].Chaine(), "ttt");
    *Variant(v[8]).Objet<int>() = 7; // a copy shares the object
    EXPECT_EQ(*p, 7);
    EXPECT_EQ(v[8].Objet<const int>().get(), p.get());
    EXPECT_EQ(v[9].Objet<int>(), nullptr);
}

TEST(Variant, EqualityNeedsTheSameKindAndValue) {
    auto p = std::make_shared<int>(0), q = std::make_shared<int>(0);
    // Each value equals its twin and nothing else: numbers compare as doubles, texts by their
    // bytes, objects by identity.
    const std::vector<Variant> a({Variant(), Variant::Null(), "", "a", "A", "1", 1, 2, true, false,
                                  p, q, std::shared_ptr<int>()});
    const std::vector<Variant> b({Variant(), Variant::Null(), std::string(), std::string("a"), "A",
                                  "1", 1.0, 2.0, true, false, p, q, std::shared_ptr<int>()});
    for (std::size_t i = 0; i < a.size(); ++i) {
        for (std::size_t j = 0; j < b.size(); ++j) {
            EXPECT_EQ(a[i] == b[j], i == j) << a[i] << " " << b[j];
        }
    }
}
