// The product's addresses, fixed in the program.
#pragma once

namespace monvalor {

// Where the downloads and the version file of the update check live.
inline constexpr const char* SiteWeb = "https://monvalor.example/telechargement";
// The home page that the About window shows to the user.
inline constexpr const char* PageAccueil = "https://monvalor.example";
inline constexpr const char* AdresseEmail = "contact@monvalor.example";

} // namespace monvalor
