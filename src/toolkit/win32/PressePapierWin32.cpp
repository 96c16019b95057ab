#include "toolkit/win32/PressePapierWin32.h"

#include "forms/Formulaire.h"
#include "support/Ansi.h"
#include "support/Erreur.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

namespace monvalor {

namespace {

constexpr wchar_t kClasse[] = L"MonvalorPressePapier";
// Sent to ourselves, so that the window hears of a change only from its message loop, never
// from inside a tick that is emptying the clipboard.
constexpr UINT kSignal = WM_APP + 1;
// Another program may hold the clipboard open for a moment; ours is asked again meanwhile. A
// read gives up soon (the next tick tries again); a write or an emptying is the user's or a
// copy's hand-over to the running one, and is worth a longer wait than losing it: copies
// started together all reach for the clipboard at the same instant.
constexpr DWORD kPatienceLectureMs = 80;
constexpr DWORD kPatienceEcritureMs = 1000;
constexpr DWORD kPauseOuvertureMs = 5;

bool OuvrirAvecPatience(HWND proprietaire, DWORD patienceMs) {
    const ULONGLONG limite = GetTickCount64() + patienceMs;
    while (!OpenClipboard(proprietaire)) {
        if (GetTickCount64() >= limite) {
            return false;
        }
        Sleep(kPauseOuvertureMs);
    }
    return true;
}

class Ouverture {
public:
    Ouverture(HWND proprietaire, DWORD patienceMs)
        : ouvert_(OuvrirAvecPatience(proprietaire, patienceMs)) {}
    ~Ouverture() {
        if (ouvert_) {
            CloseClipboard();
        }
    }
    Ouverture(const Ouverture&) = delete;
    Ouverture& operator=(const Ouverture&) = delete;
    explicit operator bool() const { return ouvert_; }

private:
    bool ouvert_;
};

} // namespace

std::wstring LargeDepuisAnsi(std::string_view ansi) {
    std::wstring large(ansi.size(), L'\0');
    for (std::size_t i = 0; i < ansi.size(); ++i) {
        large[i] = static_cast<wchar_t>(CodeUnicode(static_cast<unsigned char>(ansi[i])));
    }
    return large;
}

std::string AnsiDepuisLarge(std::wstring_view large) {
    std::string ansi;
    ansi.reserve(large.size());
    for (std::size_t i = 0; i < large.size(); ++i) {
        const auto unite = static_cast<char32_t>(large[i]);
        if (unite >= 0xD800 && unite <= 0xDBFF && i + 1 < large.size() && large[i + 1] >= 0xDC00 &&
            large[i + 1] <= 0xDFFF) {
            ++i; // nothing beyond the first plane is in Windows-1252
            ansi.push_back('?');
            continue;
        }
        ansi.push_back(OctetAnsiApproche(unite));
    }
    return ansi;
}

std::optional<std::string> AnsiExactDepuisLarge(std::wstring_view large) {
    std::string ansi;
    ansi.reserve(large.size());
    for (wchar_t unite : large) {
        const int octet = OctetAnsi(static_cast<char32_t>(unite));
        // Surrogates have no byte either, so a pair fails here as it should.
        if (octet < 0) {
            return std::nullopt;
        }
        ansi.push_back(static_cast<char>(octet));
    }
    return ansi;
}

struct PressePapierWin32::Lecture {
    std::mutex verrou;
    std::condition_variable finie;
    bool fini = false;
    std::optional<std::string> texte;
    DWORD numero = 0; // the sequence number while the clipboard was open for this read
};

namespace {

// Runs on a thread of its own: a program that renders its text on demand may take its time, or
// never answer, and the window must not wait for it.
void LireDans(PressePapierWin32::Lecture& lecture) {
    std::optional<std::string> texte;
    DWORD numero = 0;
    try {
        if (Ouverture ouverture{nullptr, kPatienceLectureMs}) {
            numero = GetClipboardSequenceNumber();
            if (HANDLE donnees = GetClipboardData(CF_UNICODETEXT)) {
                if (const auto* unites = static_cast<const wchar_t*>(GlobalLock(donnees))) {
                    // The text ends at its NUL, or with the block when its writer left none.
                    std::wstring_view vue(unites, GlobalSize(donnees) / sizeof(wchar_t));
                    texte = AnsiDepuisLarge(vue.substr(0, vue.find(L'\0')));
                    GlobalUnlock(donnees);
                }
            } else if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) {
                texte = std::string(); // an image, files, or nothing at all
            }
        }
    } catch (...) {
        texte.reset();
    }
    std::lock_guard<std::mutex> garde(lecture.verrou);
    lecture.texte = std::move(texte);
    lecture.numero = numero;
    lecture.fini = true;
    lecture.finie.notify_all();
}

} // namespace

PressePapierWin32::PressePapierWin32() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW classe{};
    classe.cbSize = sizeof classe;
    classe.lpfnWndProc = &PressePapierWin32::Procedure;
    classe.hInstance = instance;
    classe.lpszClassName = kClasse;
    // A second clipboard object finds the class already there.
    RegisterClassExW(&classe);
    fenetre_ =
        CreateWindowExW(0, kClasse, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, this);
}

PressePapierWin32::~PressePapierWin32() {
    if (fenetre_) {
        if (ecoute_) {
            RemoveClipboardFormatListener(fenetre_);
        }
        SetWindowLongPtrW(fenetre_, GWLP_USERDATA, 0);
        DestroyWindow(fenetre_);
    }
}

LRESULT CALLBACK PressePapierWin32::Procedure(HWND fenetre, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(l);
        SetWindowLongPtrW(fenetre, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* soi = reinterpret_cast<PressePapierWin32*>(GetWindowLongPtrW(fenetre, GWLP_USERDATA));
    if (soi && message == WM_CLIPBOARDUPDATE) {
        // Several changes before the loop comes back make one call.
        if (!soi->signalEnAttente_) {
            soi->signalEnAttente_ = PostMessageW(fenetre, kSignal, 0, 0) != FALSE;
        }
        return 0;
    }
    if (soi && message == kSignal) {
        soi->signalEnAttente_ = false;
        if (soi->rappel_) {
            // A copy: the callback may replace itself.
            const std::function<void()> rappel = soi->rappel_;
            SansErreurNonTraitee(rappel);
        }
        return 0;
    }
    return DefWindowProcW(fenetre, message, w, l);
}

std::optional<std::string> PressePapierWin32::LireTexte() {
    if (const std::shared_ptr<Lecture> ancienne = enRetard_) {
        std::unique_lock<std::mutex> garde(ancienne->verrou);
        if (!ancienne->fini) {
            return std::nullopt; // its owner still has not answered: no second reader
        }
        enRetard_.reset();
        // A slow read (a very large text) still serves while the clipboard has not changed.
        if (ancienne->texte && ancienne->numero != 0 &&
            ancienne->numero == GetClipboardSequenceNumber()) {
            Retenir(*ancienne);
            return ancienne->texte;
        }
    }
    auto lecture = std::make_shared<Lecture>();
    try {
        std::thread([lecture] { LireDans(*lecture); }).detach();
    } catch (const std::system_error&) {
        return std::nullopt;
    }
    std::unique_lock<std::mutex> garde(lecture->verrou);
    if (!lecture->finie.wait_for(garde, std::chrono::milliseconds(DelaiLecturePressePapierMs),
                                 [&] { return lecture->fini; })) {
        garde.unlock();
        enRetard_ = std::move(lecture);
        return std::nullopt;
    }
    if (lecture->texte) {
        Retenir(*lecture);
    }
    return lecture->texte;
}

void PressePapierWin32::Retenir(const Lecture& lecture) {
    luUneFois_ = true;
    numeroLu_ = lecture.numero;
}

bool PressePapierWin32::PeutAvoirChange() {
    if (!luUneFois_ || enRetard_) {
        return true;
    }
    const DWORD numero = GetClipboardSequenceNumber();
    return numero == 0 || numero != numeroLu_;
}

void PressePapierWin32::EcrireTexte(const std::string& texte) {
    const std::wstring large = LargeDepuisAnsi(texte);
    const std::size_t octets = (large.size() + 1) * sizeof(wchar_t);
    HGLOBAL bloc = GlobalAlloc(GMEM_MOVEABLE, octets);
    if (!bloc) {
        throw Erreur(7); // out of memory
    }
    if (void* destination = GlobalLock(bloc)) {
        std::memcpy(destination, large.c_str(), octets);
        GlobalUnlock(bloc);
    } else {
        GlobalFree(bloc);
        throw Erreur(7);
    }
    // Our window must own the clipboard: with none, Windows refuses the text.
    Ouverture ouverture{fenetre_, kPatienceEcritureMs};
    const bool pose =
        ouverture && fenetre_ && EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, bloc);
    if (!pose) {
        GlobalFree(bloc);
        throw Erreur(ErrArgument);
    }
    // From here the system owns the block.
}

void PressePapierWin32::Vider() {
    Ouverture ouverture{fenetre_, kPatienceEcritureMs};
    if (!ouverture || !EmptyClipboard()) {
        throw Erreur(ErrArgument);
    }
}

void PressePapierWin32::SurChangement(std::function<void()> rappel) {
    rappel_ = std::move(rappel);
    if (rappel_ && !ecoute_ && fenetre_) {
        ecoute_ = AddClipboardFormatListener(fenetre_) != FALSE;
    } else if (!rappel_ && ecoute_) {
        RemoveClipboardFormatListener(fenetre_);
        ecoute_ = false;
    }
}

} // namespace monvalor
