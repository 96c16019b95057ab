// The update check over the transfer double: the signed announcement, the question, the
// download, the two checks of the updater, and every way it stops without starting anything.
#include "about/Annonce.h"
#include "services/FichiersSysteme.h"
#include "services/Signature.h"
#include "support/Ansi.h"
#include "support/Chaines.h"

#include "Doubles.h"

using namespace monvalor;
using namespace monvalor::test;

namespace {

const std::string kSite = "https://monvalor.example";
const std::string kUpdater = "https://monvalor.example/1.4.0/MonvalorUpdate";
const std::string kProgramme = "#!/bin/sh\necho 1.4.0\n";

std::string Hex(std::string_view octets) {
    std::string texte;
    for (unsigned char c : octets) {
        texte += "0123456789abcdef"[c >> 4];
        texte += "0123456789abcdef"[c & 15];
    }
    return texte;
}

std::string Texte(std::string_view utf8) {
    return Utf8VersAnsi(utf8).value();
}

class MiseAJour : public AvecDoubles {
protected:
    void SetUp() override {
        AvecDoubles::SetUp();
        InfosApplication& app = Plateforme().application;
        std::tie(app.versionMajeure, app.versionMineure, app.versionRevision) = std::tuple(1, 3, 1);
        // A signature is "SIG" and the signed bytes, from the built-in key.
        Plateforme().signature = [](std::string_view octets, std::string_view sig,
                                    std::string_view cle) {
            return cle.find("BEGIN PUBLIC KEY") != std::string_view::npos &&
                   sig == "SIG" + std::string(octets);
        };
        Plateforme().empreinte = Sha256;
        auto fabrique = std::make_shared<FabriqueMemoire>();
        fabrique->pendantModal = [this](FormulaireMemoire& f) {
            if (f.Conception().nom == "frmSock" && pendant) {
                pendant();
            }
        };
        Plateforme().formulaires = fabrique;
        frmAbout::Defaut().Site(kSite);
        pendant = [this] { Recevoir(kProgramme); };
    }
    static std::string Adresse() { return kSite + "/" + std::string(systeme::AnnonceMiseAJour()); }
    static std::string Annoncer(const std::string& version,
                                std::string_view programme = kProgramme) {
        return "Version " + version + "\r\n" + kUpdater + "#sha256=" + Hex(Sha256(programme)) +
               "\r\nUne version plus rapide.\r\nVoulez-vous l'installer ?\r\n";
    }
    // The site's announcement with its signature, and the updater's signature.
    void Publier(const std::string& annonce, const std::string& signature = "",
                 const std::string& programme = kProgramme) {
        pages[Adresse()] = annonce;
        pages[Adresse() + ".sig"] = EncodeB64(signature.empty() ? "SIG" + annonce : signature);
        pages[kUpdater + ".sig"] = EncodeB64("SIG" + programme) + "\n";
    }
    void Recevoir(const std::string& octets) {
        transfert->Arriver(octets);
        transfert->Etat(EtatReponseComplete);
    }
    std::vector<std::string> Messages() { return systeme->Textes(); }
    std::vector<std::string> Fichiers() {
        std::vector<std::string> noms;
        for (const auto& e : std::filesystem::directory_iterator(dossier.Chemin())) {
            noms.push_back(e.path().filename().string());
        }
        return noms;
    }
    std::function<void()> pendant;
};

} // namespace

TEST(Versions, NumbersCompareOneByOneAndAnythingElseIsNeverNewer) {
    const std::pair<const char*, bool> cas[] = {
        {"Version 1.3.10", true},  {"Version 1.10.0", true},
        {"Version 1.4.0", true},   {"Version 2", true},
        {"Version 1.3.1.1", true}, {"Version 1.3.1", false},
        {"Version 1.3", false},    {"Version 1.2.99", false},
        {"version 9.0.0", false},  {"Version 1.a", false},
        {"Version ", false},       {"Version 1..4", false},
        {"Version 1.4.", false},   {"Version -2", false},
        {"Version 1.4.0 ", false}, {"Version 99999999999999999999", false},
        {"Version 2.-1", false},   {"Version 1,4,0", false},
    };
    for (const auto& [texte, plusRecente] : cas) {
        EXPECT_EQ(VersionPlusRecente(texte, 1, 3, 1), plusRecente) << texte;
    }
}

TEST(Annonces, TheUpdaterIsNamedWithItsDigestAndTheMessageFollows) {
    const std::string hex(64, 'a'), octets(32, '\xaa');
    const std::string adresse = "https://a.example/M.exe";
    const struct {
        std::string texte;
        std::optional<std::string> message; // nullopt: not an announcement
    } cas[] = {
        {"Version 2\r\n" + adresse + "#sha256=" + hex + "\r\nA\r\nB\r\n", "A\r\nB\r\n"},
        {"Version 2\r\n" + adresse + "#sha256=" + std::string(64, 'A') + "\r\nA", "A\r\n"},
        {"Version 2\r\n" + adresse + "#sha256=" + hex + "\r\n\r\n\r\n", "\r\n\r\n"},
        {"Version 2\r\n" + adresse + "#sha256=" + hex + "\r\n", std::nullopt},
        {"Version 2\r\n" + adresse + "\r\nA", std::nullopt},
        {"Version 2\r\nhttp://a.example/M.exe#sha256=" + hex + "\r\nA", std::nullopt},
        {"Version 2\r\n" + adresse + "#sha256=" + hex.substr(1) + "\r\nA", std::nullopt},
        {"Version 2\r\n" + adresse + "#sha256=" + hex + " \r\nA", std::nullopt},
        {"Version 2\r\n" + adresse + "#sha256=" + hex.substr(1) + "g\r\nA", std::nullopt},
        {"Version 2\n" + adresse + "#sha256=" + hex + "\nA", std::nullopt},
        {"Version 2\r\n" + adresse + "#sha256=" + hex + "\r\n" + std::string(MaxAnnonce, 'x'),
         std::nullopt},
    };
    for (const auto& c : cas) {
        const std::optional<Annonce> a = LireAnnonce(c.texte);
        ASSERT_EQ(a.has_value(), c.message.has_value()) << c.texte.substr(0, 120);
        if (a) {
            EXPECT_EQ(std::tuple(a->version, a->adresse, a->empreinte, a->message),
                      std::tuple(std::string("Version 2"), adresse, octets, *c.message));
        }
    }
}

TEST_F(MiseAJour, OnlyANewerSignedAnnouncementIsOfferedAndNoMeansNothingIsFetched) {
    const std::string pas = Texte("Pas de mise à jour");
    const std::string refusee =
        Texte("L'annonce de mise à jour ne porte pas une signature valable : elle est ignorée.");
    const struct {
        std::string annonce, signature;
        std::vector<std::string> messages;
    } cas[] = {
        {Annoncer("1.3.1"), "", {pas}},
        {Annoncer("1.3.0"), "", {pas}},
        {"Version 1.4.0\r\n" + kUpdater + "\r\nsans empreinte\r\n", "", {pas}},
        {Annoncer("1.4.0"), "SIG" + Annoncer("1.4.1"), {refusee}},
        {Annoncer("1.4.0"), "pas du base64 !", {refusee}},
        {Annoncer("1.4.0"), "", {"Une version plus rapide.\r\nVoulez-vous l'installer ?\r\n"}},
    };
    for (const auto& c : cas) {
        systeme->messages.clear();
        Publier(c.annonce, c.signature);
        systeme->reponses = {RepNon};
        frmAbout::Defaut().Maj(true);
        EXPECT_EQ(Messages(), c.messages) << c.annonce;
        EXPECT_EQ(transfert->demandes.back(), Adresse()) << "nothing downloaded";
    }
    EXPECT_TRUE(systeme->lances.empty());
}

TEST_F(MiseAJour, AFailedFetchNeverFallsBackToTheCopyOfAnEarlierCheck) {
    Publier(Annoncer("1.4.0"));
    // An earlier check left a genuine announcement; today the site cannot be reached.
    EcrireFichier(CheminSysteme(frmSock::FichierDefaut()), Annoncer("1.4.0") + "\r\n");
    transfert = nullptr;
    frmSock::Defaut().Charger();
    transfert->raison = Texte("Le serveur ne répond pas");
    frmAbout::Defaut().Maj(true);
    EXPECT_EQ(Messages(), std::vector<std::string>{transfert->raison});
    EXPECT_FALSE(FichierExiste(frmSock::FichierDefaut()));
}

TEST_F(MiseAJour, OuiStartsExactlyTheAnnouncedSignedBytesThenEnds) {
    Publier(Annoncer("1.4.0"));
    systeme->reponses = {RepOui};
    frmAbout::Defaut().Maj(true);
    EXPECT_EQ(std::tuple(systeme->lances, systeme->octetsLances, systeme->fins),
              std::tuple(std::vector<std::pair<std::string, int>>{{CheminMiseAJour(), 0}},
                         std::vector<std::string>{kProgramme}, std::vector<int>{0}));
    EXPECT_EQ(transfert->demandes.back(), kUpdater);
    EXPECT_EQ(frmSock::Defaut().NomFichier, frmSock::FichierDefaut());
    EXPECT_EQ(Fichiers(), std::vector<std::string>{"QUIVSock.dat"}) << "nothing else left";
}

TEST_F(MiseAJour, AnUpdaterThatIsNotTheAnnouncedSignedOneIsNeverStartedNorKept) {
    const std::string autre = "#!/bin/sh\necho 1.2.0\n";
    const std::string refus =
        Texte("La mise à jour reçue n'est pas celle que le site a annoncée et signée : elle "
              "n'est pas lancée.");
    const struct {
        std::string nom, recu, signatureDe;
        std::string message;
    } cas[] = {
        // An older updater, genuinely signed, behind a newer announcement.
        {"rollback", autre, autre, refus},
        {"altered after signing", kProgramme + "x", kProgramme + "x", refus},
        {"right bytes, wrong signature", kProgramme, autre, refus},
        {"cut", "#!/bin/", kProgramme, Texte("La connexion a été coupée avant la fin")},
    };
    for (const auto& c : cas) {
        systeme->messages.clear();
        Publier(Annoncer("1.4.0"), "", c.signatureDe);
        systeme->reponses = {RepOui};
        pendant = [&] {
            if (c.nom == "cut") {
                transfert->Arriver(c.recu);
                transfert->Echouer(c.message);
            } else {
                Recevoir(c.recu);
            }
        };
        frmAbout::Defaut().Maj(false);
        EXPECT_EQ(Messages().back(), c.message) << c.nom;
        EXPECT_EQ(std::tuple(systeme->lances.size(), systeme->fins.size(), Fichiers()),
                  std::tuple(0u, 0u, std::vector<std::string>{"QUIVSock.dat"}))
            << c.nom;
    }
}

TEST_F(MiseAJour, AnUnreadableKeyOrAnInstallKeptByPackagesDownloadsNothing) {
    Publier(Annoncer("1.4.0"));
    Plateforme().environnement = [this](const char*) { return dossier.Chemin().string(); };
    frmAbout::Defaut().Maj(true);
    EXPECT_EQ(Messages().back(),
              Texte("La clé des mises à jour ne peut être lue : ") + dossier.Chemin().string());

    ReinitialiserServices();
    SetUp();
    Publier(Annoncer("1.4.0"));
    Plateforme().application.repertoire = (dossier.Chemin() / "absent").string();
    systeme->reponses = {RepOui};
    frmAbout::Defaut().Maj(true);
    if (systeme::MiseAJourParPaquets(dossier.Chemin() / "absent")) {
        EXPECT_NE(Messages().back().find("Version 1.4.0"), std::string::npos);
        EXPECT_EQ(transfert->demandes.back(), Adresse()) << "nothing downloaded";
    } else {
        // Windows: the installer asks for its rights; the updater waits in the data folder.
        EXPECT_EQ(systeme->lances.at(0).first,
                  JoindreChemin(systeme->donnees, "MonvalorUpdate.exe"));
    }
}
