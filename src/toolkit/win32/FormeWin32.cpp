#include "toolkit/win32/FormeWin32.h"

#include "forms/Regles.h"
#include "support/Ansi.h"
#include "support/Erreur.h"
#include "toolkit/win32/ControleWin32.h"
#include "toolkit/win32/FonctionsRecentes.h"
#include "toolkit/win32/GenresWin32.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace monvalor {

namespace {

constexpr wchar_t kClasseForm[] = L"MonvalorFormulaire";
// Control identifiers start past IDOK and IDCANCEL, which the dialog keys send.
constexpr UINT kPremierIdentifiant = 100;

} // namespace

std::vector<std::wstring> FamillesPolice(std::string_view face) {
    if (face == "MS Sans Serif") {
        return {L"MS Sans Serif", L"Microsoft Sans Serif", L"Liberation Sans", L"Arial"};
    }
    if (face == "Times New Roman") {
        return {L"Times New Roman", L"Liberation Serif", L"DejaVu Serif"};
    }
    return {LargeDepuisAnsi(face), L"Tahoma", L"Liberation Sans", L"Arial", L"DejaVu Sans"};
}

namespace {

// The face found, and whether it is one that the search accepts: a bitmap face is refused
// where a size it lacks is asked for.
struct Recherche {
    bool vectorielle = false;
    bool trouvee = false;
};

int CALLBACK FaceTrouvee(const LOGFONTW*, const TEXTMETRICW*, DWORD genre, LPARAM donnees) {
    auto& recherche = *reinterpret_cast<Recherche*>(donnees);
    if (recherche.vectorielle && (genre & RASTER_FONTTYPE) != 0) {
        return 1;
    }
    recherche.trouvee = true;
    return 0;
}

std::wstring FaceDisponible(std::string_view face, bool vectorielle) {
    const std::vector<std::wstring> familles = FamillesPolice(face);
    HDC dc = GetDC(nullptr);
    for (const std::wstring& f : familles) {
        // Past a bitmap design face, its scalable stand-ins, which have a bold of their own;
        // not a scalable copy of its name (Wine's has none).
        if (vectorielle && f == familles.front()) {
            continue;
        }
        LOGFONTW lf{};
        lf.lfCharSet = DEFAULT_CHARSET;
        lstrcpynW(lf.lfFaceName, f.c_str(), LF_FACESIZE);
        Recherche recherche{vectorielle};
        EnumFontFamiliesExW(dc, &lf, FaceTrouvee, reinterpret_cast<LPARAM>(&recherche), 0);
        if (recherche.trouvee) {
            ReleaseDC(nullptr, dc);
            return f;
        }
    }
    ReleaseDC(nullptr, dc);
    return familles.front();
}

HFONT CreerPolice(const monvalor::Police& police, int hauteur, const std::wstring& face) {
    return CreateFontW(-hauteur, 0, 0, 0, police.gras ? FW_BOLD : FW_NORMAL, FALSE, police.souligne,
                       FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str());
}

// A bitmap face drawn at another size than the one asked: it has none that large.
bool TailleManquante(HFONT f, int hauteur) {
    HDC dc = GetDC(nullptr);
    const HGDIOBJ avant = SelectObject(dc, f);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, avant);
    ReleaseDC(nullptr, dc);
    return (tm.tmPitchAndFamily & (TMPF_VECTOR | TMPF_TRUETYPE)) == 0 &&
           std::abs(tm.tmHeight - tm.tmInternalLeading - hauteur) > 1;
}

int DpiDe(HWND hwnd) {
    const UINT dpi = DpiFenetre(hwnd);
    return dpi != 0 ? static_cast<int>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

void ActiverControlesCommuns() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS |
                                             ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
}

void EnregistrerClasse(WNDPROC procedure) {
    WNDCLASSEXW classe{};
    classe.cbSize = sizeof classe;
    classe.style = CS_DBLCLKS;
    classe.lpfnWndProc = procedure;
    classe.hInstance = GetModuleHandleW(nullptr);
    classe.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    classe.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    classe.lpszClassName = kClasseForm;
    // Registered once for the process; a second call finds it there.
    RegisterClassExW(&classe);
}

} // namespace

bool TraiterMessageDialogue(MSG& message) {
    HWND racine = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    wchar_t classe[64] = {};
    if (racine == nullptr || GetClassNameW(racine, classe, 64) == 0 ||
        lstrcmpW(classe, kClasseForm) != 0) {
        return false;
    }
    return IsDialogMessageW(racine, &message) != FALSE;
}

int BoucleMessages() {
    MSG m;
    for (;;) {
        const BOOL r = GetMessageW(&m, nullptr, 0, 0);
        if (r == 0 || r == -1) {
            return r == 0 ? static_cast<int>(m.wParam) : 1;
        }
        if (!TraiterMessageDialogue(m)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }
}

VueWin32::VueWin32(const ConceptionFenetre& conception, IRecepteur& recepteur)
    : conception_(conception), recepteur_(recepteur) {
    ActiverControlesCommuns();
    EnregistrerClasse(&VueWin32::Procedure);
    const bool dialogue = conception.bordure == Bordure::Dialogue;
    const DWORD style =
        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | (dialogue ? 0 : WS_MINIMIZEBOX);
    const DWORD etendu = WS_EX_CONTROLPARENT | (dialogue ? WS_EX_DLGMODALFRAME : 0);
    if (!conception.barreDesTaches) {
        // An owned window stays out of the task bar.
        cache_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    }
    hwnd_ = CreateWindowExW(etendu, kClasseForm, LargeDepuisAnsi(conception.legende).c_str(), style,
                            CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, cache_, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    if (hwnd_ == nullptr) {
        if (cache_ != nullptr) {
            DestroyWindow(cache_);
        }
        throw Erreur(ErrMemoire); // out of memory: the system could not make the window
    }
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    dpi_ = DpiDe(hwnd_);
    hauteur_ = conception.hauteur;
    bulles_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                              WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (!conception.icone.empty()) {
        const std::wstring nom = LargeDepuisAnsi(conception.icone);
        for (int grand = 0; grand < 2; ++grand) {
            icones_[grand].Reinitialiser(static_cast<HICON>(LoadImageW(
                GetModuleHandleW(nullptr), nom.c_str(), IMAGE_ICON,
                MesureSysteme(grand ? SM_CXICON : SM_CXSMICON, static_cast<UINT>(dpi_)),
                MesureSysteme(grand ? SM_CYICON : SM_CYSMICON, static_cast<UINT>(dpi_)), 0)));
            SendMessageW(hwnd_, WM_SETICON, grand ? ICON_BIG : ICON_SMALL,
                         reinterpret_cast<LPARAM>(icones_[grand].Get()));
        }
    }
    try {
        Construire();
    } catch (...) {
        Liberer();
        throw;
    }
    enConstruction_ = false;
}

void VueWin32::Construire() {
    const auto& table = conception_.controles;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const ConceptionControle& c = table[i];
        controles_.push_back(
            std::make_unique<ControleWin32>(*this, c, c.police ? *c.police : conception_.police,
                                            kPremierIdentifiant + static_cast<UINT>(i)));
    }
    // The dialog keys walk the controls in the order of their windows: the tab order, each
    // box's label just before it, where screen readers look for the box's name.
    const std::vector<std::size_t> conteneurs = Conteneurs(table);
    const std::vector<std::size_t> libelles = Libelles(table);
    std::vector<bool> nommeUneBoite(table.size(), false);
    for (std::size_t libelle : libelles) {
        if (libelle != Aucun) {
            nommeUneBoite[libelle] = true;
        }
    }
    const ControleWin32* precedent = nullptr;
    for (std::size_t i : OrdreCreation(table)) {
        if (DescriptionWin32(table[i].genre).classe == nullptr) {
            continue;
        }
        const std::size_t p = conteneurs[i];
        HWND parent = p != Aucun && controles_[p]->hwnd != nullptr ? controles_[p]->hwnd : hwnd_;
        CreerControle(i, parent, precedent, nommeUneBoite[i]);
        precedent = controles_[i].get();
    }
    if (const auto ordre = OrdreTabulation(table); !ordre.empty()) {
        focus_ = controles_[ordre.front()]->hwnd;
    }
    Dimensionner();
    Agencer();
}

void VueWin32::CreerControle(std::size_t position, HWND parent, const ControleWin32* precedent,
                             bool nommeUneBoite) {
    ControleWin32& ctl = *controles_[position];
    const ConceptionControle& c = ctl.Conception();
    const GenreWin32& genre = DescriptionWin32(c.genre);
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | genre.style;
    if (genre.variante != nullptr) {
        style |= genre.variante(c, nommeUneBoite);
    }
    if (!DansLaTabulation(c)) {
        style &= ~static_cast<DWORD>(WS_TABSTOP);
    }
    // Option buttons side by side form one group, which the arrows go through.
    if (c.genre != Genre::BoutonOption || precedent == nullptr ||
        precedent->Conception().genre != Genre::BoutonOption ||
        GetParent(precedent->hwnd) != parent) {
        style |= WS_GROUP;
    }
    style |= (c.visible ? WS_VISIBLE : 0) | (c.actif ? 0 : WS_DISABLED);
    const std::wstring texte =
        genre.legende ? LargeDepuisAnsi(TexteDeBoite(c, std::string(c.legende))) : std::wstring();
    const RECT r = RectanglePixels(c.position, dpi_);
    ctl.hwnd = CreateWindowExW(genre.etendu, genre.classe, texte.c_str(), style, r.left, r.top,
                               r.right - r.left, HauteurPixels(c, r.bottom - r.top, dpi_), parent,
                               reinterpret_cast<HMENU>(static_cast<UINT_PTR>(ctl.Identifiant())),
                               GetModuleHandleW(nullptr), nullptr);
    if (ctl.hwnd == nullptr) {
        throw Erreur(ErrMemoire); // out of memory: the system could not make the window
    }
    SendMessageW(ctl.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Police(ctl.LirePolice())), FALSE);
    if (VoitAvantClasse(c)) {
        SetWindowSubclass(ctl.hwnd, &VueWin32::ProcedureControle, 1,
                          reinterpret_cast<DWORD_PTR>(this));
    }
    if (genre.preparer != nullptr) {
        genre.preparer(ctl, position, r.right - r.left);
    }
    if (!c.infoBulle.empty()) {
        ctl.DefinirInfoBulle(std::string(c.infoBulle));
    }
}

VueWin32::~VueWin32() {
    Liberer();
}

void VueWin32::Liberer() {
    *vivant_ = false;
    if (hwnd_ != nullptr) {
        // What the form still sends while it goes reaches nothing.
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        for (const auto& c : controles_) {
            if (c->hwnd != nullptr && VoitAvantClasse(c->Conception())) {
                RemoveWindowSubclass(c->hwnd, &VueWin32::ProcedureControle, 1);
            }
        }
        ShowWindow(hwnd_, SW_HIDE);
        DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }
    if (cache_ != nullptr) {
        DestroyWindow(cache_);
        cache_ = nullptr;
    }
    // The windows gone, what they drew with goes.
    controles_.clear();
    polices_.clear();
    pinceaux_.clear();
    for (monvalor::Icone& i : icones_) {
        i.Reinitialiser();
    }
}

HFONT VueWin32::Police(const monvalor::Police& police) {
    for (const auto& [p, f] : polices_) {
        if (p == police) {
            return f.Get();
        }
    }
    const int hauteur = static_cast<int>(std::lround(police.points * dpi_ / 72.0));
    HFONT f = CreerPolice(police, hauteur, FaceDisponible(police.face, false));
    if (TailleManquante(f, hauteur)) {
        // A bitmap face cannot grow with the screen: its scalable stand-in can.
        DeleteObject(f);
        f = CreerPolice(police, hauteur, FaceDisponible(police.face, true));
    }
    polices_.emplace_back(police, PoliceGdi(f));
    return f;
}

// Every control where the design puts it at the monitor's pixels, in its font at that size.
void VueWin32::Disposer() {
    // The fonts of the old size go once no control draws with them.
    std::vector<std::pair<monvalor::Police, PoliceGdi>> anciennes;
    anciennes.swap(polices_);
    Dimensionner();
    for (const auto& c : controles_) {
        if (c->hwnd == nullptr) {
            continue;
        }
        SendMessageW(c->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Police(c->LirePolice())), TRUE);
        if (c->liste) {
            c->liste->Disposer(dpi_);
        }
        c->MontrerImage();
    }
    Agencer();
}

// Each control where the design puts it, with the room its caption takes in the real font.
void VueWin32::Agencer() {
    const std::vector<Rectangle> r =
        monvalor::Agencer(conception_, [this](std::size_t i, const Rectangle& actuel) {
            const ControleWin32& c = *controles_[i];
            if (c.hwnd == nullptr) {
                return Besoin{};
            }
            const SIZE place =
                PlaceLegendeWin32(c.hwnd, c.Conception(), Pixels(actuel.largeur, dpi_), dpi_);
            // Rounded up, so that the pixels it comes back to hold it all.
            return Besoin{static_cast<int>((place.cx * 1440LL + dpi_ - 1) / dpi_),
                          static_cast<int>((place.cy * 1440LL + dpi_ - 1) / dpi_)};
        });
    for (std::size_t i = 0; i < r.size(); ++i) {
        const ControleWin32& c = *controles_[i];
        if (c.hwnd == nullptr) {
            continue;
        }
        const RECT p = RectanglePixels(r[i], dpi_);
        SetWindowPos(c.hwnd, nullptr, p.left, p.top, p.right - p.left,
                     HauteurPixels(c.Conception(), p.bottom - p.top, dpi_),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

ControleWin32* VueWin32::Trouver(std::string_view nom, int indice) const {
    for (const auto& c : controles_) {
        if (c->Conception().nom == nom && c->Conception().indice == indice) {
            return c.get();
        }
    }
    return nullptr;
}

ControleWin32* VueWin32::ParIdentifiant(UINT id) const {
    if (id < kPremierIdentifiant || id - kPremierIdentifiant >= controles_.size()) {
        return nullptr;
    }
    return controles_[id - kPremierIdentifiant].get();
}

ControleWin32* VueWin32::ParFenetre(HWND fenetre) const {
    for (const auto& c : controles_) {
        if (fenetre != nullptr && c->hwnd == fenetre) {
            return c.get();
        }
    }
    return nullptr;
}

IControle& VueWin32::Controle(std::string_view nom, int indice) {
    ControleWin32* c = Trouver(nom, indice);
    if (c == nullptr) {
        throw Erreur(ErrArgument);
    }
    return *c;
}

HWND VueWin32::Fenetre(std::string_view nom, int indice) const {
    ControleWin32* c = Trouver(nom, indice);
    return c ? c->hwnd : nullptr;
}

std::string VueWin32::NomDe(HWND fenetre) const {
    ControleWin32* c = ParFenetre(fenetre);
    return c ? std::string(c->Conception().nom) : std::string();
}

std::string VueWin32::Legende() const {
    return AnsiDepuisLarge(TexteFenetre(hwnd_));
}

void VueWin32::DefinirLegende(const std::string& legende) {
    SetWindowTextW(hwnd_, LargeDepuisAnsi(legende).c_str());
}

int VueWin32::Hauteur() const {
    RECT r{};
    GetClientRect(hwnd_, &r);
    // The designed height while the form has it; pixels lose the odd twips.
    return r.bottom == Pixels(hauteur_, dpi_) ? hauteur_ : MulDiv(r.bottom, 1440, dpi_);
}

void VueWin32::DefinirHauteur(int twips) {
    hauteur_ = twips;
    Dimensionner();
}

// The client area as designed: the frame is what the window has around it now, whatever the
// system's metrics at this resolution.
void VueWin32::Dimensionner() {
    RECT fenetre{}, client{};
    GetWindowRect(hwnd_, &fenetre);
    GetClientRect(hwnd_, &client);
    const int largeur =
        Pixels(conception_.largeur, dpi_) + (fenetre.right - fenetre.left) - client.right;
    const int hauteur = Pixels(hauteur_, dpi_) + (fenetre.bottom - fenetre.top) - client.bottom;
    SetWindowPos(hwnd_, nullptr, 0, 0, largeur, hauteur,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string VueWin32::Icone() const {
    return std::string(conception_.icone);
}

void VueWin32::Montrer() {
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    if (focus_ != nullptr && IsWindow(focus_) && !IsChild(hwnd_, GetFocus())) {
        SetFocus(focus_);
    }
}

void VueWin32::Cacher() {
    ShowWindow(hwnd_, SW_HIDE);
    // Wakes a modal loop that waits for this form.
    PostMessageW(hwnd_, WM_NULL, 0, 0);
}

void VueWin32::AuPremierPlan() {
    // Above every window, then an ordinary window again: never moved, resized or restored.
    // A form not shown yet (the converter behind the About window at start) has no place among
    // the windows, and must not take the activation from the one the user is looking at.
    if (!IsWindowVisible(hwnd_)) {
        return;
    }
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowPos(hwnd_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void VueWin32::Placer(HWND proprietaire) {
    // Over the owner when the user can see it; at start the owner is still hidden, and the
    // middle of the screen is where the eye goes.
    const bool surProprietaire = proprietaire != nullptr && IsWindowVisible(proprietaire);
    MONITORINFO ecran{};
    ecran.cbSize = sizeof ecran;
    GetMonitorInfoW(
        MonitorFromWindow(surProprietaire ? proprietaire : hwnd_, MONITOR_DEFAULTTOPRIMARY),
        &ecran);
    RECT zone = ecran.rcWork;
    if (surProprietaire) {
        GetWindowRect(proprietaire, &zone);
    }
    RECT cadre{};
    GetWindowRect(hwnd_, &cadre);
    const LONG largeur = cadre.right - cadre.left, hauteur = cadre.bottom - cadre.top;
    LONG x = (zone.left + zone.right - largeur) / 2;
    LONG y = (zone.top + zone.bottom - hauteur) / 2;
    x = std::max(std::min(x, ecran.rcWork.right - largeur), ecran.rcWork.left);
    y = std::max(std::min(y, ecran.rcWork.bottom - hauteur), ecran.rcWork.top);
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void VueWin32::MontrerModal(IVueFormulaire* proprietaire) {
    auto* vueProprietaire = dynamic_cast<VueWin32*>(proprietaire);
    HWND owner = vueProprietaire ? vueProprietaire->hwnd_ : nullptr;
    HWND form = hwnd_;
    if (owner != nullptr) {
        // Owned: stays above its owner, out of the task bar.
        SetWindowLongPtrW(form, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    }
    Placer(owner);
    const auto vivant = vivant_;
    HWND desactive = nullptr;
    if (owner != nullptr && IsWindowEnabled(owner)) {
        EnableWindow(owner, FALSE);
        desactive = owner;
    }
    Montrer();
    bool fin = false;
    int code = 0;
    while (*vivant && IsWindowVisible(form)) {
        MSG m;
        const BOOL r = GetMessageW(&m, nullptr, 0, 0);
        if (r == 0 || r == -1) {
            // The end of the program: the outer loop hears it too.
            fin = r == 0;
            code = static_cast<int>(m.wParam);
            break;
        }
        if (!TraiterMessageDialogue(m)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }
    if (desactive != nullptr && IsWindow(desactive)) {
        // Before the form goes, so that the system gives the owner the activation back.
        EnableWindow(desactive, TRUE);
        if (IsWindowVisible(desactive)) {
            SetActiveWindow(desactive);
        }
    }
    if (fin) {
        PostQuitMessage(code);
    }
}

bool VueWin32::Signaler(std::string_view controle, int indice, Evenement evenement) {
    if (enConstruction_) {
        return true;
    }
    const auto vivant = vivant_;
    recepteur_.Recevoir(controle, indice, evenement);
    return *vivant;
}

void VueWin32::Commande(UINT id, UINT code, HWND fenetre) {
    if (id == IDOK || id == IDCANCEL) {
        // Keys that no control took: Esc presses the cancel button (Enter finds the default
        // one through DM_GETDEFID).
        const std::size_t i =
            id == IDCANCEL ? ControleDeLaTouche(conception_.controles, Touche::Echap, Aucun,
                                                [this](std::size_t j) { return Disponible(j); })
                           : Aucun;
        if (i != Aucun) {
            controles_[i]->Signaler(Evenement::Click);
        }
        return;
    }
    ControleWin32* c = ParIdentifiant(id);
    if (c == nullptr || (fenetre != nullptr && fenetre != c->hwnd)) {
        return;
    }
    const GenreWin32& genre = DescriptionWin32(c->Conception().genre);
    if (code == genre.clic) {
        c->Signaler(Evenement::Click);
    } else if (code == genre.change) {
        c->Signaler(Evenement::Change);
    } else if (c->liste) {
        c->liste->Commande(code);
    }
}

bool VueWin32::Disponible(std::size_t position) const {
    HWND h = controles_[position]->hwnd;
    return h != nullptr && IsWindowVisible(h) && IsWindowEnabled(h);
}

LRESULT VueWin32::Notification(NMHDR& entete) {
    if (entete.code == TTN_GETDISPINFOW) {
        // A toolbar button's tip, as the window gave it.
        for (const auto& c : controles_) {
            if (c->Conception().genre != Genre::BarreOutils || c->hwnd == nullptr ||
                reinterpret_cast<HWND>(SendMessageW(c->hwnd, TB_GETTOOLTIPS, 0, 0)) !=
                    entete.hwndFrom) {
                continue;
            }
            auto& info = reinterpret_cast<NMTTDISPINFOW&>(entete);
            const auto position = SendMessageW(c->hwnd, TB_COMMANDTOINDEX, entete.idFrom, 0);
            if (position >= 0 && static_cast<std::size_t>(position) < c->bulleBoutons.size()) {
                info.lpszText = c->bulleBoutons[static_cast<std::size_t>(position)].data();
            }
            return 0;
        }
    }
    return 0;
}

LRESULT VueWin32::Couleur(HDC dc, HWND fenetre) {
    ControleWin32* c = ParFenetre(fenetre);
    const int couleur = c ? c->Conception().couleur : SansCouleur;
    if (couleur == SansCouleur) {
        return -1;
    }
    const COLORREF rgb = RGB((couleur >> 16) & 0xFF, (couleur >> 8) & 0xFF, couleur & 0xFF);
    if (c->Conception().genre == Genre::Ligne) {
        // A drawn line is its colour all over.
        for (const auto& [k, pinceau] : pinceaux_) {
            if (k == couleur) {
                return reinterpret_cast<LRESULT>(pinceau.Get());
            }
        }
        pinceaux_.emplace_back(couleur, PinceauGdi(CreateSolidBrush(rgb)));
        return reinterpret_cast<LRESULT>(pinceaux_.back().second.Get());
    }
    SetTextColor(dc, rgb);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

// Enter presses the button or opens the link that has the focus, else presses the default
// button.
LRESULT VueWin32::BoutonParDefaut() const {
    ControleWin32* focus = ParFenetre(GetFocus());
    const std::size_t i =
        ControleDeLaTouche(conception_.controles, Touche::Entree,
                           focus ? focus->Identifiant() - kPremierIdentifiant : Aucun,
                           [this](std::size_t j) { return Disponible(j); });
    return i != Aucun ? MAKELRESULT(controles_[i]->Identifiant(), DC_HASDEFID) : 0;
}

LRESULT VueWin32::Traiter(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_COMMAND:
        Commande(LOWORD(w), HIWORD(w), reinterpret_cast<HWND>(l));
        return 0;
    case WM_NOTIFY:
        return Notification(*reinterpret_cast<NMHDR*>(l));
    case DM_GETDEFID:
        return BoutonParDefaut();
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (const LRESULT r = Couleur(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l));
            r != -1) {
            return r;
        }
        break;
    case WM_SETCURSOR: {
        ControleWin32* c = ParFenetre(reinterpret_cast<HWND>(w));
        if (c != nullptr && c->Conception().lien && LOWORD(l) == HTCLIENT) {
            SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));
            return TRUE;
        }
        break;
    }
    case WM_MEASUREITEM: {
        auto& mesure = *reinterpret_cast<MEASUREITEMSTRUCT*>(l);
        if (mesure.CtlType == ODT_LISTBOX) {
            mesure.itemHeight = static_cast<UINT>(HauteurEntreeDossier(dpi_));
            return TRUE;
        }
        break;
    }
    case WM_DRAWITEM: {
        const auto& dessin = *reinterpret_cast<const DRAWITEMSTRUCT*>(l);
        ControleWin32* c = ParFenetre(dessin.hwndItem);
        if (c != nullptr && c->liste && c->liste->Dessiner(dessin, dpi_)) {
            return TRUE;
        }
        break;
    }
    case WM_TIMER:
        if (Tic(static_cast<UINT>(w))) {
            return 0;
        }
        break;
    case WM_CLOSE:
        // The form is destroyed by its window object, never by the system under our feet.
        Signaler("", -1, Evenement::Fermeture);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(w) == WA_INACTIVE) {
            HWND f = GetFocus();
            if (f != nullptr && IsChild(hwnd_, f)) {
                focus_ = f;
            }
        } else if (focus_ != nullptr && IsWindow(focus_)) {
            SetFocus(focus_);
            return 0;
        }
        break;
    case WM_DPICHANGED: {
        dpi_ = HIWORD(w);
        const RECT& propose = *reinterpret_cast<const RECT*>(l);
        SetWindowPos(hwnd_, nullptr, propose.left, propose.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        Disposer();
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(hwnd_, message, w, l);
}

bool VueWin32::Tic(UINT id) {
    ControleWin32* c = ParIdentifiant(id);
    if (c == nullptr || c->Conception().genre != Genre::Minuterie) {
        return false;
    }
    // A tick that runs long, or opens a modal window, is not run into by the next one.
    if (!c->enTic) {
        c->enTic = true;
        if (c->Signaler(Evenement::Timer)) {
            c->enTic = false;
        }
    }
    return true;
}

LRESULT CALLBACK VueWin32::Procedure(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    auto* vue = reinterpret_cast<VueWin32*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (vue == nullptr) {
        return DefWindowProcW(hwnd, message, w, l);
    }
    LRESULT resultat = 0;
    SansErreurNonTraitee([&] { resultat = vue->Traiter(message, w, l); });
    return resultat;
}

LRESULT CALLBACK VueWin32::ProcedureControle(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                             DWORD_PTR donnees) {
    return reinterpret_cast<VueWin32*>(donnees)->MessageControle(hwnd, message, w, l);
}

LRESULT VueWin32::MessageControle(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    ControleWin32* c = ParFenetre(hwnd);
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
        // A frame's controls speak to the form, as if they stood on it.
        if (c != nullptr && EstConteneur(c->Conception().genre)) {
            return SendMessageW(hwnd_, message, w, l);
        }
        break;
    case WM_GETDLGCODE:
    case WM_KEYDOWN: {
        LRESULT resultat = 0;
        if (c != nullptr && c->liste && c->liste->Intercepter(message, w, l, resultat)) {
            return resultat;
        }
        // A box of lines keeps Enter; Tab and Esc stay the form's.
        const auto* m = reinterpret_cast<const MSG*>(l);
        if (message == WM_GETDLGCODE && c != nullptr && !c->liste && m != nullptr &&
            m->message == WM_KEYDOWN && (m->wParam == VK_TAB || m->wParam == VK_ESCAPE)) {
            return DefSubclassProc(hwnd, message, w, l) & ~static_cast<LRESULT>(DLGC_WANTMESSAGE);
        }
        break;
    }
    default:
        break;
    }
    return DefSubclassProc(hwnd, message, w, l);
}

std::unique_ptr<IVueFormulaire> FabriqueWin32::Creer(const ConceptionFenetre& conception,
                                                     IRecepteur& recepteur) {
    return std::make_unique<VueWin32>(conception, recepteur);
}

} // namespace monvalor
