#include "toolkit/win32/ControleWin32.h"

#include "support/Ansi.h"
#include "support/Erreur.h"
#include "toolkit/win32/GenresWin32.h"

#include <commctrl.h>

namespace monvalor {

namespace {

// The size at which a picture box of the designs shows an icon, at 96 pixels to the inch.
constexpr int kCoteIcone = 32;

} // namespace

std::wstring TexteFenetre(HWND hwnd) {
    std::wstring texte(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    texte.resize(static_cast<std::size_t>(
        GetWindowTextW(hwnd, texte.data(), static_cast<int>(texte.size()))));
    return texte;
}

ControleWin32::ControleWin32(VueWin32& vue, const ConceptionControle& conception,
                             const Police& police, UINT identifiant)
    : vue_(vue), conception_(conception), police_(police), identifiant_(identifiant) {}

bool ControleWin32::Signaler(Evenement evenement) {
    return vue_.Signaler(conception_.nom, conception_.indice, evenement);
}

HWND ControleWin32::Requis(Propriete propriete) const {
    Exiger(conception_, propriete, hwnd != nullptr);
    return hwnd;
}

std::string ControleWin32::Texte() const {
    HWND h = Requis(Propriete::Texte);
    return liste ? liste->Valeur() : AnsiDepuisLarge(TexteFenetre(h));
}

void ControleWin32::DefinirTexte(const std::string& texte) {
    HWND h = Requis(Propriete::Texte);
    if (liste) {
        liste->DefinirValeur(texte);
        return;
    }
    const std::wstring large = LargeDepuisAnsi(TexteDeBoite(conception_, texte));
    // The same text again is no change.
    if (TexteFenetre(h) == large) {
        return;
    }
    SetWindowTextW(h, large.c_str());
    if (AUneLegende(conception_.genre)) {
        vue_.Agencer();
    }
    // A box of lines tells of no text the program sets: the change is told here.
    if (conception_.genre == Genre::ZoneTexte && conception_.retourLigne) {
        Signaler(Evenement::Change);
    }
}

bool ControleWin32::Visible() const {
    return GetWindowLongW(Requis(Propriete::Apparence), GWL_STYLE) & WS_VISIBLE;
}

void ControleWin32::DefinirVisible(bool visible) {
    ShowWindow(Requis(Propriete::Apparence), visible ? SW_SHOWNA : SW_HIDE);
}

bool ControleWin32::Actif() const {
    return IsWindowEnabled(Requis(Propriete::Apparence)) != FALSE;
}

void ControleWin32::DefinirActif(bool actif) {
    EnableWindow(Requis(Propriete::Apparence), actif);
}

std::string ControleWin32::InfoBulle() const {
    Requis(Propriete::Apparence);
    return infoBulle_;
}

void ControleWin32::DefinirInfoBulle(const std::string& infoBulle) {
    HWND h = Requis(Propriete::Apparence);
    TOOLINFOW outil{};
    outil.cbSize = TTTOOLINFOW_V2_SIZE;
    outil.hwnd = vue_.hwnd_;
    outil.uId = reinterpret_cast<UINT_PTR>(h);
    SendMessageW(vue_.bulles_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&outil));
    infoBulle_ = infoBulle;
    if (!infoBulle.empty()) {
        std::wstring texte = LargeDepuisAnsi(infoBulle);
        outil.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        outil.lpszText = texte.data();
        SendMessageW(vue_.bulles_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&outil));
    }
}

Police ControleWin32::LirePolice() const {
    Requis(Propriete::Apparence);
    return police_;
}

void ControleWin32::DefinirPolice(const Police& police) {
    HWND h = Requis(Propriete::Apparence);
    police_ = police;
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(vue_.Police(police)), TRUE);
    vue_.Agencer();
}

void ControleWin32::DefinirImage(std::string_view icone) {
    Exiger(conception_, Propriete::Image);
    icone_ = LargeDepuisAnsi(icone);
    MontrerImage();
}

void ControleWin32::MontrerImage() {
    if (icone_.empty() || hwnd == nullptr) {
        return;
    }
    const int cote = MulDiv(kCoteIcone, vue_.dpi_, USER_DEFAULT_SCREEN_DPI);
    Icone nouvelle(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), icone_.c_str(), IMAGE_ICON, cote, cote, 0)));
    // The control gives back the picture it showed: the one kept here, freed just below.
    SendMessageW(hwnd, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(nouvelle.Get()));
    image_ = std::move(nouvelle);
}

void ControleWin32::DefinirIntervalle(int millisecondes) {
    ExigerIntervalle(conception_, millisecondes);
    if (millisecondes == 0) {
        KillTimer(vue_.hwnd_, identifiant_);
    } else {
        SetTimer(vue_.hwnd_, identifiant_, static_cast<UINT>(millisecondes), nullptr);
    }
}

double ControleWin32::Max() const {
    Requis(Propriete::Progression);
    return progression_.Max();
}

void ControleWin32::DefinirMax(double max) {
    Requis(Propriete::Progression);
    progression_.DefinirMax(max);
    MontrerBarre();
}

double ControleWin32::Valeur() const {
    Requis(Propriete::Progression);
    return progression_.Valeur();
}

void ControleWin32::DefinirValeur(double valeur) {
    Requis(Propriete::Progression);
    progression_.DefinirValeur(valeur);
    MontrerBarre();
}

void ControleWin32::MontrerBarre() {
    SendMessageW(hwnd, PBM_SETPOS,
                 static_cast<WPARAM>(progression_.Position(EchelleProgressionWin32)), 0);
}

void ControleWin32::DefinirTexteCle(std::size_t position, const std::string& texte) {
    Requis(Propriete::TexteCle);
    ExigerCle(conception_, position);
    DescriptionWin32(conception_.genre).definirCle(*this, position, LargeDepuisAnsi(texte));
}

} // namespace monvalor
