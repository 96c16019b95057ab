#include "toolkit/win32/ListesWin32.h"

#include "forms/ListesFichiers.h"
#include "support/Ansi.h"
#include "toolkit/win32/Poignees.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

namespace monvalor {

namespace {

// Each folder one step further in than its parent, as in a tree (pixels at 96 to the inch).
constexpr int kRetrait = 12;
// An entry's data: its level, and whether it is open.
constexpr LPARAM kOuvert = 0x10000;

// A list over its model: each change of the model's value shows, then goes to the form. The
// user's pick runs inside the list's own error handling, and the list shows what it holds
// afterwards unless the form went meanwhile.
template <typename Derivee, typename Modele> class ListeSurModele : public ListeWin32 {
protected:
    ListeSurModele(HWND hwnd, std::function<void()> changement, std::shared_ptr<bool> vivant)
        : hwnd_(hwnd), vivant_(std::move(vivant)) {
        modele_.surChangement = [this, changement = std::move(changement)] {
            Afficher();
            changement();
        };
    }
    void Afficher() { static_cast<Derivee*>(this)->Montrer(); }
    template <typename F> void Choisir(F&& choix) {
        const auto vivant = vivant_;
        ActionSurListe(choix);
        if (*vivant) {
            Afficher();
        }
    }

    HWND hwnd_;
    std::shared_ptr<bool> vivant_;
    Modele modele_;
};

// The drives; read again each time the list opens: a key plugged in meanwhile shows.
class ListeLecteursWin32 final : public ListeSurModele<ListeLecteursWin32, ListeLecteurs> {
public:
    ListeLecteursWin32(HWND hwnd, std::function<void()> changement, std::shared_ptr<bool> vivant)
        : ListeSurModele(hwnd, std::move(changement), std::move(vivant)) {
        Montrer();
    }

    std::string Valeur() const override { return modele_.Lecteur(); }
    void DefinirValeur(const std::string& valeur) override { modele_.DefinirLecteur(valeur); }

    void Commande(UINT code) override {
        if (code == CBN_DROPDOWN) {
            modele_.Rafraichir();
            Montrer();
        } else if (code == CBN_SELENDOK ||
                   (code == CBN_SELCHANGE && !SendMessageW(hwnd_, CB_GETDROPPEDSTATE, 0, 0))) {
            const auto i = SendMessageW(hwnd_, CB_GETCURSEL, 0, 0);
            Choisir([&] {
                if (i >= 0 && static_cast<std::size_t>(i) < modele_.Lecteurs().size() &&
                    static_cast<std::size_t>(i) != modele_.Indice()) {
                    modele_.DefinirLecteur(
                        TexteLecteur(modele_.Lecteurs()[static_cast<std::size_t>(i)]));
                }
            });
        }
    }

    void Disposer(int) override {}
    bool Dessiner(const DRAWITEMSTRUCT&, int) override { return false; }
    bool Intercepter(UINT, WPARAM, LPARAM, LRESULT&) override { return false; }

    void Montrer() {
        SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
        for (const Volume& v : modele_.Lecteurs()) {
            SendMessageW(hwnd_, CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(LargeDepuisAnsi(TexteLecteur(v)).c_str()));
        }
        SendMessageW(hwnd_, CB_SETCURSEL, modele_.Indice(), 0);
    }
};

// A drive's folders, drawn by us with their icons and indented as a tree.
class ListeDossiersWin32 final : public ListeSurModele<ListeDossiersWin32, ListeDossiers> {
public:
    ListeDossiersWin32(HWND hwnd, std::function<void()> changement, std::shared_ptr<bool> vivant)
        : ListeSurModele(hwnd, std::move(changement), std::move(vivant)) {
        Montrer();
    }

    std::string Valeur() const override { return modele_.Chemin(); }
    void DefinirValeur(const std::string& valeur) override { modele_.DefinirChemin(valeur); }

    void Commande(UINT code) override {
        if (code == LBN_DBLCLK) {
            Ouvrir(SendMessageW(hwnd_, LB_GETCURSEL, 0, 0));
        }
    }

    void Disposer(int dpi) override {
        SendMessageW(hwnd_, LB_SETITEMHEIGHT, 0, HauteurEntreeDossier(dpi));
    }

    bool Dessiner(const DRAWITEMSTRUCT& dessin, int dpi) override;

    bool Intercepter(UINT message, WPARAM w, LPARAM l, LRESULT& resultat) override {
        // Enter opens the folder the user moved to; on the current folder it is the form's.
        const auto* m = reinterpret_cast<const MSG*>(l);
        const bool entree = message == WM_GETDLGCODE
                                ? m != nullptr && m->message == WM_KEYDOWN && m->wParam == VK_RETURN
                                : message == WM_KEYDOWN && w == VK_RETURN;
        const auto i = entree ? SendMessageW(hwnd_, LB_GETCURSEL, 0, 0) : -1;
        if (i < 0 || static_cast<std::size_t>(i) == modele_.IndiceCourant()) {
            return false;
        }
        if (message == WM_GETDLGCODE) {
            resultat = DefSubclassProc(hwnd_, message, w, l) | DLGC_WANTMESSAGE;
        } else {
            Ouvrir(i);
            resultat = 0;
        }
        return true;
    }

private:
    // What double-clicking or Enter does; the list shows what it holds then, opened or not.
    void Ouvrir(LRESULT i) {
        if (i >= 0) {
            Choisir([&] { modele_.Ouvrir(static_cast<std::size_t>(i)); });
        }
    }

public:
    void Montrer() {
        SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
        SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
        for (const EntreeDossier& e : modele_.Entrees()) {
            const auto i = SendMessageW(hwnd_, LB_ADDSTRING, 0,
                                        reinterpret_cast<LPARAM>(LargeDepuisAnsi(e.nom).c_str()));
            SendMessageW(hwnd_, LB_SETITEMDATA, static_cast<WPARAM>(i),
                         static_cast<LPARAM>(e.niveau) | (e.ouvert ? kOuvert : 0));
        }
        if (!modele_.Entrees().empty()) {
            SendMessageW(hwnd_, LB_SETCURSEL, modele_.IndiceCourant(), 0);
        }
        SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(hwnd_, nullptr, TRUE);
    }

private:
    HICON IconeDossier(bool ouvert) {
        Icone& icone = icones_[ouvert ? 1 : 0];
        if (!icone) {
            SHSTOCKICONINFO info{};
            info.cbSize = sizeof info;
            if (SUCCEEDED(SHGetStockIconInfo(ouvert ? SIID_FOLDEROPEN : SIID_FOLDER,
                                             SHGSI_ICON | SHGSI_SMALLICON, &info))) {
                icone.Reinitialiser(info.hIcon);
            }
        }
        return icone.Get();
    }

    Icone icones_[2]; // closed and open folders
};

bool ListeDossiersWin32::Dessiner(const DRAWITEMSTRUCT& dessin, int dpi) {
    if (dessin.itemID == static_cast<UINT>(-1)) {
        return true;
    }
    const bool choisi = dessin.itemState & ODS_SELECTED;
    HDC dc = dessin.hDC;
    FillRect(dc, &dessin.rcItem, GetSysColorBrush(choisi ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const auto donnees = static_cast<LPARAM>(dessin.itemData);
    const int niveau = static_cast<int>(donnees & 0xFFFF);
    RECT r = dessin.rcItem;
    r.left += MulDiv(2 + kRetrait * niveau, dpi, USER_DEFAULT_SCREEN_DPI);
    const int cote = MulDiv(16, dpi, USER_DEFAULT_SCREEN_DPI);
    if (HICON icone = IconeDossier((donnees & kOuvert) != 0); icone != nullptr) {
        DrawIconEx(dc, r.left, r.top + (r.bottom - r.top - cote) / 2, icone, cote, cote, 0, nullptr,
                   DI_NORMAL);
    }
    r.left += cote + MulDiv(4, dpi, USER_DEFAULT_SCREEN_DPI);
    const auto longueur =
        std::max<LRESULT>(SendMessageW(hwnd_, LB_GETTEXTLEN, dessin.itemID, 0), 0);
    std::wstring texte(static_cast<std::size_t>(longueur) + 1, L'\0');
    SendMessageW(hwnd_, LB_GETTEXT, dessin.itemID, reinterpret_cast<LPARAM>(texte.data()));
    texte.resize(static_cast<std::size_t>(longueur));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(choisi ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextW(dc, texte.c_str(), static_cast<int>(texte.size()), &r,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (dessin.itemState & ODS_FOCUS) {
        DrawFocusRect(dc, &dessin.rcItem);
    }
    return true;
}

} // namespace

std::unique_ptr<ListeWin32> CreerListeWin32(Genre genre, HWND hwnd,
                                            std::function<void()> changement,
                                            std::shared_ptr<bool> vivant) {
    if (genre == Genre::ListeLecteurs) {
        return std::make_unique<ListeLecteursWin32>(hwnd, std::move(changement), std::move(vivant));
    }
    return std::make_unique<ListeDossiersWin32>(hwnd, std::move(changement), std::move(vivant));
}

int HauteurEntreeDossier(int dpi) {
    return MulDiv(18, dpi, USER_DEFAULT_SCREEN_DPI);
}

} // namespace monvalor
