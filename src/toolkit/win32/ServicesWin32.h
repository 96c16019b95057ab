// The Win32 realisations of the platform services, installed by the program at start.
#pragma once

#include "platform/Services.h"
#include "platform/Transfert.h"

#include <memory>

namespace monvalor {

// What the runtime knows of this program: title, folder, file name, and its version record.
InfosApplication InfosApplicationWin32();

// Installs the clipboard, message boxes, programs and documents, the settings store, the file
// dialog and the HTTP transfers of Windows.
void InstallerServicesWin32();

// The HTTP transfer control of one download window, on WinHTTP.
std::unique_ptr<ITransfert> CreerTransfertWin32();

} // namespace monvalor
