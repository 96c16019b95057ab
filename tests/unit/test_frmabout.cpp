// The About window's behaviour over its form in memory, with the shell, the registry, the start
// of programs and the message boxes replaced by doubles.
#include "about/frmAbout.h"
#include "converter/frmConvertisseur.h"
#include "support/TexteSource.h"

#include "DossierTemporaire.h"
#include "Doubles.h"

#include <gtest/gtest.h>

using namespace monvalor;
using namespace monvalor::test;
using namespace std::string_literals;

namespace {

const char* const kSite = "https://monvalor.example/telechargement";

class APropos : public ::testing::Test {
protected:
    std::shared_ptr<SystemeEspion> systeme = std::make_shared<SystemeEspion>();
    std::shared_ptr<BoiteMessageEspion> boites = std::make_shared<BoiteMessageEspion>();
    std::shared_ptr<RegistreMemoire> registre = std::make_shared<RegistreMemoire>();
    DossierTemporaire dossier;

    void SetUp() override {
        RemettreFenetresEtServices();
        Services& s = Plateforme();
        s.systeme = systeme;
        s.boiteMessage = boites;
        s.registre = registre;
        InfosApplication& app = s.application; // titled "Monvalor", program "monvalor"
        app.repertoire = dossier.Chemin().string();
        app.versionMajeure = 1;
        app.versionMineure = 3;
        app.versionRevision = 1;
        app.description = "Logiciel de conversion Franc/Euro.";
        app.copyright = std::string(u8"Copyright © 2026 Essai"_ansi);
    }
    void TearDown() override { RemettreFenetresEtServices(); }

    std::string Texte(std::string_view controle) {
        return frmAbout::Defaut().Ctl(controle).Texte();
    }
};

} // namespace

TEST_F(APropos, LoadWritesTheCaptionVersionTitleAndDescription) {
    frmAbout& a = frmAbout::Defaut();
    EXPECT_EQ(a.Vue().Legende(), u8"À propos de Monvalor"_ansi);
    EXPECT_EQ(Texte("lblVersion"), "Version 1.3.1");
    EXPECT_EQ(Texte("lblTitle"), u8"Monvalor Copyright © 2026 Essai"_ansi);
    EXPECT_EQ(Texte("lblDescription"), "Logiciel de conversion Franc/Euro.");
    EXPECT_EQ(Texte("cmdSysInfo"), u8"&Infos système..."_ansi);
    // Every number in full; no copyright, no trailing space.
    frmAbout::ReinitialiserDefaut();
    InfosApplication& app = Plateforme().application;
    app.versionMajeure = 12;
    app.versionMineure = 0;
    app.versionRevision = 305;
    app.copyright.clear();
    EXPECT_EQ(Texte("lblVersion"), "Version 12.0.305");
    EXPECT_EQ(Texte("lblTitle"), "Monvalor");
}

TEST_F(APropos, LinksLoadTheWindowOnceAndOpenTheirAddressWhateverTheLabelsShow) {
    Plateforme().application.nomExe = "convertisseur";
    frmAbout& a = frmAbout::Defaut();
    EXPECT_FALSE(a.EstChargee());
    a.Site(kSite);
    EXPECT_TRUE(a.EstChargee());
    EXPECT_EQ(Texte("lblSite"), kSite);
    a.Email("contact@monvalor.example");
    EXPECT_EQ(a.LienEmail(),
              "mailto:contact@monvalor.example?subject=A propos de convertisseur Version 1.3.1");
    // No second load: the link takes the version caption as it stands.
    FormulaireMemoire& f = Forme(a);
    f.Memoire("lblVersion").DefinirTexte("Version 2.0.0");
    a.Email("x@y.test");
    EXPECT_EQ(Texte("lblEmail"), "x@y.test");
    f.Memoire("lblSite").DefinirTexte("https://ailleurs.example");
    f.Memoire("lblEmail").DefinirTexte("autre@ailleurs.example");
    f.Cliquer("lblSite");
    f.Cliquer("lblEmail");
    const std::vector<std::string> attendus = {
        kSite, "mailto:x@y.test?subject=A propos de convertisseur Version 2.0.0"};
    EXPECT_EQ(systeme->ouverts, attendus);
    // The update button leaves everything alone.
    f.Cliquer("cmdVersion");
    EXPECT_TRUE(a.EstChargee());
    EXPECT_EQ(systeme->ouverts.size(), 2u);
    EXPECT_TRUE(boites->messages.empty());
}

TEST_F(APropos, GetKeyValueReadsTextsAndNumbers) {
    // What it is, the value's type and bytes, the result, the text then.
    const std::tuple<const char*, std::uint32_t, std::string, bool, std::string> cas[] = {
        {"text with its NUL", 1, "C:\\Outils\\msinfo32.exe\0"s, true, "C:\\Outils\\msinfo32.exe"},
        {"text stored without NUL", 1, "abc"s, true, "abc"},
        {"only the last NUL goes", 1, "a\0b\0\0"s, true, "a\0b\0"s},
        {"NUL alone", 1, "\0"s, true, ""},
        {"number whose last byte reads as a NUL", 4, "\x05\x00\x00\x00"s, true, "5"},
        {"byte order", 4, "\x01\x02\x03\x04"s, true, "67305985"},
        {"minus one", 4, "\xFF\xFF\xFF\xFF"s, true, "-1"},
        {"binary keeps the old text", 3, "\x01\x02"s, true, "avant"},
        {"fills the buffer", 1, std::string(1024, 'x'), true, std::string(1024, 'x')},
        {"too long for the buffer", 1, std::string(1025, 'x'), false, ""},
    };
    frmAbout& a = frmAbout::Defaut();
    for (const auto& [nom, type, octets, lu, attendu] : cas) {
        SCOPED_TRACE(nom);
        registre->Poser("SOFTWARE\\Essai", "Valeur", type, octets);
        std::string valeur = "avant";
        EXPECT_EQ(a.GetKeyValue(RacineMachineLocale, "SOFTWARE\\Essai", "Valeur", valeur), lu);
        EXPECT_EQ(valeur, attendu);
    }
    // Another name, another root, a failing registry: quietly "" and false.
    const std::tuple<std::uintptr_t, const char*, bool> echecs[] = {
        {RacineMachineLocale, "Autre", false},
        {0x80000001, "Valeur", false},
        {RacineMachineLocale, "Valeur", true}};
    for (const auto& [racine, nom, panne] : echecs) {
        registre->enPanne = panne;
        std::string valeur = "avant";
        EXPECT_FALSE(a.GetKeyValue(racine, "SOFTWARE\\Essai", nom, valeur));
        EXPECT_EQ(valeur, "");
    }
}

TEST_F(APropos, SysInfoStartsTheRecordedToolOrSaysItIsMissing) {
    DossierTemporaire outils, avec, sans;
    const std::string outil = outils.Fichier("outil-infos");
    EcrireFichier(outil, "#!/bin/sh\n");
    EcrireFichier(avec.Chemin() / "MSINFO32.EXE", "MZ");
    const std::string dossierAvec = avec.Chemin().string();
    const std::string message(MessageInfosSystemeIndisponibles);
    struct Cas {
        const char* nom;
        std::optional<std::string> path, dossier; // the "PATH" (with its NUL) and "MSINFO" values
        std::string lance;                        // "" for none
        bool message;
    };
    const Cas cas[] = {
        {"PATH names an existing tool", outil + '\0', std::nullopt, outil, false},
        {"PATH wins even when its file is missing", "/nulle/part/msinfo32\0"s, dossierAvec,
         "/nulle/part/msinfo32", true},
        {"the folder holds MSINFO32.EXE", std::nullopt, dossierAvec,
         JoindreChemin(dossierAvec, "MSINFO32.EXE"), false},
        {"the folder lacks MSINFO32.EXE", std::nullopt, sans.Chemin().string(), "", true},
        {"a name cut by a NUL is not started", outil + '\0' + "x\0"s, std::nullopt, "", true},
        {"nothing recorded", std::nullopt, std::nullopt, "", true},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        registre->valeurs.clear();
        registre->lectures.clear();
        if (c.path) {
            registre->Poser(CleInfosSysteme, "PATH", RegTexte, *c.path);
        }
        if (c.dossier) {
            registre->Poser(CleEmplacementOutils, "MSINFO", RegTexte, *c.dossier + '\0');
        }
        systeme->lances.clear();
        boites->messages.clear();
        Forme(frmAbout::Defaut()).Cliquer("cmdSysInfo");
        using Lance = std::pair<std::string, int>;
        EXPECT_EQ(systeme->lances,
                  (c.lance.empty() ? std::vector<Lance>{} : std::vector<Lance>{{c.lance, 1}}));
        EXPECT_EQ(boites->messages, (c.message ? std::vector<MessageVu>{{message, MsgOK, ""}}
                                               : std::vector<MessageVu>{}));
    }
    // With nothing recorded, both local machine keys were looked at, in turn.
    using A = RegistreMemoire::Adresse;
    const std::vector<A> attendues = {
        A{0x80000002, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH"},
        A{0x80000002, "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO"},
    };
    EXPECT_EQ(registre->lectures, attendues);

    // The message as the language files give it.
    EcrireFichier(dossier.Chemin() / "Monvalor.lng", "[frmAbout]\r\n" + message + "=No info\r\n");
    boites->messages.clear();
    frmAbout::Defaut().StartSysInfo();
    EXPECT_EQ(boites->messages, (std::vector<MessageVu>{{"No info", MsgOK, ""}}));
}

TEST_F(APropos, UnloadKeepsTheFieldsButNotTheCaptions) {
    frmAbout& a = frmAbout::Defaut();
    a.Site(kSite);
    a.Email("contact@monvalor.example");
    const std::string lien = a.LienEmail();
    a.Ctl("lblSite").DefinirTexte("https://monvalor.example/autre");
    a.Ctl("lblDescription").DefinirTexte("autre");
    a.Ctl("lblVersion").DefinirTexte("Version 7");

    Forme(a).Cliquer("cmdOK");
    EXPECT_FALSE(a.EstChargee());
    EXPECT_EQ(a.Site(), kSite);
    EXPECT_EQ(a.LienEmail(), lien);
    // A new load: the design captions, rewritten by the load step only.
    EXPECT_EQ(Texte("lblSite"), "https://monvalor.example");
    EXPECT_EQ(Texte("lblEmail"), "contact@monvalor.example");
    EXPECT_EQ(Texte("lblDescription"), "Logiciel de conversion Franc/Euro.");
    EXPECT_EQ(Texte("lblVersion"), "Version 1.3.1");
    Forme(a).Cliquer("lblSite");
    EXPECT_EQ(systeme->ouverts, std::vector<std::string>{kSite});
    // Closing from the title bar unloads it too, and nothing else happens.
    Forme(a).FermerParLaBarreDeTitre();
    EXPECT_FALSE(a.EstChargee());
    EXPECT_TRUE(systeme->fins.empty());
}

TEST_F(APropos, AfficherTranslatesThenShowsModallyOverTheOwner) {
    EcrireFichier(
        dossier.Chemin() / "Shared.lng",
        "[frmAbout]\r\nCaption=About it\r\ncmdOK=Fine\r\nlblSite.ToolTipText=Our site\r\n");
    frmConvertisseur& proprietaire = frmConvertisseur::Defaut();
    Plateforme().instancePrecedente = true; // loads without its welcome
    proprietaire.Charger();
    std::string vu;
    Fabrique().pendantModal = [&](FormulaireMemoire& f) {
        vu = f.Legende() + '|' + f.Controle("cmdOK").Texte() + '|' +
             f.Controle("lblSite").InfoBulle();
        f.Cliquer("cmdOK");
    };
    frmAbout& a = frmAbout::Defaut();
    a.Afficher(proprietaire);
    EXPECT_EQ(vu, "About it|Fine|Our site");
    EXPECT_FALSE(a.EstChargee());
    // Shown over the owner's form.
    Fabrique().pendantModal = [&](FormulaireMemoire& f) {
        EXPECT_EQ(f.Proprietaires(), std::vector<IVueFormulaire*>{&proprietaire.Vue()});
    };
    a.Afficher(proprietaire);
}
