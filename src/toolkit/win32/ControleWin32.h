// One control of a Win32 form: its window, and what the form keeps beside it.
#pragma once

#include "forms/Regles.h"
#include "toolkit/win32/FormeWin32.h"
#include "toolkit/win32/ListesWin32.h"
#include "toolkit/win32/Poignees.h"

#include <memory>
#include <string>
#include <vector>

namespace monvalor {

class ControleWin32 final : public IControle {
public:
    ControleWin32(VueWin32& vue, const ConceptionControle& conception, const Police& police,
                  UINT identifiant);

    const ConceptionControle& Conception() const { return conception_; }
    UINT Identifiant() const { return identifiant_; }
    int Dpi() const { return vue_.dpi_; }
    // Tells the window of an event of this control; false when the form is gone meanwhile.
    bool Signaler(Evenement evenement);
    std::shared_ptr<bool> Vivant() const { return vue_.vivant_; }

    HWND hwnd = nullptr;
    std::unique_ptr<ListeWin32> liste;         // drive and folder lists
    std::vector<std::wstring> bulleBoutons;    // toolbar buttons' tips
    std::vector<std::wstring> libellesBoutons; // and their captions, which the bar points to
    bool enTic = false;

    std::string Texte() const override;
    void DefinirTexte(const std::string& texte) override;
    bool Visible() const override;
    void DefinirVisible(bool visible) override;
    bool Actif() const override;
    void DefinirActif(bool actif) override;
    std::string InfoBulle() const override;
    void DefinirInfoBulle(const std::string& infoBulle) override;
    Police LirePolice() const override;
    void DefinirPolice(const Police& police) override;
    void DefinirImage(std::string_view icone) override;
    void DefinirIntervalle(int millisecondes) override;
    double Max() const override;
    void DefinirMax(double max) override;
    double Valeur() const override;
    void DefinirValeur(double valeur) override;
    void DefinirTexteCle(std::size_t position, const std::string& texte) override;

    // The picture again, at the size the monitor wants.
    void MontrerImage();

private:
    HWND Requis(Propriete propriete) const;
    void MontrerBarre();

    VueWin32& vue_;
    const ConceptionControle& conception_;
    Police police_;
    UINT identifiant_;
    std::string infoBulle_;
    std::wstring icone_;
    Icone image_;
    Progression progression_;
};

std::wstring TexteFenetre(HWND hwnd);

} // namespace monvalor
