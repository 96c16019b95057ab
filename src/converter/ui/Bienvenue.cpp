#include "converter/ui/Bienvenue.h"

#include "about/ui/frmAbout.h"
#include "converter/Adresses.h"
#include "converter/ui/frmConvertisseur.h"
#include "platform/qt/TexteQt.h"

#include <QIcon>
#include <QLabel>
#include <QPixmap>

#include <string>

namespace monvalor {

namespace {

// How to use the program, below the description. The caption keeps the CR LF line breaks of
// the program's texts: a word-wrapped label draws each CR LF as one line break.
constexpr const char* kModeEmploi =
    "\r\n\r\n"
    "!! S\xE9lectionnez le montant et appuyez sur ctrl-c pour faire appara\xEEtre la fen\xEAtre."
    "\r\n"
    "La zone Montant Libre vous permet d'entrer manuellement un montant !!";

// The size at which a picture box of the designs shows an icon.
constexpr int kCoteIcone = 32;

} // namespace

void BienvenueDemarrage(frmConvertisseur& frm) {
    // The first touch loads the About window, whose load step writes its own texts.
    frmAbout& a = frmAbout::Defaut();
    a.Site(SiteWeb);
    a.lblSite().setText(VersQString(PageAccueil));
    a.Email(AdresseEmail);
    QLabel& icone = a.Icône();
    icone.setPixmap(
        frm.Form().windowIcon().pixmap(QSize(kCoteIcone, kCoteIcone), icone.devicePixelRatioF()));
    QLabel& description = a.lblDescription();
    description.setText(description.text() + VersQString(kModeEmploi));
    a.Afficher(frm);
}

} // namespace monvalor
