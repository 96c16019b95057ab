// The operating system's own services (not the toolkit's), installed by the program at start.
#pragma once

namespace monvalor {

// Installs this system's registry, drives, signature check and environment into the platform
// services.
void InstallerServicesSysteme();

} // namespace monvalor
