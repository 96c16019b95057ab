#include "support/Erreur.h"
#include "support/Variant.h"

#include "ErreurLevee.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using namespace monvalor;
using monvalor::test::ErreurLevee;

TEST(Variant, EachConstructorGivesItsKindAndText) {
    std::ostringstream flux;
    for (const Variant& v :
         {Variant(), Variant::Null(), Variant(2.5), Variant(std::int64_t{1} << 40), Variant(false),
          Variant("x"), Variant(std::string("y")), Variant(std::string_view("z")),
          Variant(std::make_shared<int>(0)), Variant(std::shared_ptr<int>())}) {
        flux << v << ' ';
    }
    // A literal must not become a Boolean, nor an empty reference stop being an object.
    EXPECT_EQ(flux.str(), "Vide Null Nombre(2,5) Nombre(1099511627776) Booleen(Faux) Texte(\"x\") "
                          "Texte(\"y\") Texte(\"z\") Objet Objet ");
    EXPECT_EQ(Variant().Texte() + Variant::Null().Texte() + Variant(true).Texte(), "Vrai");
    // Texts come back byte for byte, Windows-1252 characters and NUL included.
    EXPECT_EQ(Variant(std::string("D\xE9\0\x80", 4)).Texte(), std::string("D\xE9\0\x80", 4));
}

TEST(Variant, NumbersAsTextAreTheShortestThatReadBack) {
    struct Cas {
        double nombre;
        const char* texte;
    };
    for (const Cas& c :
         {Cas{-0.0, "0"}, Cas{-7.0, "-7"}, Cas{999999999999999.0, "999999999999999"},
          Cas{-0.125, "-0,125"}, Cas{1.0 / 3.0, "0,3333333333333333"},
          Cas{0.1 + 0.2, "0,30000000000000004"}, Cas{0.00001, "0,00001"}, Cas{0.000009, "9E-06"},
          Cas{1.5e-7, "1,5E-07"}, Cas{1e15, "1E+15"}, Cas{-2.5e20, "-2,5E+20"}}) {
        EXPECT_EQ(Variant(c.nombre).Texte(), c.texte) << c.nombre;
    }
}

TEST(Variant, StrictAccessorsRefuseOtherKindsAndObjectsAreSharedAndTyped) {
    auto p = std::make_shared<int>(0);
    const Variant v[] = {3.0, true, "t", Variant(), Variant::Null(), p, std::shared_ptr<int>()};
    EXPECT_EQ(v[0].Nombre(), 3.0);
    EXPECT_TRUE(v[1].Booleen());
    EXPECT_EQ(v[2].Chaine(), "t");
    for (std::size_t i = 0; i < std::size(v); ++i) {
        const bool objet = i >= 5;
        EXPECT_EQ(ErreurLevee([&] { (void)v[i].Nombre(); }), i == 0 ? 0 : ErrType) << v[i];
        EXPECT_EQ(ErreurLevee([&] { (void)v[i].Booleen(); }), i == 1 ? 0 : ErrType) << v[i];
        EXPECT_EQ(ErreurLevee([&] { (void)v[i].Chaine(); }), i == 2 ? 0 : ErrType) << v[i];
        EXPECT_EQ(ErreurLevee([&] { (void)v[i].Objet<int>(); }), objet ? 0 : ErrType) << v[i];
        EXPECT_EQ(ErreurLevee([&] { (void)v[i].Objet<double>(); }), ErrType) << v[i];
        // Only an object has no text.
        EXPECT_EQ(ErreurLevee([&] { (void)v[i].Texte(); }), objet ? ErrType : 0) << v[i];
    }
    const Variant copie = v[5]; // NOLINT: the copy is the point
    EXPECT_EQ(p.use_count(), 3);
    *copie.Objet<int>() = 7;
    EXPECT_EQ(*p, 7);
    EXPECT_EQ(v[5].Objet<const int>().get(), p.get());
    EXPECT_EQ(v[6].Objet<int>(), nullptr);
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
