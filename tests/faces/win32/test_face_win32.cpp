// The Win32 face: the face contract over the system's own controls, and what only it does.
#include "toolkit/win32/FormeWin32.h"

#include "Agencement.h"
#include "support/Ansi.h"

#include <commctrl.h>
#include <oleacc.h>

#include <cmath>
#include <functional>

using namespace monvalor;
using namespace monvalor::test;
using namespace monvalor::test::contrat;

namespace {

// Records the events of a form and lets a test act on each.
struct RecepteurActif final : IRecepteur {
    std::vector<std::pair<std::string, Evenement>> recus;
    std::function<void(Evenement)> action;
    void Recevoir(std::string_view c, int, Evenement e) override {
        recus.emplace_back(c, e);
        if (action) {
            action(e);
        }
    }
};

// The system class of each kind that has one of its own, in the order of Genre.
const wchar_t* const kClasses[] = {nullptr,          L"Edit",
                                   nullptr,          nullptr,
                                   nullptr,          nullptr,
                                   nullptr,          nullptr,
                                   nullptr,          L"ToolbarWindow32",
                                   L"SysListView32", L"ComboBox",
                                   L"ListBox",       L"msctls_progress32"};

std::wstring Classe(HWND h) {
    wchar_t nom[64] = {};
    GetClassNameW(h, nom, 64);
    return nom;
}

std::wstring Texte(HWND h) {
    wchar_t t[512] = {};
    GetWindowTextW(h, t, 512);
    return t;
}

// The controls that Tab visits, in the order the system walks them.
void Tabulation(const VueWin32& vue, HWND parent, std::vector<std::string>& noms) {
    for (HWND h = GetWindow(parent, GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
        if (GetWindowLongW(h, GWL_STYLE) & WS_TABSTOP) {
            noms.push_back(vue.NomDe(h));
        }
        if (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) {
            Tabulation(vue, h, noms);
        }
    }
}

// Runs the program's message loop for a while.
void Pomper(DWORD millisecondes) {
    const DWORD fin = GetTickCount() + millisecondes;
    while (static_cast<LONG>(fin - GetTickCount()) > 0) {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (!TraiterMessageDialogue(m)) {
                TranslateMessage(&m);
                DispatchMessageW(&m);
            }
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

void Frapper(HWND h, WPARAM touche) {
    MSG m{h, WM_KEYDOWN, touche, 0, 0, {}};
    if (!TraiterMessageDialogue(m)) {
        DispatchMessageW(&m);
    }
}

RECT DansParent(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::tuple<LONG, LONG, LONG, LONG> Cotes(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// Drives and folders as Windows writes them: "C:\\", "C:\\Users".
struct VolumesWindows final : IVolumes {
    std::vector<Volume> lecteurs;
    std::set<std::string> dossiers, refuses;
    std::vector<Volume> Lecteurs() override { return lecteurs; }
    std::string RepertoireCourant() override { return "C:\\home"; }
    bool EstAbsolu(const std::string& c) override { return c.size() > 2 && c[1] == ':'; }
    std::string Resoudre(const std::string& base, const std::string& t) override {
        return EstAbsolu(t) ? t : base.ends_with('\\') ? base + t : base + '\\' + t;
    }
    std::vector<std::string> SousDossiers(const std::string& d) override {
        if (refuses.contains(d) || !dossiers.contains(d)) {
            throw Erreur(refuses.contains(d) ? ErrPermission : ErrCheminIntrouvable);
        }
        std::vector<std::string> noms;
        for (const std::string& f : dossiers) {
            const std::size_t fin = f.rfind('\\');
            if (f.size() > 3 && f.substr(0, std::max<std::size_t>(fin, 3)) == d) {
                noms.push_back(f.substr(fin + 1));
            }
        }
        return noms;
    }
};

// Which kind a control's window is, by its class and style.
std::optional<Genre> GenreDe(HWND h) {
    const std::wstring classe = Classe(h);
    const LONG style = GetWindowLongW(h, GWL_STYLE);
    if (_wcsicmp(classe.c_str(), L"Static") == 0) {
        // Pictures show an icon; labels tell of clicks; lines are drawn only.
        return (style & SS_TYPEMASK) == SS_ICON ? Genre::Image
               : (style & SS_NOTIFY)            ? Genre::Label
                                                : Genre::Ligne;
    }
    if (_wcsicmp(classe.c_str(), L"Button") == 0) {
        switch (style & BS_TYPEMASK) {
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON:
            return Genre::Bouton;
        case BS_AUTOCHECKBOX:
            return Genre::CaseACocher;
        case BS_AUTORADIOBUTTON:
            return Genre::BoutonOption;
        case BS_GROUPBOX:
            return Genre::Cadre;
        default:
            return std::nullopt;
        }
    }
    for (std::size_t g = 0; g < std::size(kClasses); ++g) {
        if (kClasses[g] != nullptr && _wcsicmp(classe.c_str(), kClasses[g]) == 0) {
            return static_cast<Genre>(g);
        }
    }
    return std::nullopt;
}

struct AdaptateurWin32 {
    using Vue = VueWin32;
    static std::shared_ptr<IFabriqueFormulaires> Fabrique() {
        return std::make_shared<FabriqueWin32>();
    }
    static std::unique_ptr<Vue> Creer(const ConceptionFenetre& c, IRecepteur& r) {
        return std::make_unique<VueWin32>(c, r);
    }
    static std::optional<Genre> GenreNatif(Vue& vue, const ConceptionControle& c) {
        HWND h = vue.Fenetre(c.nom, c.indice);
        return h != nullptr ? GenreDe(h) : std::optional(Genre::Minuterie);
    }
    static std::string Conteneur(Vue& vue, const ConceptionControle& c) {
        HWND parent = GetParent(vue.Fenetre(c.nom, c.indice));
        return parent == vue.Form() ? "" : vue.NomDe(parent);
    }
    static std::string Libelle(Vue& vue, const ConceptionControle& c) {
        // What a screen reader says of the box: the label just before it among the windows.
        HWND avant = GetWindow(vue.Fenetre(c.nom, c.indice), GW_HWNDPREV);
        return avant != nullptr && GenreDe(avant) == Genre::Label ? AnsiDepuisLarge(Texte(avant))
                                                                  : "";
    }
    static void VerifierNatif(Vue& vue, const ConceptionFenetre& t, const ConceptionControle& c);
    static std::vector<std::string> OrdreTabulation(Vue& vue, const ConceptionFenetre&) {
        std::vector<std::string> noms;
        Tabulation(vue, vue.Form(), noms);
        return noms;
    }
    static std::string Focus(Vue& vue) {
        vue.Montrer();
        Pomper(20);
        return vue.NomDe(GetFocus());
    }
    static double PositionBarre(Vue& vue, std::string_view nom) {
        HWND h = vue.Fenetre(nom);
        return static_cast<double>(SendMessageW(h, PBM_GETPOS, 0, 0)) /
               static_cast<double>(SendMessageW(h, PBM_GETRANGE, FALSE, 0));
    }
    static void Cliquer(Vue& vue, std::string_view nom) {
        HWND h = vue.Fenetre(nom);
        SendMessageW(h, GenreDe(h) == Genre::Label ? WM_LBUTTONDOWN : BM_CLICK, MK_LBUTTON, 0);
    }
    static void Taper(Vue& vue, std::string_view nom, char c) {
        SendMessageW(vue.Fenetre(nom), WM_CHAR, static_cast<WPARAM>(c), 0);
    }
    static std::string Tabuler(Vue& vue) {
        Frapper(GetFocus(), VK_TAB);
        return vue.NomDe(GetFocus());
    }
    static void Appuyer(Vue& vue, std::string_view focus, Touche touche) {
        vue.Montrer();
        SetFocus(vue.Fenetre(focus));
        Frapper(GetFocus(), touche == Touche::Entree   ? VK_RETURN
                            : touche == Touche::Espace ? VK_SPACE
                                                       : VK_ESCAPE);
    }
    static void Fermer(Vue& vue) {
        SendMessageW(vue.Form(), WM_CLOSE, 0, 0);
        // The title bar's close is the window's to decide.
        EXPECT_TRUE(IsWindow(vue.Form()));
    }
    static void AttendreTic(Vue&, std::string_view) { Pomper(60); }
    static void Digerer() {}
    static Place Placer(Vue& vue, const ConceptionControle& c);
};

// The room the system leaves a caption: a button's edges, a check box's box, a frame's
// corners taken off its width; what the text takes, drawn as the control draws it.
Place AdaptateurWin32::Placer(Vue& vue, const ConceptionControle& c) {
    HWND h = vue.Fenetre(c.nom, c.indice);
    const RECT r = DansParent(h);
    Place p{r.left, r.top, r.right, r.bottom};
    if (!AUneLegende(c.genre)) {
        return p;
    }
    RECT client{};
    GetClientRect(h, &client);
    const auto px = [&](int n) { return MulDiv(n, vue.Dpi(), USER_DEFAULT_SCREEN_DPI); };
    p.placeLargeur = client.right;
    p.placeHauteur = client.bottom;
    switch (c.genre) {
    case Genre::Bouton:
        p.placeLargeur -= 2 * px(3);
        p.placeHauteur -= 2 * px(2);
        break;
    case Genre::CaseACocher:
    case Genre::BoutonOption:
        p.placeLargeur -= px(13 + 3);
        break;
    case Genre::Cadre:
        p.placeLargeur -= 2 * px(6);
        p.placeHauteur = 0;
        break;
    default:
        break;
    }
    HDC dc = GetDC(h);
    const HGDIOBJ avant =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(h, WM_GETFONT, 0, 0)));
    RECT texte{0, 0, client.right, 0};
    const bool prefixe =
        c.genre != Genre::Label || (GetWindowLongW(h, GWL_STYLE) & SS_NOPREFIX) == 0;
    DrawTextW(dc, Texte(h).c_str(), -1, &texte,
              DT_CALCRECT | (c.retourLigne ? DT_WORDBREAK : DT_SINGLELINE) |
                  (prefixe ? 0 : DT_NOPREFIX));
    SelectObject(dc, avant);
    ReleaseDC(h, dc);
    p.texteLargeur = texte.right;
    p.texteHauteur = c.genre == Genre::Cadre ? 0 : texte.bottom;
    return p;
}

void AdaptateurWin32::VerifierNatif(Vue& vue, const ConceptionFenetre& t,
                                    const ConceptionControle& c) {
    HWND h = vue.Fenetre(c.nom, c.indice);
    const int dpi = vue.Dpi();
    if (&c == t.controles.data()) {
        RECT client{};
        GetClientRect(vue.Form(), &client);
        EXPECT_EQ(std::tuple(client.right, client.bottom),
                  std::tuple(Pixels(t.largeur, dpi), Pixels(t.hauteur, dpi)));
    }
    // What has no caption stands exactly as designed; a caption may take room around it.
    const RECT dessin = RectanglePixels(c.position, dpi), vu = DansParent(h);
    RECT commun{};
    if (AUneLegende(c.genre)) {
        EXPECT_TRUE(IntersectRect(&commun, &dessin, &vu));
    } else if (c.genre != Genre::ListeLecteurs) { // a combo's height is its list's
        EXPECT_EQ(Cotes(vu), Cotes(dessin));
    }
    if (c.genre == Genre::Bouton) {
        EXPECT_EQ(GetWindowLongW(h, GWL_STYLE) & BS_TYPEMASK,
                  c.defaut ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    }
    if (c.genre == Genre::Image) {
        return; // a picture has no font
    }
    // The font the control really draws with.
    const Police& p = c.police ? *c.police : t.police;
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    const std::wstring face = lf.lfFaceName;
    const auto familles = FamillesPolice(p.face);
    EXPECT_NE(std::find(familles.begin(), familles.end(), face), familles.end())
        << AnsiDepuisLarge(face);
    EXPECT_EQ(std::tuple(lf.lfHeight, lf.lfWeight >= FW_BOLD, lf.lfUnderline != 0),
              std::tuple(-static_cast<LONG>(std::lround(p.points * dpi / 72)), p.gras, p.souligne));
    // A link shows the hand over it; a colour is the text's, or a line's all over.
    const bool main = SendMessageW(vue.Form(), WM_SETCURSOR, reinterpret_cast<WPARAM>(h),
                                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)) == TRUE;
    EXPECT_EQ(main && GetCursor() == LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)), c.lien);
    if (c.couleur != SansCouleur) {
        HDC dc = CreateCompatibleDC(nullptr);
        const auto pinceau = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(h), WM_CTLCOLORSTATIC,
                                                                   reinterpret_cast<WPARAM>(dc),
                                                                   reinterpret_cast<LPARAM>(h)));
        LOGBRUSH lb{};
        GetObjectW(pinceau, sizeof lb, &lb);
        const COLORREF vu = c.genre == Genre::Ligne ? lb.lbColor : GetTextColor(dc);
        DeleteDC(dc);
        EXPECT_EQ(vu, RGB(c.couleur >> 16, (c.couleur >> 8) & 0xFF, c.couleur & 0xFF));
    }
}

class FaceWin32 : public ContratFace<AdaptateurWin32> {};

} // namespace

namespace monvalor::test::contrat {
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, ContratFace, AdaptateurWin32);
}

TEST_F(FaceWin32, TextsTakeAnyLengthAndWhatWindows1252LacksReadsAsAQuestionMark) {
    Recepteur r;
    VueWin32 sock(ConceptionSock, r);
    IControle& url = sock.Controle("txtUrl");
    HWND h = sock.Fenetre("txtUrl");
    const std::string long_(100000, 'x'); // the clipboard may bring anything
    url.DefinirTexte(long_);
    EXPECT_EQ(url.Texte(), long_);
    url.DefinirTexte(std::string(u8"Réduction 12,50 € « œuvre »"_ansi));
    EXPECT_EQ(Texte(h), L"R\u00e9duction 12,50 \u20ac \u00ab \u0153uvre \u00bb");
    SetWindowTextW(h, L"a\u4e2db\U0001F600c");
    EXPECT_EQ(url.Texte(), "a?b?c");
}

TEST_F(FaceWin32, TheSystemShowsTheTipsAndHeadersTheWindowGivesAndAlsoMnemonics) {
    Recepteur r;
    VueWin32 about(ConceptionAbout, r), vue(kEssai, r);
    about.Controle(u8"Icône"_ansi).DefinirImage("monvalor");
    EXPECT_NE(SendMessageW(about.Fenetre(u8"Icône"_ansi), STM_GETIMAGE, IMAGE_ICON, 0), 0);
    // Alt and the letter after '&' press the button.
    about.Montrer();
    MSG alt{GetFocus(), WM_SYSCHAR, 'i', 0, 0, {}};
    EXPECT_TRUE(TraiterMessageDialogue(alt));
    EXPECT_EQ(r.recus, (decltype(r.recus){{"cmdSysInfo", Evenement::Click}}));
    // Brought to the front, it stays where it was and an ordinary window.
    RECT avant{}, apres{};
    GetWindowRect(about.Form(), &avant);
    about.AuPremierPlan();
    GetWindowRect(about.Form(), &apres);
    EXPECT_EQ(std::tuple(Cotes(apres), GetWindowLongW(about.Form(), GWL_EXSTYLE) & WS_EX_TOPMOST),
              std::tuple(Cotes(avant), 0));
    vue.Controle("tbrOutils").DefinirTexteCle(1, "Ouvrir");
    vue.Controle("lvwListe").DefinirTexteCle(0, std::string(u8"Nom complet é"_ansi));
    HWND barre = vue.Fenetre("tbrOutils");
    TBBUTTON bouton{};
    SendMessageW(barre, TB_GETBUTTON, 1, reinterpret_cast<LPARAM>(&bouton));
    NMTTDISPINFOW info{};
    info.hdr = {reinterpret_cast<HWND>(SendMessageW(barre, TB_GETTOOLTIPS, 0, 0)),
                static_cast<UINT_PTR>(bouton.idCommand), TTN_GETDISPINFOW};
    SendMessageW(GetParent(barre), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    wchar_t colonnes[2][64] = {};
    for (int k = 0; k < 2; ++k) {
        LVCOLUMNW c{};
        c.mask = LVCF_TEXT;
        c.pszText = colonnes[k];
        c.cchTextMax = 64;
        SendMessageW(vue.Fenetre("lvwListe"), LVM_GETCOLUMNW, k, reinterpret_cast<LPARAM>(&c));
    }
    EXPECT_EQ(std::tuple(std::wstring(info.lpszText ? info.lpszText : L""),
                         std::wstring(colonnes[0]), std::wstring(colonnes[1])),
              std::tuple(std::wstring(L"Ouvrir"), std::wstring(L"Nom complet \u00e9"),
                         std::wstring(L"k1")));
    // A tip set by the program is the one the system shows.
    vue.Controle("txtNom").DefinirInfoBulle(std::string(u8"Prénom"_ansi));
    wchar_t bulle[64] = {};
    TOOLINFOW outil{};
    outil.cbSize = TTTOOLINFOW_V2_SIZE;
    outil.hwnd = vue.Form();
    outil.uId = reinterpret_cast<UINT_PTR>(vue.Fenetre("txtNom"));
    outil.lpszText = bulle;
    HWND bulles = nullptr;
    while ((bulles = FindWindowExW(nullptr, bulles, TOOLTIPS_CLASSW, nullptr)) != nullptr &&
           GetWindow(bulles, GW_OWNER) != vue.Form()) {
    }
    ASSERT_NE(bulles, nullptr);
    SendMessageW(bulles, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&outil));
    EXPECT_EQ(std::wstring(bulle), L"Pr\u00e9nom");
}

TEST_F(FaceWin32, AFocusedLinkShowsItAndScreenReadersHearALinkTheyCanOpen) {
    Recepteur r;
    VueWin32 about(ConceptionAbout, r);
    about.Montrer();
    HWND site = about.Fenetre("lblSite");
    // The link as it draws itself, pixel by pixel.
    const auto dessin = [site] {
        RECT client{};
        GetClientRect(site, &client);
        BITMAPINFO info{};
        info.bmiHeader = {
            sizeof info.bmiHeader, client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP image = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ avant = SelectObject(dc, image);
        SendMessageW(site, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        GdiFlush();
        const auto* debut = static_cast<const std::uint32_t*>(bits);
        std::vector<std::uint32_t> pixels(debut, debut + client.right * client.bottom);
        SelectObject(dc, avant);
        DeleteObject(image);
        DeleteDC(dc);
        return pixels;
    };
    const auto sansFocus = dessin();
    SetFocus(site);
    ASSERT_EQ(GetFocus(), site);
    EXPECT_NE(dessin(), sansFocus);
    const auto lecteur = [](HWND h) {
        IAccessible* objet = nullptr;
        EXPECT_EQ(AccessibleObjectFromWindow(h, static_cast<DWORD>(OBJID_CLIENT),
                                             __uuidof(IAccessible),
                                             reinterpret_cast<void**>(&objet)),
                  S_OK);
        return objet;
    };
    IAccessible* lien = lecteur(site);
    ASSERT_NE(lien, nullptr);
    VARIANT soi{};
    soi.vt = VT_I4;
    soi.lVal = CHILDID_SELF;
    VARIANT role{}, etat{};
    BSTR nom = nullptr;
    lien->get_accRole(soi, &role);
    lien->get_accState(soi, &etat);
    lien->get_accName(soi, &nom);
    EXPECT_EQ(
        std::tuple(role.lVal, etat.lVal & (STATE_SYSTEM_LINKED | STATE_SYSTEM_FOCUSED),
                   std::wstring(nom != nullptr ? nom : L"")),
        std::tuple(ROLE_SYSTEM_LINK, STATE_SYSTEM_LINKED | STATE_SYSTEM_FOCUSED, Texte(site)));
    SysFreeString(nom);
    lien->accDoDefaultAction(soi);
    lien->Release();
    Pomper(20);
    EXPECT_EQ(r.recus, (decltype(r.recus){{"lblSite", Evenement::Click}}));
    // The other labels are no links (text on Windows, a plain client under Wine).
    IAccessible* titre = lecteur(about.Fenetre("lblTitle"));
    ASSERT_NE(titre, nullptr);
    titre->get_accRole(soi, &role);
    titre->Release();
    EXPECT_EQ(std::tuple(role.vt, role.lVal == ROLE_SYSTEM_LINK), std::tuple(VT_I4, false));
}

TEST_F(FaceWin32, AModalFormHoldsItsCallerUntilHiddenOrUnloadedWhileTimersTick) {
    RecepteurActif r;
    VueWin32 proprietaire(ConceptionAbout, r);
    proprietaire.Montrer();
    for (const bool decharger : {false, true}) {
        SCOPED_TRACE(decharger);
        RecepteurActif m;
        auto modal = std::make_unique<VueWin32>(ConceptionConvertisseur, m);
        int tics = 0, profondeur = 0, plusProfond = 0;
        bool proprietaireBloque = true;
        m.action = [&](Evenement) {
            ++tics;
            plusProfond = std::max(plusProfond, ++profondeur);
            proprietaireBloque = proprietaireBloque && !IsWindowEnabled(proprietaire.Form());
            if (tics == 1) {
                Pomper(50); // a tick that runs long is not run into by the next
            } else if (tics == 3) {
                decharger ? modal.reset() : modal->Cacher();
            }
            --profondeur;
        };
        modal->Controle("Timer").DefinirIntervalle(5);
        VueWin32* vue = modal.get();
        vue->MontrerModal(&proprietaire);
        EXPECT_EQ(std::tuple(tics, plusProfond, proprietaireBloque, modal == nullptr,
                             IsWindowEnabled(proprietaire.Form()) != FALSE),
                  std::tuple(3, 1, true, decharger, true));
    }
}

// At each resolution a monitor may have, with the system's real fonts: every caption whole,
// nothing covered.
TEST_F(FaceWin32, EveryWindowShowsEachCaptionWholeWithoutOverlapAtEveryResolution) {
    for (const auto& [t, tabulation] : kTables) {
        if (t == &kEssai) {
            continue; // the kinds no window uses, piled up on purpose
        }
        Recepteur r;
        VueWin32 vue(*t, r);
        for (const int dpi : {96, 120, 144, 192}) {
            SCOPED_TRACE(std::string(t->nom) + " at " + std::to_string(dpi));
            RECT propose{0, 0, 100, 100};
            SendMessageW(vue.Form(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                         reinterpret_cast<LPARAM>(&propose));
            VerifierAgencement<AdaptateurWin32>(vue, *t, Pixels(15, dpi));
            if (t == &ConceptionConvertisseur) {
                VerifierLegendeChangee<AdaptateurWin32>(vue, t->controles[0]);
            }
            // Each text in its design size: no bitmap face left at a size it does not have.
            for (const ConceptionControle& c : t->controles) {
                HWND h = vue.Fenetre(c.nom, c.indice);
                if (h == nullptr || !AUnTexte(c.genre)) {
                    continue;
                }
                HDC dc = GetDC(h);
                const HGDIOBJ avant =
                    SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(h, WM_GETFONT, 0, 0)));
                TEXTMETRICW tm{};
                GetTextMetricsW(dc, &tm);
                SelectObject(dc, avant);
                ReleaseDC(h, dc);
                const Police& p = c.police ? *c.police : t->police;
                EXPECT_NEAR(tm.tmHeight - tm.tmInternalLeading, std::lround(p.points * dpi / 72), 1)
                    << c.nom;
            }
        }
    }
}

TEST_F(FaceWin32, TwipsFollowTheMonitorsPixels) {
    const std::tuple<int, int, int> kCas[] = {{1440, 96, 96},   {15, 96, 1},    {1095, 96, 73},
                                              {1095, 144, 110}, {240, 192, 32}, {7, 96, 0}};
    for (const auto& [twips, dpi, pixels] : kCas) {
        EXPECT_EQ(Pixels(twips, dpi), pixels) << twips << " twips at " << dpi;
    }
    // Moved to a monitor of twice the pixels, the form lays itself out again.
    Recepteur r;
    VueWin32 conv(ConceptionConvertisseur, r);
    RECT propose{10, 10, 500, 500};
    SendMessageW(conv.Form(), WM_DPICHANGED, MAKEWPARAM(192, 192),
                 reinterpret_cast<LPARAM>(&propose));
    const ConceptionControle& euros = ConceptionConvertisseur.controles[3];
    RECT client{};
    GetClientRect(conv.Form(), &client);
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(conv.Fenetre("txtEuros"), WM_GETFONT, 0, 0)),
               sizeof lf, &lf);
    EXPECT_EQ(Cotes(DansParent(conv.Fenetre("txtEuros"))),
              Cotes(RectanglePixels(euros.position, 192)));
    EXPECT_EQ(std::tuple(conv.Dpi(), client.right, lf.lfHeight, conv.Hauteur()),
              std::tuple(192, Pixels(ConceptionConvertisseur.largeur, 192), -22,
                         ConceptionConvertisseur.hauteur));
}

TEST_F(FaceWin32, TheDriveAndFolderListsShowTheirDrivesAndFoldersAndOpenWhatTheUserPicks) {
    auto disques = std::make_shared<VolumesWindows>();
    disques->lecteurs = {{"C:\\", "Racine", GenreVolume::Systeme},
                         {"N:\\", "nas", GenreVolume::Reseau}};
    disques->dossiers = {"C:\\",     "C:\\home", "C:\\home\\anne", "C:\\home\\anne\\Documents",
                         "C:\\root", "N:\\"};
    disques->refuses = {"C:\\root"};
    Plateforme().volumes = disques;
    Recepteur r;
    VueWin32 vue(ConceptionRepertoire, r);
    HWND lecteurs = vue.Fenetre("drvHisto"), dossiers = vue.Fenetre("dirHisto");
    auto lignes = [&] {
        std::vector<std::string> l;
        const auto n = SendMessageW(dossiers, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < n; ++i) {
            wchar_t t[128] = {};
            SendMessageW(dossiers, LB_GETTEXT, i, reinterpret_cast<LPARAM>(t));
            const auto niveau = SendMessageW(dossiers, LB_GETITEMDATA, i, 0) & 0xFFFF;
            l.push_back(std::string(static_cast<std::size_t>(niveau), ' ') + AnsiDepuisLarge(t));
        }
        return std::tuple(l, SendMessageW(dossiers, LB_GETCURSEL, 0, 0),
                          vue.Controle("dirHisto").Texte());
    };
    auto commande = [&](HWND h, UINT code) {
        SendMessageW(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), code),
                     reinterpret_cast<LPARAM>(h));
    };
    wchar_t second[64] = {};
    SendMessageW(lecteurs, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(second));
    using Lignes = std::vector<std::string>;
    EXPECT_EQ(std::tuple(SendMessageW(lecteurs, CB_GETCOUNT, 0, 0), std::wstring(second),
                         SendMessageW(lecteurs, CB_GETCURSEL, 0, 0)),
              std::tuple(2, std::wstring(L"N:\\ [nas]"), 0));
    EXPECT_EQ(lignes(), std::tuple(Lignes{"C:\\", " home", "  anne"}, 1, "C:\\home"));
    // Double-click opens; Enter opens the folder the user moved to.
    SendMessageW(dossiers, LB_SETCURSEL, 2, 0);
    commande(dossiers, LBN_DBLCLK);
    EXPECT_EQ(lignes(),
              std::tuple(Lignes{"C:\\", " home", "  anne", "   Documents"}, 2, "C:\\home\\anne"));
    SendMessageW(dossiers, LB_SETCURSEL, 0, 0);
    SendMessageW(dossiers, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(lignes(), std::tuple(Lignes{"C:\\", " home", " root"}, 0, "C:\\"));
    // A folder that refuses is the list's own message; nothing changes.
    SendMessageW(dossiers, LB_SETCURSEL, 2, 0);
    commande(dossiers, LBN_DBLCLK);
    EXPECT_EQ(lignes(), std::tuple(Lignes{"C:\\", " home", " root"}, 0, "C:\\"));
    ASSERT_EQ(systeme->messages.size(), 1u);
    EXPECT_EQ(std::get<0>(systeme->messages[0]), std::string(u8"Permission refusée"_ansi));
    // The user picks a drive; the program sets a folder that is not there and hears why.
    SendMessageW(lecteurs, CB_SETCURSEL, 1, 0);
    commande(lecteurs, CBN_SELENDOK);
    EXPECT_EQ(vue.Controle("drvHisto").Texte(), "N:\\ [nas]");
    EXPECT_EQ(ErreurLevee([&] { vue.Controle("dirHisto").DefinirTexte("C:\\absent"); }),
              ErrCheminIntrouvable);
    // Opening the list reads the drives again: a key plugged in meanwhile shows.
    disques->lecteurs.push_back({"E:\\", "CLE", GenreVolume::Amovible});
    commande(lecteurs, CBN_DROPDOWN);
    EXPECT_EQ(std::tuple(SendMessageW(lecteurs, CB_GETCOUNT, 0, 0),
                         SendMessageW(lecteurs, CB_GETCURSEL, 0, 0)),
              std::tuple(3, 1));
    using enum Evenement;
    const decltype(r.recus) attendus = {
        {"dirHisto", Change}, {"dirHisto", Change}, {"drvHisto", Change}};
    EXPECT_EQ(r.recus, attendus);
}
