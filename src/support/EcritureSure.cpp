#include "support/EcritureSure.h"

#include "services/FichiersSysteme.h"
#include "support/Erreur.h"

#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>

namespace monvalor {

namespace fs = std::filesystem;

namespace {

// Hidden, beside the target, and never the name of another writer's file.
std::string NomTemporaire(const fs::path& cible) {
    std::string nom = cible.filename().string();
    if (nom.size() > 100) {
        nom.resize(100);
    }
    std::random_device alea;
    char suffixe[20];
    std::snprintf(suffixe, sizeof suffixe, ".%08x%08x", alea(), alea());
    return "." + nom + suffixe + ".tmp";
}

} // namespace

EcritureSure::EcritureSure(fs::path cible) : cible_(std::move(cible)) {
    fs::path repertoire = cible_.parent_path();
    if (repertoire.empty()) {
        repertoire = ".";
    }
    for (int essai = 0; essai < 8 && fd_ < 0; ++essai) {
        temporaire_ = repertoire / NomTemporaire(cible_);
        fd_ = systeme::OuvrirExclusif(temporaire_);
        if (fd_ < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd_ < 0) {
        throw Erreur(ErrAccesChemin);
    }
}

EcritureSure::~EcritureSure() {
    Abandonner();
}

void EcritureSure::Ecrire(std::string_view octets) {
    if (fd_ < 0 || !systeme::EcrireTout(fd_, octets)) {
        throw Erreur(ErrAccesChemin);
    }
}

void EcritureSure::Valider() {
    if (fd_ < 0) {
        throw Erreur(ErrAccesChemin);
    }
    std::error_code erreur;
    const bool existait = fs::exists(cible_, erreur);
    bool ok = !existait || systeme::CopierDroits(fd_, cible_);
    ok = systeme::Synchroniser(fd_) && ok;
    ok = systeme::Fermer(fd_) && ok;
    fd_ = -1;
    if (ok) {
        fs::rename(temporaire_, cible_, erreur);
        ok = !erreur;
    }
    if (!ok) {
        Effacer();
        throw Erreur(ErrAccesChemin);
    }
    fs::path repertoire = cible_.parent_path();
    systeme::SynchroniserRepertoire(repertoire.empty() ? fs::path(".") : repertoire);
}

void EcritureSure::Abandonner() noexcept {
    if (fd_ < 0) {
        return;
    }
    systeme::Fermer(fd_);
    fd_ = -1;
    Effacer();
}

void EcritureSure::Effacer() noexcept {
    std::error_code erreur;
    fs::remove(temporaire_, erreur);
}

bool RemplacerFichier(const fs::path& cible, std::string_view octets) noexcept {
    try {
        EcritureSure ecriture(cible);
        ecriture.Ecrire(octets);
        ecriture.Valider();
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace monvalor
