// Translations from language files: "<title>.lng" first, when it exists, then "Shared.lng".
// Both are INI files whose sections are window names. They are read from the first of these
// folders that holds either of them:
//   1. the program's own folder (a portable copy, and the only place on Windows);
//   2. the user's "$XDG_DATA_HOME/monvalor" (by default "~/.local/share/monvalor"), whatever
//      the locale;
//   3. the installed "<data folder>/monvalor/lang/<language>", the language taken from the
//      first of LC_ALL, LC_MESSAGES and LANG that is set ("en" for "en_GB.UTF-8"); none for
//      French, "C" or "POSIX".
// The folder that has files answers alone: folders are not mixed key by key, so that a window
// never shows two languages. With no folder, the French texts stay. Nothing is cached, so a
// file edited while the program runs takes effect at the next look-up.
#pragma once

#include <string>
#include <string_view>

namespace monvalor {

class Fenetre;

// The translation of the key in the section, or "" when neither file of the folder in use
// gives one (an empty value counts as none).
std::string LireTraduction(std::string_view section, std::string_view cle);

// As LireTraduction, but the key itself when nothing is found: messages stay in French.
std::string Traduire(std::string_view section, std::string_view cle);

// Puts the translations into the loaded window's caption and into its controls' captions,
// texts and tool tips, the buttons of its toolbars and the columns of its list views; the
// window's name is the section. Controls are visited in the order of the window's design, each
// member of a control array on its own. Every step runs on its own: one that fails is skipped
// and the next one runs.
void TraduireFormulaire(Fenetre& fenetre) noexcept;

// Forgets the INI object shared by the look-ups; the next look-up makes a new one (tests).
void ReinitialiserTraducteur();

} // namespace monvalor
