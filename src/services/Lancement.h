// Starting a downloaded program from exactly the bytes that were checked, never from whatever
// its path names by the time it starts.
#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

namespace monvalor::systeme {

// See ISysteme::LancerVerifie.
bool LancerVerifie(const std::filesystem::path& chemin, const std::filesystem::path& nomFinal,
                   const std::function<bool(std::string_view octets)>& verifier);

#ifdef _WIN32
// The classic error number for a program that CreateProcess would not start (its last error).
int ErreurDemarrage(unsigned long code);
#endif

} // namespace monvalor::systeme
