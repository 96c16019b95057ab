// The drives and folders of Windows, as the folder chooser shows them: one drive per letter,
// folders read through the wide functions so that every name the core can hold comes back
// exactly.
#pragma once

#include "services/Services.h"
#include "support/Erreur.h"

#include <cstdint>
#include <string>
#include <vector>

namespace monvalor {

// The error of a folder that could not be read: the system's error code, the folder, whether it
// is a drive's root.
Erreur EchecDossierWindows(std::uint32_t code, const std::string& dossier, bool racine);

// Tidies a path as Windows does before using it: '/' becomes '\', "." and empty steps go, ".."
// climbs but never above the root, a step loses its trailing dots and spaces, the drive letter
// is upper case. A relative text is taken from `base` (which must be absolute), "\x" from the
// root of base's drive, "D:x" from D:'s root unless base lies on D:.
std::string ResoudreCheminWindows(const std::string& base, const std::string& texte);

class VolumesWindows final : public IVolumes {
public:
    std::vector<Volume> Lecteurs() override;
    std::string RepertoireCourant() override;
    bool EstAbsolu(const std::string& chemin) override;
    std::string Resoudre(const std::string& base, const std::string& texte) override;
    // Hidden and system folders are left out, as Explorer leaves them out by default: the
    // recycle bin, "System Volume Information" and the like are nobody's choice.
    std::vector<std::string> SousDossiers(const std::string& dossier) override;
};

} // namespace monvalor
