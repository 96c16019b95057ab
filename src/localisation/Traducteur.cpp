#include "localisation/Traducteur.h"

#include "platform/Formulaire.h"
#include "platform/Services.h"
#include "support/Fichiers.h"
#include "support/INI.h"

#include <memory>

namespace monvalor {

namespace {

constexpr std::string_view kFichierPartage = "Shared.lng";
constexpr std::string_view kSuffixeLangue = ".lng";
constexpr std::string_view kCleLegende = "Caption";
constexpr std::string_view kSuffixeInfoBulle = ".ToolTipText";

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

// Runs one step of a translation; a step that fails changes nothing else.
template <typename F> bool Essayer(F&& etape) noexcept {
    try {
        etape();
        return true;
    } catch (...) {
        return false;
    }
}

void TraduireControle(const std::string& section, const ConceptionControle& conception,
                      IControle& controle) {
    const std::string nom(conception.nom);
    const Genre genre = conception.genre;
    std::string traduction;
    Essayer([&] { traduction = LireTraduction(section, nom); });

    if (!traduction.empty()) {
        // An entry under the control's own name wins: its caption or its buttons are not
        // looked up, so that one entry translates every member of a control array alike.
        if (AUnTexte(genre)) {
            Essayer([&] { controle.DefinirTexte(traduction); });
        }
    } else if (AUnTexte(genre)) {
        Essayer([&] {
            const std::string t = LireTraduction(section, controle.Texte());
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
                const std::string t = LireTraduction(section, conception.cles[i]);
                if (!t.empty()) {
                    controle.DefinirTexteCle(i, t);
                }
            });
        }
    }

    Essayer([&] {
        const std::string t = LireTraduction(section, nom + std::string(kSuffixeInfoBulle));
        if (!t.empty()) {
            controle.DefinirInfoBulle(t);
        }
    });
}

} // namespace

std::string LireTraduction(std::string_view section, std::string_view cle) {
    const InfosApplication& application = Plateforme().application;
    INI& ini = Ini();
    std::string resultat;

    std::string nomProgramme = application.titre;
    nomProgramme.append(kSuffixeLangue);
    const std::string fichierProgramme = JoindreChemin(application.repertoire, nomProgramme);
    if (FichierExiste(fichierProgramme)) {
        ini.Path(fichierProgramme);
        resultat = ini.Value(section, cle, "");
    }
    if (resultat.empty()) {
        // A missing shared file reads as one without the key.
        ini.Path(JoindreChemin(application.repertoire, kFichierPartage));
        resultat = ini.Value(section, cle, "");
    }
    return resultat;
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
    // The window's own caption is never a key: only an entry "Caption" replaces it.
    Essayer([&] {
        const std::string t = LireTraduction(section, kCleLegende);
        if (!t.empty()) {
            vue->DefinirLegende(t);
        }
    });
    for (const ConceptionControle& c : conception.controles) {
        // A text set here may run a change handler that unloads the window.
        if (!fenetre.EstChargee()) {
            return;
        }
        Essayer([&] { TraduireControle(section, c, vue->Controle(c.nom, c.indice)); });
    }
}

void ReinitialiserTraducteur() {
    IniPartage().reset();
}

} // namespace monvalor
