#include "about/frmAbout.h"

#include "about/CleMaj.h"
#include "about/frmSock.h"
#include "http/Transfert.h"
#include "localisation/Traducteur.h"
#include "services/Services.h"
#include "support/Erreur.h"
#include "support/Fichier.h"
#include "support/Fichiers.h"
#include "support/TexteSource.h"
#include "support/clsB64.h"

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

namespace monvalor {

const std::string_view MessageInfosSystemeIndisponibles =
    u8"Les informations système ne sont pas disponibles actuellement"_ansi;

namespace {

// The look-up reads into a buffer of this size; a longer value does not come back at all.
constexpr std::size_t kTailleTampon = 1024;
// A normal window that takes the focus.
constexpr int kFenetreNormaleActive = 1;

} // namespace

frmAbout::frmAbout() : Fenetre(ConceptionAbout) {}

void frmAbout::Form_Load() {
    const InfosApplication& app = Plateforme().application;
    Vue().DefinirLegende(std::string(u8"À propos de "_ansi) + app.titre);
    Ctl("lblVersion")
        .DefinirTexte("Version " + std::to_string(app.versionMajeure) + "." +
                      std::to_string(app.versionMineure) + "." +
                      std::to_string(app.versionRevision));
    Ctl("lblTitle")
        .DefinirTexte(app.copyright.empty() ? app.titre : app.titre + " " + app.copyright);
    Ctl("lblDescription").DefinirTexte(app.description);
}

void frmAbout::Gerer(std::string_view controle, int, Evenement evenement) {
    if (evenement != Evenement::Click) {
        return;
    }
    if (controle == "cmdOK") {
        cmdOK_Click();
    } else if (controle == "cmdSysInfo") {
        cmdSysInfo_Click();
    } else if (controle == "cmdVersion") {
        cmdVersion_Click();
    } else if (controle == "lblSite") {
        lblSite_Click();
    } else if (controle == "lblEmail") {
        lblEmail_Click();
    }
}

void frmAbout::Site(const std::string& pSite) {
    Ctl("lblSite").DefinirTexte(pSite);
    site_ = pSite;
}

void frmAbout::Email(const std::string& pEmail) {
    // Left unescaped on purpose: the mail program receives the subject as written.
    LienEmail_ = "mailto:" + pEmail + "?subject=A propos de " + Plateforme().application.nomExe +
                 " " + Ctl("lblVersion").Texte();
    Ctl("lblEmail").DefinirTexte(pEmail);
}

void frmAbout::Afficher(Fenetre& frm) {
    TraduireFormulaire(*this);
    MontrerModal(&frm);
}

bool frmAbout::GetKeyValue(std::uintptr_t KeyRoot, const std::string& KeyName,
                           const std::string& SubKeyRef, std::string& KeyVal) {
    std::optional<ValeurRegistre> valeur;
    try {
        valeur = Plateforme().registre->LireValeur(KeyRoot, KeyName, SubKeyRef);
    } catch (...) {
        valeur.reset();
    }
    if (!valeur || valeur->octets.size() > kTailleTampon) {
        KeyVal.clear();
        return false;
    }
    std::string_view octets = valeur->octets;
    if (!octets.empty() && octets.back() == '\0') {
        octets.remove_suffix(1);
    }
    if (valeur->type == RegTexte) {
        KeyVal.assign(octets);
    } else if (valeur->type == RegEntier32) {
        // A number whose high bytes are zero may have lost its last byte with the NUL above:
        // the buffer it was read into was zero-filled, so missing bytes count as zero.
        std::uint32_t n = 0;
        for (std::size_t i = 0; i < 4 && i < octets.size(); ++i) {
            n |= static_cast<std::uint32_t>(static_cast<unsigned char>(octets[i])) << (8 * i);
        }
        KeyVal = std::to_string(static_cast<std::int32_t>(n));
    }
    return true;
}

void frmAbout::StartSysInfo() {
    bool lance = false;
    try {
        // The recorded path is taken as it is: whether it exists is for the start to find out.
        std::string programme;
        if (!GetKeyValue(RacineMachineLocale, CleInfosSysteme, "PATH", programme)) {
            std::string dossier;
            if (GetKeyValue(RacineMachineLocale, CleEmplacementOutils, "MSINFO", dossier)) {
                // Joined with the platform's separator ("\MSINFO32.EXE" on Windows), one
                // separator whether or not the folder ends with one.
                const std::string msinfo = JoindreChemin(dossier, "MSINFO32.EXE");
                if (FichierExiste(msinfo)) {
                    programme = msinfo;
                }
            }
        }
        // A name cut short by a NUL would start some other program than the one recorded.
        if (!programme.empty() && programme.find('\0') == std::string::npos) {
            Plateforme().systeme->Lancer(programme, kFenetreNormaleActive);
            lance = true;
        }
    } catch (...) {
        lance = false;
    }
    if (!lance) {
        Plateforme().boiteMessage->Afficher(Traduire("frmAbout", MessageInfosSystemeIndisponibles),
                                            MsgOK, std::string());
    }
}

void frmAbout::cmdOK_Click() {
    Decharger();
}

void frmAbout::cmdSysInfo_Click() {
    StartSysInfo();
}

void frmAbout::cmdVersion_Click() {
    Maj(true);
}

bool VersionPlusRecente(std::string_view annoncee, int majeure, int mineure, int revision) {
    constexpr std::string_view kMot = "Version ";
    if (!annoncee.starts_with(kMot)) {
        return false;
    }
    annoncee.remove_prefix(kMot.size());
    std::vector<long long> nombres;
    while (true) {
        long long n = 0;
        const auto [fin, erreur] =
            std::from_chars(annoncee.data(), annoncee.data() + annoncee.size(), n);
        if (erreur != std::errc() || fin == annoncee.data() || n < 0) {
            return false;
        }
        nombres.push_back(n);
        annoncee.remove_prefix(static_cast<std::size_t>(fin - annoncee.data()));
        if (annoncee.empty()) {
            break;
        }
        if (annoncee.front() != '.') {
            return false;
        }
        annoncee.remove_prefix(1);
    }
    const long long nous[] = {majeure, mineure, revision};
    for (std::size_t i = 0; i < std::max<std::size_t>(nombres.size(), 3); ++i) {
        const long long a = i < nombres.size() ? nombres[i] : 0;
        const long long b = i < 3 ? nous[i] : 0;
        if (a != b) {
            return a > b;
        }
    }
    return false;
}

std::string CheminMiseAJour() {
    const InfosApplication& app = Plateforme().application;
    const std::string nom = app.titre + "Update" + std::string(systeme::SuffixeProgramme());
    if (systeme::Inscriptible(CheminSysteme(app.repertoire))) {
        return JoindreChemin(app.repertoire, nom);
    }
    return JoindreChemin(RepertoireWindows(), nom);
}

void frmAbout::PasDeMiseAJour(bool pbMsg) {
    if (pbMsg) {
        Plateforme().boiteMessage->Afficher(Traduire("frmAbout", u8"Pas de mise à jour"_ansi),
                                            MsgOK | MsgInformation, std::string());
    }
}

void frmAbout::Maj(bool pbMsg) {
    // A second click while the first check waits on the network starts nothing more.
    if (majEnCours_) {
        return;
    }
    majEnCours_ = true;
    struct Fin {
        bool& drapeau;
        ~Fin() { drapeau = false; }
    } fin{majEnCours_};
    try {
        frmSock& sock = frmSock::Defaut();
        Fichier lecteur;
        lecteur.NomLong(frmSock::FichierDefaut());
        sock.Url = site_ + "/version.txt";
        sock.LitHTTP();
        lecteur.Charger(0, 0, true);
        const IListe& lignes = *lecteur.Data();
        const InfosApplication& app = Plateforme().application;
        if (lignes.Count() < 3 || !VersionPlusRecente(lignes.Item(1).Texte(), app.versionMajeure,
                                                      app.versionMineure, app.versionRevision)) {
            PasDeMiseAJour(pbMsg);
            return;
        }
        std::string message;
        for (std::int32_t i = 3; i <= lignes.Count(); ++i) {
            message += lignes.Item(i).Texte() + "\r\n";
        }
        if (Plateforme().boiteMessage->Afficher(message, MsgOuiNon | MsgInformation,
                                                std::string()) != RepOui) {
            return;
        }
        const std::string adresse = lignes.Item(2).Texte();
        const std::string ancien = sock.NomFichier;
        sock.NomFichier = CheminMiseAJour();
        sock.Url = adresse;
        try {
            sock.Afficher(*this);
        } catch (...) {
            sock.NomFichier = ancien;
            throw;
        }
        sock.NomFichier = ancien;
        if (!sock.Annule) {
            LancerMiseAJour(adresse, CheminMiseAJour());
        }
    } catch (const Erreur& e) {
        Plateforme().boiteMessage->Afficher(e.Description(), MsgExclamation, std::string());
    }
}

void frmAbout::LancerMiseAJour(const std::string& adresse, const std::string& chemin) {
    // The key: the built-in one, or the one an organisation signs its own updates with.
    std::string cle(CleMiseAJour);
    if (const char* fichier = std::getenv("MONVALOR_CLE_MAJ"); fichier && *fichier) {
        std::ifstream f(fichier, std::ios::binary);
        cle.assign(std::istreambuf_iterator<char>(f), {});
    }
    std::string texte = Plateforme().transferts()->OpenURL(adresse + ".sig");
    std::erase_if(texte, [](char c) { return c == '\r' || c == '\n' || c == ' ' || c == '\t'; });
    clsB64 b64;
    b64.Init();
    clsB64::Octets base64, der;
    b64.StrToAry(texte, base64);
    std::string signature;
    try {
        b64.Decode(base64, der);
        b64.AryToStr(der, signature);
    } catch (const Erreur&) {
        signature.clear();
    }
    std::string programme;
    {
        // Closed before anything else: Windows deletes no file that is still open.
        std::ifstream f(CheminSysteme(chemin), std::ios::binary);
        programme.assign(std::istreambuf_iterator<char>(f), {});
    }
    if (!Plateforme().signature(programme, signature, cle)) {
        // Never left where a later start could take it for a genuine one.
        std::error_code ignore;
        std::filesystem::remove(CheminSysteme(chemin), ignore);
        throw Erreur(ErrAccesChemin,
                     std::string(u8"La mise à jour reçue ne porte pas une signature valable : "
                                 u8"elle n'est pas lancée."_ansi));
    }
    Plateforme().systeme->Lancer(chemin, 0);
    Plateforme().systeme->Terminer(0);
}

void frmAbout::lblSite_Click() {
    OuvrirDocument(site_);
}

void frmAbout::lblEmail_Click() {
    OuvrirDocument(LienEmail_);
}

} // namespace monvalor
