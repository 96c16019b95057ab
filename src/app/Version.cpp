#include "support/Version.h"

namespace monvalor {

const NumeroVersion VersionProgramme{MONVALOR_VERSION_MAJOR, MONVALOR_VERSION_MINOR,
                                     MONVALOR_VERSION_PATCH, MONVALOR_VERSION};

} // namespace monvalor
