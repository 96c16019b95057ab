// Room for captions: what a form looks like once each control has what its real font needs.
#include "forms/Regles.h"

#include <gtest/gtest.h>

#include <map>

namespace monvalor {
namespace {

ConceptionControle Controle(Genre genre, std::string_view nom, Rectangle position,
                            std::string_view conteneur = {}) {
    return {.genre = genre, .nom = nom, .position = position, .conteneur = conteneur};
}

struct Cas {
    const char* nom;
    std::vector<ConceptionControle> controles;
    std::map<std::string_view, Besoin> besoins;
    std::map<std::string_view, Rectangle> attendus; // the others stay as designed
};

class Agencement : public testing::TestWithParam<Cas> {};

TEST_P(Agencement, DonneLaPlaceSansRecouvrir) {
    const Cas& cas = GetParam();
    const ConceptionFenetre fenetre{.largeur = 3000, .hauteur = 1500, .controles = cas.controles};
    const auto r = Agencer(fenetre, [&](std::size_t i, const Rectangle&) {
        const auto b = cas.besoins.find(cas.controles[i].nom);
        return b != cas.besoins.end() ? b->second : Besoin{};
    });
    ASSERT_EQ(r.size(), cas.controles.size());
    for (std::size_t i = 0; i < r.size(); ++i) {
        const auto a = cas.attendus.find(cas.controles[i].nom);
        const Rectangle attendu = a != cas.attendus.end() ? a->second : cas.controles[i].position;
        EXPECT_EQ(r[i], attendu) << cas.controles[i].nom;
    }
}

const Genre L = Genre::Label, Z = Genre::ZoneTexte, B = Genre::Bouton;

INSTANTIATE_TEST_SUITE_P(
    Cas, Agencement,
    testing::Values(
        // A label that runs 15 twips into its box stops at the box; the one above it gives
        // the next row what it shares of it.
        Cas{"LabelRecouvrantSaBoite",
            {Controle(L, "l1", {0, 0, 1095, 255}), Controle(Z, "z1", {1080, 0, 1095, 255}),
             Controle(L, "l2", {0, 240, 855, 255}), Controle(Z, "z2", {1080, 240, 1095, 255})},
            {},
            {{"l1", {0, 0, 1080, 240}}}},
        // Widening stops at the box, boxes that share a border stay as they are.
        Cas{"LabelTropEtroit",
            {Controle(L, "l1", {0, 0, 975, 255}), Controle(Z, "z1", {1080, 0, 1095, 255}),
             Controle(Z, "z2", {1080, 240, 1095, 255})},
            {{"l1", {1200, 200}}, {"z1", {0, 300}}},
            {{"l1", {0, 0, 1080, 255}}, {"z1", {1080, 0, 1095, 255}}}},
        // Right first, then left; the form's edge bounds both.
        Cas{"BoutonAuBordDuForm",
            {Controle(B, "b", {2700, 100, 200, 300}), Controle(B, "g", {100, 100, 2400, 300})},
            {{"b", {500, 0}}},
            {{"b", {2500, 100, 500, 300}}}},
        // Down first, then up, never over the control below nor past the container.
        Cas{"HauteurDansSonCadre",
            {Controle(Genre::Cadre, "f", {0, 0, 2000, 1000}),
             Controle(L, "a", {100, 600, 800, 200}, "f"), Controle(B, "c", {100, 900, 800, 100}),
             Controle(L, "s", {100, 100, 800, 300}, "f")},
            {{"a", {0, 600}}},
            {{"a", {100, 400, 800, 600}}}},
        // Room is taken from free space only: a neighbour that overlaps already leaves none.
        Cas{"DejaRecouvert",
            {Controle(Z, "z", {0, 0, 1000, 300}), Controle(B, "b", {900, 0, 1000, 300})},
            {{"z", {1500, 0}}, {"b", {1500, 0}}},
            {{"b", {900, 0, 1500, 300}}}}),
    [](const testing::TestParamInfo<Cas>& info) { return std::string(info.param.nom); });

} // namespace
} // namespace monvalor
