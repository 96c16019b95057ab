// The services of the window toolkit and the runtime that the core calls, as small interfaces.
// The Qt program installs real implementations at start; tests install doubles and put the
// defaults back with ReinitialiserServices(). Texts are Windows-1252 bytes, as everywhere in
// the core; the implementations convert at their edge.
#pragma once

#include "services/NumerosFichiers.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace monvalor {

// The system clipboard.
class IPressePapier {
public:
    virtual ~IPressePapier() = default;
    // The clipboard's plain text: "" when it holds no text, nullopt when it cannot be read.
    // A character Windows-1252 cannot hold comes back as OctetAnsiApproche gives it: the blanks
    // of number formatting as the no-break space, anything else as '?'.
    virtual std::optional<std::string> LireTexte() = 0;
    // Replaces the clipboard's content by the text; throws Erreur when it cannot.
    virtual void EcrireTexte(const std::string& texte) = 0;
    // Empties the clipboard (all formats); throws Erreur when it cannot.
    virtual void Vider() = 0;
    // False when the clipboard surely still holds what the last complete read gave, so that
    // nothing needs reading; a clipboard that cannot tell says true.
    virtual bool PeutAvoirChange() { return true; }
    // Asks to be told, later and from the event loop, when the clipboard's content changes;
    // a clipboard that cannot tell never calls.
    virtual void SurChangement(std::function<void()> rappel) { (void)rappel; }
};

// Message boxes. Style and answer values follow the classic constants below.
enum StyleMessage : int {
    MsgOK = 0,
    MsgOuiNon = 4,
    MsgCritique = 16,
    MsgQuestion = 32,
    MsgExclamation = 48,
    MsgInformation = 64,
};
enum ReponseMessage : int { RepOK = 1, RepAnnuler = 2, RepOui = 6, RepNon = 7 };

class IBoiteMessage {
public:
    virtual ~IBoiteMessage() = default;
    // Shows the text; an empty title means the application title. Returns the button pressed.
    virtual int Afficher(const std::string& texte, int style, const std::string& titre) = 0;
};

// What the runtime knows of the program itself.
struct InfosApplication {
    std::string titre = "Monvalor";
    std::string repertoire = ".";    // folder of the program file, no trailing separator
    std::string nomExe = "monvalor"; // program file name without extension
    int versionMajeure = 0;
    int versionMineure = 0;
    int versionRevision = 0;
    std::string description;
    std::string copyright;
    // The system's shared data folder the program was built to be installed with
    // ("/usr/share"), where its language files lie under "monvalor/lang/<language>"; "" when
    // there is none.
    std::string repertoireDonneesInstallees;
};

// Runs programs, opens documents, ends the program.
class ISysteme {
public:
    virtual ~ISysteme() = default;
    // Opens a document or an address with the desktop's handler: above 32 on success,
    // 32 or less on failure.
    virtual long OuvrirDocument(const std::string& chemin, const std::string& operation) = 0;
    // Starts a program and returns at once; throws Erreur when it cannot be started.
    virtual void Lancer(const std::string& commande, int styleFenetre) = 0;
    // Starts, hidden, exactly the bytes of the file `chemin` that `verifier` accepted: the file
    // is opened once, read whole and handed to `verifier`, and what starts is that open file,
    // so that nothing written at the path in between can run. Where programs start by name
    // (Windows) the verified file is moved to `nomFinal` first, still held against changes.
    // False, the file removed, when `verifier` refuses; Erreur when it cannot be read or
    // started (the file removed too).
    virtual bool LancerVerifie(const std::string& chemin, const std::string& nomFinal,
                               const std::function<bool(std::string_view octets)>& verifier) = 0;
    // Ends the program at once; no further handler runs. Never returns in the real program.
    virtual void Terminer(int code) = 0;
    // Per-user data folder of the program (created when missing), and the system's program
    // folder.
    virtual std::string RepertoireDonnees() = 0;
    virtual std::string RepertoireSysteme() = 0;
};

// The per-user settings store: text values addressed by application, section and key.
class IMagasinReglages {
public:
    virtual ~IMagasinReglages() = default;
    virtual std::optional<std::string> Lire(const std::string& application,
                                            const std::string& section, const std::string& cle) = 0;
    virtual void Ecrire(const std::string& application, const std::string& section,
                        const std::string& cle, const std::string& valeur) = 0;
    virtual void Supprimer(const std::string& application, const std::string& section,
                           const std::string& cle) = 0;
};

// Registry look-ups. Linux has no registry: the real one fails every look-up except the
// path of the system information tool.
//
// Root keys and value types keep their Windows numbers, so that a Windows realisation passes
// them straight through.
inline constexpr std::uintptr_t RacineMachineLocale = 0x80000002; // HKEY_LOCAL_MACHINE
inline constexpr std::uint32_t RegTexte = 1;                      // REG_SZ
inline constexpr std::uint32_t RegEntier32 = 4;                   // REG_DWORD, little-endian
// Where Windows records its system information tool: the value "PATH" holds its full path;
// failing that, the value "MSINFO" of the second key holds the folder of MSINFO32.EXE.
inline constexpr const char* CleInfosSysteme = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr const char* CleEmplacementOutils = "SOFTWARE\\Microsoft\\Shared Tools Location";

// A value as the registry stores it: its type and its bytes, a text's terminating NUL
// included when the writer stored one.
struct ValeurRegistre {
    std::uint32_t type = 0;
    std::string octets;
};

class IRegistre {
public:
    virtual ~IRegistre() = default;
    // The value named nomValeur in the sub-key cle of the root key, or nullopt when the key
    // cannot be opened or holds no such value.
    virtual std::optional<ValeurRegistre> LireValeur(std::uintptr_t racine, const std::string& cle,
                                                     const std::string& nomValeur) = 0;
};

// The drives and folders that the folder chooser shows. Paths are Windows-1252 texts in the
// system's own syntax.
enum class GenreVolume { Systeme, Personnel, Disque, Amovible, Reseau };

struct Volume {
    std::string racine; // the drive's root: "/", a mount point, "C:\"
    std::string nom;    // what the user knows it by; may be ""
    GenreVolume genre = GenreVolume::Disque;
    bool operator==(const Volume&) const = default;
};

class IVolumes {
public:
    virtual ~IVolumes() = default;
    // The drives a user would pick, in the order to show them.
    virtual std::vector<Volume> Lecteurs() = 0;
    // Where the lists start when nobody gave them a folder.
    virtual std::string RepertoireCourant() = 0;
    virtual bool EstAbsolu(const std::string& chemin) = 0;
    // The absolute, tidied form of a typed path; a relative one is taken from `base`.
    virtual std::string Resoudre(const std::string& base, const std::string& texte) = 0;
    // The names of the folder's sub-folders that a user would pick, in no order. Throws Erreur
    // when the folder cannot be read: 68 on a drive that is not ready, 76 for a folder that is
    // not there, 70 when access is refused; the description says which and why.
    virtual std::vector<std::string> SousDossiers(const std::string& dossier) = 0;
};

// The platform's standard file dialog. It takes and gives back one record, laid out as the
// Windows one (OPENFILENAMEA) so that the Windows face passes it straight through; texts are
// Windows-1252 and the buffers are NUL-padded strings of their full size.
struct FicheDialogueFichier {
    std::uintptr_t hwndOwner = 0;
    // Descriptions and patterns, each ended by a NUL, the list by a second NUL.
    std::string lpstrFilter;
    std::uint32_t nFilterIndex = 0; // 1-based pair shown first, then the pair chosen
    // The proposed name, then the chosen path (or, for several files, the folder and each
    // name, NUL after each and one more at the end); nMaxFile counts the terminating NUL.
    std::string lpstrFile;
    std::uint32_t nMaxFile = 0;
    std::string lpstrFileTitle; // the chosen file's name without its folder
    std::uint32_t nMaxFileTitle = 0;
    std::string lpstrInitialDir;
    std::string lpstrTitle;
    std::uint32_t Flags = 0;
    std::uint16_t nFileOffset = 0;    // where the name starts in lpstrFile
    std::uint16_t nFileExtension = 0; // where its extension starts, after the dot; 0: none
    std::string lpstrDefExt;
};

// The option bits of the record that this program's dialogs act on, with their Windows values;
// every other bit travels through unchanged.
inline constexpr std::uint32_t OfnLectureSeule = 0x1;          // OFN_READONLY: the box is ticked
inline constexpr std::uint32_t OfnConfirmerEcrasement = 0x2;   // OFN_OVERWRITEPROMPT
inline constexpr std::uint32_t OfnCacherLectureSeule = 0x4;    // OFN_HIDEREADONLY
inline constexpr std::uint32_t OfnSelectionMultiple = 0x200;   // OFN_ALLOWMULTISELECT
inline constexpr std::uint32_t OfnExtensionDifferente = 0x400; // OFN_EXTENSIONDIFFERENT
inline constexpr std::uint32_t OfnCheminExistant = 0x800;      // OFN_PATHMUSTEXIST
inline constexpr std::uint32_t OfnFichierExistant = 0x1000;    // OFN_FILEMUSTEXIST
inline constexpr std::uint32_t OfnProposerCreation = 0x2000;   // OFN_CREATEPROMPT

enum class ModeDialogueFichier { Ouvrir, Enregistrer };

class IDialogueFichier {
public:
    virtual ~IDialogueFichier() = default;
    // Shows the dialog modally. True when the user chose a file, the record then holding the
    // answer; false when the user gave up or the dialog failed, the record then meaning nothing.
    virtual bool Afficher(FicheDialogueFichier& fiche, ModeDialogueFichier mode) = 0;
};

class IFabriqueFormulaires;
class ITransfert;

struct Services {
    // The toolkit face that builds the windows' forms.
    std::shared_ptr<IFabriqueFormulaires> formulaires;
    std::shared_ptr<IPressePapier> pressePapier;
    std::shared_ptr<IBoiteMessage> boiteMessage;
    std::shared_ptr<ISysteme> systeme;
    std::shared_ptr<IMagasinReglages> reglages;
    std::shared_ptr<IRegistre> registre;
    std::shared_ptr<IVolumes> volumes;
    std::shared_ptr<IDialogueFichier> dialogueFichier;
    // Whether a DER signature of the bytes verifies with the public key (PEM): ECDSA P-256 /
    // SHA-256, with the system's cryptography.
    std::function<bool(std::string_view octets, std::string_view signature,
                       std::string_view clePem)>
        signature;
    // The SHA-256 digest of the bytes (32 bytes), with the system's cryptography.
    std::function<std::string(std::string_view octets)> empreinte;
    // Seconds on a monotonic clock: durations, never the time of day.
    std::function<double()> horloge;
    // The value of one of the process's environment variables, as the system's bytes; "" when
    // it is not set.
    std::function<std::string(const char* nom)> environnement;
    // Makes the HTTP transfer control of each download window that loads.
    std::function<std::unique_ptr<ITransfert>()> transferts;
    InfosApplication application;
    // The file numbers open in this run.
    NumerosFichiers numerosFichiers;
    // True when another copy of the program was already running at start.
    bool instancePrecedente = false;
};

// The services in force. Never null members: each defaults to an inert implementation
// (forms in memory, empty clipboard, silent message box answering OK, in-memory settings
// store, empty registry, no drive, a file dialog that is always cancelled, transfers that
// always fail, no signature ever valid, no digest, no environment variable set).
Services& Plateforme();
// Puts the inert defaults back, with no file number open (tests).
void ReinitialiserServices();

} // namespace monvalor
