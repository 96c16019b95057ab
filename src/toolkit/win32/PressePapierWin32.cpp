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

PressePapierWin32::PressePapierWin32()
    : fenetre_(kClasse, [this](UINT message, WPARAM, LPARAM) { return Traiter(message); }) {}

PressePapierWin32::~PressePapierWin32() {
    if (fenetre_ && ecoute_) {
        RemoveClipboardFormatListener(fenetre_.Get());
    }
}

bool PressePapierWin32::Traiter(UINT message) {
    if (message == WM_CLIPBOARDUPDATE) {
        // Several changes before the loop comes back make one call.
        if (!signalEnAttente_) {
            signalEnAttente_ = PostMessageW(fenetre_.Get(), kSignal, 0, 0) != FALSE;
        }
        return true;
    }
    if (message == kSignal) {
        signalEnAttente_ = false;
        if (rappel_) {
            // A copy: the callback may replace itself.
            const std::function<void()> rappel = rappel_;
            SansErreurNonTraitee(rappel);
        }
        return true;
    }
    return false;
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
        throw Erreur(ErrMemoire);
    }
    if (void* destination = GlobalLock(bloc)) {
        std::memcpy(destination, large.c_str(), octets);
        GlobalUnlock(bloc);
    } else {
        GlobalFree(bloc);
        throw Erreur(ErrMemoire);
    }
    // Our window must own the clipboard: with none, Windows refuses the text.
    Ouverture ouverture{fenetre_.Get(), kPatienceEcritureMs};
    const bool pose =
        ouverture && fenetre_ && EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, bloc);
    if (!pose) {
        GlobalFree(bloc);
        throw Erreur(ErrArgument);
    }
    // From here the system owns the block.
}

void PressePapierWin32::Vider() {
    Ouverture ouverture{fenetre_.Get(), kPatienceEcritureMs};
    if (!ouverture || !EmptyClipboard()) {
        throw Erreur(ErrArgument);
    }
}

void PressePapierWin32::SurChangement(std::function<void()> rappel) {
    rappel_ = std::move(rappel);
    if (rappel_ && !ecoute_ && fenetre_) {
        ecoute_ = AddClipboardFormatListener(fenetre_.Get()) != FALSE;
    } else if (!rappel_ && ecoute_) {
        RemoveClipboardFormatListener(fenetre_.Get());
        ecoute_ = false;
    }
}

} // namespace monvalor
