#include "about/frmAbout.h"

#include "about/Annonce.h"
#include "about/CleMaj.h"
#include "about/frmSock.h"
#include "http/Transfert.h"
#include "localisation/Traducteur.h"
#include "services/FichiersSysteme.h"
#include "services/Services.h"
#include "support/Erreur.h"
#include "support/Fichier.h"
#include "support/Fichiers.h"
#include "support/TexteSource.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
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

namespace {

namespace fs = std::filesystem;

// How long the silent fetches may take, and how much a signature may weigh.
constexpr std::chrono::milliseconds kDelaiSilencieux{10000};
constexpr std::size_t kMaxSignature = 4096;

// The file's bytes, or nullopt when it cannot be read or holds more than `max`.
std::optional<std::string> LireBorne(const std::string& chemin, std::size_t max) {
    std::error_code erreur;
    const fs::path natif = CheminSysteme(chemin);
    if (!fs::is_regular_file(natif, erreur)) {
        return std::nullopt;
    }
    std::ifstream f(natif, std::ios::binary);
    std::string octets(max + 1, '\0');
    f.read(octets.data(), static_cast<std::streamsize>(octets.size()));
    if (f.bad() || static_cast<std::size_t>(f.gcount()) > max) {
        return std::nullopt;
    }
    octets.resize(static_cast<std::size_t>(f.gcount()));
    return octets;
}

// The key the updates must be signed with: the built-in one, or the one an organisation signs
// its own updates with.
std::string CleDeConfiance() {
    const std::string fichier = Plateforme().environnement("MONVALOR_CLE_MAJ");
    if (fichier.empty()) {
        return std::string(CleMiseAJour);
    }
    std::optional<std::string> cle = LireBorne(fichier, 1 << 16);
    if (!cle) {
        throw Erreur(ErrAccesChemin,
                     std::string(u8"La clé des mises à jour ne peut être lue : "_ansi) + fichier);
    }
    return std::move(*cle);
}

// A name of our own beside the updater's, which nobody else's file can already hold.
std::string NomTemporaire(const std::string& chemin) {
    std::random_device alea;
    char suffixe[24];
    std::snprintf(suffixe, sizeof suffixe, ".%08x%08x.part", alea(), alea());
    return JoindreChemin(ExtraireRepertoire(chemin), "." + ExtraireNom(chemin) + suffixe);
}

} // namespace

std::string frmAbout::LireSilencieux(const std::string& adresse, std::size_t max) {
    const std::unique_ptr<ITransfert> transfert = Plateforme().transferts();
    transfert->Limiter(max, kDelaiSilencieux);
    silencieux_ = transfert.get();
    struct Fin {
        ITransfert*& t;
        ~Fin() { t = nullptr; }
    } fin{silencieux_};
    return transfert->OpenURL(adresse);
}

void frmAbout::ArreterVerification() {
    if (silencieux_) {
        silencieux_->Cancel();
    }
    frmSock::Defaut().Arreter();
}

void frmAbout::Maj(bool pbMsg) {
    // While a check waits on the network the button reads "Arrêter", and a click ends the
    // wait; a check never starts inside another, whatever asks for it.
    if (majEnCours_) {
        ArreterVerification();
        return;
    }
    majEnCours_ = true;
    const std::string legende = Ctl("cmdVersion").Texte();
    const auto arretable = [this](bool oui, const std::string& texte) {
        if (EstChargee()) {
            Ctl("cmdVersion").DefinirTexte(oui ? Traduire("frmAbout", u8"&Arrêter"_ansi) : texte);
        }
    };
    struct Fin {
        frmAbout& f;
        std::function<void()> remettre;
        ~Fin() {
            f.majEnCours_ = false;
            remettre();
        }
    } fin{*this, [&] { arretable(false, legende); }};
    try {
        arretable(true, legende);
        const std::optional<std::string> texte = LireAnnonceSignee();
        arretable(false, legende);
        if (!texte) {
            return;
        }
        const std::optional<Annonce> annonce = LireAnnonce(*texte);
        const InfosApplication& app = Plateforme().application;
        if (!annonce || !VersionPlusRecente(annonce->version, app.versionMajeure,
                                            app.versionMineure, app.versionRevision)) {
            PasDeMiseAJour(pbMsg);
            return;
        }
        if (systeme::MiseAJourParPaquets(CheminSysteme(app.repertoire))) {
            Plateforme().boiteMessage->Afficher(
                Traduire("frmAbout",
                         u8"Une nouvelle version de Monvalor est disponible. Cette installation "
                         u8"est tenue à jour par le gestionnaire de paquets du système : c'est "
                         u8"lui qui l'installera."_ansi) +
                    "\r\n\r\n" + annonce->version,
                MsgOK | MsgInformation, std::string());
            return;
        }
        if (Plateforme().boiteMessage->Afficher(annonce->message, MsgOuiNon | MsgInformation,
                                                std::string()) != RepOui) {
            return;
        }
        TelechargerEtLancer(*annonce);
    } catch (const Erreur& e) {
        Plateforme().boiteMessage->Afficher(e.Description(), MsgExclamation, std::string());
    } catch (const std::exception&) {
        Plateforme().boiteMessage->Afficher(
            Traduire("frmAbout", u8"La recherche de mise à jour a échoué."_ansi), MsgExclamation,
            std::string());
    }
}

std::optional<std::string> frmAbout::LireAnnonceSignee() {
    frmSock& sock = frmSock::Defaut();
    const std::string copie = frmSock::FichierDefaut();
    // An earlier check's copy never stands in for this one's answer.
    std::error_code erreur;
    fs::remove(CheminSysteme(copie), erreur);
    if (FichierExiste(copie)) {
        throw Erreur(ErrAccesChemin);
    }
    const std::string adresse = site_ + "/" + std::string(systeme::AnnonceMiseAJour());
    sock.Url = adresse;
    sock.LitHTTP();
    // No copy: the download window has said why. The copy ends with the CR LF it added.
    if (!FichierExiste(copie)) {
        return std::nullopt;
    }
    std::optional<std::string> texte = LireBorne(copie, MaxAnnonce + 2);
    if (!texte || !texte->ends_with("\r\n")) {
        throw Erreur(ErrAccesChemin,
                     std::string(u8"L'annonce de mise à jour du site n'est pas lisible."_ansi));
    }
    texte->resize(texte->size() - 2);
    const std::string signature = DecoderSignature(LireSilencieux(adresse + ".sig", kMaxSignature));
    if (!Plateforme().signature(*texte, signature, CleDeConfiance())) {
        throw Erreur(ErrAccesChemin,
                     std::string(u8"L'annonce de mise à jour ne porte pas une signature valable : "
                                 u8"elle est ignorée."_ansi));
    }
    return texte;
}

void frmAbout::TelechargerEtLancer(const Annonce& annonce) {
    frmSock& sock = frmSock::Defaut();
    const std::string final = CheminMiseAJour();
    const std::string temporaire = NomTemporaire(final);
    // Whatever happens, nothing that did not verify stays on the disk.
    struct Nettoyage {
        fs::path chemin;
        ~Nettoyage() {
            std::error_code ignore;
            fs::remove(chemin, ignore);
        }
    } nettoyage{CheminSysteme(temporaire)};
    const std::string ancien = sock.NomFichier;
    sock.NomFichier = temporaire;
    sock.Url = annonce.adresse;
    try {
        sock.Afficher(*this);
    } catch (...) {
        sock.NomFichier = ancien;
        throw;
    }
    sock.NomFichier = ancien;
    if (sock.Annule) {
        return; // stopped, or failed and told by the download window
    }
    const std::string signature =
        DecoderSignature(LireSilencieux(annonce.adresse + ".sig", kMaxSignature));
    const std::string cle = CleDeConfiance();
    const auto verifier = [&](std::string_view octets) {
        return Plateforme().empreinte(octets) == annonce.empreinte &&
               Plateforme().signature(octets, signature, cle);
    };
    if (!Plateforme().systeme->LancerVerifie(temporaire, final, verifier)) {
        throw Erreur(ErrAccesChemin,
                     std::string(u8"La mise à jour reçue n'est pas celle que le site a annoncée "
                                 u8"et signée : elle n'est pas lancée."_ansi));
    }
    Plateforme().systeme->Terminer(0);
}

void frmAbout::Form_QueryUnload() {
    // A check waiting on the network ends with the window.
    ArreterVerification();
}

void frmAbout::lblSite_Click() {
    OuvrirDocument(site_);
}

void frmAbout::lblEmail_Click() {
    OuvrirDocument(LienEmail_);
}

} // namespace monvalor
