#include "about/frmAbout.h"

#include "localisation/Traducteur.h"
#include "platform/Services.h"
#include "support/Erreur.h"
#include "support/Fichiers.h"
#include "support/TexteSource.h"

#include <optional>

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
    // The update check comes with the download window.
}

void frmAbout::lblSite_Click() {
    OuvrirDocument(site_);
}

void frmAbout::lblEmail_Click() {
    OuvrirDocument(LienEmail_);
}

} // namespace monvalor
