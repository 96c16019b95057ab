// Doubles of the platform services: they record what the program asks of the system and
// answer as a test wants; and the reset that makes each test start as the program would.
#pragma once

#include "about/frmAbout.h"
#include "converter/frmConvertisseur.h"
#include "localisation/Traducteur.h"
#include "platform/FormulaireMemoire.h"
#include "platform/Services.h"
#include "support/Erreur.h"
#include "support/Fichiers.h"

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace monvalor::test {

// A clipboard that can be unreadable or refuse to be emptied, and counts what is asked of it.
// With `ditSiChange`, it tells whether it changed since its last complete read, as X11 and
// Windows can; otherwise it cannot tell.
class PressePapierMemoire final : public IPressePapier {
public:
    std::optional<std::string> contenu = std::string();
    bool illisible = false;
    bool viderEchoue = false;
    bool ditSiChange = false;
    bool change = true;
    int lectures = 0;
    int ecritures = 0;
    int vidages = 0;
    std::function<void()> rappel;

    // Another program copies the text.
    void Copier(std::optional<std::string> texte) {
        contenu = std::move(texte);
        change = true;
    }
    bool PeutAvoirChange() override { return !ditSiChange || change; }
    std::optional<std::string> LireTexte() override {
        ++lectures;
        if (illisible) {
            throw Erreur(ErrArgument);
        }
        change = false;
        return contenu;
    }
    void EcrireTexte(const std::string& texte) override {
        ++ecritures;
        Copier(texte);
    }
    void Vider() override {
        ++vidages;
        if (viderEchoue) {
            throw Erreur(ErrArgument);
        }
        Copier(std::string());
    }
    void SurChangement(std::function<void()> r) override { rappel = std::move(r); }
};

// Records the documents opened, the programs started and the ends asked for. A program starts
// only when its file exists, as on a real system.
class SystemeEspion final : public ISysteme {
public:
    std::vector<std::string> ouverts;
    std::vector<std::pair<std::string, int>> lances;
    std::vector<int> fins;

    long OuvrirDocument(const std::string& chemin, const std::string&) override {
        ouverts.push_back(chemin);
        return 42;
    }
    void Lancer(const std::string& commande, int style) override {
        lances.emplace_back(commande, style);
        if (!FichierExiste(commande)) {
            throw Erreur(ErrFichierIntrouvable);
        }
    }
    void Terminer(int code) override { fins.push_back(code); }
    std::string RepertoireDonnees() override { return "."; }
    std::string RepertoireSysteme() override { return "."; }
};

struct MessageVu {
    std::string texte;
    int style;
    std::string titre;
    bool operator==(const MessageVu&) const = default;
};

class BoiteMessageEspion final : public IBoiteMessage {
public:
    std::vector<MessageVu> messages;
    int Afficher(const std::string& texte, int style, const std::string& titre) override {
        messages.push_back({texte, style, titre});
        return RepOK;
    }
};

// A registry that holds the values a test puts in it, and remembers every look-up.
class RegistreMemoire final : public IRegistre {
public:
    using Adresse = std::tuple<std::uintptr_t, std::string, std::string>;
    std::map<Adresse, ValeurRegistre> valeurs;
    std::vector<Adresse> lectures;
    bool enPanne = false;

    void Poser(const std::string& cle, const std::string& nom, std::uint32_t type,
               std::string octets) {
        valeurs[{RacineMachineLocale, cle, nom}] = ValeurRegistre{type, std::move(octets)};
    }

    std::optional<ValeurRegistre> LireValeur(std::uintptr_t racine, const std::string& cle,
                                             const std::string& nom) override {
        lectures.emplace_back(racine, cle, nom);
        if (enPanne) {
            throw Erreur(ErrAccesChemin);
        }
        auto it = valeurs.find({racine, cle, nom});
        if (it == valeurs.end()) {
            return std::nullopt;
        }
        return it->second;
    }
};

// Drops both windows' default instances, the translator's shared INI object and every service
// double: each test starts as the program would.
inline void RemettreFenetresEtServices() {
    frmAbout::ReinitialiserDefaut();
    frmConvertisseur::ReinitialiserDefaut();
    ReinitialiserTraducteur();
    ReinitialiserServices();
}

// The form in memory of a window, loaded on first touch (the inert face in force in tests).
inline FormulaireMemoire& Forme(Fenetre& fenetre) {
    return dynamic_cast<FormulaireMemoire&>(fenetre.Vue());
}

// The fabrique of forms in memory in force, to act while a form is shown modally.
inline FabriqueMemoire& Fabrique() {
    return dynamic_cast<FabriqueMemoire&>(*Plateforme().formulaires);
}

} // namespace monvalor::test
