// The folder chooser: a drive list, the folders of the chosen drive and a box in which a path
// can be typed. The caller gives a starting folder in Repertoire, shows the window modally and
// reads the chosen folder back from Repertoire, empty when the user gave up.
#pragma once

#include "forms/Formulaire.h"

#include <string>
#include <string_view>

namespace monvalor {

extern const ConceptionFenetre ConceptionRepertoire;

class frmRepertoire final : public Fenetre, public InstanceParDefaut<frmRepertoire> {
public:
    frmRepertoire();

    // In: where the lists start ("" leaves them where they are). Out: the chosen folder, or ""
    // after Annuler. While the window is open: the path last applied with "Ok".
    std::string Repertoire;

protected:
    void Form_Load() override;
    void Gerer(std::string_view controle, int indice, Evenement evenement) override;

private:
    // Positions both lists on Repertoire, shows the path and translates the window; run at
    // load and by "Ok". A failure is told and the rest skipped.
    void Positionner();
    void drvHisto_Change();
    void dirHisto_Change();
    void cmdValideRepertoire_Click();
    void OKButton_Click();
    void CancelButton_Click();

    bool enPositionnement_ = false;
};

} // namespace monvalor
