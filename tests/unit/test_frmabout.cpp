// The About window's behaviour over its form in memory, the system and the registry doubled.
#include "support/TexteSource.h"

#include "Doubles.h"

using namespace monvalor;
using namespace monvalor::test;
using namespace std::string_literals;

namespace {

const char* const kSite = "https://monvalor.example/telechargement";

class APropos : public AvecDoubles {
protected:
    void SetUp() override {
        AvecDoubles::SetUp();
        InfosApplication& app = Plateforme().application; // titled "Monvalor", program "monvalor"
        std::tie(app.versionMajeure, app.versionMineure, app.versionRevision) =
            std::tuple(12, 0, 305);
        app.description = "Logiciel de conversion Franc/Euro.";
        app.copyright = std::string(u8"Copyright © 2026 Essai"_ansi);
    }
    std::string Texte(std::string_view c) { return frmAbout::Defaut().Ctl(c).Texte(); }
};

} // namespace

TEST_F(APropos, LoadWritesItsTextsAndTheLinksOpenTheirAddressWhateverTheLabelsShow) {
    Plateforme().application.nomExe = "convertisseur";
    frmAbout& a = frmAbout::Defaut();
    a.Site(kSite);
    EXPECT_TRUE(a.EstChargee());
    EXPECT_EQ(a.Vue().Legende(), u8"À propos de Monvalor"_ansi);
    EXPECT_EQ(Texte("lblVersion"), "Version 12.0.305");
    EXPECT_EQ(Texte("lblTitle"), u8"Monvalor Copyright © 2026 Essai"_ansi);
    EXPECT_EQ(Texte("lblDescription"), "Logiciel de conversion Franc/Euro.");
    EXPECT_EQ(Texte("lblSite"), kSite);
    // The links tell what they open, in their own font.
    EXPECT_EQ(a.Ctl("lblSite").InfoBulle(), "Ouvrir le site web");
    EXPECT_EQ(a.Ctl("lblEmail").InfoBulle(), "Envoyer un courriel");
    EXPECT_EQ(a.Ctl("lblEmail").LirePolice().face, "Times New Roman");
    // No second load: the link takes the version caption as it stands.
    FormulaireMemoire& f = Forme(a);
    f.Memoire("lblVersion").DefinirTexte("Version 2.0.0");
    a.Email("x@y.test");
    EXPECT_EQ(Texte("lblEmail"), "x@y.test");
    const std::string lien = "mailto:x@y.test?subject=A propos de convertisseur Version 2.0.0";
    f.Memoire("lblSite").DefinirTexte("https://ailleurs.example");
    f.Memoire("lblEmail").DefinirTexte("autre@ailleurs.example");
    f.Cliquer("lblSite");
    f.Cliquer("lblEmail");
    EXPECT_EQ(systeme->ouverts, (std::vector<std::string>{kSite, lien}));
    EXPECT_TRUE(systeme->messages.empty());
    // OK unloads the form; the fields stay, a new load shows the design captions again.
    f.Cliquer("cmdOK");
    EXPECT_FALSE(a.EstChargee());
    EXPECT_EQ(a.Site(), kSite);
    EXPECT_EQ(a.LienEmail(), lien);
    EXPECT_EQ(Texte("lblSite"), "https://monvalor.example");
    EXPECT_EQ(Texte("lblVersion"), "Version 12.0.305");
    Forme(a).Cliquer("lblSite");
    EXPECT_EQ(systeme->ouverts.back(), kSite);
    // Closed from the title bar, then loaded without a copyright: no trailing space.
    Forme(a).FermerParLaBarreDeTitre();
    Plateforme().application.copyright.clear();
    EXPECT_EQ(Texte("lblTitle"), "Monvalor");
}

TEST_F(APropos, GetKeyValueReadsTextsAndNumbers) {
    // What it is, the value's type and bytes, the result, the text then.
    const std::tuple<const char*, std::uint32_t, std::string, bool, std::string> cas[] = {
        {"text with its NUL", 1, "C:\\Outils\\msinfo32.exe\0"s, true, "C:\\Outils\\msinfo32.exe"},
        {"text stored without NUL", 1, "abc"s, true, "abc"},
        {"only the last NUL goes", 1, "a\0b\0\0"s, true, "a\0b\0"s},
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
    // Another root, a failing registry: quietly "" and false.
    for (const bool panne : {false, true}) {
        registre->enPanne = panne;
        std::string valeur = "avant";
        EXPECT_FALSE(a.GetKeyValue(panne ? RacineMachineLocale : 0x80000001, "SOFTWARE\\Essai",
                                   "Valeur", valeur));
        EXPECT_EQ(valeur, "");
    }
}

TEST_F(APropos, SysInfoStartsTheRecordedToolOrSaysItIsMissing) {
    const std::string message(MessageInfosSystemeIndisponibles);
    const std::string outil = dossier.Fichier("outil-infos"),
                      dossierAvec = dossier.Chemin().string();
    EcrireFichier(outil, "#!/bin/sh\n");
    EcrireFichier(dossier.Chemin() / "MSINFO32.EXE", "MZ");
    const struct {
        const char* nom;
        std::optional<std::string> path, dossier; // the "PATH" and "MSINFO" values, with their NUL
        std::string lance;                        // "" for none
        bool message;
    } cas[] = {
        {"PATH names an existing tool", outil + '\0', std::nullopt, outil, false},
        {"PATH wins even when its file is missing", "/nulle/part/msinfo32\0"s, dossierAvec + '\0',
         "/nulle/part/msinfo32", true},
        {"the folder holds MSINFO32.EXE", std::nullopt, dossierAvec + '\0',
         JoindreChemin(dossierAvec, "MSINFO32.EXE"), false},
        {"the folder lacks MSINFO32.EXE", std::nullopt, "/nulle/part\0"s, "", true},
        {"a name cut by a NUL is not started", outil + '\0' + "x\0"s, std::nullopt, "", true},
        {"nothing recorded", std::nullopt, std::nullopt, "", true},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        registre->valeurs.clear();
        registre->Poser(CleInfosSysteme, "PATH", RegTexte, c.path);
        registre->Poser(CleEmplacementOutils, "MSINFO", RegTexte, c.dossier);
        *systeme = SystemeEspion();
        Forme(frmAbout::Defaut()).Cliquer("cmdSysInfo");
        using Lances = decltype(systeme->lances);
        EXPECT_EQ(systeme->lances, (c.lance.empty() ? Lances{} : Lances{{c.lance, 1}}));
        EXPECT_EQ(!systeme->messages.empty(), c.message);
    }
    // The message as the language files give it.
    EcrireFichier(dossier.Chemin() / "Monvalor.lng", "[frmAbout]\r\n" + message + "=No info\r\n");
    systeme->messages.clear();
    frmAbout::Defaut().StartSysInfo();
    EXPECT_EQ(systeme->messages, (std::vector<MessageVu>{{"No info", MsgOK, ""}}));
}
