// The Win32 realisations of the platform services, installed by the program at start.
#pragma once

#include "http/Transfert.h"
#include "services/Services.h"

#include <cstdint>
#include <memory>
#include <string>

namespace monvalor {

// What the runtime knows of this program: title, folder, file name, and its version record.
InfosApplication InfosApplicationWin32();

// Installs the clipboard, message boxes, programs and documents, the settings store, the file
// dialog and the HTTP transfers of Windows.
void InstallerServicesWin32();

// The HTTP transfer control of one download window, on WinHTTP.
std::unique_ptr<ITransfert> CreerTransfertWin32();

// The MessageBoxW style of a box of the core's style: its buttons, icon and default button,
// brought to the front, and modal over the whole thread when it has no owner. Values that
// Windows does not know, and bits that would put the box elsewhere than on the user's
// desktop, are left out.
std::uint32_t StyleBoiteWin32(int style, bool avecProprietaire);

// The core's answer for what MessageBoxW returned to a box of that style: a box that could not
// be shown answers as the user who gives up would (Non, Annuler).
int ReponseBoiteWin32(int retour, int style);

// The folder of a program file, without a trailing backslash except at a drive's root, and
// its name without the extension.
struct EmplacementProgramme {
    std::string repertoire;
    std::string nom;
};
EmplacementProgramme ScinderCheminProgramme(const std::string& chemin);

} // namespace monvalor
