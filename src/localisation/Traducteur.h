// Translations from the language files that lie beside the program: "<title>.lng" first, when
// it exists, then "Shared.lng". Both are INI files whose sections are window names. Nothing is
// cached, so a file edited while the program runs takes effect at the next look-up.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace monvalor {

// The translation of the key in the section, or "" when neither file gives one (an empty
// value counts as none).
std::string LireTraduction(std::string_view section, std::string_view cle);

// As LireTraduction, but the key itself when nothing is found: messages stay in French.
std::string Traduire(std::string_view section, std::string_view cle);

// The kinds of control that translation treats differently.
enum class GenreControle {
    Label,
    Bouton,
    BoutonOption,
    CaseACocher,
    Cadre,
    ZoneTexte,
    BarreOutils,
    ListeVue,
    Autre,
};

// What translation needs of one control of a window. Any member may throw when the control
// has no such property or refuses the value; translation then skips that step only.
class IControleTraduisible {
public:
    virtual ~IControleTraduisible() = default;

    virtual std::string Nom() const = 0;
    virtual GenreControle Genre() const = 0;

    // Caption of labels, buttons, option buttons, check boxes and frames.
    virtual std::string Legende() const = 0;
    virtual void DefinirLegende(const std::string& legende) = 0;

    // Text of text boxes.
    virtual std::string Texte() const = 0;
    virtual void DefinirTexte(const std::string& texte) = 0;

    virtual void DefinirInfoBulle(const std::string& infoBulle) = 0;

    // Toolbars: the key of each button, "" for a button without one.
    virtual std::vector<std::string> ClesBoutons() const = 0;
    virtual void DefinirInfoBulleBouton(std::size_t indice, const std::string& infoBulle) = 0;

    // List views: the key of each column header, "" for a column without one.
    virtual std::vector<std::string> ClesColonnes() const = 0;
    virtual void DefinirEnTeteColonne(std::size_t indice, const std::string& texte) = 0;
};

// A loaded window seen by translation.
class IFormulaireTraduisible {
public:
    virtual ~IFormulaireTraduisible() = default;

    // The window's design name: the section of its texts in the language files.
    virtual std::string Nom() const = 0;
    virtual void DefinirLegende(const std::string& legende) = 0;
    // Every control of the window, those inside frames and picture boxes included, and every
    // member of a control array, in the window's own order. The pointers stay valid until the
    // next call or the end of the form object.
    virtual std::vector<IControleTraduisible*> Controles() = 0;
};

// Puts the translations into the window's caption and into its controls' captions, texts and
// tool tips. Every step runs on its own: one that fails is skipped and the next one runs.
void TraduireFormulaire(IFormulaireTraduisible& formulaire) noexcept;

// Forgets the INI object shared by the look-ups; the next look-up makes a new one (tests).
void ReinitialiserTraducteur();

} // namespace monvalor
