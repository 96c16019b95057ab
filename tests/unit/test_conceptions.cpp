// The windows' design tables hold the design: rows, tab order, roles, fonts and links.
#include "about/frmAbout.h"
#include "converter/frmConvertisseur.h"
#include "support/TexteSource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace monvalor;

namespace {

// The controls that take the focus, in tab order.
std::vector<std::string_view> OrdreTabulation(const ConceptionFenetre& f) {
    std::map<int, std::string_view> ordre;
    for (const ConceptionControle& c : f.controles) {
        if (c.tabulation != SansTabulation && c.genre != Genre::Label) {
            EXPECT_TRUE(ordre.emplace(c.tabulation, c.nom).second) << c.nom;
        }
    }
    std::vector<std::string_view> noms;
    for (const auto& [tab, nom] : ordre) {
        noms.push_back(nom);
    }
    return noms;
}

const ConceptionControle& Controle(const ConceptionFenetre& f, std::string_view nom) {
    const auto it = std::find_if(f.controles.begin(), f.controles.end(),
                                 [&](const ConceptionControle& c) { return c.nom == nom; });
    EXPECT_NE(it, f.controles.end()) << nom;
    return *it;
}

} // namespace

TEST(Conceptions, TheConverterIsNineRowsOfALabelAndABox) {
    const ConceptionFenetre& f = ConceptionConvertisseur;
    const std::string_view libelles[] = {
        "Presse Papier", "Euros",       "Francs",           "Taux",         "TVA ou %",
        "Montant HT",    "Montant TTC", u8"Réduction"_ansi, "Montant libre"};
    const std::vector<std::string_view> boites = {
        "txtMontant",   "txtEuros",      "txtFrancs",           "txtTaux",        "txtTVA",
        "txtMontantHT", "txtMontantTTC", u8"txtRéduction"_ansi, "txtMontantLibre"};
    EXPECT_EQ(OrdreTabulation(f), boites);
    for (int rang = 0; rang < 9; ++rang) {
        SCOPED_TRACE(rang);
        const ConceptionControle& label = f.controles[2 * rang];
        const ConceptionControle& boite = f.controles[2 * rang + 1];
        EXPECT_EQ(label.legende, libelles[rang]);
        EXPECT_EQ(label.position.haut, 240 * rang);
        EXPECT_EQ(label.police != nullptr && label.police->gras, rang == 1 || rang == 2);
        EXPECT_EQ(boite.nom, boites[rang]);
        EXPECT_EQ(boite.position, (Rectangle{1080, 240 * rang, 1095, 255}));
    }
    EXPECT_EQ(Controle(f, "txtTaux").legende, "19,6");
    EXPECT_EQ(f.legende, "Didez Izevezirevade");
    EXPECT_EQ(std::pair(f.largeur, f.hauteur), std::pair(2220, 2220));
}

TEST(Conceptions, TheAboutWindowsButtonsLinksAndRoles) {
    const ConceptionFenetre& f = ConceptionAbout;
    EXPECT_EQ(OrdreTabulation(f),
              (std::vector<std::string_view>{"cmdOK", "cmdSysInfo", "cmdVersion"}));
    const ConceptionControle& ok = Controle(f, "cmdOK");
    EXPECT_TRUE(ok.defaut && ok.annulation);
    for (std::string_view nom : {"cmdSysInfo", "cmdVersion"}) {
        EXPECT_FALSE(Controle(f, nom).defaut || Controle(f, nom).annulation) << nom;
    }
    for (std::string_view nom : {"lblSite", "lblEmail"}) {
        const ConceptionControle& lien = Controle(f, nom);
        EXPECT_TRUE(lien.lien) << nom;
        EXPECT_FALSE(lien.infoBulle.empty()) << nom;
        ASSERT_NE(lien.police, nullptr);
        EXPECT_EQ(lien.police->face, "Times New Roman");
    }
    EXPECT_EQ(f.police.face, "Tahoma");
    EXPECT_EQ(Controle(f, u8"Icône"_ansi).genre, Genre::Image);
    EXPECT_EQ(Controle(f, "cmdSysInfo").legende, u8"&Infos système..."_ansi);
    EXPECT_EQ(Controle(f, "lblDisclaimer").legende, "");
}
