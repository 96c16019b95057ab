#include "localisation/Traducteur.h"

#include "forms/Formulaire.h"
#include "services/Services.h"
#include "support/Ansi.h"
#include "support/Fichiers.h"
#include "support/INI.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

namespace monvalor {

namespace {

constexpr std::string_view kFichierPartage = "Shared.lng";
constexpr std::string_view kSuffixeLangue = ".lng";
constexpr std::string_view kCleLegende = "Caption";
constexpr std::string_view kSuffixeInfoBulle = ".ToolTipText";
// The program's folder in a data folder, and the language folders' in an installed one.
constexpr std::string_view kDossier = "monvalor";
constexpr std::string_view kDossierLangues = "lang";

// One INI object serves every look-up of the run; only its path changes between reads.
std::unique_ptr<INI>& IniPartage() {
    static std::unique_ptr<INI> ini;
    return ini;
}

INI& Ini() {
    std::unique_ptr<INI>& ini = IniPartage();
    if (!ini) {
        ini = std::make_unique<INI>();
    }
    return *ini;
}

// The language files in use: the program's and the shared one of the first folder that has
// either; none when no folder has any (the French texts stay).
struct FichiersLangue {
    std::string programme;
    std::string partage;
    bool programmeExiste = false;
    bool trouves = false;
};

// Whether the folder holds either file, and then them.
bool Explorer(const std::string& dossier, std::string_view nomProgramme, FichiersLangue& f) {
    f.programme = JoindreChemin(dossier, nomProgramme);
    f.partage = JoindreChemin(dossier, kFichierPartage);
    f.programmeExiste = FichierExiste(f.programme);
    f.trouves = f.programmeExiste || FichierExiste(f.partage);
    return f.trouves;
}

using Environnement = std::function<std::string(const char*)>;

// The user's own language folder: "$XDG_DATA_HOME/monvalor", by default
// "$HOME/.local/share/monvalor"; "" when neither variable gives an absolute folder, or one
// whose name Windows-1252 cannot hold.
std::string DossierUtilisateur(const Environnement& variable) {
    std::string base = variable("XDG_DATA_HOME");
    if (base.empty() || base.front() != '/') {
        // A relative data folder is ignored, as the desktops do.
        base = variable("HOME");
        if (base.empty() || base.front() != '/') {
            return {};
        }
        base = JoindreChemin(JoindreChemin(base, ".local"), "share");
    }
    const std::optional<std::string> ansi = Utf8VersAnsi(base);
    return ansi ? JoindreChemin(*ansi, kDossier) : std::string();
}

// The language of the user's messages from the first of LC_ALL, LC_MESSAGES and LANG that is
// set: "en" for "en_GB.UTF-8". "" for French, whose texts are the program's own, and for
// "C", "POSIX" or anything that is not a language code (two or three small letters).
std::string LangueUtilisateur(const Environnement& variable) {
    for (const char* nom : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        std::string valeur = variable(nom);
        if (valeur.empty()) {
            continue;
        }
        valeur.resize(std::min(valeur.find_first_of("_.@"), valeur.size()));
        const bool code =
            valeur.size() >= 2 && valeur.size() <= 3 &&
            std::all_of(valeur.begin(), valeur.end(), [](char c) { return c >= 'a' && c <= 'z'; });
        return code && valeur != "fr" ? valeur : std::string();
    }
    return {};
}

// The files of the first of the program's folder, the user's and the installed one for the
// user's language that has any.
FichiersLangue TrouverFichiers() {
    const Services& services = Plateforme();
    const InfosApplication& application = services.application;
    std::string nomProgramme = application.titre;
    nomProgramme.append(kSuffixeLangue);
    FichiersLangue f;
    if (Explorer(application.repertoire, nomProgramme, f)) {
        return f;
    }
    // Nothing beside the program: an installed one. The user's own files come first, whatever
    // the locale; then the installed ones for the user's language.
    const std::string utilisateur = DossierUtilisateur(services.environnement);
    if (!utilisateur.empty() && Explorer(utilisateur, nomProgramme, f)) {
        return f;
    }
    const std::string langue = LangueUtilisateur(services.environnement);
    if (!langue.empty() && !application.repertoireDonneesInstallees.empty()) {
        std::string installe = JoindreChemin(application.repertoireDonneesInstallees, kDossier);
        installe = JoindreChemin(JoindreChemin(installe, kDossierLangues), langue);
        if (Explorer(installe, nomProgramme, f)) {
            return f;
        }
    }
    return {};
}

// The program's file first, when it exists, then the shared one.
std::string Chercher(const FichiersLangue& f, std::string_view section, std::string_view cle) {
    if (!f.trouves) {
        return {};
    }
    INI& ini = Ini();
    std::string resultat;
    if (f.programmeExiste) {
        ini.Path(f.programme);
        resultat = ini.Value(section, cle, "");
    }
    if (resultat.empty()) {
        // A missing shared file reads as one without the key.
        ini.Path(f.partage);
        resultat = ini.Value(section, cle, "");
    }
    return resultat;
}

// Runs one step of a translation; a step that fails changes nothing else.
template <typename F> bool Essayer(F&& etape) noexcept {
    try {
        etape();
        return true;
    } catch (...) {
        return false;
    }
}

void TraduireControle(const FichiersLangue& fichiers, const std::string& section,
                      const ConceptionControle& conception, IControle& controle) {
    const std::string nom(conception.nom);
    const Genre genre = conception.genre;
    std::string traduction;
    Essayer([&] { traduction = Chercher(fichiers, section, nom); });

    if (!traduction.empty()) {
        // An entry under the control's own name wins: its caption or its buttons are not
        // looked up, so that one entry translates every member of a control array alike.
        if (AUnTexte(genre)) {
            Essayer([&] { controle.DefinirTexte(traduction); });
        }
    } else if (AUnTexte(genre)) {
        Essayer([&] {
            const std::string t = Chercher(fichiers, section, controle.Texte());
            if (!t.empty()) {
                controle.DefinirTexte(t);
            }
        });
    } else if (genre == Genre::BarreOutils || genre == Genre::ListeVue) {
        // A toolbar's buttons take tool tips, a list view's columns their headers, each by its
        // key and on its own; a member without a key has nothing to be found under.
        for (std::size_t i = 0; i < conception.cles.size(); ++i) {
            if (conception.cles[i].empty()) {
                continue;
            }
            Essayer([&] {
                const std::string t = Chercher(fichiers, section, conception.cles[i]);
                if (!t.empty()) {
                    controle.DefinirTexteCle(i, t);
                }
            });
        }
    }

    Essayer([&] {
        const std::string t = Chercher(fichiers, section, nom + std::string(kSuffixeInfoBulle));
        if (!t.empty()) {
            controle.DefinirInfoBulle(t);
        }
    });
}

} // namespace

std::string LireTraduction(std::string_view section, std::string_view cle) {
    return Chercher(TrouverFichiers(), section, cle);
}

std::string Traduire(std::string_view section, std::string_view cle) {
    std::string resultat = LireTraduction(section, cle);
    if (resultat.empty()) {
        resultat.assign(cle);
    }
    return resultat;
}

void TraduireFormulaire(Fenetre& fenetre) noexcept {
    const ConceptionFenetre& conception = fenetre.Conception();
    const std::string section(conception.nom);
    IVueFormulaire* vue = nullptr;
    if (!Essayer([&] { vue = &fenetre.Vue(); })) {
        return;
    }
    // The folder is chosen once for the whole window; its files are read at each look-up.
    FichiersLangue fichiers;
    if (!Essayer([&] { fichiers = TrouverFichiers(); })) {
        return;
    }
    // The window's own caption is never a key: only an entry "Caption" replaces it.
    Essayer([&] {
        const std::string t = Chercher(fichiers, section, kCleLegende);
        if (!t.empty()) {
            vue->DefinirLegende(t);
        }
    });
    for (const ConceptionControle& c : conception.controles) {
        // A text set here may run a change handler that unloads the window.
        if (!fenetre.EstChargee()) {
            return;
        }
        Essayer([&] { TraduireControle(fichiers, section, c, vue->Controle(c.nom, c.indice)); });
    }
}

void ReinitialiserTraducteur() {
    IniPartage().reset();
}

} // namespace monvalor
