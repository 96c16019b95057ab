// The Win32 face of the windows: builds a native form from a window's design table with the
// system's own controls and routes the form's events to its window object.
#pragma once

#include "forms/Formulaire.h"
#include "toolkit/win32/Poignees.h"

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace monvalor {

// Designs are in twips, 1440 to the inch; the monitor gives its pixels to the inch.
constexpr int Pixels(int twips, int dpi) {
    const long long p = static_cast<long long>(twips) * dpi;
    return static_cast<int>(p >= 0 ? (p + 720) / 1440 : -((-p + 720) / 1440));
}
// By its edges, so that controls that meet in twips meet in pixels.
constexpr RECT RectanglePixels(const Rectangle& r, int dpi) {
    return {Pixels(r.gauche, dpi), Pixels(r.haut, dpi), Pixels(r.gauche + r.largeur, dpi),
            Pixels(r.haut + r.hauteur, dpi)};
}

// A design face first, then the faces that stand in for it where the system lacks it.
std::vector<std::wstring> FamillesPolice(std::string_view face);

// Gives the keys of the form a message is for their dialog meaning (Tab, Enter, Esc,
// mnemonics); true when it did, and the message must then not be dispatched.
bool TraiterMessageDialogue(MSG& message);
// Runs the program's message loop until WM_QUIT; returns its code.
int BoucleMessages();

class ControleWin32;

class VueWin32 final : public IVueFormulaire {
public:
    VueWin32(const ConceptionFenetre& conception, IRecepteur& recepteur);
    ~VueWin32() override;
    VueWin32(const VueWin32&) = delete;
    VueWin32& operator=(const VueWin32&) = delete;

    IControle& Controle(std::string_view nom, int indice = -1) override;
    std::string Legende() const override;
    void DefinirLegende(const std::string& legende) override;
    int Hauteur() const override;
    void DefinirHauteur(int twips) override;
    std::string Icone() const override;
    void Montrer() override;
    void Cacher() override;
    void MontrerModal(IVueFormulaire* proprietaire) override;
    void AuPremierPlan() override;

    HWND Form() const { return hwnd_; }
    // The window of a control (nullptr for a timer or an unknown name).
    HWND Fenetre(std::string_view nom, int indice = -1) const;
    // The design name of one of the form's controls, "" for any other window.
    std::string NomDe(HWND fenetre) const;
    int Dpi() const { return dpi_; }

private:
    friend class ControleWin32;
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM w, LPARAM l);
    static LRESULT CALLBACK ProcedureControle(HWND hwnd, UINT message, WPARAM w, LPARAM l,
                                              UINT_PTR id, DWORD_PTR donnees);
    LRESULT Traiter(UINT message, WPARAM w, LPARAM l);
    // False when the window object unloaded the form meanwhile: nothing of it may be touched.
    bool Signaler(std::string_view controle, int indice, Evenement evenement);
    void Construire();
    // Makes the control at that position of the table, in the window of its container;
    // `precedent` is the control made just before, for the groups of option buttons.
    void CreerControle(std::size_t position, HWND parent, const ControleWin32* precedent,
                       bool nommeUneBoite);
    void Liberer();
    void Disposer();
    void Agencer();
    void Dimensionner();
    void Placer(HWND proprietaire);
    HFONT Police(const monvalor::Police& police);
    ControleWin32* Trouver(std::string_view nom, int indice) const;
    ControleWin32* ParIdentifiant(UINT id) const;
    ControleWin32* ParFenetre(HWND fenetre) const;
    void Commande(UINT id, UINT code, HWND fenetre);
    // Whether the control at that position of the table can be pressed: shown and enabled.
    bool Disponible(std::size_t position) const;
    // A timer's tick; false when the identifier is no timer's.
    bool Tic(UINT id);
    LRESULT Notification(NMHDR& entete);
    LRESULT Couleur(HDC dc, HWND fenetre);
    LRESULT BoutonParDefaut() const;
    LRESULT MessageControle(HWND hwnd, UINT message, WPARAM w, LPARAM l);

    const ConceptionFenetre& conception_;
    IRecepteur& recepteur_;
    HWND hwnd_ = nullptr;
    HWND cache_ = nullptr; // the hidden owner of a form kept out of the task bar
    HWND bulles_ = nullptr;
    HWND focus_ = nullptr; // what had the focus when the form lost it
    int dpi_ = 96;
    int hauteur_ = 0; // twips
    bool enConstruction_ = true;
    std::shared_ptr<bool> vivant_ = std::make_shared<bool>(true);
    std::vector<std::unique_ptr<ControleWin32>> controles_;
    std::vector<std::pair<monvalor::Police, PoliceGdi>> polices_;
    std::vector<std::pair<int, PinceauGdi>> pinceaux_;
    monvalor::Icone icones_[2]; // the form's, large and small
};

class FabriqueWin32 final : public IFabriqueFormulaires {
public:
    std::unique_ptr<IVueFormulaire> Creer(const ConceptionFenetre& conception,
                                          IRecepteur& recepteur) override;
};

} // namespace monvalor
