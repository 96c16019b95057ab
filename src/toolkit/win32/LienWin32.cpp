#include "toolkit/win32/LienWin32.h"

#include "toolkit/win32/ControleWin32.h"

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <new>

namespace monvalor {

namespace {

// A screen reader's "open" comes to the link as this message: the window's handler runs from
// the message loop, never inside the reader's call.
constexpr UINT kOuvrir = WM_APP + 0x4C;
constexpr UINT_PTR kSousClasse = 2;

// The interface's identifier from its declaration: the name IID_IAccessible in the import
// library of oleacc is the address of a stub, not the identifier.
const IID& kIAccessible = __uuidof(IAccessible);

bool Soi(const VARIANT& enfant) {
    return enfant.vt == VT_I4 && enfant.lVal == CHILDID_SELF;
}

// What the system tells screen readers of the static control, but with the role, state and
// action of a link. Late binding (IDispatch) is not offered: readers call the interface.
class AccessibleLien final : public IAccessible, public IOleWindow {
public:
    AccessibleLien(HWND hwnd, IAccessible* standard) : hwnd_(hwnd), standard_(standard) {}
    AccessibleLien(const AccessibleLien&) = delete;
    AccessibleLien& operator=(const AccessibleLien&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** objet) override {
        if (objet == nullptr) {
            return E_POINTER;
        }
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
            IsEqualIID(iid, kIAccessible)) {
            *objet = static_cast<IAccessible*>(this);
        } else if (IsEqualIID(iid, IID_IOleWindow)) {
            *objet = static_cast<IOleWindow*>(this);
        } else {
            *objet = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&references_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG reste = InterlockedDecrement(&references_);
        if (reste == 0) {
            delete this;
        }
        return static_cast<ULONG>(reste);
    }

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* fenetre) override {
        if (fenetre == nullptr) {
            return E_POINTER;
        }
        *fenetre = hwnd_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        if (n == nullptr) {
            return E_POINTER;
        }
        *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT enfant, VARIANT* role) override {
        if (!Soi(enfant)) {
            return standard_->get_accRole(enfant, role);
        }
        if (role == nullptr) {
            return E_POINTER;
        }
        VariantInit(role);
        role->vt = VT_I4;
        role->lVal = ROLE_SYSTEM_LINK;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT enfant, VARIANT* etat) override {
        const HRESULT r = standard_->get_accState(enfant, etat);
        if (SUCCEEDED(r) && Soi(enfant) && etat->vt == VT_I4) {
            etat->lVal = (etat->lVal & ~STATE_SYSTEM_READONLY) | STATE_SYSTEM_LINKED |
                         STATE_SYSTEM_FOCUSABLE;
        }
        return r;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT enfant, BSTR* action) override {
        if (!Soi(enfant)) {
            return standard_->get_accDefaultAction(enfant, action);
        }
        if (action == nullptr) {
            return E_POINTER;
        }
        // The name every link of the system gives its action.
        *action = SysAllocString(L"Jump");
        return *action != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT enfant) override {
        if (!Soi(enfant)) {
            return standard_->accDoDefaultAction(enfant);
        }
        return PostMessageW(hwnd_, kOuvrir, 0, 0) ? S_OK : E_FAIL;
    }

    // The rest as the system says it of the control.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return standard_->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* n) override {
        return standard_->get_accChildCount(n);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT enfant, IDispatch** objet) override {
        return standard_->get_accChild(enfant, objet);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT enfant, BSTR* nom) override {
        return standard_->get_accName(enfant, nom);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT enfant, BSTR* valeur) override {
        return standard_->get_accValue(enfant, valeur);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT enfant, BSTR* description) override {
        return standard_->get_accDescription(enfant, description);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT enfant, BSTR* aide) override {
        return standard_->get_accHelp(enfant, aide);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* fichier, VARIANT enfant,
                                               long* sujet) override {
        return standard_->get_accHelpTopic(fichier, enfant, sujet);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT enfant, BSTR* raccourci) override {
        return standard_->get_accKeyboardShortcut(enfant, raccourci);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        return standard_->get_accFocus(focus);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        return standard_->get_accSelection(selection);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long drapeaux, VARIANT enfant) override {
        return standard_->accSelect(drapeaux, enfant);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* largeur, long* hauteur,
                                          VARIANT enfant) override {
        return standard_->accLocation(x, y, largeur, hauteur, enfant);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long sens, VARIANT depart, VARIANT* arrivee) override {
        return standard_->accNavigate(sens, depart, arrivee);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* enfant) override {
        return standard_->accHitTest(x, y, enfant);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT enfant, BSTR nom) override {
        return standard_->put_accName(enfant, nom);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT enfant, BSTR valeur) override {
        return standard_->put_accValue(enfant, valeur);
    }

private:
    ~AccessibleLien() { standard_->Release(); }

    LONG references_ = 1;
    HWND hwnd_;
    IAccessible* standard_;
};

// The link as a screen reader asks for it; 0 leaves the question to the system.
LRESULT RepondreLecteur(HWND hwnd, WPARAM w) {
    // The object reaches the reader through COM, begun on this thread for as long as it lives:
    // a reader may keep the object any time.
    static const HRESULT com =
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    static_cast<void>(com);
    IAccessible* standard = nullptr;
    if (FAILED(CreateStdAccessibleObject(hwnd, OBJID_CLIENT, kIAccessible,
                                         reinterpret_cast<void**>(&standard)))) {
        return 0;
    }
    auto* lien = new (std::nothrow) AccessibleLien(hwnd, standard);
    if (lien == nullptr) {
        standard->Release();
        return 0;
    }
    const LRESULT r = LresultFromObject(kIAccessible, w, static_cast<IAccessible*>(lien));
    lien->Release();
    return r > 0 ? r : 0;
}

// The control as its class draws it, and the focus around the caption as the system's links
// show it.
void Dessiner(HWND hwnd, HDC dc) {
    DefSubclassProc(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    if (GetFocus() != hwnd) {
        return;
    }
    RECT client{};
    GetClientRect(hwnd, &client);
    RECT texte = client;
    const std::wstring legende = TexteFenetre(hwnd);
    const auto police = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    const HGDIOBJ avant = police != nullptr ? SelectObject(dc, police) : nullptr;
    DrawTextW(dc, legende.c_str(), static_cast<int>(legende.size()), &texte,
              DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
    if (avant != nullptr) {
        SelectObject(dc, avant);
    }
    const RECT cadre{client.left, client.top, std::min(texte.right + 2, client.right),
                     std::min(texte.bottom, client.bottom)};
    DrawFocusRect(dc, &cadre);
}

LRESULT CALLBACK ProcedureLien(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                               DWORD_PTR donnees) {
    auto& c = *reinterpret_cast<ControleWin32*>(donnees);
    switch (message) {
    case WM_KEYDOWN:
        // Space opens it, as a click does; held down, once.
        if (w == VK_SPACE && (l & (LPARAM{1} << 30)) == 0) {
            c.Signaler(Evenement::Click);
            return 0;
        }
        break;
    case kOuvrir:
        if (IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
            c.Signaler(Evenement::Click);
        }
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_SETTEXT:
    case WM_SETFONT:
    case WM_ENABLE: {
        // The class may draw these at once, without the focus: all of it again.
        const LRESULT r = DefSubclassProc(hwnd, message, w, l);
        InvalidateRect(hwnd, nullptr, TRUE);
        return r;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        Dessiner(hwnd, dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        Dessiner(hwnd, reinterpret_cast<HDC>(w));
        return 0;
    case WM_GETOBJECT:
        // Compared as 32 bits: a 64-bit system may hand the negative identifier unextended.
        if (static_cast<DWORD>(l) == static_cast<DWORD>(OBJID_CLIENT)) {
            if (const LRESULT r = RepondreLecteur(hwnd, w); r != 0) {
                return r;
            }
        }
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, &ProcedureLien, kSousClasse);
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, message, w, l);
}

} // namespace

void PreparerLien(ControleWin32& c) {
    SetWindowSubclass(c.hwnd, &ProcedureLien, kSousClasse, reinterpret_cast<DWORD_PTR>(&c));
}

} // namespace monvalor
