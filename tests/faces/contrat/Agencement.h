// What a person sees of every window at a resolution, whatever face draws it: each caption
// whole in its control, no control over another. A face comes in through an adapter A that
// tells where a control stands and what its caption takes:
//   static Place Placer(Vue&, const ConceptionControle&);
// Two text boxes one above the other may share their borders (`bordure` pixels), as designed.
#pragma once

#include "Contrat.h"

#include <algorithm>
#include <string>
#include <vector>

namespace monvalor::test::contrat {

struct Place {
    int gauche = 0, haut = 0, droite = 0, bas = 0; // in its container, in the face's pixels
    int texteLargeur = 0, texteHauteur = 0;        // what the caption takes
    int placeLargeur = 0, placeHauteur = 0;        // the room the control gives it
};

template <class A>
void VerifierAgencement(typename A::Vue& vue, const ConceptionFenetre& t, int bordure) {
    std::vector<std::pair<const ConceptionControle*, Place>> places;
    for (const ConceptionControle& c : t.controles) {
        if (c.genre != Genre::Minuterie) {
            places.emplace_back(&c, A::Placer(vue, c));
        }
    }
    for (const auto& [c, p] : places) {
        const std::string nom = std::string(c->nom) + "(" + std::to_string(c->indice) + ")";
        EXPECT_LE(p.texteLargeur, p.placeLargeur) << nom << " is cut short";
        EXPECT_LE(p.texteHauteur, p.placeHauteur) << nom << " is cut at the bottom";
        for (const auto& [d, q] : places) {
            if (d <= c || d->conteneur != c->conteneur) {
                continue;
            }
            const int l = std::min(p.droite, q.droite) - std::max(p.gauche, q.gauche);
            const int h = std::min(p.bas, q.bas) - std::max(p.haut, q.haut);
            const bool bordsPartages = c->genre == Genre::ZoneTexte &&
                                       d->genre == Genre::ZoneTexte && std::min(l, h) <= bordure;
            EXPECT_FALSE(l > 0 && h > 0 && !bordsPartages)
                << nom << " and " << d->nom << " overlap";
        }
    }
}

// A caption the program or a language file changes takes the room it needs then.
template <class A>
void VerifierLegendeChangee(typename A::Vue& vue, const ConceptionControle& label) {
    IControle& l = vue.Controle(label.nom, label.indice);
    l.DefinirTexte("P");
    const Place court = A::Placer(vue, label);
    l.DefinirTexte("Presse Papier Presse Papier");
    const Place longue = A::Placer(vue, label);
    EXPECT_GT(longue.droite - longue.gauche, court.droite - court.gauche);
    l.DefinirTexte(std::string(label.legende));
}

} // namespace monvalor::test::contrat
