#include "support/Erreur.h"
#include "support/Variant.h"

#include "ErreurLevee.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

using namespace monvalor;
using monvalor::test::ErreurLevee;

namespace {

struct Point {
    int x = 0;
};

} // namespace

TEST(Variant, EachConstructorGivesItsKind) {
    std::ostringstream flux;
    for (const Variant& v :
         {Variant(), Variant::Null(), Variant(2.5), Variant(std::int64_t{1} << 40), Variant(true),
          Variant("x"), Variant(std::string("y")), Variant(std::string_view("z")),
          Variant(std::make_shared<Point>()), Variant(std::shared_ptr<Point>())}) {
        flux << v << ' ';
    }
    // A literal must not become a Boolean, nor an empty reference stop being an object.
    EXPECT_EQ(flux.str(), "Vide Null Nombre(2,5) Nombre(1099511627776) Booleen(Vrai) Texte(\"x\") "
                          "Texte(\"y\") Texte(\"z\") Objet Objet ");
}

TEST(Variant, NumbersAsTextAreTheShortestThatReadBack) {
    struct Cas {
        double nombre;
        const char* texte;
    };
    for (const Cas& c :
         {Cas{-0.0, "0"}, Cas{-7.0, "-7"}, Cas{2147483647.0, "2147483647"},
          Cas{999999999999999.0, "999999999999999"}, Cas{-0.125, "-0,125"},
          Cas{1.0 / 3.0, "0,3333333333333333"}, Cas{0.1 + 0.2, "0,30000000000000004"},
          Cas{0.00001, "0,00001"}, Cas{0.000009, "9E-06"}, Cas{1.5e-7, "1,5E-07"},
          Cas{1e15, "1E+15"}, Cas{-2.5e20, "-2,5E+20"}}) {
        EXPECT_EQ(Variant(c.nombre).Texte(), c.texte) << c.nombre;
        std::string point = c.texte;
        std::replace(point.begin(), point.end(), ',', '.');
        EXPECT_EQ(std::stod(point), c.nombre) << c.texte;
    }
}

TEST(Variant, OtherKindsAsText) {
    EXPECT_EQ(Variant().Texte(), "");
    EXPECT_EQ(Variant::Null().Texte(), "");
    EXPECT_EQ(Variant(true).Texte(), "Vrai");
    EXPECT_EQ(Variant(false).Texte(), "Faux");
    // Texts come back byte for byte, Windows-1252 characters and NUL included.
    EXPECT_EQ(Variant(std::string("D\xE9\0\x80", 4)).Texte(), std::string("D\xE9\0\x80", 4));
}

TEST(Variant, StrictAccessorsRefuseOtherKinds) {
    const Variant objet(std::make_shared<Point>()), rien{std::shared_ptr<Point>()};
    const Variant v[] = {3.0, true, "t", Variant(), Variant::Null(), objet, rien};
    EXPECT_EQ(v[0].Nombre(), 3.0);
    EXPECT_TRUE(v[1].Booleen());
    EXPECT_EQ(v[2].Chaine(), "t");
    for (std::size_t i = 0; i < std::size(v); ++i) {
        const bool objet = i >= 5;
        EXPECT_EQ(ErreurLevee([&] { (void)v[i].Nombre(); }), i == 0 ? 0 : ErrType) << v[i];
        EXPECT_EQ(ErreurLevee([&] { (void)v[i].Booleen(); }), i == 1 ? 0 : ErrType) << v[i];
        EXPECT_EQ(ErreurLevee([&] { (void)v[i].Chaine(); }), i == 2 ? 0 : ErrType) << v[i];
        EXPECT_EQ(ErreurLevee([&] { (void)v[i].Objet<Point>(); }), objet ? 0 : ErrType) << v[i];
        // Only an object has no text.
        EXPECT_EQ(ErreurLevee([&] { (void)v[i].Texte(); }), objet ? ErrType : 0) << v[i];
    }
}

TEST(Variant, ObjectsAreSharedAndTyped) {
    auto p = std::make_shared<Point>();
    const Variant v(p);
    const Variant copie = v; // NOLINT: the copy is the point of the test
    EXPECT_EQ(p.use_count(), 3);
    copie.Objet<Point>()->x = 7;
    EXPECT_EQ(p->x, 7);
    EXPECT_EQ(v.Objet<const Point>().get(), p.get());
    EXPECT_EQ(ErreurLevee([&v] { (void)v.Objet<int>(); }), ErrType);
    EXPECT_EQ(Variant(std::shared_ptr<Point>()).Objet<Point>(), nullptr);
}

TEST(Variant, EqualityNeedsTheSameKindAndValue) {
    auto p = std::make_shared<Point>();
    const std::shared_ptr<Point> rien;
    const std::vector<Variant> distincts = {
        Variant(),     Variant::Null(), Variant(""), Variant("a"),
        Variant("A"),  Variant("1"),    Variant(1),  Variant(2),
        Variant(true), Variant(false),  Variant(p),  Variant(std::make_shared<Point>()),
        Variant(rien)};
    for (std::size_t i = 0; i < distincts.size(); ++i) {
        for (std::size_t j = 0; j < distincts.size(); ++j) {
            EXPECT_EQ(distincts[i] == distincts[j], i == j) << distincts[i] << " " << distincts[j];
        }
    }
    // Numbers compare as doubles, texts by their bytes, objects by identity.
    EXPECT_TRUE(Variant(1) == Variant(1.0));
    EXPECT_TRUE(Variant("a") == Variant(std::string("a")));
    EXPECT_TRUE(Variant(p) == Variant(p));
    EXPECT_TRUE(Variant(rien) == Variant(std::shared_ptr<Point>()));
}
