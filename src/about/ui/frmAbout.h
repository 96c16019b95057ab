// The About window: title, version, description, the product's web and mail links, and the
// buttons that close it, start the system information tool and check for an update.
#pragma once

#include "platform/qt/Fenetre.h"

#include <QObject>

#include <cstdint>
#include <string>

class QLabel;
class QPushButton;

namespace monvalor {

class frmAbout final : public QObject, public Fenetre, public InstanceParDefaut<frmAbout> {
    Q_OBJECT
public:
    frmAbout();
    ~frmAbout() override;

    // The product's web address: shown by lblSite, opened when it is clicked, and the base of
    // the update check. Setting it loads the window first.
    void Site(const std::string& pSite);
    const std::string& Site() const { return site_; }
    // Shows the address in lblEmail and makes the mail link from it; loads the window first.
    void Email(const std::string& pEmail);

    // Translates the window, then shows it modally over the owner; returns once it is unloaded.
    void Afficher(Fenetre& frm);

    void StartSysInfo();
    bool GetKeyValue(std::uintptr_t KeyRoot, const std::string& KeyName,
                     const std::string& SubKeyRef, std::string& KeyVal);

    // The controls of the design; touching one loads the window first.
    QLabel& Icône();
    QLabel& lblTitle();
    QLabel& lblVersion();
    QPushButton& cmdVersion();
    QLabel& lblDescription();
    QLabel& lblSite();
    QLabel& lblEmail();
    QLabel& lblDisclaimer();
    QPushButton& cmdOK();
    QPushButton& cmdSysInfo();

    const std::string& LienEmailPourTest() const { return LienEmail_; }

protected:
    void Construire(QWidget& form) override;
    void Form_Load() override;
    Qt::WindowFlags Drapeaux() const override;
    bool eventFilter(QObject* objet, QEvent* evenement) override;

private:
    template <typename T> T& Ctl(const char* nom);
    void PlacerAuCentre(Fenetre& frm);

    void cmdOK_Click();
    void cmdSysInfo_Click();
    void cmdVersion_Click();
    void lblSite_Click();
    void lblEmail_Click();

    std::string site_;
    std::string LienEmail_;
};

} // namespace monvalor
