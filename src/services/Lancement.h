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

} // namespace monvalor::systeme
