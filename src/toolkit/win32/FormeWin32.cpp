#include "toolkit/win32/FormeWin32.h"

#include "forms/ListesFichiers.h"
#include "support/Ansi.h"
#include "support/Erreur.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace monvalor {

namespace {

constexpr wchar_t kClasseForm[] = L"MonvalorFormulaire";
// Control identifiers start past IDOK and IDCANCEL, which the dialog keys send.
constexpr UINT kPremierIdentifiant = 100;
// Toolbar buttons take command identifiers of their own, by toolbar.
constexpr UINT kPremierBoutonOutil = 0x4000;
constexpr UINT kBoutonsParBarre = 64;
// The size at which a picture box of the designs shows an icon, at 96 pixels to the inch.
constexpr int kCoteIcone = 32;
// The bar counts in ten-thousandths of its maximum.
constexpr int kEchelle = 10000;
// Each folder one step further in than its parent, as in a tree (pixels at 96 to the inch).
constexpr int kRetrait = 12;

[[noreturn]] void ProprieteAbsente() {
    throw Erreur(ErrArgument);
}

bool PrendLeFocus(Genre genre) {
    return genre == Genre::ZoneTexte || genre == Genre::Bouton || genre == Genre::CaseACocher ||
           genre == Genre::BoutonOption || genre == Genre::ListeVue ||
           genre == Genre::ListeLecteurs || genre == Genre::ListeDossiers;
}

bool EstConteneur(Genre genre) {
    return genre == Genre::Cadre || genre == Genre::Image;
}

// The controls whose messages the form looks at before their own class does.
bool Sousclasse(const ConceptionControle& c) {
    return EstConteneur(c.genre) || c.genre == Genre::ListeDossiers ||
           (c.genre == Genre::ZoneTexte && c.retourLigne);
}

std::wstring TexteFenetre(HWND hwnd) {
    std::wstring texte(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    texte.resize(static_cast<std::size_t>(
        GetWindowTextW(hwnd, texte.data(), static_cast<int>(texte.size()))));
    return texte;
}

} // namespace

std::vector<std::wstring> FamillesPolice(std::string_view face) {
    if (face == "MS Sans Serif") {
        return {L"MS Sans Serif", L"Microsoft Sans Serif", L"Tahoma", L"Liberation Sans", L"Arial"};
    }
    if (face == "Times New Roman") {
        return {L"Times New Roman", L"Liberation Serif", L"DejaVu Serif"};
    }
    return {LargeDepuisAnsi(face), L"Tahoma", L"Liberation Sans", L"Arial", L"DejaVu Sans"};
}

namespace {

int CALLBACK FaceTrouvee(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM trouvee) {
    *reinterpret_cast<bool*>(trouvee) = true;
    return 0;
}

std::wstring FaceDisponible(std::string_view face) {
    const std::vector<std::wstring> familles = FamillesPolice(face);
    HDC dc = GetDC(nullptr);
    for (const std::wstring& f : familles) {
        LOGFONTW lf{};
        lf.lfCharSet = DEFAULT_CHARSET;
        lstrcpynW(lf.lfFaceName, f.c_str(), LF_FACESIZE);
        bool trouvee = false;
        EnumFontFamiliesExW(dc, &lf, FaceTrouvee, reinterpret_cast<LPARAM>(&trouvee), 0);
        if (trouvee) {
            ReleaseDC(nullptr, dc);
            return f;
        }
    }
    ReleaseDC(nullptr, dc);
    return familles.front();
}

int DpiDe(HWND hwnd) {
    const UINT dpi = hwnd != nullptr ? GetDpiForWindow(hwnd) : GetDpiForSystem();
    return dpi != 0 ? static_cast<int>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

// Windows line ends in a box of lines, whatever the program gave.
std::string FinsDeLigneWindows(const std::string& texte) {
    std::string r;
    r.reserve(texte.size());
    for (std::size_t i = 0; i < texte.size(); ++i) {
        if (texte[i] == '\n' && (i == 0 || texte[i - 1] != '\r')) {
            r.push_back('\r');
        }
        r.push_back(texte[i]);
    }
    return r;
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

class ControleWin32 final : public IControle {
public:
    ControleWin32(VueWin32& vue, const ConceptionControle& conception, const Police& police,
                  UINT identifiant)
        : vue_(vue), conception_(conception), police_(police), identifiant_(identifiant) {}

    const ConceptionControle& Conception() const { return conception_; }
    HWND hwnd = nullptr;
    UINT Identifiant() const { return identifiant_; }
    std::unique_ptr<ListeLecteurs> lecteurs;
    std::unique_ptr<ListeDossiers> dossiers;
    std::vector<std::wstring> bulleBoutons;    // toolbar buttons' tips
    std::vector<std::wstring> libellesBoutons; // and their captions, which the bar points to
    bool enTic = false;
    int intervalle = 0;

    std::string Texte() const override {
        HWND h = Requis();
        if (lecteurs) {
            return lecteurs->Lecteur();
        }
        if (dossiers) {
            return dossiers->Chemin();
        }
        if (!AUnTexte(conception_.genre)) {
            ProprieteAbsente();
        }
        return AnsiDepuisLarge(TexteFenetre(h));
    }

    void DefinirTexte(const std::string& texte) override {
        HWND h = Requis();
        if (lecteurs) {
            lecteurs->DefinirLecteur(texte);
            return;
        }
        if (dossiers) {
            dossiers->DefinirChemin(texte);
            return;
        }
        if (!AUnTexte(conception_.genre)) {
            ProprieteAbsente();
        }
        const std::wstring large =
            LargeDepuisAnsi(conception_.genre == Genre::ZoneTexte && conception_.retourLigne
                                ? FinsDeLigneWindows(texte)
                                : texte);
        // The same text again is no change.
        if (TexteFenetre(h) != large) {
            SetWindowTextW(h, large.c_str());
        }
    }

    bool Visible() const override { return (GetWindowLongW(Requis(), GWL_STYLE) & WS_VISIBLE); }
    void DefinirVisible(bool visible) override {
        ShowWindow(Requis(), visible ? SW_SHOWNA : SW_HIDE);
    }
    bool Actif() const override { return IsWindowEnabled(Requis()) != FALSE; }
    void DefinirActif(bool actif) override { EnableWindow(Requis(), actif); }

    std::string InfoBulle() const override {
        Requis();
        return infoBulle_;
    }
    void DefinirInfoBulle(const std::string& infoBulle) override {
        HWND h = Requis();
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

    Police LirePolice() const override {
        Requis();
        return police_;
    }
    void DefinirPolice(const Police& police) override {
        HWND h = Requis();
        police_ = police;
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(vue_.Police(police)), TRUE);
    }

    void DefinirImage(std::string_view icone) override {
        if (conception_.genre != Genre::Image) {
            ProprieteAbsente();
        }
        icone_ = LargeDepuisAnsi(icone);
        MontrerImage();
    }

    void DefinirIntervalle(int millisecondes) override {
        if (conception_.genre != Genre::Minuterie || millisecondes < 0) {
            ProprieteAbsente();
        }
        intervalle = millisecondes;
        if (millisecondes == 0) {
            KillTimer(vue_.hwnd_, identifiant_);
        } else {
            SetTimer(vue_.hwnd_, identifiant_, static_cast<UINT>(millisecondes), nullptr);
        }
    }

    double Max() const override {
        Barre();
        return max_;
    }
    void DefinirMax(double max) override {
        Barre();
        if (!(max > 0)) {
            throw Erreur(ErrValeurPropriete);
        }
        max_ = max;
        valeur_ = std::min(valeur_, max_);
        MontrerBarre();
    }
    double Valeur() const override {
        Barre();
        return valeur_;
    }
    void DefinirValeur(double valeur) override {
        Barre();
        if (!(valeur >= 0 && valeur <= max_)) {
            throw Erreur(ErrValeurPropriete);
        }
        valeur_ = valeur;
        MontrerBarre();
    }

    void DefinirTexteCle(std::size_t position, const std::string& texte) override {
        HWND h = Requis();
        if (conception_.genre == Genre::BarreOutils) {
            if (position >= bulleBoutons.size()) {
                ProprieteAbsente();
            }
            bulleBoutons[position] = LargeDepuisAnsi(texte);
        } else if (conception_.genre == Genre::ListeVue) {
            if (position >= conception_.cles.size()) {
                ProprieteAbsente();
            }
            std::wstring large = LargeDepuisAnsi(texte);
            LVCOLUMNW colonne{};
            colonne.mask = LVCF_TEXT;
            colonne.pszText = large.data();
            SendMessageW(h, LVM_SETCOLUMNW, position, reinterpret_cast<LPARAM>(&colonne));
        } else {
            ProprieteAbsente();
        }
    }

    // The picture again, at the size the monitor wants.
    void MontrerImage() {
        if (icone_.empty() || hwnd == nullptr) {
            return;
        }
        const int cote = MulDiv(kCoteIcone, vue_.dpi_, USER_DEFAULT_SCREEN_DPI);
        auto* nouvelle = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), icone_.c_str(), IMAGE_ICON, cote, cote, 0));
        auto* ancienne = reinterpret_cast<HICON>(
            SendMessageW(hwnd, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(nouvelle)));
        if (image_ != nullptr) {
            DestroyIcon(image_);
        }
        (void)ancienne; // the one we kept, destroyed just above
        image_ = nouvelle;
    }

    // The lists show what their models hold.
    void MontrerLecteurs() {
        SendMessageW(hwnd, CB_RESETCONTENT, 0, 0);
        for (const Volume& v : lecteurs->Lecteurs()) {
            SendMessageW(hwnd, CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(LargeDepuisAnsi(TexteLecteur(v)).c_str()));
        }
        SendMessageW(hwnd, CB_SETCURSEL, lecteurs->Indice(), 0);
    }
    void MontrerDossiers() {
        SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
        SendMessageW(hwnd, LB_RESETCONTENT, 0, 0);
        for (const EntreeDossier& e : dossiers->Entrees()) {
            const auto i = SendMessageW(hwnd, LB_ADDSTRING, 0,
                                        reinterpret_cast<LPARAM>(LargeDepuisAnsi(e.nom).c_str()));
            SendMessageW(hwnd, LB_SETITEMDATA, static_cast<WPARAM>(i),
                         static_cast<LPARAM>(e.niveau) | (e.ouvert ? 0x10000 : 0));
        }
        if (!dossiers->Entrees().empty()) {
            SendMessageW(hwnd, LB_SETCURSEL, dossiers->IndiceCourant(), 0);
        }
        SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(hwnd, nullptr, TRUE);
    }

    ~ControleWin32() override {
        if (image_ != nullptr) {
            DestroyIcon(image_);
        }
    }

private:
    void Barre() const {
        if (conception_.genre != Genre::BarreProgression || hwnd == nullptr) {
            ProprieteAbsente();
        }
    }
    void MontrerBarre() {
        SendMessageW(hwnd, PBM_SETPOS, static_cast<WPARAM>(std::lround(valeur_ / max_ * kEchelle)),
                     0);
    }
    HWND Requis() const {
        if (hwnd == nullptr) {
            ProprieteAbsente();
        }
        return hwnd;
    }

    VueWin32& vue_;
    const ConceptionControle& conception_;
    Police police_;
    UINT identifiant_;
    std::string infoBulle_;
    std::wstring icone_;
    HICON image_ = nullptr;
    double max_ = 100, valeur_ = 0;
};

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
            icones_[grand] = static_cast<HICON>(LoadImageW(
                GetModuleHandleW(nullptr), nom.c_str(), IMAGE_ICON,
                GetSystemMetricsForDpi(grand ? SM_CXICON : SM_CXSMICON, static_cast<UINT>(dpi_)),
                GetSystemMetricsForDpi(grand ? SM_CYICON : SM_CYSMICON, static_cast<UINT>(dpi_)),
                0));
            SendMessageW(hwnd_, WM_SETICON, grand ? ICON_BIG : ICON_SMALL,
                         reinterpret_cast<LPARAM>(icones_[grand]));
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
    const std::size_t n = table.size();
    // Where each control stands: its container's position in the table, or n for the form.
    std::vector<std::size_t> parent(n, n);
    for (std::size_t i = 0; i < n; ++i) {
        if (table[i].conteneur.empty()) {
            continue;
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (table[j].nom == table[i].conteneur && table[j].indice == -1 &&
                EstConteneur(table[j].genre)) {
                parent[i] = j;
                break;
            }
        }
    }
    // The dialog keys walk the controls in the order of their windows: the tab order. A box's
    // label goes just before it, where screen readers look for the box's name; a frame comes
    // where its first control does; the other controls come last, as designed.
    constexpr double kSansRang = 1e9;
    std::vector<double> rang(n, kSansRang);
    for (std::size_t i = 0; i < n; ++i) {
        if (PrendLeFocus(table[i].genre) && table[i].tabulation != SansTabulation) {
            rang[i] = table[i].tabulation;
        }
    }
    for (std::size_t i = 1; i < n; ++i) {
        if (table[i].genre == Genre::ZoneTexte && table[i - 1].genre == Genre::Label &&
            parent[i - 1] == parent[i]) {
            rang[i - 1] = rang[i] - 0.5;
        }
    }
    for (std::size_t i = n; i-- > 0;) {
        for (std::size_t p = parent[i]; p < n; p = parent[p]) {
            rang[p] = std::min(rang[p], rang[i]);
        }
    }
    std::vector<int> profondeur(n, 0);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t p = parent[i]; p < n; p = parent[p]) {
            ++profondeur[i];
        }
    }
    std::vector<std::size_t> ordre(n);
    std::iota(ordre.begin(), ordre.end(), std::size_t{0});
    std::stable_sort(ordre.begin(), ordre.end(), [&](std::size_t a, std::size_t b) {
        return std::tuple(profondeur[a], rang[a]) < std::tuple(profondeur[b], rang[b]);
    });

    for (std::size_t i = 0; i < n; ++i) {
        const ConceptionControle& c = table[i];
        controles_.push_back(
            std::make_unique<ControleWin32>(*this, c, c.police ? *c.police : conception_.police,
                                            kPremierIdentifiant + static_cast<UINT>(i)));
    }

    HWND premier = nullptr;
    double premierRang = kSansRang;
    Genre precedent = Genre::Minuterie;
    HWND parentPrecedent = nullptr;
    for (std::size_t i : ordre) {
        const ConceptionControle& c = table[i];
        ControleWin32& ctl = *controles_[i];
        if (c.genre == Genre::Minuterie) {
            continue;
        }
        HWND parentFenetre = parent[i] < n && controles_[parent[i]]->hwnd != nullptr
                                 ? controles_[parent[i]]->hwnd
                                 : hwnd_;
        const wchar_t* classe = L"STATIC";
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
        DWORD etendu = 0;
        std::wstring texte = LargeDepuisAnsi(c.legende);
        const bool prefixe = i + 1 < n && table[i + 1].genre == Genre::ZoneTexte;
        switch (c.genre) {
        case Genre::Label:
            // Clickable and tipped; the mnemonic is the box's that follows it.
            style |= SS_NOTIFY | (prefixe ? 0 : SS_NOPREFIX);
            if (!c.retourLigne && !c.lien) {
                // A plain one-line caption sits in the middle of its row.
                style |= SS_LEFTNOWORDWRAP | SS_CENTERIMAGE;
            } else if (!c.retourLigne) {
                style |= SS_LEFTNOWORDWRAP;
            }
            break;
        case Genre::Image:
            style |= SS_ICON | SS_CENTERIMAGE | SS_NOTIFY;
            etendu |= WS_EX_CONTROLPARENT;
            texte.clear();
            break;
        case Genre::Ligne:
            texte.clear();
            break;
        case Genre::ZoneTexte:
            classe = L"EDIT";
            style |= ES_AUTOHSCROLL | WS_TABSTOP;
            etendu |= WS_EX_CLIENTEDGE;
            if (c.retourLigne) {
                style = (style & ~static_cast<DWORD>(ES_AUTOHSCROLL)) | ES_MULTILINE |
                        ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL;
                texte = LargeDepuisAnsi(FinsDeLigneWindows(std::string(c.legende)));
            }
            break;
        case Genre::Bouton:
            classe = L"BUTTON";
            style |= (c.defaut ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP;
            break;
        case Genre::CaseACocher:
            classe = L"BUTTON";
            style |= BS_AUTOCHECKBOX | WS_TABSTOP;
            break;
        case Genre::BoutonOption:
            classe = L"BUTTON";
            style |= BS_AUTORADIOBUTTON | WS_TABSTOP;
            break;
        case Genre::Cadre:
            classe = L"BUTTON";
            style |= BS_GROUPBOX;
            etendu |= WS_EX_CONTROLPARENT;
            break;
        case Genre::BarreOutils:
            classe = TOOLBARCLASSNAMEW;
            style |= CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER | TBSTYLE_FLAT |
                     TBSTYLE_LIST | TBSTYLE_TOOLTIPS;
            texte.clear();
            break;
        case Genre::ListeVue:
            classe = WC_LISTVIEWW;
            style |= LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | WS_TABSTOP;
            etendu |= WS_EX_CLIENTEDGE;
            texte.clear();
            break;
        case Genre::ListeLecteurs:
            classe = L"COMBOBOX";
            style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
            texte.clear();
            break;
        case Genre::ListeDossiers:
            classe = L"LISTBOX";
            style |= LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT |
                     WS_VSCROLL | WS_TABSTOP;
            etendu |= WS_EX_CLIENTEDGE;
            texte.clear();
            break;
        case Genre::BarreProgression:
            classe = PROGRESS_CLASSW;
            texte.clear();
            break;
        case Genre::Minuterie:
            break;
        }
        if (!PrendLeFocus(c.genre) || c.tabulation == SansTabulation) {
            style &= ~static_cast<DWORD>(WS_TABSTOP);
        }
        // Option buttons side by side form one group, which the arrows go through.
        if (c.genre != Genre::BoutonOption || precedent != Genre::BoutonOption ||
            parentPrecedent != parentFenetre) {
            style |= WS_GROUP;
        }
        precedent = c.genre;
        parentPrecedent = parentFenetre;
        if (c.visible) {
            style |= WS_VISIBLE;
        }
        if (!c.actif) {
            style |= WS_DISABLED;
        }
        const RECT r = RectanglePixels(c.position, dpi_);
        ctl.hwnd = CreateWindowExW(
            etendu, classe, texte.c_str(), style, r.left, r.top, r.right - r.left,
            c.genre == Genre::ListeLecteurs ? MulDiv(200, dpi_, USER_DEFAULT_SCREEN_DPI)
                                            : r.bottom - r.top,
            parentFenetre, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(ctl.Identifiant())),
            GetModuleHandleW(nullptr), nullptr);
        if (ctl.hwnd == nullptr) {
            throw Erreur(ErrMemoire); // out of memory: the system could not make the window
        }
        HWND h = ctl.hwnd;
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(Police(ctl.LirePolice())), FALSE);
        if (Sousclasse(c)) {
            SetWindowSubclass(h, &VueWin32::ProcedureControle, 1,
                              reinterpret_cast<DWORD_PTR>(this));
        }
        switch (c.genre) {
        case Genre::ZoneTexte:
            // As long as the program or the user likes: the clipboard may bring anything.
            SendMessageW(h, EM_SETLIMITTEXT, 0, 0);
            break;
        case Genre::BarreOutils: {
            SendMessageW(h, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
            const UINT base = kPremierBoutonOutil + static_cast<UINT>(i) * kBoutonsParBarre;
            std::vector<std::wstring> textes;
            for (std::string_view cle : c.cles) {
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
            SendMessageW(h, TB_ADDBUTTONSW, boutons.size(),
                         reinterpret_cast<LPARAM>(boutons.data()));
            ctl.bulleBoutons = textes;
            ctl.libellesBoutons = std::move(textes);
            break;
        }
        case Genre::ListeVue: {
            SendMessageW(h, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                         LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
            for (std::size_t k = 0; k < c.cles.size(); ++k) {
                std::wstring t = LargeDepuisAnsi(c.cles[k]);
                LVCOLUMNW colonne{};
                colonne.mask = LVCF_TEXT | LVCF_WIDTH;
                colonne.cx = (r.right - r.left) / static_cast<int>(c.cles.size());
                colonne.pszText = t.data();
                SendMessageW(h, LVM_INSERTCOLUMNW, k, reinterpret_cast<LPARAM>(&colonne));
            }
            break;
        }
        case Genre::ListeLecteurs:
            ctl.lecteurs = std::make_unique<ListeLecteurs>();
            ctl.lecteurs->surChangement = [this, &ctl, &c] {
                ctl.MontrerLecteurs();
                Signaler(c.nom, c.indice, Evenement::Change);
            };
            ctl.MontrerLecteurs();
            break;
        case Genre::ListeDossiers:
            ctl.dossiers = std::make_unique<ListeDossiers>();
            ctl.dossiers->surChangement = [this, &ctl, &c] {
                ctl.MontrerDossiers();
                Signaler(c.nom, c.indice, Evenement::Change);
            };
            ctl.MontrerDossiers();
            break;
        case Genre::BarreProgression:
            SendMessageW(h, PBM_SETRANGE32, 0, kEchelle);
            SendMessageW(h, PBM_SETPOS, 0, 0);
            break;
        default:
            break;
        }
        if (!c.infoBulle.empty()) {
            ctl.DefinirInfoBulle(std::string(c.infoBulle));
        }
        if (rang[i] < premierRang && (GetWindowLongW(h, GWL_STYLE) & WS_TABSTOP)) {
            premierRang = rang[i];
            premier = h;
        }
    }
    focus_ = premier;
    Dimensionner();
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
            if (c->hwnd != nullptr && Sousclasse(c->Conception())) {
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
    controles_.clear();
    for (auto& [p, f] : polices_) {
        DeleteObject(f);
    }
    polices_.clear();
    for (auto& [couleur, pinceau] : pinceaux_) {
        DeleteObject(pinceau);
    }
    pinceaux_.clear();
    for (HICON& i : icones_) {
        if (i != nullptr) {
            DestroyIcon(i);
            i = nullptr;
        }
    }
    for (HICON& i : dossiers_) {
        if (i != nullptr) {
            DestroyIcon(i);
            i = nullptr;
        }
    }
}

HFONT VueWin32::Police(const monvalor::Police& police) {
    for (const auto& [p, f] : polices_) {
        if (p == police) {
            return f;
        }
    }
    const std::wstring face = FaceDisponible(police.face);
    HFONT f = CreateFontW(-static_cast<int>(std::lround(police.points * dpi_ / 72.0)), 0, 0, 0,
                          police.gras ? FW_BOLD : FW_NORMAL, FALSE, police.souligne, FALSE,
                          DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_DONTCARE, face.c_str());
    polices_.emplace_back(police, f);
    return f;
}

// Every control where the design puts it at the monitor's pixels, in its font at that size.
void VueWin32::Disposer() {
    std::vector<std::pair<monvalor::Police, HFONT>> anciennes;
    anciennes.swap(polices_);
    Dimensionner();
    for (const auto& c : controles_) {
        if (c->hwnd == nullptr) {
            continue;
        }
        const ConceptionControle& d = c->Conception();
        const RECT r = RectanglePixels(d.position, dpi_);
        const int hauteur = d.genre == Genre::ListeLecteurs
                                ? MulDiv(200, dpi_, USER_DEFAULT_SCREEN_DPI)
                                : r.bottom - r.top;
        SetWindowPos(c->hwnd, nullptr, r.left, r.top, r.right - r.left, hauteur,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(c->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Police(c->LirePolice())), TRUE);
        if (d.genre == Genre::ListeDossiers) {
            SendMessageW(c->hwnd, LB_SETITEMHEIGHT, 0, MulDiv(18, dpi_, USER_DEFAULT_SCREEN_DPI));
        }
        if (d.genre == Genre::Image) {
            c->MontrerImage();
        }
    }
    for (auto& [p, f] : anciennes) {
        DeleteObject(f);
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
        if (id == IDCANCEL) {
            for (const auto& c : controles_) {
                const ConceptionControle& d = c->Conception();
                if (d.annulation && c->hwnd != nullptr && IsWindowVisible(c->hwnd) &&
                    IsWindowEnabled(c->hwnd)) {
                    Signaler(d.nom, d.indice, Evenement::Click);
                    return;
                }
            }
        }
        return;
    }
    ControleWin32* c = ParIdentifiant(id);
    if (c == nullptr || (fenetre != nullptr && fenetre != c->hwnd)) {
        return;
    }
    const ConceptionControle& d = c->Conception();
    switch (d.genre) {
    case Genre::Bouton:
    case Genre::CaseACocher:
    case Genre::BoutonOption:
        if (code == BN_CLICKED) {
            Signaler(d.nom, d.indice, Evenement::Click);
        }
        break;
    case Genre::Label:
    case Genre::Image:
        if (code == STN_CLICKED) {
            Signaler(d.nom, d.indice, Evenement::Click);
        }
        break;
    case Genre::ZoneTexte:
        if (code == EN_CHANGE) {
            Signaler(d.nom, d.indice, Evenement::Change);
        }
        break;
    case Genre::ListeLecteurs:
        if (code == CBN_DROPDOWN) {
            // Read again each time it opens: a key plugged in meanwhile shows.
            c->lecteurs->Rafraichir();
            c->MontrerLecteurs();
        } else if (code == CBN_SELENDOK ||
                   (code == CBN_SELCHANGE && !SendMessageW(c->hwnd, CB_GETDROPPEDSTATE, 0, 0))) {
            const auto i = SendMessageW(c->hwnd, CB_GETCURSEL, 0, 0);
            ListeLecteurs& l = *c->lecteurs;
            const auto vivant = vivant_;
            ActionSurListe([&] {
                if (i >= 0 && static_cast<std::size_t>(i) < l.Lecteurs().size() &&
                    static_cast<std::size_t>(i) != l.Indice()) {
                    l.DefinirLecteur(TexteLecteur(l.Lecteurs()[static_cast<std::size_t>(i)]));
                }
            });
            if (*vivant) {
                c->MontrerLecteurs();
            }
        }
        break;
    case Genre::ListeDossiers:
        if (code == LBN_DBLCLK) {
            const auto i = SendMessageW(c->hwnd, LB_GETCURSEL, 0, 0);
            if (i >= 0) {
                ListeDossiers& l = *c->dossiers;
                const auto vivant = vivant_;
                ActionSurListe([&] { l.Ouvrir(static_cast<std::size_t>(i)); });
                // What it shows again, opened or not.
                if (*vivant) {
                    c->MontrerDossiers();
                }
            }
        }
        break;
    default:
        break;
    }
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

void VueWin32::DessinerDossier(ControleWin32& c, const DRAWITEMSTRUCT& dessin) {
    if (dessin.itemID == static_cast<UINT>(-1)) {
        return;
    }
    const bool choisi = dessin.itemState & ODS_SELECTED;
    HDC dc = dessin.hDC;
    FillRect(dc, &dessin.rcItem, GetSysColorBrush(choisi ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const auto donnees = static_cast<LPARAM>(dessin.itemData);
    const int niveau = static_cast<int>(donnees & 0xFFFF);
    const bool ouvert = (donnees & 0x10000) != 0;
    RECT r = dessin.rcItem;
    r.left += MulDiv(2 + kRetrait * niveau, dpi_, USER_DEFAULT_SCREEN_DPI);
    const int cote = MulDiv(16, dpi_, USER_DEFAULT_SCREEN_DPI);
    HICON& icone = dossiers_[ouvert ? 1 : 0];
    if (icone == nullptr) {
        SHSTOCKICONINFO info{};
        info.cbSize = sizeof info;
        if (SUCCEEDED(SHGetStockIconInfo(ouvert ? SIID_FOLDEROPEN : SIID_FOLDER,
                                         SHGSI_ICON | SHGSI_SMALLICON, &info))) {
            icone = info.hIcon;
        }
    }
    if (icone != nullptr) {
        DrawIconEx(dc, r.left, r.top + (r.bottom - r.top - cote) / 2, icone, cote, cote, 0, nullptr,
                   DI_NORMAL);
    }
    r.left += cote + MulDiv(4, dpi_, USER_DEFAULT_SCREEN_DPI);
    const auto longueur = SendMessageW(c.hwnd, LB_GETTEXTLEN, dessin.itemID, 0);
    std::wstring texte(static_cast<std::size_t>(std::max<LRESULT>(longueur, 0)) + 1, L'\0');
    SendMessageW(c.hwnd, LB_GETTEXT, dessin.itemID, reinterpret_cast<LPARAM>(texte.data()));
    texte.resize(static_cast<std::size_t>(std::max<LRESULT>(longueur, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(choisi ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextW(dc, texte.c_str(), static_cast<int>(texte.size()), &r,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (dessin.itemState & ODS_FOCUS) {
        DrawFocusRect(dc, &dessin.rcItem);
    }
}

LRESULT VueWin32::Traiter(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_COMMAND:
        Commande(LOWORD(w), HIWORD(w), reinterpret_cast<HWND>(l));
        return 0;
    case WM_NOTIFY:
        return Notification(*reinterpret_cast<NMHDR*>(l));
    case DM_GETDEFID: {
        // Enter presses the button that has the focus, else the default one.
        ControleWin32* c = ParFenetre(GetFocus());
        if (c == nullptr || c->Conception().genre != Genre::Bouton) {
            c = nullptr;
            for (const auto& d : controles_) {
                if (d->Conception().defaut && d->hwnd != nullptr && IsWindowVisible(d->hwnd) &&
                    IsWindowEnabled(d->hwnd)) {
                    c = d.get();
                    break;
                }
            }
        }
        return c ? MAKELRESULT(c->Identifiant(), DC_HASDEFID) : 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        ControleWin32* c = ParFenetre(reinterpret_cast<HWND>(l));
        const int couleur = c ? c->Conception().couleur : SansCouleur;
        if (couleur == SansCouleur) {
            break;
        }
        const COLORREF rgb = RGB((couleur >> 16) & 0xFF, (couleur >> 8) & 0xFF, couleur & 0xFF);
        auto dc = reinterpret_cast<HDC>(w);
        if (c->Conception().genre == Genre::Ligne) {
            // A drawn line is its colour all over.
            for (const auto& [k, pinceau] : pinceaux_) {
                if (k == couleur) {
                    return reinterpret_cast<LRESULT>(pinceau);
                }
            }
            pinceaux_.emplace_back(couleur, CreateSolidBrush(rgb));
            return reinterpret_cast<LRESULT>(pinceaux_.back().second);
        }
        SetTextColor(dc, rgb);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
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
            mesure.itemHeight = static_cast<UINT>(MulDiv(18, dpi_, USER_DEFAULT_SCREEN_DPI));
            return TRUE;
        }
        break;
    }
    case WM_DRAWITEM: {
        const auto& dessin = *reinterpret_cast<const DRAWITEMSTRUCT*>(l);
        ControleWin32* c = ParFenetre(dessin.hwndItem);
        if (c != nullptr && c->dossiers) {
            DessinerDossier(*c, dessin);
            return TRUE;
        }
        break;
    }
    case WM_TIMER: {
        ControleWin32* c = ParIdentifiant(static_cast<UINT>(w));
        if (c == nullptr || c->Conception().genre != Genre::Minuterie) {
            break;
        }
        // A tick that runs long, or opens a modal window, is not run into by the next one.
        if (!c->enTic) {
            c->enTic = true;
            const ConceptionControle& d = c->Conception();
            if (Signaler(d.nom, d.indice, Evenement::Timer)) {
                c->enTic = false;
            }
        }
        return 0;
    }
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
    auto* vue = reinterpret_cast<VueWin32*>(donnees);
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
        if (ControleWin32* c = vue->ParFenetre(hwnd);
            c != nullptr && EstConteneur(c->Conception().genre)) {
            return SendMessageW(vue->hwnd_, message, w, l);
        }
        break;
    case WM_GETDLGCODE: {
        // Enter opens the folder the user moved to; on the current folder it is the form's.
        ControleWin32* c = vue->ParFenetre(hwnd);
        const auto* m = reinterpret_cast<const MSG*>(l);
        if (c != nullptr && c->dossiers && m != nullptr && m->message == WM_KEYDOWN &&
            m->wParam == VK_RETURN) {
            const auto i = SendMessageW(hwnd, LB_GETCURSEL, 0, 0);
            if (i >= 0 && static_cast<std::size_t>(i) != c->dossiers->IndiceCourant()) {
                return DefSubclassProc(hwnd, message, w, l) | DLGC_WANTMESSAGE;
            }
        }
        // A box of lines keeps Enter; Tab and Esc stay the form's.
        if (c != nullptr && !c->dossiers && m != nullptr && m->message == WM_KEYDOWN &&
            (m->wParam == VK_TAB || m->wParam == VK_ESCAPE)) {
            return DefSubclassProc(hwnd, message, w, l) & ~static_cast<LRESULT>(DLGC_WANTMESSAGE);
        }
        break;
    }
    case WM_KEYDOWN: {
        ControleWin32* c = vue->ParFenetre(hwnd);
        if (c != nullptr && c->dossiers && w == VK_RETURN) {
            const auto i = SendMessageW(hwnd, LB_GETCURSEL, 0, 0);
            if (i >= 0 && static_cast<std::size_t>(i) != c->dossiers->IndiceCourant()) {
                ListeDossiers& liste = *c->dossiers;
                const auto vivant = vue->vivant_;
                ActionSurListe([&] { liste.Ouvrir(static_cast<std::size_t>(i)); });
                if (*vivant) {
                    c->MontrerDossiers();
                }
                return 0;
            }
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
