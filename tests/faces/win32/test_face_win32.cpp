// The Win32 face over every design table: the native form it builds and the events it routes.
#include "support/TexteSource.h"
#include "toolkit/win32/FormeWin32.h"

#include "Doubles.h"
#include "ErreurLevee.h"
#include "support/Ansi.h"

#include <commctrl.h>

#include <cmath>
#include <functional>

using namespace monvalor;
using namespace monvalor::test;

namespace {

// Records the events of a form, by control, and lets a test act on one.
struct Recepteur final : IRecepteur {
    std::vector<std::pair<std::string, Evenement>> recus;
    std::function<void(Evenement)> action;
    void Recevoir(std::string_view c, int, Evenement e) override {
        recus.emplace_back(c, e);
        if (action) {
            action(e);
        }
    }
};

// The kinds no window uses yet, some in a frame; txtNom bold, disabled; chkA hidden; optB tipped.
constexpr std::string_view kCles[] = {"k0", "k1"};
constexpr Police kGras{"Tahoma", 10, true};
constexpr ConceptionControle Essai(Genre genre, std::string_view nom, int haut,
                                   int tabulation = SansTabulation) {
    ConceptionControle c{genre, nom, nom, {60, haut, 3000, genre == Genre::Cadre ? 1200 : 255}};
    c.tabulation = tabulation;
    c.police = nom == "txtNom" ? &kGras : nullptr;
    c.conteneur = haut < 1200 && genre != Genre::Cadre ? "fraCadre" : "";
    c.visible = nom != "chkA";
    c.actif = nom != "txtNom";
    c.infoBulle = nom == "optB" ? "Bulle" : "";
    c.cles = kCles;
    return c;
}
constexpr ConceptionControle kControles[] = {
    Essai(Genre::Cadre, "fraCadre", 60),          Essai(Genre::Label, "lblNom", 300),
    Essai(Genre::ZoneTexte, "txtNom", 600, 1),    Essai(Genre::CaseACocher, "chkA", 1700, 2),
    Essai(Genre::BoutonOption, "optB", 2000, 0),  Essai(Genre::ZoneTexte, "txtSansLibelle", 2150),
    Essai(Genre::BarreOutils, "tbrOutils", 2300), Essai(Genre::ListeVue, "lvwListe", 2800, 3),
};
constexpr ConceptionFenetre kEssai{"frmEssai",    "Essai", 3200, 3800,      {"MS Sans Serif", 8.25},
                                   Bordure::Fixe, true,    "",   kControles};

// Every table, with the controls that take the focus in tab order.
const std::pair<const ConceptionFenetre*, std::vector<std::string_view>> kTables[] = {
    {&ConceptionConvertisseur,
     {"txtMontant", "txtEuros", "txtFrancs", "txtTaux", "txtTVA", "txtMontantHT", "txtMontantTTC",
      u8"txtRéduction"_ansi, "txtMontantLibre"}},
    {&ConceptionAbout, {"cmdOK", "cmdSysInfo", "cmdVersion"}},
    {&ConceptionSock, {"txtUrl", "cmdDownload", "chkEnTetes", "cmdPause", "cmdStop", "txtHead"}},
    {&ConceptionRepertoire,
     {"OKButton", "CancelButton", "dirHisto", "drvHisto", u8"txtRépertoire"_ansi,
      u8"cmdValideRépertoire"_ansi}},
    {&kEssai, {"optB", "txtNom", "chkA", "lvwListe"}},
};

// The system class each kind is built as, and its button kind, in the order of Genre.
const std::pair<const wchar_t*, LONG> kClasses[] = {{L"Static", -1},
                                                    {L"Edit", -1},
                                                    {L"Button", BS_PUSHBUTTON},
                                                    {L"Button", BS_AUTOCHECKBOX},
                                                    {L"Button", BS_AUTORADIOBUTTON},
                                                    {L"Button", BS_GROUPBOX},
                                                    {L"Static", -1},
                                                    {L"Static", -1},
                                                    {nullptr, -1},
                                                    {L"ToolbarWindow32", -1},
                                                    {L"SysListView32", -1},
                                                    {L"ComboBox", -1},
                                                    {L"ListBox", -1},
                                                    {L"msctls_progress32", -1}};

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
void OrdreTabulation(const VueWin32& vue, HWND parent, std::vector<std::string>& noms) {
    for (HWND h = GetWindow(parent, GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
        if (GetWindowLongW(h, GWL_STYLE) & WS_TABSTOP) {
            noms.push_back(vue.NomDe(h));
        }
        if (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) {
            OrdreTabulation(vue, h, noms);
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

void Touche(HWND h, WPARAM touche) {
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

class FaceWin32 : public AvecDoubles {
protected:
    void SetUp() override {
        AvecDoubles::SetUp();
        Plateforme().formulaires = std::make_shared<FabriqueWin32>();
    }
};

} // namespace

TEST_F(FaceWin32, BuildsEveryTableAsDesigned) {
    for (const auto& [t, tabulation] : kTables) {
        SCOPED_TRACE(std::string(t->nom));
        Recepteur r;
        VueWin32 vue(*t, r);
        const int dpi = vue.Dpi();
        RECT client{};
        GetClientRect(vue.Form(), &client);
        EXPECT_EQ(std::tuple(vue.Legende(), client.right, client.bottom, vue.Hauteur()),
                  std::tuple(std::string(t->legende), Pixels(t->largeur, dpi),
                             Pixels(t->hauteur, dpi), t->hauteur));
        for (const ConceptionControle& c : t->controles) {
            SCOPED_TRACE(std::string(c.nom));
            HWND h = vue.Fenetre(c.nom, c.indice);
            const auto [classe, bouton] = kClasses[static_cast<int>(c.genre)];
            if (classe == nullptr) {
                EXPECT_EQ(h, nullptr);
                continue;
            }
            ASSERT_NE(h, nullptr);
            const LONG style = GetWindowLongW(h, GWL_STYLE);
            EXPECT_EQ(Classe(h), classe);
            if (bouton >= 0) {
                EXPECT_EQ(style & BS_TYPEMASK, c.defaut ? BS_DEFPUSHBUTTON : bouton);
            }
            EXPECT_EQ(GetParent(h), c.conteneur.empty() ? vue.Form() : vue.Fenetre(c.conteneur));
            if (c.genre != Genre::ListeLecteurs) { // a combo's height is its list's
                EXPECT_EQ(Cotes(DansParent(h)), Cotes(RectanglePixels(c.position, dpi)));
            }
            IControle& ctl = vue.Controle(c.nom, c.indice);
            EXPECT_EQ(std::tuple(ctl.InfoBulle(), ctl.Visible(), ctl.Actif()),
                      std::tuple(std::string(c.infoBulle), c.visible, c.actif));
            if (AUnTexte(c.genre)) {
                EXPECT_EQ(ctl.Texte(), c.legende);
            }
            if (c.genre == Genre::Image) {
                continue; // a picture has no font
            }
            // The font the control really draws with.
            const Police& p = c.police ? *c.police : t->police;
            LOGFONTW lf{};
            GetObjectW(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)), sizeof lf, &lf);
            const std::wstring face = lf.lfFaceName;
            const auto familles = FamillesPolice(p.face);
            EXPECT_NE(std::find(familles.begin(), familles.end(), face), familles.end())
                << AnsiDepuisLarge(face);
            EXPECT_EQ(std::tuple(lf.lfHeight, lf.lfWeight >= FW_BOLD, lf.lfUnderline != 0),
                      std::tuple(-static_cast<LONG>(std::lround(p.points * dpi / 72)), p.gras,
                                 p.souligne));
            // A link shows the hand over it; a colour is the text's, or a line's all over.
            const bool main = SendMessageW(vue.Form(), WM_SETCURSOR, reinterpret_cast<WPARAM>(h),
                                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)) == TRUE;
            EXPECT_EQ(main && GetCursor() == LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)), c.lien);
            if (c.couleur != SansCouleur) {
                HDC dc = CreateCompatibleDC(nullptr);
                const auto pinceau = reinterpret_cast<HBRUSH>(
                    SendMessageW(GetParent(h), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(h)));
                LOGBRUSH lb{};
                GetObjectW(pinceau, sizeof lb, &lb);
                const COLORREF vue = c.genre == Genre::Ligne ? lb.lbColor : GetTextColor(dc);
                DeleteDC(dc);
                EXPECT_EQ(vue, RGB(c.couleur >> 16, (c.couleur >> 8) & 0xFF, c.couleur & 0xFF));
            }
            if (c.genre == Genre::ZoneTexte) {
                // What a screen reader says of the box: the label right before it.
                HWND avant = GetWindow(h, GW_HWNDPREV);
                const ConceptionControle* precedent = &c == t->controles.data() ? nullptr : &c - 1;
                const bool nomme = precedent != nullptr && precedent->genre == Genre::Label;
                EXPECT_EQ(avant != nullptr && Classe(avant) == L"Static" &&
                              Texte(avant) == LargeDepuisAnsi(precedent->legende),
                          nomme);
            }
        }
        std::vector<std::string> noms;
        OrdreTabulation(vue, vue.Form(), noms);
        EXPECT_EQ(noms, std::vector<std::string>(tabulation.begin(), tabulation.end()));
        // The first in tab order has the focus when the form shows.
        vue.Montrer();
        Pomper(20);
        EXPECT_EQ(vue.NomDe(GetFocus()), tabulation.front());
    }
}

TEST_F(FaceWin32, TextsKeepTheirAccentsBothWays) {
    Recepteur r;
    VueWin32 sock(ConceptionSock, r);
    IControle& url = sock.Controle("txtUrl");
    HWND h = sock.Fenetre("txtUrl");
    const std::string accents(u8"Réduction 12,50 € « œuvre »"_ansi);
    const std::string long_(100000, 'x'); // the clipboard may bring anything
    for (const std::string& texte : {accents, long_}) {
        url.DefinirTexte(texte);
        EXPECT_EQ(url.Texte(), texte);
    }
    url.DefinirTexte(accents);
    EXPECT_EQ(Texte(h), L"R\u00e9duction 12,50 \u20ac \u00ab \u0153uvre \u00bb");
    // What Windows-1252 cannot hold reads as '?', one per character.
    SetWindowTextW(h, L"a\u4e2db\U0001F600c");
    EXPECT_EQ(url.Texte(), "a?b?c");
    // A box of lines holds Windows line ends whatever it was given.
    IControle& lignes = sock.Controle("txtHead");
    lignes.DefinirTexte("un\ndeux\r\ntrois");
    EXPECT_EQ(lignes.Texte(), "un\r\ndeux\r\ntrois");
    sock.DefinirLegende(accents);
    EXPECT_EQ(sock.Legende(), accents);
}

TEST_F(FaceWin32, RoutesEachControlsEventsToItsWindow) {
    Recepteur r;
    {
        VueWin32 about(ConceptionAbout, r);
        about.Montrer();
        SendMessageW(about.Fenetre("cmdSysInfo"), BM_CLICK, 0, 0);
        SendMessageW(about.Fenetre("lblSite"), WM_LBUTTONDOWN, MK_LBUTTON, 0);
        // Enter presses the focused button, else the default one; Esc the cancel one.
        SetFocus(about.Fenetre("cmdSysInfo"));
        Touche(GetFocus(), VK_RETURN);
        SetFocus(about.Fenetre("cmdOK"));
        Touche(GetFocus(), VK_RETURN);
        Touche(GetFocus(), VK_ESCAPE);
        // Alt and the letter after '&' press the button.
        MSG alt{GetFocus(), WM_SYSCHAR, 'i', 0, 0, {}};
        EXPECT_TRUE(TraiterMessageDialogue(alt));
        // The title bar's close is the window's to decide.
        SendMessageW(about.Form(), WM_CLOSE, 0, 0);
        EXPECT_TRUE(IsWindow(about.Form()));
        // Brought to the front, it stays where it was and an ordinary window.
        RECT avant{}, apres{};
        GetWindowRect(about.Form(), &avant);
        about.AuPremierPlan();
        GetWindowRect(about.Form(), &apres);
        EXPECT_EQ(
            std::tuple(Cotes(apres), GetWindowLongW(about.Form(), GWL_EXSTYLE) & WS_EX_TOPMOST),
            std::tuple(Cotes(avant), 0));
    }
    VueWin32 conv(ConceptionConvertisseur, r);
    conv.Controle("txtTaux").DefinirTexte("5,5");
    conv.Controle("txtTaux").DefinirTexte("5,5"); // the same again is no change
    SendMessageW(conv.Fenetre("txtEuros"), WM_CHAR, '7', 0);
    SetFocus(conv.Fenetre("txtEuros"));
    Touche(GetFocus(), VK_ESCAPE); // no cancel button here: nothing
    conv.Controle("Timer").DefinirIntervalle(1);
    Pomper(60);
    conv.Controle("Timer").DefinirIntervalle(0);
    ASSERT_GE(r.recus.size(), 11u);
    r.recus.resize(11); // the timer ticked at least once
    using enum Evenement;
    const decltype(r.recus) attendus = {
        {"cmdSysInfo", Click}, {"lblSite", Click},    {"cmdSysInfo", Click}, {"cmdOK", Click},
        {"cmdOK", Click},      {"cmdSysInfo", Click}, {"", Fermeture},       {"txtTaux", Change},
        {"txtEuros", Change},  {"Timer", Timer},      {"Timer", Timer}};
    EXPECT_EQ(r.recus, attendus);
}

TEST_F(FaceWin32, PicturesToolbarsListColumnsAndProgressTakeWhatTheWindowGives) {
    Recepteur r;
    VueWin32 about(ConceptionAbout, r), vue(kEssai, r), sock(ConceptionSock, r);
    about.Controle(u8"Icône"_ansi).DefinirImage("monvalor");
    EXPECT_NE(SendMessageW(about.Fenetre(u8"Icône"_ansi), STM_GETIMAGE, IMAGE_ICON, 0), 0);
    EXPECT_THROW(vue.Controle("chkA").DefinirImage("monvalor"), Erreur);
    // Toolbar buttons' tips and list columns by position, and only they.
    vue.Controle("tbrOutils").DefinirTexteCle(1, "Ouvrir");
    vue.Controle("lvwListe").DefinirTexteCle(0, std::string(u8"Nom complet é"_ansi));
    EXPECT_THROW(vue.Controle("lvwListe").DefinirTexteCle(2, "Trop"), Erreur);
    EXPECT_THROW(vue.Controle("chkA").DefinirTexteCle(0, "Non"), Erreur);
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
    // A progress bar shows its value against its maximum and refuses one beyond it.
    IControle& progression = sock.Controle("ProgressBar");
    progression.DefinirMax(200);
    progression.DefinirValeur(50);
    EXPECT_EQ(std::tuple(ErreurLevee([&] { progression.DefinirValeur(200.5); }),
                         ErreurLevee([&] { progression.DefinirValeur(-1); }),
                         ErreurLevee([&] { progression.DefinirMax(0); }),
                         ErreurLevee([&] { vue.Controle("chkA").DefinirValeur(1); })),
              std::tuple(ErrValeurPropriete, ErrValeurPropriete, ErrValeurPropriete, ErrArgument));
    HWND h = sock.Fenetre("ProgressBar");
    const auto position = SendMessageW(h, PBM_GETPOS, 0, 0);
    EXPECT_EQ(std::tuple(progression.Valeur(), position * 4),
              std::tuple(50.0, SendMessageW(h, PBM_GETRANGE, FALSE, 0)));
}

TEST_F(FaceWin32, AModalFormHoldsItsCallerUntilHiddenOrUnloadedWhileTimersTick) {
    Recepteur r;
    VueWin32 proprietaire(ConceptionAbout, r);
    proprietaire.Montrer();
    for (const bool decharger : {false, true}) {
        SCOPED_TRACE(decharger);
        Recepteur m;
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
