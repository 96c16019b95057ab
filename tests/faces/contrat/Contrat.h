// What every face must do alike, written once and run on each: the memory face that the
// windows' tests use, the Qt face and the Win32 face. A face comes in through an adapter A,
// which makes its forms and acts and looks at them as the user and the system would:
//   using Vue; static std::shared_ptr<IFabriqueFormulaires> Fabrique();
//   static std::unique_ptr<Vue> Creer(const ConceptionFenetre&, IRecepteur&);
//   static std::optional<Genre> GenreNatif(Vue&, const ConceptionControle&);  // nullopt: none
//   static std::string Conteneur(Vue&, const ConceptionControle&);  // "" for the form
//   static std::string Libelle(Vue&, const ConceptionControle&);    // what names a box
//   static void VerifierNatif(Vue&, const ConceptionFenetre&, const ConceptionControle&);
//   static std::vector<std::string> OrdreTabulation(Vue&, const ConceptionFenetre&);
//   static std::string Focus(Vue&);                                  // once shown
//   static std::string Tabuler(Vue&);                  // Tab pressed: where the focus goes
//   static double PositionBarre(Vue&, std::string_view);             // 0 to 1
//   static void Cliquer(Vue&, std::string_view);
//   static void Taper(Vue&, std::string_view, char);                // a digit
//   static void Appuyer(Vue&, std::string_view focus, Touche); static void Fermer(Vue&);
//   static void AttendreTic(Vue&, std::string_view); static void Digerer();
#pragma once

#include "forms/Regles.h"
#include "support/TexteSource.h"

#include "Doubles.h"
#include "ErreurLevee.h"

#include <optional>

namespace monvalor::test::contrat {

// Records the events of a form, by control.
struct Recepteur final : IRecepteur {
    std::vector<std::pair<std::string, Evenement>> recus;
    void Recevoir(std::string_view c, int, Evenement e) override { recus.emplace_back(c, e); }
};

// The kinds no window uses yet, some in a frame; txtNom bold, disabled; chkA hidden; optB tipped.
inline constexpr std::string_view kCles[] = {"k0", "k1"};
inline constexpr Police kGras{"Tahoma", 10, true};
constexpr ConceptionControle Essai(Genre genre, std::string_view nom, int haut,
                                   int tabulation = SansTabulation) {
    ConceptionControle c{genre, nom, nom, {60, haut, 3000, genre == Genre::Cadre ? 1200 : 255}};
    c.tabulation = tabulation;
    c.police = nom == "txtNom" ? &kGras : nullptr;
    c.conteneur = haut < 1200 && genre != Genre::Cadre ? "fraCadre" : "";
    c.visible = nom != "chkA";
    c.actif = nom != "txtNom";
    c.infoBulle = nom == "optB" ? "Bulle" : "";
    c.cles = kCles; // which only toolbars and list views take
    return c;
}
inline constexpr ConceptionControle kControles[] = {
    Essai(Genre::Cadre, "fraCadre", 60),          Essai(Genre::Label, "lblNom", 300),
    Essai(Genre::ZoneTexte, "txtNom", 600, 1),    Essai(Genre::CaseACocher, "chkA", 1700, 2),
    Essai(Genre::BoutonOption, "optB", 2000, 0),  Essai(Genre::ZoneTexte, "txtSansLibelle", 2150),
    Essai(Genre::BarreOutils, "tbrOutils", 2300), Essai(Genre::ListeVue, "lvwListe", 2800, 3),
};
inline constexpr ConceptionFenetre kEssai{
    "frmEssai", "Essai", 3200, 3795, {"MS Sans Serif", 8.25}, Bordure::Fixe, true, "", kControles};

// Every table, with the controls that take the focus in tab order.
inline const std::pair<const ConceptionFenetre*, std::vector<std::string_view>> kTables[] = {
    {&ConceptionConvertisseur,
     {"txtMontant", "txtEuros", "txtFrancs", "txtTaux", "txtTVA", "txtMontantHT", "txtMontantTTC",
      u8"txtRéduction"_ansi, "txtMontantLibre"}},
    {&ConceptionAbout, {"cmdOK", "cmdSysInfo", "cmdVersion", "lblSite", "lblEmail"}},
    {&ConceptionSock, {"txtUrl", "cmdDownload", "chkEnTetes", "cmdPause", "cmdStop", "txtHead"}},
    {&ConceptionRepertoire,
     {"OKButton", "CancelButton", "dirHisto", "drvHisto", u8"txtRépertoire"_ansi,
      u8"cmdValideRépertoire"_ansi}},
    {&kEssai, {"optB", "txtNom", "chkA", "lvwListe"}},
};

template <typename A> class ContratFace : public AvecDoubles {
protected:
    void SetUp() override {
        AvecDoubles::SetUp();
        Plateforme().formulaires = A::Fabrique();
    }
    void TearDown() override {
        AvecDoubles::TearDown();
        A::Digerer();
    }
};

TYPED_TEST_SUITE_P(ContratFace);

TYPED_TEST_P(ContratFace, BuildsEveryTableAsDesigned) {
    using A = TypeParam;
    for (const auto& [t, tabulation] : kTables) {
        SCOPED_TRACE(std::string(t->nom));
        Recepteur r;
        const auto vue = A::Creer(*t, r);
        EXPECT_EQ(std::tuple(vue->Legende(), vue->Hauteur(), vue->Icone()),
                  std::tuple(std::string(t->legende), t->hauteur, std::string(t->icone)));
        const ConceptionControle* precedent = nullptr;
        for (const ConceptionControle& c : t->controles) {
            SCOPED_TRACE(std::string(c.nom));
            EXPECT_EQ(A::GenreNatif(*vue, c), c.genre);
            IControle& ctl = vue->Controle(c.nom, c.indice);
            if (c.genre != Genre::Minuterie) {
                EXPECT_EQ(A::Conteneur(*vue, c), c.conteneur);
                const Police& p = c.police ? *c.police : t->police;
                EXPECT_EQ(std::tuple(ctl.InfoBulle(), ctl.Visible(), ctl.Actif(), ctl.LirePolice()),
                          std::tuple(std::string(c.infoBulle), c.visible, c.actif, p));
                A::VerifierNatif(*vue, *t, c);
            }
            if (AUnTexte(c.genre)) {
                EXPECT_EQ(ctl.Texte(), c.legende);
            }
            if (c.genre == Genre::ZoneTexte) {
                // What names a box: the label right before it, and nothing else.
                const bool nomme = precedent != nullptr && precedent->genre == Genre::Label;
                EXPECT_EQ(A::Libelle(*vue, c), nomme ? precedent->legende : "");
            }
            precedent = &c;
        }
        EXPECT_EQ(A::OrdreTabulation(*vue, *t),
                  std::vector<std::string>(tabulation.begin(), tabulation.end()));
        EXPECT_EQ(A::Focus(*vue), tabulation.front());
    }
}

// What each kind has, by the first letter of the property: Apparence, Texte, Image,
// iNtervalle, Progression, Cles.
constexpr std::string_view ProprietesDe(Genre genre) {
    constexpr std::string_view kProprietes[] = {"AT", "AT", "AT", "AT", "AT", "AT", "AI",
                                                "A",  "N",  "AC", "AC", "AT", "AT", "AP"};
    return kProprietes[static_cast<int>(genre)];
}

TYPED_TEST_P(ContratFace, EachKindHasItsPropertiesAndRefusesTheOthers) {
    using A = TypeParam;
    const std::pair<char, std::function<void(IControle&)>> kEssais[] = {
        {'A', [](IControle& c) { c.DefinirInfoBulle(c.InfoBulle()); }},
        {'T', [](IControle& c) { (void)c.Texte(); }},
        {'I', [](IControle& c) { c.DefinirImage("monvalor"); }},
        {'N', [](IControle& c) { c.DefinirIntervalle(0); }},
        {'P', [](IControle& c) { c.DefinirValeur(c.Max()); }},
        {'C', [](IControle& c) { c.DefinirTexteCle(1, "Ouvrir"); }},
    };
    for (const auto* t : {&ConceptionAbout, &ConceptionConvertisseur, &ConceptionRepertoire,
                          &ConceptionSock, &kEssai}) {
        Recepteur r;
        const auto vue = A::Creer(*t, r);
        for (const ConceptionControle& c : t->controles) {
            for (const auto& [lettre, essai] : kEssais) {
                SCOPED_TRACE(std::string(c.nom) + " " + lettre);
                const bool a = ProprietesDe(c.genre).find(lettre) != std::string_view::npos;
                EXPECT_EQ(ErreurLevee([&] { essai(vue->Controle(c.nom, c.indice)); }),
                          a ? 0 : ErrArgument);
            }
        }
    }
    // Keys by position, up to their number; a timer's interval is never negative.
    Recepteur r;
    const auto essai = A::Creer(kEssai, r);
    const auto convertisseur = A::Creer(ConceptionConvertisseur, r);
    EXPECT_EQ(
        std::tuple(ErreurLevee([&] { essai->Controle("lvwListe").DefinirTexteCle(2, "x"); }),
                   ErreurLevee([&] { convertisseur->Controle("Timer").DefinirIntervalle(-1); })),
        std::tuple(ErrArgument, ErrArgument));
}

TYPED_TEST_P(ContratFace, AProgressBarShowsItsValueAgainstItsMaximum) {
    using A = TypeParam;
    Recepteur r;
    const auto sock = A::Creer(ConceptionSock, r);
    IControle& barre = sock->Controle("ProgressBar");
    EXPECT_EQ(std::tuple(barre.Max(), barre.Valeur()), std::tuple(100.0, 0.0));
    barre.DefinirMax(200);
    barre.DefinirValeur(50);
    EXPECT_EQ(
        std::tuple(ErreurLevee([&] { barre.DefinirValeur(200.5); }),
                   ErreurLevee([&] { barre.DefinirValeur(-1); }),
                   ErreurLevee([&] { barre.DefinirMax(0); }),
                   ErreurLevee([&] { barre.DefinirMax(-3); })),
        std::tuple(ErrValeurPropriete, ErrValeurPropriete, ErrValeurPropriete, ErrValeurPropriete));
    EXPECT_EQ(std::tuple(barre.Max(), barre.Valeur(), A::PositionBarre(*sock, "ProgressBar")),
              std::tuple(200.0, 50.0, 0.25));
    // A lower maximum pulls the value down with it.
    barre.DefinirMax(40);
    EXPECT_EQ(std::tuple(barre.Valeur(), A::PositionBarre(*sock, "ProgressBar")),
              std::tuple(40.0, 1.0));
}

TYPED_TEST_P(ContratFace, TextsKeepTheirAccentsAndBoxesOfLinesTheirWindowsLineEnds) {
    using A = TypeParam;
    Recepteur r;
    const auto sock = A::Creer(ConceptionSock, r);
    const std::string accents(u8"Réduction 12,50 € « œuvre »"_ansi);
    IControle& url = sock->Controle("txtUrl");
    url.DefinirTexte(accents);
    url.DefinirTexte(accents); // the same again is no change
    sock->Controle("lblSize").DefinirTexte(accents);
    sock->DefinirLegende(accents);
    EXPECT_EQ(std::tuple(url.Texte(), sock->Controle("lblSize").Texte(), sock->Legende()),
              std::tuple(accents, accents, accents));
    IControle& lignes = sock->Controle("txtHead");
    lignes.DefinirTexte("un\ndeux\r\ntrois");
    EXPECT_EQ(lignes.Texte(), "un\r\ndeux\r\ntrois");
    using enum Evenement;
    const decltype(r.recus) attendus = {{"txtUrl", Change}, {"txtHead", Change}};
    EXPECT_EQ(r.recus, attendus);
}

TYPED_TEST_P(ContratFace, RoutesEachControlsEventsToItsWindow) {
    using A = TypeParam;
    Recepteur r;
    {
        const auto about = A::Creer(ConceptionAbout, r);
        A::Cliquer(*about, "cmdSysInfo");
        A::Cliquer(*about, "lblSite");
        // Keys no control took: Enter the focused button, Esc the cancel one (cmdOK).
        A::Appuyer(*about, "cmdSysInfo", Touche::Entree);
        A::Appuyer(*about, "cmdSysInfo", Touche::Echap);
        A::Fermer(*about);
    }
    const auto repertoire = A::Creer(ConceptionRepertoire, r);
    // Enter in the box presses the default button, unless it is disabled.
    A::Appuyer(*repertoire, u8"txtRépertoire"_ansi, Touche::Entree);
    repertoire->Controle("OKButton").DefinirActif(false);
    A::Appuyer(*repertoire, u8"txtRépertoire"_ansi, Touche::Entree);
    const auto conv = A::Creer(ConceptionConvertisseur, r);
    A::Appuyer(*conv, "txtEuros", Touche::Echap); // no cancel button here: nothing
    A::Taper(*conv, "txtEuros", '7');
    conv->Controle("Timer").DefinirIntervalle(1);
    A::AttendreTic(*conv, "Timer");
    conv->Controle("Timer").DefinirIntervalle(0);
    ASSERT_GE(r.recus.size(), 8u);
    r.recus.resize(8); // the timer may tick more than once
    using enum Evenement;
    const decltype(r.recus) attendus = {
        {"cmdSysInfo", Click}, {"lblSite", Click},  {"cmdSysInfo", Click}, {"cmdOK", Click},
        {"", Fermeture},       {"OKButton", Click}, {"txtEuros", Change},  {"Timer", Timer}};
    EXPECT_EQ(r.recus, attendus);
    EXPECT_EQ(conv->Controle("txtEuros").Texte(), "7");
}

TYPED_TEST_P(ContratFace, TabReachesTheLinksWhichEnterOrSpaceOpenOnceAsAClickDoes) {
    using A = TypeParam;
    frmAbout& a = frmAbout::Defaut();
    a.Site("https://monvalor.example");
    a.Email("x@y.test");
    auto& vue = dynamic_cast<typename A::Vue&>(a.Vue());
    std::vector<std::string> focus{A::Focus(vue)};
    for (int i = 0; i < 5; ++i) {
        focus.push_back(A::Tabuler(vue));
    }
    EXPECT_EQ(focus, (std::vector<std::string>{"cmdOK", "cmdSysInfo", "cmdVersion", "lblSite",
                                               "lblEmail", "cmdOK"}));
    for (const Touche touche : {Touche::Entree, Touche::Espace}) {
        for (const std::string_view lien : {"lblSite", "lblEmail"}) {
            A::Appuyer(vue, lien, touche);
            ASSERT_TRUE(a.EstChargee()) << "OK pressed too, from " << lien;
        }
    }
    // Each press opened its link once.
    EXPECT_EQ(this->systeme->ouverts,
              (std::vector<std::string>{a.Site(), a.LienEmail(), a.Site(), a.LienEmail()}));
}

REGISTER_TYPED_TEST_SUITE_P(ContratFace, BuildsEveryTableAsDesigned,
                            EachKindHasItsPropertiesAndRefusesTheOthers,
                            AProgressBarShowsItsValueAgainstItsMaximum,
                            TextsKeepTheirAccentsAndBoxesOfLinesTheirWindowsLineEnds,
                            RoutesEachControlsEventsToItsWindow,
                            TabReachesTheLinksWhichEnterOrSpaceOpenOnceAsAClickDoes);

} // namespace monvalor::test::contrat
