#include "forms/Regles.h"

#include "support/Erreur.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <tuple>

namespace monvalor {

void Exiger(const ConceptionControle& c, Propriete propriete, bool possible) {
    if (!possible || !APropriete(c.genre, propriete)) {
        throw Erreur(ErrArgument);
    }
}

void ExigerCle(const ConceptionControle& c, std::size_t position) {
    Exiger(c, Propriete::TexteCle, position < c.cles.size());
}

void ExigerIntervalle(const ConceptionControle& c, int millisecondes) {
    Exiger(c, Propriete::Intervalle, millisecondes >= 0);
}

void Progression::DefinirMax(double max) {
    if (!(max > 0)) {
        throw Erreur(ErrValeurPropriete);
    }
    max_ = max;
    valeur_ = std::min(valeur_, max_);
}

void Progression::DefinirValeur(double valeur) {
    if (!(valeur >= 0 && valeur <= max_)) {
        throw Erreur(ErrValeurPropriete);
    }
    valeur_ = valeur;
}

int Progression::Position(int echelle) const {
    return static_cast<int>(std::lround(valeur_ / max_ * echelle));
}

std::string FinsDeLigneWindows(const std::string& texte) {
    std::string r;
    r.reserve(texte.size());
    for (std::size_t i = 0; i < texte.size(); ++i) {
        if (texte[i] == '\n' && (i == 0 || texte[i - 1] != '\r')) {
            r.push_back('\r');
        }
        r.push_back(texte[i]);
    }
    return r;
}

std::string TexteDeBoite(const ConceptionControle& c, const std::string& texte) {
    return c.genre == Genre::ZoneTexte && c.retourLigne ? FinsDeLigneWindows(texte) : texte;
}

std::vector<std::size_t> Conteneurs(TableControles table) {
    std::vector<std::size_t> parent(table.size(), Aucun);
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i].conteneur.empty()) {
            continue;
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (table[j].nom == table[i].conteneur && table[j].indice == -1 &&
                EstConteneur(table[j].genre)) {
                parent[i] = j;
                break;
            }
        }
    }
    return parent;
}

std::vector<std::size_t> OrdreTabulation(TableControles table) {
    std::vector<std::size_t> ordre;
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (DansLaTabulation(table[i])) {
            ordre.push_back(i);
        }
    }
    std::stable_sort(ordre.begin(), ordre.end(), [&](std::size_t a, std::size_t b) {
        return table[a].tabulation < table[b].tabulation;
    });
    return ordre;
}

std::vector<std::size_t> Libelles(TableControles table) {
    const std::vector<std::size_t> parent = Conteneurs(table);
    std::vector<std::size_t> libelle(table.size(), Aucun);
    for (std::size_t i = 1; i < table.size(); ++i) {
        if (table[i].genre == Genre::ZoneTexte && table[i - 1].genre == Genre::Label &&
            parent[i - 1] == parent[i]) {
            libelle[i] = i - 1;
        }
    }
    return libelle;
}

std::vector<std::size_t> OrdreCreation(TableControles table) {
    const std::size_t n = table.size();
    const std::vector<std::size_t> parent = Conteneurs(table);
    constexpr double kSansRang = 1e9;
    std::vector<double> rang(n, kSansRang);
    for (std::size_t i = 0; i < n; ++i) {
        if (DansLaTabulation(table[i])) {
            rang[i] = table[i].tabulation;
        }
    }
    const std::vector<std::size_t> libelle = Libelles(table);
    for (std::size_t i = 0; i < n; ++i) {
        if (libelle[i] != Aucun) {
            rang[libelle[i]] = rang[i] - 0.5;
        }
    }
    for (std::size_t i = n; i-- > 0;) {
        for (std::size_t p = parent[i]; p != Aucun; p = parent[p]) {
            rang[p] = std::min(rang[p], rang[i]);
        }
    }
    std::vector<int> profondeur(n, 0);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t p = parent[i]; p != Aucun; p = parent[p]) {
            ++profondeur[i];
        }
    }
    std::vector<std::size_t> ordre(n);
    std::iota(ordre.begin(), ordre.end(), std::size_t{0});
    std::stable_sort(ordre.begin(), ordre.end(), [&](std::size_t a, std::size_t b) {
        return std::tuple(profondeur[a], rang[a]) < std::tuple(profondeur[b], rang[b]);
    });
    return ordre;
}

std::size_t ControleDeLaTouche(TableControles table, Touche touche, std::size_t focus,
                               const std::function<bool(std::size_t)>& disponible) {
    const bool pressable =
        focus < table.size() && (table[focus].genre == Genre::Bouton || EstLien(table[focus]));
    if (touche != Touche::Echap && pressable) {
        return focus;
    }
    if (touche == Touche::Espace) {
        return Aucun;
    }
    for (std::size_t i = 0; i < table.size(); ++i) {
        const bool role = touche == Touche::Entree ? table[i].defaut : table[i].annulation;
        if (role && disponible(i)) {
            return i;
        }
    }
    return Aucun;
}

} // namespace monvalor

namespace monvalor {

namespace {

int Droite(const Rectangle& r) {
    return r.gauche + r.largeur;
}
int Bas(const Rectangle& r) {
    return r.haut + r.hauteur;
}
int Recouvrement(int debutA, int finA, int debutB, int finB) {
    return std::min(finA, finB) - std::max(debutA, debutB);
}

// A control that takes room on its form: timers take none.
bool Occupe(const ConceptionControle& c) {
    return c.genre != Genre::Minuterie && c.position.largeur > 0 && c.position.hauteur > 0;
}

// Free room along one axis: the edge of the container or the nearest neighbour that starts
// beyond `debut` in that direction and shares some of the other axis. One already overlapping
// leaves no room at all.
struct Axe {
    int Rectangle::*debut;
    int Rectangle::*longueur;
    int Rectangle::*debutTravers;
    int Rectangle::*longueurTravers;
};
constexpr Axe kHorizontal{&Rectangle::gauche, &Rectangle::largeur, &Rectangle::haut,
                          &Rectangle::hauteur};
constexpr Axe kVertical{&Rectangle::haut, &Rectangle::hauteur, &Rectangle::gauche,
                        &Rectangle::largeur};

void Grandir(std::vector<Rectangle>& r, std::size_t i, const std::vector<std::size_t>& voisins,
             int borne, int voulu, const Axe& axe) {
    Rectangle& a = r[i];
    if (voulu <= a.*axe.longueur) {
        return;
    }
    int fin = borne, debut = 0;
    const int finA = a.*axe.debut + a.*axe.longueur;
    for (std::size_t j : voisins) {
        const Rectangle& b = r[j];
        if (Recouvrement(a.*axe.debutTravers, a.*axe.debutTravers + a.*axe.longueurTravers,
                         b.*axe.debutTravers, b.*axe.debutTravers + b.*axe.longueurTravers) <= 0) {
            continue;
        }
        const int finB = b.*axe.debut + b.*axe.longueur;
        if (b.*axe.debut > a.*axe.debut) {
            fin = std::min(fin, std::max(b.*axe.debut, finA));
        } else if (finB < finA) {
            debut = std::max(debut, std::min(finB, a.*axe.debut));
        } else {
            return; // it stands over us already: no room either way
        }
    }
    const int apres = std::clamp(fin - finA, 0, voulu - a.*axe.longueur);
    a.*axe.longueur += apres;
    const int avant = std::clamp(a.*axe.debut - debut, 0, voulu - a.*axe.longueur);
    a.*axe.debut -= avant;
    a.*axe.longueur += avant;
}

} // namespace

std::vector<Rectangle> Agencer(const ConceptionFenetre& fenetre, const MesureBesoin& besoin) {
    const TableControles table = fenetre.controles;
    const std::vector<std::size_t> parent = Conteneurs(table);
    std::vector<Rectangle> r(table.size());
    std::vector<std::vector<std::size_t>> voisins(table.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        r[i] = table[i].position;
        for (std::size_t j = 0; j < table.size() && Occupe(table[i]); ++j) {
            if (j != i && Occupe(table[j]) && parent[j] == parent[i]) {
                voisins[i].push_back(j);
            }
        }
    }
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i].genre != Genre::Label) {
            continue;
        }
        Rectangle& a = r[i];
        for (std::size_t j : voisins[i]) {
            const Rectangle& b = r[j];
            const int l = Recouvrement(a.gauche, Droite(a), b.gauche, Droite(b));
            const int h = Recouvrement(a.haut, Bas(a), b.haut, Bas(b));
            if (l <= 0 || h <= 0) {
                continue;
            }
            if (l <= h && b.gauche > a.gauche) {
                a.largeur = b.gauche - a.gauche;
            } else if (h < l && b.haut > a.haut) {
                a.hauteur = b.haut - a.haut;
            }
        }
    }
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (!Occupe(table[i])) {
            continue;
        }
        const std::size_t p = parent[i];
        const int largeur = p == Aucun ? fenetre.largeur : r[p].largeur;
        const int hauteur = p == Aucun ? fenetre.hauteur : r[p].hauteur;
        Grandir(r, i, voisins[i], largeur, besoin(i, r[i]).largeur, kHorizontal);
        // A caption that wraps needs its height at the width it now has.
        Grandir(r, i, voisins[i], hauteur, besoin(i, r[i]).hauteur, kVertical);
    }
    return r;
}

} // namespace monvalor
