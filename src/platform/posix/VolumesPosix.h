// The drives and folders of a Linux desktop, as the folder chooser shows them: the root, the
// home folder, and the removable, network and other disk mounts that a user would pick.
#pragma once

#include "services/Services.h"
#include "support/Erreur.h"

#include <string>
#include <string_view>
#include <vector>

namespace monvalor {

// The drives among the lines of a mount table (/proc/self/mounts: UTF-8, octal escapes), the
// home folder (Windows-1252) after the root.
std::vector<Volume> LecteursMontes(std::string_view montages, const std::string& personnel);

// The error of a folder that could not be read: errno, the folder, whether it is a drive root.
Erreur EchecDossier(int numero, const std::string& dossier, bool racine);

class VolumesPosix final : public IVolumes {
public:
    std::vector<Volume> Lecteurs() override;
    std::string RepertoireCourant() override;
    bool EstAbsolu(const std::string& chemin) override;
    std::string Resoudre(const std::string& base, const std::string& texte) override;
    std::vector<std::string> SousDossiers(const std::string& dossier) override;
};

} // namespace monvalor
