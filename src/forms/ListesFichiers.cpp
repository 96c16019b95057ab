#include "forms/ListesFichiers.h"

#include "services/FichiersSysteme.h"
#include "support/Erreur.h"
#include "support/Fichiers.h"

#include <algorithm>
#include <utility>

namespace monvalor {

namespace {

IVolumes& Volumes() {
    return *Plateforme().volumes;
}

// The Windows-1252 letters with a diacritic, from 0xC0, folded to their base letters.
constexpr std::string_view kBases =
    "aaaaaa?ceeeeiiiidnooooo?ouuuuytsaaaaaa?ceeeeiiiidnooooo?ouuuuyty";

void Replier(unsigned char c, std::string& cle) {
    if (c >= 'A' && c <= 'Z') {
        cle += static_cast<char>(c - 'A' + 'a');
    } else if (c == 0xC6 || c == 0xE6) {
        cle += "ae";
    } else if (c == 0x8C || c == 0x9C) {
        cle += "oe";
    } else if (c == 0xDF) {
        cle += "ss";
    } else if (c == 0x8A || c == 0x9A) {
        cle += 's';
    } else if (c == 0x8E || c == 0x9E) {
        cle += 'z';
    } else if (c == 0x9F) {
        cle += 'y';
    } else if (c >= 0xC0 && kBases[c - 0xC0] != '?') {
        cle += kBases[c - 0xC0];
    } else {
        cle += static_cast<char>(c);
    }
}

} // namespace

std::string CleTriFrancaise(std::string_view nom) {
    std::string cle;
    cle.reserve(nom.size());
    for (char c : nom) {
        Replier(static_cast<unsigned char>(c), cle);
    }
    return cle;
}

bool SousRacine(std::string_view chemin, std::string_view racine) {
    if (racine.empty() || chemin.substr(0, racine.size()) != racine) {
        return false;
    }
    return chemin.size() == racine.size() || racine.back() == SeparateurChemin ||
           chemin[racine.size()] == SeparateurChemin;
}

std::string TexteLecteur(const Volume& volume) {
    return volume.nom.empty() ? volume.racine : volume.racine + " [" + volume.nom + "]";
}

const Volume* LecteurDe(const std::vector<Volume>& lecteurs, std::string_view chemin) {
    const Volume* meilleur = nullptr;
    for (const Volume& v : lecteurs) {
        if (SousRacine(chemin, v.racine) &&
            (meilleur == nullptr || v.racine.size() > meilleur->racine.size())) {
            meilleur = &v;
        }
    }
    return meilleur;
}

ListeLecteurs::ListeLecteurs() : lecteurs_(Volumes().Lecteurs()) {
    if (const Volume* v = LecteurDe(lecteurs_, Volumes().RepertoireCourant())) {
        indice_ = static_cast<std::size_t>(v - lecteurs_.data());
    }
}

std::string ListeLecteurs::Lecteur() const {
    return indice_ < lecteurs_.size() ? TexteLecteur(lecteurs_[indice_]) : std::string();
}

void ListeLecteurs::DefinirLecteur(const std::string& texte) {
    const Volume* choisi = nullptr;
    for (const Volume& v : lecteurs_) {
        if (TexteLecteur(v) == texte) {
            choisi = &v;
        }
    }
    if (choisi == nullptr) {
        choisi = LecteurDe(lecteurs_, texte);
    }
    if (choisi == nullptr) {
        if (Volumes().EstAbsolu(texte)) {
            throw Erreur(ErrPeripherique);
        }
        return;
    }
    const auto indice = static_cast<std::size_t>(choisi - lecteurs_.data());
    if (indice == indice_) {
        return;
    }
    indice_ = indice;
    if (surChangement) {
        surChangement();
    }
}

void ListeLecteurs::Rafraichir() {
    std::vector<Volume> lecteurs = Volumes().Lecteurs();
    const std::string racine = indice_ < lecteurs_.size() ? lecteurs_[indice_].racine : "";
    std::size_t indice = 0;
    for (std::size_t i = 0; i < lecteurs.size(); ++i) {
        if (lecteurs[i].racine == racine) {
            indice = i;
        }
    }
    const bool change = indice >= lecteurs.size() || lecteurs[indice].racine != racine;
    lecteurs_ = std::move(lecteurs);
    indice_ = indice;
    // The chosen drive went away: the list now stands on another one.
    if (change && surChangement) {
        surChangement();
    }
}

ListeDossiers::ListeDossiers() {
    try {
        Aller(Volumes().RepertoireCourant(), Volumes().Lecteurs());
    } catch (const Erreur&) {
        // An unreadable start shows nothing until the list is given a folder.
        chemin_ = Volumes().RepertoireCourant();
    }
}

std::size_t ListeDossiers::IndiceCourant() const {
    std::size_t indice = 0;
    for (std::size_t i = 0; i < entrees_.size(); ++i) {
        if (entrees_[i].ouvert) {
            indice = i;
        }
    }
    return indice;
}

void ListeDossiers::DefinirChemin(const std::string& texte) {
    std::string cible;
    const std::vector<Volume> lecteurs = Volumes().Lecteurs();
    for (const Volume& v : lecteurs) {
        if (TexteLecteur(v) == texte) {
            const auto it = dernierParLecteur_.find(v.racine);
            cible = it != dernierParLecteur_.end() ? it->second : v.racine;
        }
    }
    if (cible.empty()) {
        cible = Volumes().Resoudre(chemin_, texte);
    }
    if (cible == chemin_) {
        return;
    }
    Aller(cible, lecteurs);
    if (surChangement) {
        surChangement();
    }
}

void ListeDossiers::Ouvrir(std::size_t indice) {
    if (indice < entrees_.size()) {
        DefinirChemin(entrees_[indice].chemin);
    }
}

void ListeDossiers::Aller(const std::string& chemin, const std::vector<Volume>& lecteurs) {
    std::vector<std::string> sous = Volumes().SousDossiers(chemin);
    std::vector<std::pair<std::string, std::string>> tries;
    tries.reserve(sous.size());
    for (std::string& nom : sous) {
        tries.emplace_back(CleTriFrancaise(nom), std::move(nom));
    }
    std::sort(tries.begin(), tries.end());

    const Volume* lecteur = LecteurDe(lecteurs, chemin);
    std::vector<EntreeDossier> entrees;
    // The root, then each folder on the way down, each one level further in.
    std::string racine = lecteur ? lecteur->racine : chemin;
    entrees.push_back({racine, racine, 0, true});
    std::string_view reste = std::string_view(chemin).substr(racine.size());
    std::string courant = racine;
    while (!reste.empty()) {
        while (!reste.empty() && reste.front() == SeparateurChemin) {
            reste.remove_prefix(1);
        }
        const std::size_t fin = std::min(reste.find(SeparateurChemin), reste.size());
        if (fin == 0) {
            break;
        }
        const std::string nom(reste.substr(0, fin));
        courant = JoindreChemin(courant, nom);
        entrees.push_back({courant, nom, static_cast<int>(entrees.size()), true});
        reste.remove_prefix(fin);
    }
    const int niveau = static_cast<int>(entrees.size());
    for (const auto& [cle, nom] : tries) {
        entrees.push_back({JoindreChemin(chemin, nom), nom, niveau, false});
    }

    chemin_ = chemin;
    entrees_ = std::move(entrees);
    if (lecteur != nullptr) {
        dernierParLecteur_[lecteur->racine] = chemin;
    }
}

void ActionSurListe(const std::function<void()>& action) noexcept {
    try {
        action();
    } catch (const Erreur& e) {
        try {
            Plateforme().boiteMessage->Afficher(e.Description(), MsgExclamation, std::string());
        } catch (...) {
        }
    } catch (...) {
        try {
            Plateforme().boiteMessage->Afficher(DescriptionErreur(ErrIndefinie), MsgExclamation,
                                                std::string());
        } catch (...) {
        }
    }
}

} // namespace monvalor
