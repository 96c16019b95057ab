#include "converter/frmConvertisseur.h"

#include "about/frmAbout.h"
#include "converter/Adresses.h"
#include "converter/Conversions.h"
#include "services/Services.h"
#include "support/Ansi.h"
#include "support/TexteSource.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>

namespace monvalor {

namespace {

// The boxes in the window's order, as the journal lists them.
constexpr std::string_view kBoites[] = {
    "txtMontant",   "txtEuros",      "txtFrancs",           "txtTaux",         "txtTVA",
    "txtMontantHT", "txtMontantTTC", u8"txtRéduction"_ansi, "txtMontantLibre",
};

// Runs one step of the tick on its own: whatever it throws, the next step still runs.
template <typename F> void Etape(F&& f) noexcept {
    try {
        f();
    } catch (...) {
    }
}

bool QueDesEspaces(const std::string& texte) {
    return texte.find_first_not_of(' ') == std::string::npos;
}

// How to use the program, below the About window's description.
constexpr std::string_view kModeEmploi =
    u8"\r\n\r\n!! Sélectionnez le montant et appuyez sur ctrl-c pour faire apparaître la "
    u8"fenêtre.\r\nLa zone Montant Libre vous permet d'entrer manuellement un montant !!"_ansi;

} // namespace

frmConvertisseur::frmConvertisseur() : Fenetre(ConceptionConvertisseur) {
    if (const char* journal = std::getenv("MONVALOR_JOURNAL")) {
        journal_ = journal;
    }
}

frmConvertisseur::~frmConvertisseur() {
    try {
        Plateforme().pressePapier->SurChangement(nullptr);
    } catch (...) {
    }
}

void frmConvertisseur::Form_Load() {
    Services& s = Plateforme();
    if (s.instancePrecedente) {
        // The running copy takes "0" as an amount and comes to the front.
        s.pressePapier->EcrireTexte("0");
        s.systeme->Terminer(0);
        return;
    }
    Vue().DefinirLegende(s.application.titre);
    Ctl("Timer").DefinirIntervalle(IntervalleVeille);
    // Besides the tick, a change of the clipboard runs one at once.
    s.pressePapier->SurChangement([this] { Recevoir("", -1, Evenement::PressePapier); });
    Bienvenue();
}

void frmConvertisseur::Form_Unload() {
    Plateforme().systeme->Terminer(0);
}

void frmConvertisseur::Gerer(std::string_view controle, int, Evenement evenement) {
    if (evenement == Evenement::Timer || evenement == Evenement::PressePapier) {
        Timer_Timer();
    } else if (evenement == Evenement::Change && controle == "txtMontantLibre") {
        txtMontantLibre_Change();
    } else if (evenement == Evenement::Change && controle == "txtTaux") {
        txtTaux_Change();
    }
}

void frmConvertisseur::Timer_Timer() {
    if (dansTick_) {
        return;
    }
    dansTick_ = true;
    struct Fin {
        bool& drapeau;
        ~Fin() { drapeau = false; }
    } fin{dansTick_};

    IPressePapier& pressePapier = *Plateforme().pressePapier;
    std::optional<std::string> lu;
    try {
        // A clipboard that did not change since it was last read holds nothing new: a text
        // that was no amount still is none, and an amount would have been taken.
        if (pressePapier.PeutAvoirChange()) {
            lu = pressePapier.LireTexte();
        }
    } catch (...) {
        lu.reset();
    }
    if (lu && !QueDesEspaces(*lu)) {
        std::string montant;
        bool accepte = false;
        try {
            montant = NormaliserMontant(*lu);
            accepte = montant.size() <= LongueurMaxMontant && EstMontant(montant);
        } catch (...) {
            accepte = false;
        }
        if (accepte) {
            Etape([&] { Ctl("txtMontant").DefinirTexte(montant); });
            Etape([&] {
                const Conversions c =
                    CalculerConversions(Ctl("txtMontant").Texte(), Ctl("txtTaux").Texte());
                const std::pair<std::string_view, const std::optional<std::string>*> sorties[] = {
                    {"txtEuros", &c.euros},
                    {"txtFrancs", &c.francs},
                    {"txtTVA", &c.tva},
                    {"txtMontantHT", &c.montantHT},
                    {"txtMontantTTC", &c.montantTTC},
                    {u8"txtRéduction"_ansi, &c.reduction},
                };
                for (const auto& sortie : sorties) {
                    if (*sortie.second) {
                        Etape([&] { Ctl(sortie.first).DefinirTexte(**sortie.second); });
                    }
                }
            });
            Etape([&] { Vue().AuPremierPlan(); });
            Etape([&] { pressePapier.Vider(); });
            Etape([&] { Journaliser(); });
        }
    }
    Etape([&] { Ctl("Timer").DefinirIntervalle(IntervalleVeille); });
}

void frmConvertisseur::txtMontantLibre_Change() {
    Plateforme().pressePapier->EcrireTexte(Ctl("txtMontantLibre").Texte());
}

void frmConvertisseur::txtTaux_Change() {
    txtMontantLibre_Change();
}

void frmConvertisseur::Bienvenue() {
    // The first touch loads the About window, whose load step writes its own texts.
    frmAbout& a = frmAbout::Defaut();
    // Tests, and organisations that run their own update server, give its address.
    const char* site = std::getenv("MONVALOR_SITE");
    a.Site(site != nullptr && *site != '\0' ? std::string(site) : std::string(SiteWeb));
    a.Ctl("lblSite").DefinirTexte(std::string(PageAccueil));
    a.Email(AdresseEmail);
    a.Ctl(u8"Icône"_ansi).DefinirImage(Vue().Icone());
    IControle& description = a.Ctl("lblDescription");
    description.DefinirTexte(description.Texte() + std::string(kModeEmploi));
    a.Afficher(*this);
}

// One line per amount taken, for scripts that watch the program: the monotonic clock in
// milliseconds, then the nine boxes, tab-separated, with \\ \t \r \n escaped; UTF-8.
void frmConvertisseur::Journaliser() {
    if (journal_.empty()) {
        return;
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count();
    std::string ligne = std::to_string(ms);
    for (std::string_view boite : kBoites) {
        ligne += '\t';
        for (char c : Ctl(boite).Texte()) {
            switch (c) {
            case '\\':
                ligne += "\\\\";
                break;
            case '\t':
                ligne += "\\t";
                break;
            case '\r':
                ligne += "\\r";
                break;
            case '\n':
                ligne += "\\n";
                break;
            default:
                ligne += c;
            }
        }
    }
    std::ofstream sortie(journal_, std::ios::app | std::ios::binary);
    sortie << AnsiVersUtf8(ligne) << '\n';
}

} // namespace monvalor
