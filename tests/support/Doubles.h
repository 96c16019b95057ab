// Doubles of the platform services, and the fixture that starts each test as the program would.
#pragma once

#include "about/frmAbout.h"
#include "converter/frmConvertisseur.h"
#include "localisation/Traducteur.h"
#include "platform/FormulaireMemoire.h"
#include "platform/Services.h"
#include "support/Erreur.h"
#include "support/Fichiers.h"

#include "DossierTemporaire.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

namespace monvalor::test {

// A clipboard that can be unreadable, refuse a text or to be emptied, and counts what is asked.
// With `ditSiChange`, it tells whether it changed since its last complete read, as X11 and
// Windows can; otherwise it cannot tell.
struct PressePapierMemoire final : IPressePapier {
    std::optional<std::string> contenu = std::string();
    bool illisible = false, ecritureRefusee = false, viderEchoue = false;
    bool ditSiChange = false, change = true;
    int lectures = 0, ecritures = 0, vidages = 0;
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
        if (ecritureRefusee) {
            throw Erreur(ErrAccesChemin);
        }
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

// A message box's text, style and title.
using MessageVu = std::tuple<std::string, int, std::string>;

// Records documents opened, programs started (only when their file exists), messages and ends.
struct SystemeEspion final : ISysteme, IBoiteMessage {
    std::vector<std::string> ouverts;
    std::vector<std::pair<std::string, int>> lances;
    std::vector<MessageVu> messages;
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
    int Afficher(const std::string& texte, int style, const std::string& titre) override {
        messages.emplace_back(texte, style, titre);
        return RepOK;
    }
    void Terminer(int code) override { fins.push_back(code); }
    std::string RepertoireDonnees() override { return "."; }
    std::string RepertoireSysteme() override { return "."; }
};

// A registry that holds the values a test puts in it.
struct RegistreMemoire final : IRegistre {
    using Adresse = std::tuple<std::uintptr_t, std::string, std::string>;
    std::map<Adresse, ValeurRegistre> valeurs;
    bool enPanne = false;

    // A value under the local machine root; nullopt: none.
    void Poser(const std::string& cle, const std::string& nom, std::uint32_t type,
               const std::optional<std::string>& octets) {
        if (octets) {
            valeurs[{RacineMachineLocale, cle, nom}] = ValeurRegistre{type, *octets};
        }
    }
    std::optional<ValeurRegistre> LireValeur(std::uintptr_t racine, const std::string& cle,
                                             const std::string& nom) override {
        if (enPanne) {
            throw Erreur(ErrAccesChemin);
        }
        const auto it = valeurs.find({racine, cle, nom});
        return it == valeurs.end() ? std::nullopt : std::optional(it->second);
    }
};

// A file dialog that keeps every record it was shown and answers as scripted: it writes
// `reponse` into the record, confirmed or not, so that a cancel shows whether the caller
// really ignores the record; `enPanne` throws instead.
struct DialogueFichierScripte final : IDialogueFichier {
    struct Reponse {
        std::string fichier, titre; // the buffers' new contents, NULs included
        std::uint32_t index = 1, flags = 0;
        std::uint16_t extension = 0;
    };
    Reponse reponse;
    bool confirme = false, enPanne = false;
    std::vector<std::pair<FicheDialogueFichier, ModeDialogueFichier>> recus;

    bool Afficher(FicheDialogueFichier& f, ModeDialogueFichier mode) override {
        recus.emplace_back(f, mode);
        if (enPanne) {
            throw Erreur(ErrAccesChemin);
        }
        f.lpstrFile = reponse.fichier;
        f.lpstrFileTitle = reponse.titre;
        f.nFilterIndex = reponse.index;
        f.Flags = reponse.flags;
        f.nFileExtension = reponse.extension;
        return confirme;
    }
};

// No window loaded, the translator afresh, the doubles above in force, a fresh program folder.
class AvecDoubles : public ::testing::Test {
protected:
    std::shared_ptr<PressePapierMemoire> pp = std::make_shared<PressePapierMemoire>();
    std::shared_ptr<SystemeEspion> systeme = std::make_shared<SystemeEspion>();
    std::shared_ptr<RegistreMemoire> registre = std::make_shared<RegistreMemoire>();
    DossierTemporaire dossier;

    void SetUp() override {
        AvecDoubles::TearDown();
        Services& s = Plateforme();
        s.pressePapier = pp;
        s.systeme = systeme;
        s.boiteMessage = systeme;
        s.registre = registre;
        s.application.repertoire = dossier.Chemin().string();
    }
    void TearDown() override {
        frmAbout::ReinitialiserDefaut();
        frmConvertisseur::ReinitialiserDefaut();
        ReinitialiserTraducteur();
        ReinitialiserServices();
    }
};

// The form in memory of a window, loaded on first touch (the inert face in force in tests).
inline FormulaireMemoire& Forme(Fenetre& fenetre) {
    return dynamic_cast<FormulaireMemoire&>(fenetre.Vue());
}

} // namespace monvalor::test
