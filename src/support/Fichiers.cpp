#include "support/Fichiers.h"

#include "services/Services.h"
#include "support/Ansi.h"
#include "support/Erreur.h"

#include <limits>
#include <system_error>

namespace monvalor {

namespace {

// Position of the last separator counted from the end of the path (1 = last character), 0 when
// there is none. The position has always been a 16-bit count: beyond it is an overflow.
std::size_t PositionDepuisFin(std::string_view chemin) {
    const auto dernier = chemin.rfind(SeparateurChemin);
    if (dernier == std::string_view::npos) {
        return 0;
    }
    const std::size_t position = chemin.size() - dernier;
    if (position > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max())) {
        throw Erreur(ErrDepassement);
    }
    return position;
}

// Platform folders come without trailing separator, except a root that is nothing else.
std::string SansSeparateurFinal(std::string repertoire) {
    while (repertoire.size() > 1 && repertoire.back() == SeparateurChemin &&
           !systeme::EstRacineLecteur(repertoire)) {
        repertoire.pop_back();
    }
    return repertoire;
}

} // namespace

std::filesystem::path CheminSysteme(std::string_view chemin) {
    return systeme::CheminNatif(chemin);
}

bool FichierExiste(std::string_view chemin) {
    if (chemin.empty()) {
        return false;
    }
    try {
        std::error_code erreur;
        [[maybe_unused]] const auto taille =
            std::filesystem::file_size(CheminSysteme(chemin), erreur);
        return !erreur;
    } catch (...) {
        return false;
    }
}

std::int32_t OuvrirDocument(std::string_view document, std::uintptr_t proprietaire) {
    // The desktop's opener has no owner window to attach to; the handle only matters to a
    // shell that shows its own messages.
    static_cast<void>(proprietaire);
    const long retour = Plateforme().systeme->OuvrirDocument(std::string(document), "open");
    if (retour > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (retour < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(retour);
}

std::string ExtraireNom(std::string_view chemin) {
    const std::size_t a = PositionDepuisFin(chemin);
    if (a <= 1) {
        return {};
    }
    return std::string(chemin.substr(chemin.size() - a + 1));
}

std::string ExtraireRepertoire(std::string_view chemin) {
    const std::size_t a = PositionDepuisFin(chemin);
    if (a <= 1) {
        return {};
    }
    return std::string(chemin.substr(0, chemin.size() - a + 1));
}

std::string JoindreChemin(std::string_view repertoire, std::string_view nom) {
    std::string resultat(repertoire);
    if (!resultat.empty() && resultat.back() != SeparateurChemin) {
        resultat.push_back(SeparateurChemin);
    }
    resultat.append(nom);
    return resultat;
}

std::string RepertoireWindows() {
    try {
        return SansSeparateurFinal(Plateforme().systeme->RepertoireDonnees());
    } catch (...) {
        return {};
    }
}

std::string RepertoireSysteme() {
    try {
        return SansSeparateurFinal(Plateforme().systeme->RepertoireSysteme());
    } catch (...) {
        return {};
    }
}

} // namespace monvalor
