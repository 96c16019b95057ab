#include "services/Lancement.h"

#include "support/Erreur.h"

namespace monvalor::systeme {

bool LancerVerifie(const std::filesystem::path& chemin, const std::filesystem::path&,
                   const std::function<bool(std::string_view)>&) {
    std::error_code ignore;
    std::filesystem::remove(chemin, ignore);
    throw Erreur(ErrFichierIntrouvable);
}

} // namespace monvalor::systeme
