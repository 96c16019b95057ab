// The About window's road to the system information tool: registry look-ups and the start of
// the tool. No window is needed; the About window's handlers call these.
#pragma once

#include <cstdint>
#include <string>

namespace monvalor {

// What the user reads when the tool cannot be started, whatever the reason (French key of the
// message in section frmAbout of the language files).
inline constexpr const char* MessageInfosSystemeIndisponibles =
    "Les informations syst\xE8me ne sont pas disponibles actuellement";

// Reads one registry value as text into KeyVal and returns true; a text value gives its bytes
// less one terminating NUL, a 32-bit number its decimal writing, any other type leaves KeyVal
// as it was. When the key or the value cannot be read, or the value does not fit the
// 1024-byte buffer of the look-up, KeyVal becomes "" and the result is false. Never throws.
bool GetKeyValue(std::uintptr_t KeyRoot, const std::string& KeyName, const std::string& SubKeyRef,
                 std::string& KeyVal);

// Starts the system information tool in a normal window and returns at once; when it is not
// recorded, not there or does not start, says so in a message box instead.
void StartSysInfo();

} // namespace monvalor
