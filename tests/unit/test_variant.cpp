#include "support/Erreur.h"
#include "support/Variant.h"

#include "ErreurLevee.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using namespace monvalor;
using monvalor::test::ErreurLevee;

namespace {

struct Point {
    int x = 0;
};

} // namespace

TEST(Variant, EachConstructorGivesItsKind) {
    struct Cas {
        Variant valeur;
        GenreVariant genre;
    };
    const std::vector<Cas> cas = {
        {Variant(), GenreVariant::Vide},
        {Variant::Null(), GenreVariant::Nul},
        {Variant(2.5), GenreVariant::Nombre},
        {Variant(-3), GenreVariant::Nombre},
        {Variant(std::int64_t{1} << 40), GenreVariant::Nombre},
        {Variant(true), GenreVariant::Booleen},
        {Variant("x"), GenreVariant::Texte}, // a literal must not become a Boolean
        {Variant(std::string("x")), GenreVariant::Texte},
        {Variant(std::string_view("x")), GenreVariant::Texte},
        {Variant(std::make_shared<Point>()), GenreVariant::Objet},
        {Variant(std::shared_ptr<Point>()), GenreVariant::Objet},
    };
    for (std::size_t i = 0; i < cas.size(); ++i) {
        EXPECT_EQ(cas[i].valeur.Genre(), cas[i].genre) << "case " << i;
        EXPECT_EQ(cas[i].valeur.EstVide(), cas[i].genre == GenreVariant::Vide) << "case " << i;
        EXPECT_EQ(cas[i].valeur.EstNull(), cas[i].genre == GenreVariant::Nul) << "case " << i;
    }
}

TEST(Variant, NumbersAsText) {
    struct Cas {
        double nombre;
        const char* texte;
    };
    for (const Cas& c : {
             Cas{0.0, "0"},
             Cas{-0.0, "0"},
             Cas{42.0, "42"},
             Cas{-7.0, "-7"},
             Cas{2147483647.0, "2147483647"},
             Cas{-2147483648.0, "-2147483648"},
             Cas{999999999999999.0, "999999999999999"},
             Cas{2.5, "2,5"},
             Cas{-0.125, "-0,125"},
             Cas{0.1, "0,1"},
             Cas{19.6, "19,6"},
             Cas{1.0 / 3.0, "0,3333333333333333"},
             Cas{0.1 + 0.2, "0,30000000000000004"},
             Cas{0.00001, "0,00001"},
             Cas{1234.5678, "1234,5678"},
             Cas{1e15, "1E+15"},
             Cas{-2.5e20, "-2,5E+20"},
             Cas{1.5e-7, "1,5E-07"},
             Cas{0.000009, "9E-06"},
         }) {
        EXPECT_EQ(Variant(c.nombre).Texte(), c.texte) << c.nombre;
        // The digits written read back as the very same number.
        std::string point = c.texte;
        for (char& ch : point) {
            ch = ch == ',' ? '.' : ch;
        }
        EXPECT_EQ(std::stod(point), c.nombre) << c.texte;
    }
    EXPECT_EQ(Variant(-12).Texte(), "-12");
}

TEST(Variant, OtherKindsAsText) {
    EXPECT_EQ(Variant().Texte(), "");
    EXPECT_EQ(Variant::Null().Texte(), "");
    EXPECT_EQ(Variant(true).Texte(), "Vrai");
    EXPECT_EQ(Variant(false).Texte(), "Faux");
    // Texts come back byte for byte, Windows-1252 characters and NUL included.
    const std::string texte("D\xE9passement\0\x80", 13);
    EXPECT_EQ(Variant(texte).Texte(), texte);
    EXPECT_EQ(Variant("").Texte(), "");
}

TEST(Variant, ObjectHasNoText) {
    EXPECT_EQ(ErreurLevee([] { (void)Variant(std::make_shared<Point>()).Texte(); }), ErrType);
    EXPECT_EQ(ErreurLevee([] { (void)Variant(std::shared_ptr<Point>()).Texte(); }), ErrType);
}

TEST(Variant, StrictAccessorsRefuseOtherKinds) {
    const Variant nombre(3.0), booleen(true), texte("t"), vide, nul = Variant::Null();
    EXPECT_EQ(nombre.Nombre(), 3.0);
    EXPECT_TRUE(booleen.Booleen());
    EXPECT_EQ(texte.Chaine(), "t");
    for (const Variant* v : {&booleen, &texte, &vide, &nul}) {
        EXPECT_EQ(ErreurLevee([v] { (void)v->Nombre(); }), ErrType) << *v;
    }
    for (const Variant* v : {&nombre, &texte, &vide, &nul}) {
        EXPECT_EQ(ErreurLevee([v] { (void)v->Booleen(); }), ErrType) << *v;
    }
    for (const Variant* v : {&nombre, &booleen, &vide, &nul}) {
        EXPECT_EQ(ErreurLevee([v] { (void)v->Chaine(); }), ErrType) << *v;
        EXPECT_EQ(ErreurLevee([v] { (void)v->Objet<Point>(); }), ErrType) << *v;
    }
}

TEST(Variant, ObjectsAreSharedAndTyped) {
    auto p = std::make_shared<Point>();
    const Variant v(p);
    const Variant copie = v; // NOLINT: the copy is the point of the test
    EXPECT_EQ(p.use_count(), 3);
    copie.Objet<Point>()->x = 7;
    EXPECT_EQ(p->x, 7);
    EXPECT_EQ(v.Objet<Point>().get(), p.get());
    EXPECT_EQ(v.Objet<const Point>().get(), p.get());
    EXPECT_EQ(ErreurLevee([&v] { (void)v.Objet<int>(); }), ErrType);
    EXPECT_EQ(Variant(std::shared_ptr<Point>()).Objet<Point>(), nullptr);
}

TEST(Variant, Equality) {
    auto p = std::make_shared<Point>();
    auto q = std::make_shared<Point>();
    struct Cas {
        Variant a;
        Variant b;
        bool egaux;
    };
    const std::vector<Cas> cas = {
        {Variant(), Variant(), true},
        {Variant::Null(), Variant::Null(), true},
        {Variant(), Variant::Null(), false},
        {Variant(), Variant(""), false},
        {Variant(), Variant(0), false},
        {Variant(1), Variant(1.0), true},
        {Variant(1), Variant(2), false},
        {Variant(1), Variant(true), false},
        {Variant(false), Variant(false), true},
        {Variant(false), Variant(true), false},
        {Variant("a"), Variant(std::string("a")), true},
        {Variant("a"), Variant("A"), false},
        {Variant("1"), Variant(1), false},
        {Variant(p), Variant(p), true},
        {Variant(p), Variant(q), false},
        {Variant(std::shared_ptr<Point>()), Variant(std::shared_ptr<Point>()), true},
    };
    for (std::size_t i = 0; i < cas.size(); ++i) {
        EXPECT_EQ(cas[i].a == cas[i].b, cas[i].egaux) << "case " << i;
        EXPECT_EQ(cas[i].b == cas[i].a, cas[i].egaux) << "case " << i;
        EXPECT_EQ(cas[i].a != cas[i].b, !cas[i].egaux) << "case " << i;
    }
    EXPECT_TRUE(Variant("abc") == "abc");
    EXPECT_TRUE(Variant(5) == 5);
}

TEST(Variant, DescriptionForDiagnostics) {
    std::ostringstream flux;
    flux << Variant() << ' ' << Variant::Null() << ' ' << Variant(2.5) << ' ' << Variant(true)
         << ' ' << Variant("a") << ' ' << Variant(std::make_shared<Point>());
    EXPECT_EQ(flux.str(), "Vide Null Nombre(2,5) Booleen(Vrai) Texte(\"a\") Objet");
}
