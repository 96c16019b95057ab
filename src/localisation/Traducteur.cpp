#include "localisation/Traducteur.h"

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

// The buttons of a toolbar and the column headers of a list view, each by its key, each on
// its own. A member without a key has nothing to be found under.
template <typename F>
void TraduireCles(const std::string& section, const std::vector<std::string>& cles, F&& definir) {
    for (std::size_t i = 0; i < cles.size(); ++i) {
        if (cles[i].empty()) {
            continue;
        }
        Essayer([&] {
            const std::string t = LireTraduction(section, cles[i]);
            if (!t.empty()) {
                definir(i, t);
            }
        });
    }
}

bool AUneLegende(GenreControle genre) {
    switch (genre) {
    case GenreControle::Label:
    case GenreControle::Bouton:
    case GenreControle::BoutonOption:
    case GenreControle::CaseACocher:
    case GenreControle::Cadre:
        return true;
    default:
        return false;
    }
}

void TraduireControle(const std::string& section, IControleTraduisible& controle) {
    std::string nom;
    const bool aNom = Essayer([&] { nom = controle.Nom(); });
    GenreControle genre = GenreControle::Autre;
    Essayer([&] { genre = controle.Genre(); });

    std::string traduction;
    if (aNom) {
        Essayer([&] { traduction = LireTraduction(section, nom); });
    }

    if (!traduction.empty()) {
        // An entry under the control's own name wins: its caption or its buttons are not
        // looked up, so that one entry translates every member of a control array alike.
        Essayer([&] {
            if (AUneLegende(genre)) {
                controle.DefinirLegende(traduction);
            } else if (genre == GenreControle::ZoneTexte) {
                controle.DefinirTexte(traduction);
            }
        });
    } else if (AUneLegende(genre)) {
        Essayer([&] {
            const std::string t = LireTraduction(section, controle.Legende());
            if (!t.empty()) {
                controle.DefinirLegende(t);
            }
        });
    } else if (genre == GenreControle::ZoneTexte) {
        Essayer([&] {
            const std::string t = LireTraduction(section, controle.Texte());
            if (!t.empty()) {
                controle.DefinirTexte(t);
            }
        });
    } else if (genre == GenreControle::BarreOutils) {
        std::vector<std::string> cles;
        Essayer([&] { cles = controle.ClesBoutons(); });
        TraduireCles(section, cles, [&](std::size_t i, const std::string& t) {
            controle.DefinirInfoBulleBouton(i, t);
        });
    } else if (genre == GenreControle::ListeVue) {
        std::vector<std::string> cles;
        Essayer([&] { cles = controle.ClesColonnes(); });
        TraduireCles(section, cles, [&](std::size_t i, const std::string& t) {
            controle.DefinirEnTeteColonne(i, t);
        });
    }

    if (aNom) {
        Essayer([&] {
            std::string cle = nom;
            cle.append(kSuffixeInfoBulle);
            const std::string t = LireTraduction(section, cle);
            if (!t.empty()) {
                controle.DefinirInfoBulle(t);
            }
        });
    }
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

void TraduireFormulaire(IFormulaireTraduisible& formulaire) noexcept {
    std::string section;
    if (!Essayer([&] { section = formulaire.Nom(); })) {
        // Without its name nothing of the window can be found.
        return;
    }

    // The window's own caption is never a key: only an entry "Caption" replaces it.
    Essayer([&] {
        const std::string t = LireTraduction(section, kCleLegende);
        if (!t.empty()) {
            formulaire.DefinirLegende(t);
        }
    });

    std::vector<IControleTraduisible*> controles;
    Essayer([&] { controles = formulaire.Controles(); });
    for (IControleTraduisible* controle : controles) {
        if (controle != nullptr) {
            Essayer([&] { TraduireControle(section, *controle); });
        }
    }
}

void ReinitialiserTraducteur() {
    IniPartage().reset();
}

} // namespace monvalor
