// Doubles of the platform services, and the fixture that starts each test as the program would.
#pragma once

#include "about/frmAbout.h"
#include "about/frmSock.h"
#include "converter/frmConvertisseur.h"
#include "dialogs/frmRepertoire.h"
#include "forms/FormulaireMemoire.h"
#include "forms/ListesFichiers.h"
#include "http/Transfert.h"
#include "localisation/Traducteur.h"
#include "services/Services.h"
#include "support/Erreur.h"
#include "support/Fichiers.h"
#include "support/TexteSource.h"

#include "DossierTemporaire.h"
#include "Systeme.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>
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
    // Reads the file as the real one does, and "starts" what was verified: nomFinal and the
    // bytes go to `lances` and `octetsLances`; the file is removed either way.
    bool LancerVerifie(const std::string& chemin, const std::string& nomFinal,
                       const std::function<bool(std::string_view)>& verifier) override {
        std::ifstream f(CheminSysteme(chemin), std::ios::binary);
        if (!f) {
            throw Erreur(ErrAccesChemin);
        }
        const std::string octets{std::istreambuf_iterator<char>(f), {}};
        f.close();
        std::filesystem::remove(CheminSysteme(chemin));
        if (!verifier(octets)) {
            return false;
        }
        lances.emplace_back(nomFinal, 0);
        octetsLances.push_back(octets);
        return true;
    }
    std::vector<std::string> octetsLances;
    int Afficher(const std::string& texte, int style, const std::string& titre) override {
        messages.emplace_back(texte, style, titre);
        if (!reponses.empty()) {
            const int r = reponses.front();
            reponses.erase(reponses.begin());
            return r;
        }
        return RepOK;
    }
    std::vector<int> reponses; // the buttons the user presses, in turn; then OK
    // The texts of the messages shown, in turn.
    std::vector<std::string> Textes() const {
        std::vector<std::string> textes;
        for (const auto& m : messages) {
            textes.push_back(std::get<0>(m));
        }
        return textes;
    }
    void Terminer(int code) override { fins.push_back(code); }
    std::string RepertoireDonnees() override { return donnees; }
    std::string RepertoireSysteme() override { return "."; }
    std::string donnees = ".";
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

// A file system of folders only: the drives a test gives, the folders that exist (by full path),
// the drives that are not ready and the folders that refuse to be read.
struct VolumesMemoire final : IVolumes {
    std::vector<Volume> lecteurs;
    std::set<std::string> dossiers, pasPrets, refuses;
    std::string courant = std::string(1, SeparateurChemin);

    std::vector<Volume> Lecteurs() override { return lecteurs; }
    std::string RepertoireCourant() override { return courant; }
    bool EstAbsolu(const std::string& c) override { return c.starts_with(SeparateurChemin); }
    std::string Resoudre(const std::string& base, const std::string& t) override {
        const std::string racine(1, SeparateurChemin);
        return EstAbsolu(t) ? t : base == racine ? racine + t : base + racine + t;
    }
    std::vector<std::string> SousDossiers(const std::string& d) override {
        for (const std::string& r : pasPrets) {
            if (SousRacine(d, r)) {
                throw Erreur(ErrPeripherique, std::string(u8"Pas prêt : "_ansi) + r);
            }
        }
        if (refuses.contains(d)) {
            throw Erreur(ErrPermission);
        }
        if (!dossiers.contains(d)) {
            throw Erreur(ErrCheminIntrouvable);
        }
        std::vector<std::string> noms;
        for (const std::string& f : dossiers) {
            const std::size_t fin = f.rfind(SeparateurChemin);
            const std::string racine(1, SeparateurChemin);
            if (f != racine && (fin == 0 ? racine : f.substr(0, fin)) == d) {
                noms.push_back(f.substr(fin + 1));
            }
        }
        return noms;
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

// A transfer control whose answer the test gives piece by piece: Arriver, Finir, Echouer.
struct TransfertScripte final : ITransfert {
    std::string entetes = "HTTP/1.1 200 OK\r\n";
    std::map<std::string, std::string> valeurs; // header values by name
    std::string corps, enAttente;               // OpenURL's answer; bytes not yet taken
    std::string raison;                         // OpenURL fails with it when not empty
    std::string echec;                          // why the last Execute failed
    std::vector<std::string> demandes;          // the addresses asked, in order
    const std::map<std::string, std::string>* pages = nullptr; // OpenURL's answers by address
    int annulations = 0;
    std::function<void(int)> recepteur;
    std::uint64_t maxCorps = 0; // as Limiter last set them; 0 when it was never called
    std::chrono::milliseconds echeance{0};

    std::string OpenURL(const std::string& url) override {
        demandes.push_back(url);
        if (!raison.empty()) {
            throw Erreur(ErrAccesChemin, raison);
        }
        if (pages != nullptr && pages->contains(url)) {
            return pages->at(url);
        }
        return corps;
    }
    void Execute(const std::string& url) override { demandes.push_back(url); }
    void Limiter(std::uint64_t m, std::chrono::milliseconds e) override {
        maxCorps = m;
        echeance = e;
    }
    void SurEtat(std::function<void(int)> r) override { recepteur = std::move(r); }
    std::string GetHeader() override { return entetes; }
    std::string GetHeader(const std::string& nom) override {
        const auto it = valeurs.find(nom);
        return it == valeurs.end() ? "" : it->second;
    }
    std::string GetChunk(int taille) override {
        const std::string morceau = enAttente.substr(0, static_cast<std::size_t>(taille));
        enAttente.erase(0, morceau.size());
        return morceau;
    }
    void Cancel() override { ++annulations; }
    std::string ResponseInfo() const override { return echec; }

    void Etat(int etat) {
        if (recepteur) {
            recepteur(etat);
        }
    }
    void Arriver(const std::string& octets) {
        enAttente += octets;
        Etat(EtatReception);
    }
    void Echouer(const std::string& pourquoi) {
        echec = pourquoi;
        Etat(EtatErreur);
    }
};

// No window loaded, the translator afresh, the doubles above in force, a fresh program folder.
class AvecDoubles : public ::testing::Test {
protected:
    std::shared_ptr<PressePapierMemoire> pp = std::make_shared<PressePapierMemoire>();
    std::shared_ptr<SystemeEspion> systeme = std::make_shared<SystemeEspion>();
    std::shared_ptr<RegistreMemoire> registre = std::make_shared<RegistreMemoire>();
    std::shared_ptr<VolumesMemoire> volumes = std::make_shared<VolumesMemoire>();
    TransfertScripte* transfert = nullptr;    // the last transfer control made
    std::map<std::string, std::string> pages; // what every transfer's OpenURL answers
    double horloge = 1000;                    // seconds, as the test moves them
    DossierTemporaire dossier;

    void SetUp() override {
        AvecDoubles::TearDown();
        Services& s = Plateforme();
        s.pressePapier = pp;
        s.systeme = systeme;
        s.boiteMessage = systeme;
        s.registre = registre;
        s.volumes = volumes;
        s.transferts = [this] {
            auto t = std::make_unique<TransfertScripte>();
            t->pages = &pages;
            if (transfert == nullptr) {
                transfert = t.get();
            }
            return t;
        };
        s.horloge = [this] { return horloge; };
        s.application.repertoire = dossier.Chemin().string();
        systeme->donnees = dossier.Chemin().string();
    }
    void TearDown() override {
        frmAbout::ReinitialiserDefaut();
        frmConvertisseur::ReinitialiserDefaut();
        frmRepertoire::ReinitialiserDefaut();
        frmSock::ReinitialiserDefaut();
        ReinitialiserTraducteur();
        ReinitialiserServices();
    }
};

// The form in memory of a window, loaded on first touch (the inert face in force in tests).
inline FormulaireMemoire& Forme(Fenetre& fenetre) {
    return dynamic_cast<FormulaireMemoire&>(fenetre.Vue());
}

} // namespace monvalor::test
