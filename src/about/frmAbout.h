// The About window: title, version and description, the product's web and mail links, and the
// buttons that close it, start the system information tool and check for an update.
#pragma once

#include "about/Annonce.h"
#include "forms/Formulaire.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace monvalor {

class ITransfert;

extern const ConceptionFenetre ConceptionAbout;

// What the user reads when the system information tool cannot be started, whatever the reason
// (the French key of the message in section frmAbout of the language files).
extern const std::string_view MessageInfosSystemeIndisponibles;

// Where the updater goes: the program's folder, or the data folder when the program's folder
// cannot be written (an installed package), under the title followed by "Update".
std::string CheminMiseAJour();
// True when the version file's first line announces a version above the program's own:
// "Version" and numbers, compared number by number; anything else is never newer.
bool VersionPlusRecente(std::string_view annoncee, int majeure, int mineure, int revision);

class frmAbout final : public Fenetre, public InstanceParDefaut<frmAbout> {
public:
    frmAbout();

    // The product's web address: shown by lblSite, opened when it is clicked, and the base of
    // the update check. Setting it loads the window first.
    void Site(const std::string& pSite);
    const std::string& Site() const { return site_; }
    // Shows the address in lblEmail and makes the mail link from it; loads the window first.
    void Email(const std::string& pEmail);
    const std::string& LienEmail() const { return LienEmail_; }

    // Translates the window, then shows it modally over the owner; returns once it is unloaded.
    void Afficher(Fenetre& frm);

    // The update check: asks the site whether a newer Monvalor exists (an announcement that
    // must carry the site's signature) and, when the user agrees, downloads the updater and
    // starts it, then ends the program, only when it is exactly the file announced and carries
    // its own signature. pbMsg: say so when there is nothing newer. Every failure is told here;
    // none reaches the caller. Asked again while it runs, it stops the silent fetch instead.
    void Maj(bool pbMsg);

    // Starts the system information tool in a normal window and returns at once; when it is
    // not recorded, not there or does not start, says so in a message box instead.
    void StartSysInfo();
    // Reads one registry value as text into KeyVal and returns true; a text value gives its
    // bytes less one terminating NUL, a 32-bit number its decimal writing, any other type
    // leaves KeyVal as it was. When the key or the value cannot be read, or the value does
    // not fit the 1024-byte buffer of the look-up, KeyVal becomes "" and the result is false.
    // Never throws.
    bool GetKeyValue(std::uintptr_t KeyRoot, const std::string& KeyName,
                     const std::string& SubKeyRef, std::string& KeyVal);

protected:
    void Form_Load() override;
    void Form_QueryUnload() override;
    void Gerer(std::string_view controle, int indice, Evenement evenement) override;

private:
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void cmdVersion_Click();
    void lblSite_Click();
    void lblEmail_Click();

    void PasDeMiseAJour(bool pbMsg);
    // The site's announcement, once its signature has verified; nullopt when the fetch failed
    // (and was told), Erreur when the signature does not verify.
    std::optional<std::string> LireAnnonceSignee();
    // Downloads the announced updater to a private file and starts it, then ends the program,
    // only when its bytes are those announced and its own signature verifies.
    void TelechargerEtLancer(const Annonce& annonce);
    // A fetch no window shows, bounded in size and time; stopped by ArreterVerification.
    std::string LireSilencieux(const std::string& adresse, std::size_t max);
    void ArreterVerification();

    std::string site_;
    std::string LienEmail_;
    bool majEnCours_ = false;
    ITransfert* silencieux_ = nullptr;
};

} // namespace monvalor
