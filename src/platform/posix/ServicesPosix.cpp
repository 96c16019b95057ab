#include "services/ServicesSysteme.h"

#include "platform/posix/RegistrePosix.h"
#include "platform/posix/VolumesPosix.h"
#include "services/Services.h"
#include "services/Signature.h"

#include <cstdlib>
#include <string>

namespace monvalor {

void InstallerServicesSysteme() {
    Plateforme().registre = std::make_shared<RegistrePosix>();
    Plateforme().volumes = std::make_shared<VolumesPosix>();
    Plateforme().signature = SignatureValable;
    Plateforme().empreinte = Sha256;
    Plateforme().environnement = [](const char* nom) {
        const char* valeur = std::getenv(nom);
        return std::string(valeur ? valeur : "");
    };
}

} // namespace monvalor
