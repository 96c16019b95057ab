#include "platform/ServicesSysteme.h"

#include "platform/Services.h"
#include "platform/posix/RegistrePosix.h"

namespace monvalor {

void InstallerServicesSysteme() {
    Plateforme().registre = std::make_shared<RegistrePosix>();
}

} // namespace monvalor
