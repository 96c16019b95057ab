// Doubles of the platform services for the window tests: they
// record what the window asks of the system and answer as a test wants.
#pragma once

#include "about/ui/frmAbout.h"
#include "converter/ui/frmConvertisseur.h"
#include "localisation/Traducteur.h"
#include "platform/Services.h"
#include "support/Erreur.h"
#include "support/Fichiers.h"

#include <QApplication>

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace monvalor::test {

class PressePapierMemoire final : public IPressePapier {
public:
    std::string contenu;
    std::optional<std::string> LireTexte() override { return contenu; }
    void EcrireTexte(const std::string& t) override { contenu = t; }
    void Vider() override { contenu.clear(); }
};

// Records the documents opened and the programs started. A program starts only when its file
// exists, as on a real system.
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

// Drops both windows' default instances (letting Qt delete their forms), the translator's
// shared INI object and every service double: each test starts as the program would.
inline void RemettreFenetresEtServices() {
    frmAbout::ReinitialiserDefaut();
    frmConvertisseur::ReinitialiserDefaut();
    QApplication::processEvents();
    ReinitialiserTraducteur();
    ReinitialiserServices();
}

} // namespace monvalor::test
