#include "services/ServicesSysteme.h"

#include "platform/windows/RegistreWindows.h"
#include "platform/windows/VolumesWindows.h"
#include "services/Services.h"
#include "services/Signature.h"

#include <windows.h>

#include <string>

namespace monvalor {

void InstallerServicesSysteme() {
    Plateforme().registre = std::make_shared<RegistreWindows>();
    Plateforme().volumes = std::make_shared<VolumesWindows>();
    Plateforme().signature = SignatureValable;
    Plateforme().empreinte = Sha256;
    Plateforme().environnement = [](const char* nom) {
        char tampon[1024];
        const DWORD n = GetEnvironmentVariableA(nom, tampon, sizeof tampon);
        if (n == 0) {
            return std::string();
        }
        if (n < sizeof tampon) {
            return std::string(tampon, n);
        }
        std::string valeur(n, '\0');
        const DWORD m = GetEnvironmentVariableA(nom, valeur.data(), n);
        valeur.resize(m < n ? m : 0);
        return valeur;
    };
}

} // namespace monvalor
