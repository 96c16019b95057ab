#include "services/Services.h"

#include "forms/FormulaireMemoire.h"
#include "http/Transfert.h"
#include "support/Erreur.h"
#include "support/TexteSource.h"

#include <chrono>
#include <map>
#include <tuple>

namespace monvalor {

namespace {

class PressePapierVide final : public IPressePapier {
public:
    std::optional<std::string> LireTexte() override { return texte_; }
    void EcrireTexte(const std::string& texte) override { texte_ = texte; }
    void Vider() override { texte_.clear(); }

private:
    std::string texte_;
};

class BoiteMessageMuette final : public IBoiteMessage {
public:
    int Afficher(const std::string&, int, const std::string&) override { return RepOK; }
};

class SystemeInerte final : public ISysteme {
public:
    long OuvrirDocument(const std::string&, const std::string&) override { return 2; }
    void Lancer(const std::string&, int) override { throw Erreur(ErrFichierIntrouvable); }
    bool LancerVerifie(const std::string&, const std::string&,
                       const std::function<bool(std::string_view)>&) override {
        throw Erreur(ErrFichierIntrouvable);
    }
    void Terminer(int) override {}
    std::string RepertoireDonnees() override { return "."; }
    std::string RepertoireSysteme() override { return "."; }
};

class ReglagesEnMemoire final : public IMagasinReglages {
public:
    std::optional<std::string> Lire(const std::string& a, const std::string& s,
                                    const std::string& c) override {
        auto it = valeurs_.find({a, s, c});
        if (it == valeurs_.end()) {
            return std::nullopt;
        }
        return it->second;
    }
    void Ecrire(const std::string& a, const std::string& s, const std::string& c,
                const std::string& v) override {
        valeurs_[{a, s, c}] = v;
    }
    void Supprimer(const std::string& a, const std::string& s, const std::string& c) override {
        valeurs_.erase({a, s, c});
    }

private:
    std::map<std::tuple<std::string, std::string, std::string>, std::string> valeurs_;
};

class RegistreVide final : public IRegistre {
public:
    std::optional<ValeurRegistre> LireValeur(std::uintptr_t, const std::string&,
                                             const std::string&) override {
        return std::nullopt;
    }
};

// No drive, no folder: every folder read fails as one that is not there.
class VolumesAbsents final : public IVolumes {
public:
    std::vector<Volume> Lecteurs() override { return {}; }
    std::string RepertoireCourant() override { return {}; }
    bool EstAbsolu(const std::string&) override { return false; }
    std::string Resoudre(const std::string&, const std::string& texte) override { return texte; }
    std::vector<std::string> SousDossiers(const std::string&) override {
        throw Erreur(ErrCheminIntrouvable);
    }
};

class DialogueFichierAnnule final : public IDialogueFichier {
public:
    bool Afficher(FicheDialogueFichier&, ModeDialogueFichier) override { return false; }
};

// No network: every transfer fails at once.
class TransfertAbsent final : public ITransfert {
public:
    std::string OpenURL(const std::string&) override { throw Erreur(ErrAccesChemin, Raison()); }
    void Execute(const std::string&) override {
        if (recepteur_) {
            recepteur_(EtatErreur);
        }
    }
    void Limiter(std::uint64_t, std::chrono::milliseconds) override {}
    void SurEtat(std::function<void(int)> recepteur) override { recepteur_ = std::move(recepteur); }
    std::string GetHeader() override { return {}; }
    std::string GetHeader(const std::string&) override { return {}; }
    std::string GetChunk(int) override { return {}; }
    void Cancel() override {}
    std::string ResponseInfo() const override { return Raison(); }

private:
    static std::string Raison() { return std::string(u8"Aucun accès au réseau"_ansi); }
    std::function<void(int)> recepteur_;
};

Services ServicesInertes() {
    Services s;
    s.formulaires = std::make_shared<FabriqueMemoire>();
    s.pressePapier = std::make_shared<PressePapierVide>();
    s.boiteMessage = std::make_shared<BoiteMessageMuette>();
    s.systeme = std::make_shared<SystemeInerte>();
    s.reglages = std::make_shared<ReglagesEnMemoire>();
    s.registre = std::make_shared<RegistreVide>();
    s.volumes = std::make_shared<VolumesAbsents>();
    s.dialogueFichier = std::make_shared<DialogueFichierAnnule>();
    s.transferts = [] { return std::make_unique<TransfertAbsent>(); };
    s.signature = [](std::string_view, std::string_view, std::string_view) { return false; };
    s.empreinte = [](std::string_view) { return std::string(); };
    s.horloge = [] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
    s.environnement = [](const char*) { return std::string(); };
    return s;
}

Services& Instance() {
    static Services services = ServicesInertes();
    return services;
}

} // namespace

Services& Plateforme() {
    return Instance();
}

void ReinitialiserServices() {
    Instance() = ServicesInertes();
}

} // namespace monvalor
