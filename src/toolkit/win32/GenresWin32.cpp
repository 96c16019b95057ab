#include "toolkit/win32/GenresWin32.h"

#include "forms/Regles.h"
#include "support/Ansi.h"
#include "toolkit/win32/ControleWin32.h"
#include "toolkit/win32/LienWin32.h"

#include <commctrl.h>

#include <array>

namespace monvalor {

namespace {

// Toolbar buttons take command identifiers of their own, by toolbar.
constexpr UINT kPremierBoutonOutil = 0x4000;
constexpr UINT kBoutonsParBarre = 64;

DWORD VarianteLabel(const ConceptionControle& c, bool nommeUneBoite) {
    // The mnemonic is the box's that follows it.
    DWORD style = nommeUneBoite ? 0 : SS_NOPREFIX;
    // A link is a tab stop, if the design gives it a tab index.
    if (EstLien(c)) {
        style |= WS_TABSTOP;
    }
    if (!c.retourLigne && !c.lien) {
        // A plain one-line caption sits in the middle of its row.
        style |= SS_LEFTNOWORDWRAP | SS_CENTERIMAGE;
    } else if (!c.retourLigne) {
        style |= SS_LEFTNOWORDWRAP;
    }
    return style;
}

void PreparerLabel(ControleWin32& c, std::size_t, int) {
    if (EstLien(c.Conception())) {
        PreparerLien(c);
    }
}

// A box of lines keeps Enter and scrolls down; a one-line box scrolls along.
DWORD VarianteBoite(const ConceptionControle& c, bool) {
    return c.retourLigne ? ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL
                         : ES_AUTOHSCROLL;
}

DWORD VarianteBouton(const ConceptionControle& c, bool) {
    return c.defaut ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void PreparerBoite(ControleWin32& c, std::size_t, int) {
    // As long as the program or the user likes: the clipboard may bring anything.
    SendMessageW(c.hwnd, EM_SETLIMITTEXT, 0, 0);
}

void PreparerBarreOutils(ControleWin32& c, std::size_t position, int) {
    SendMessageW(c.hwnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    const UINT base = kPremierBoutonOutil + static_cast<UINT>(position) * kBoutonsParBarre;
    std::vector<std::wstring> textes;
    for (std::string_view cle : c.Conception().cles) {
        textes.push_back(LargeDepuisAnsi(cle));
    }
    std::vector<TBBUTTON> boutons;
    for (std::size_t k = 0; k < textes.size() && k < kBoutonsParBarre; ++k) {
        TBBUTTON b{};
        b.iBitmap = I_IMAGENONE;
        b.idCommand = static_cast<int>(base + k);
        b.fsState = TBSTATE_ENABLED;
        b.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
        b.iString = reinterpret_cast<INT_PTR>(textes[k].c_str());
        boutons.push_back(b);
    }
    SendMessageW(c.hwnd, TB_ADDBUTTONSW, boutons.size(), reinterpret_cast<LPARAM>(boutons.data()));
    c.bulleBoutons = textes;
    c.libellesBoutons = std::move(textes);
}

void PreparerListeVue(ControleWin32& c, std::size_t, int largeur) {
    const auto& cles = c.Conception().cles;
    SendMessageW(c.hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    for (std::size_t k = 0; k < cles.size(); ++k) {
        std::wstring t = LargeDepuisAnsi(cles[k]);
        LVCOLUMNW colonne{};
        colonne.mask = LVCF_TEXT | LVCF_WIDTH;
        colonne.cx = largeur / static_cast<int>(cles.size());
        colonne.pszText = t.data();
        SendMessageW(c.hwnd, LVM_INSERTCOLUMNW, k, reinterpret_cast<LPARAM>(&colonne));
    }
}

void PreparerListe(ControleWin32& c, std::size_t, int) {
    c.liste = CreerListeWin32(
        c.Conception().genre, c.hwnd, [&c] { c.Signaler(Evenement::Change); }, c.Vivant());
}

void PreparerBarreProgression(ControleWin32& c, std::size_t, int) {
    SendMessageW(c.hwnd, PBM_SETRANGE32, 0, EchelleProgressionWin32);
    SendMessageW(c.hwnd, PBM_SETPOS, 0, 0);
}

void DefinirBulleBouton(ControleWin32& c, std::size_t position, const std::wstring& texte) {
    if (position < c.bulleBoutons.size()) {
        c.bulleBoutons[position] = texte;
    }
}

void DefinirEnteteColonne(ControleWin32& c, std::size_t position, const std::wstring& texte) {
    std::wstring t = texte;
    LVCOLUMNW colonne{};
    colonne.mask = LVCF_TEXT;
    colonne.pszText = t.data();
    SendMessageW(c.hwnd, LVM_SETCOLUMNW, position, reinterpret_cast<LPARAM>(&colonne));
}

using enum Genre;
constexpr DWORD kArret = WS_TABSTOP;
constexpr std::array<GenreWin32, NombreGenres> kGenres = {{
    // Labels are clickable and tipped.
    {Label, L"STATIC", SS_NOTIFY, 0, true, STN_CLICKED, kJamais, 0, false, VarianteLabel,
     PreparerLabel, nullptr},
    {ZoneTexte, L"EDIT", kArret, WS_EX_CLIENTEDGE, true, kJamais, EN_CHANGE, 0, false,
     VarianteBoite, PreparerBoite, nullptr},
    {Bouton, L"BUTTON", kArret, 0, true, BN_CLICKED, kJamais, 0, false, VarianteBouton, nullptr,
     nullptr},
    {CaseACocher, L"BUTTON", BS_AUTOCHECKBOX | kArret, 0, true, BN_CLICKED, kJamais, 0, false,
     nullptr, nullptr, nullptr},
    {BoutonOption, L"BUTTON", BS_AUTORADIOBUTTON | kArret, 0, true, BN_CLICKED, kJamais, 0, false,
     nullptr, nullptr, nullptr},
    // Containers pass their controls' messages on to the form.
    {Cadre, L"BUTTON", BS_GROUPBOX, WS_EX_CONTROLPARENT, true, kJamais, kJamais, 0, true, nullptr,
     nullptr, nullptr},
    {Image, L"STATIC", SS_ICON | SS_CENTERIMAGE | SS_NOTIFY, WS_EX_CONTROLPARENT, false,
     STN_CLICKED, kJamais, 0, true, nullptr, nullptr, nullptr},
    {Ligne, L"STATIC", 0, 0, false, kJamais, kJamais, 0, false, nullptr, nullptr, nullptr},
    {Minuterie, nullptr, 0, 0, false, kJamais, kJamais, 0, false, nullptr, nullptr, nullptr},
    {BarreOutils, TOOLBARCLASSNAMEW,
     CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER | TBSTYLE_FLAT | TBSTYLE_LIST |
         TBSTYLE_TOOLTIPS,
     0, false, kJamais, kJamais, 0, false, nullptr, PreparerBarreOutils, DefinirBulleBouton},
    {ListeVue, WC_LISTVIEWW, LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | kArret,
     WS_EX_CLIENTEDGE, false, kJamais, kJamais, 0, false, nullptr, PreparerListeVue,
     DefinirEnteteColonne},
    {ListeLecteurs, L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | kArret, 0, false, kJamais, kJamais,
     200, false, nullptr, PreparerListe, nullptr},
    {ListeDossiers, L"LISTBOX",
     LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | kArret,
     WS_EX_CLIENTEDGE, false, kJamais, kJamais, 0, true, nullptr, PreparerListe, nullptr},
    {BarreProgression, PROGRESS_CLASSW, 0, 0, false, kJamais, kJamais, 0, false, nullptr,
     PreparerBarreProgression, nullptr},
}};

// One description per kind, in the order of Genre, with the properties the core gives it.
constexpr bool Coherent() {
    for (std::size_t i = 0; i < kGenres.size(); ++i) {
        const GenreWin32& g = kGenres[i];
        if (static_cast<std::size_t>(g.genre) != i ||
            (g.definirCle != nullptr) != APropriete(g.genre, Propriete::TexteCle) ||
            (g.legende && !AUnTexte(g.genre)) ||
            (g.classe == nullptr) == APropriete(g.genre, Propriete::Apparence)) {
            return false;
        }
    }
    return true;
}
static_assert(Coherent());

} // namespace

const GenreWin32& DescriptionWin32(Genre genre) {
    return kGenres[static_cast<std::size_t>(genre)];
}

bool VoitAvantClasse(const ConceptionControle& c) {
    // A box of lines, so that Tab and Esc stay the form's.
    return DescriptionWin32(c.genre).voitAvantClasse ||
           (c.genre == Genre::ZoneTexte && c.retourLigne);
}

SIZE PlaceLegendeWin32(HWND h, const ConceptionControle& c, int largeur, int dpi) {
    if (!AUneLegende(c.genre)) {
        return {};
    }
    const std::wstring texte = TexteFenetre(h);
    HDC dc = GetDC(h);
    const HGDIOBJ avant =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(h, WM_GETFONT, 0, 0)));
    RECT r{0, 0, largeur, 0};
    const bool prefixe =
        c.genre != Genre::Label || (GetWindowLongW(h, GWL_STYLE) & SS_NOPREFIX) == 0;
    DrawTextW(dc, texte.c_str(), -1, &r,
              DT_CALCRECT | (c.retourLigne ? DT_WORDBREAK : DT_SINGLELINE) |
                  (prefixe ? 0 : DT_NOPREFIX));
    SelectObject(dc, avant);
    ReleaseDC(h, dc);
    // What the system draws around the text, at 96 to the inch.
    int autourX = 0, autourY = 0;
    switch (c.genre) {
    case Genre::Bouton:
        autourX = 8; // the edges and the focus rectangle, each side
        autourY = 6;
        break;
    case Genre::CaseACocher:
    case Genre::BoutonOption:
        autourX = 13 + 4; // the box and the gap after it
        break;
    case Genre::Cadre:
        autourX = 16; // the caption sits in the top edge, away from the corners
        break;
    default:
        break;
    }
    return {c.retourLigne ? 0 : r.right + MulDiv(autourX, dpi, USER_DEFAULT_SCREEN_DPI),
            r.bottom + MulDiv(autourY, dpi, USER_DEFAULT_SCREEN_DPI)};
}

int HauteurPixels(const ConceptionControle& c, int hauteurDessinee, int dpi) {
    const int h = DescriptionWin32(c.genre).hauteur;
    return h != 0 ? MulDiv(h, dpi, USER_DEFAULT_SCREEN_DPI) : hauteurDessinee;
}

} // namespace monvalor
