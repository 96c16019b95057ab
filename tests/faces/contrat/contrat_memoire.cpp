// The face contract on the memory face, which every window's test runs on: what it tells them
// is what a real face would do. Where a memory form has nothing native to show (containers,
// labels, the order of the keyboard), it answers with the core's rules.
#include "Contrat.h"

namespace monvalor::test::contrat {
namespace {

struct AdaptateurMemoire {
    using Vue = FormulaireMemoire;
    static std::shared_ptr<IFabriqueFormulaires> Fabrique() {
        return std::make_shared<FabriqueMemoire>();
    }
    static std::unique_ptr<Vue> Creer(const ConceptionFenetre& c, IRecepteur& r) {
        return std::make_unique<FormulaireMemoire>(c, r, nullptr);
    }
    static std::size_t Position(Vue& vue, const ConceptionControle& c) {
        return static_cast<std::size_t>(&vue.Memoire(c.nom, c.indice).Conception() -
                                        vue.Conception().controles.data());
    }
    static std::optional<Genre> GenreNatif(Vue& vue, const ConceptionControle& c) {
        return vue.Memoire(c.nom, c.indice).Conception().genre;
    }
    static std::string Conteneur(Vue& vue, const ConceptionControle& c) {
        const std::size_t p = Conteneurs(vue.Conception().controles)[Position(vue, c)];
        return p == Aucun ? "" : std::string(vue.Conception().controles[p].nom);
    }
    static std::string Libelle(Vue& vue, const ConceptionControle& c) {
        const auto& table = vue.Conception().controles;
        const std::size_t l = Libelles(table)[Position(vue, c)];
        return l == Aucun ? "" : vue.Controle(table[l].nom, table[l].indice).Texte();
    }
    static void VerifierNatif(Vue&, const ConceptionFenetre&, const ConceptionControle&) {}
    static std::vector<std::string> OrdreTabulation(Vue& vue, const ConceptionFenetre&) {
        std::vector<std::string> noms;
        for (std::size_t i : monvalor::OrdreTabulation(vue.Conception().controles)) {
            noms.emplace_back(vue.Conception().controles[i].nom);
        }
        return noms;
    }
    static std::string Focus(Vue& vue) {
        vue.Montrer();
        return vue.Focus() ? std::string(vue.Focus()->nom) : "";
    }
    static std::string Tabuler(Vue& vue) {
        vue.Tabuler();
        return std::string(vue.Focus()->nom);
    }
    static double PositionBarre(Vue& vue, std::string_view nom) {
        return vue.Controle(nom).Valeur() / vue.Controle(nom).Max();
    }
    static void Cliquer(Vue& vue, std::string_view nom) { vue.Cliquer(nom); }
    static void Taper(Vue& vue, std::string_view nom, char c) {
        vue.Taper(nom, vue.Controle(nom).Texte() + c);
    }
    static void Appuyer(Vue& vue, std::string_view focus, Touche touche) {
        vue.DonnerFocus(focus);
        vue.Appuyer(touche);
    }
    static void Fermer(Vue& vue) { vue.FermerParLaBarreDeTitre(); }
    static void AttendreTic(Vue& vue, std::string_view nom) { vue.Tic(nom); }
    static void Digerer() {}
};

} // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Memoire, ContratFace, AdaptateurMemoire);

// The order a face makes its controls in when its keyboard walks them that way (Win32's):
// containers before what they hold, each box's label just before it, a frame where its first
// tab stop is, the others last as designed.
TEST(OrdreCreation, FollowsTheTabOrderWithEachLabelBeforeItsBox) {
    const std::pair<const ConceptionFenetre*, std::vector<std::string_view>> kCas[] = {
        {&kEssai,
         {"optB", "fraCadre", "chkA", "lvwListe", "txtSansLibelle", "tbrOutils", "lblNom",
          "txtNom"}},
        {&ConceptionRepertoire,
         {"OKButton", "CancelButton", "dirHisto", "drvHisto", u8"txtRépertoire"_ansi,
          u8"cmdValideRépertoire"_ansi}},
        {&ConceptionConvertisseur,
         {"Label1", "txtMontant", "Label2", "txtEuros", "Label3", "txtFrancs", "Label8", "txtTaux",
          "Label4", "txtTVA", "Label5", "txtMontantHT", "Label6", "txtMontantTTC", "Label9",
          u8"txtRéduction"_ansi, "Label7", "txtMontantLibre", "Timer"}},
        {&ConceptionAbout,
         {"cmdOK", "cmdSysInfo", "cmdVersion", "lblSite", "lblEmail", u8"Icône"_ansi, "lblTitle",
          "lblVersion", "lblDescription", "lblDisclaimer", "Line1", "Line1"}},
    };
    for (const auto& [t, attendus] : kCas) {
        std::vector<std::string_view> noms;
        for (std::size_t i : OrdreCreation(t->controles)) {
            noms.push_back(t->controles[i].nom);
        }
        EXPECT_EQ(noms, attendus) << t->nom;
    }
}

// The keyboard reaches the kinds that take input and the links, no other label; Enter and
// Space press the focused button or link, and Enter else the default button.
TEST(Regles, LinksAreTheOnlyLabelsTheKeyboardReachesAndPresses) {
    constexpr ConceptionControle kLien{.genre = Genre::Label, .tabulation = 5, .lien = true};
    const std::tuple<ConceptionControle, bool, bool> kFocus[] = {
        {kLien, true, true},
        {{.genre = Genre::Label, .lien = true}, true, false},
        {{.genre = Genre::Label, .tabulation = 5}, false, false},
        {{.genre = Genre::Image, .tabulation = 5, .lien = true}, false, false},
        {{.genre = Genre::Bouton, .tabulation = 5}, true, true},
    };
    for (const auto& [c, focus, tabulation] : kFocus) {
        EXPECT_EQ(std::tuple(PrendLeFocus(c), DansLaTabulation(c)), std::tuple(focus, tabulation))
            << static_cast<int>(c.genre) << " " << c.lien;
    }
    const auto table = ConceptionAbout.controles;
    const auto position = [&](std::string_view nom) {
        for (std::size_t i = 0; i < table.size(); ++i) {
            if (table[i].nom == nom) {
                return i;
            }
        }
        return Aucun;
    };
    using enum Touche;
    const std::tuple<Touche, std::string_view, std::string_view> kTouches[] = {
        {Entree, "lblSite", "lblSite"},
        {Espace, "lblEmail", "lblEmail"},
        {Espace, "cmdSysInfo", "cmdSysInfo"},
        {Entree, "lblTitle", "cmdOK"},
        {Entree, "", "cmdOK"},
        {Echap, "lblSite", "cmdOK"},
        {Espace, "lblTitle", ""},
        {Espace, "", ""},
    };
    for (const auto& [touche, focus, presse] : kTouches) {
        EXPECT_EQ(
            ControleDeLaTouche(table, touche, position(focus), [](std::size_t) { return true; }),
            position(presse))
            << static_cast<int>(touche) << " on " << focus;
    }
}

} // namespace monvalor::test::contrat
