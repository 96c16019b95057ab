// The Windows clipboard, and the conversions between the core's Windows-1252 texts and the
// system's UTF-16 ones that the Win32 services share.
#pragma once

#include "services/Services.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace monvalor {

// Windows-1252 to UTF-16: every byte has its character, so nothing is lost.
std::wstring LargeDepuisAnsi(std::string_view ansi);

// UTF-16 to Windows-1252, each character as OctetAnsiApproche gives it: '?' for one that has no
// byte (a surrogate pair is one character, a lone surrogate one more).
std::string AnsiDepuisLarge(std::wstring_view large);

// The same, but nullopt when a character has no byte: a path must come back as it is, or it
// would name another file.
std::optional<std::string> AnsiExactDepuisLarge(std::wstring_view large);

// How long a clipboard read may keep the window waiting.
constexpr DWORD DelaiLecturePressePapierMs = 100;

class PressePapierWin32 final : public IPressePapier {
public:
    // Makes the hidden window that owns our texts and hears of changes: on the thread that
    // runs the message loop.
    PressePapierWin32();
    ~PressePapierWin32() override;
    PressePapierWin32(const PressePapierWin32&) = delete;
    PressePapierWin32& operator=(const PressePapierWin32&) = delete;

    std::optional<std::string> LireTexte() override;
    void EcrireTexte(const std::string& texte) override;
    void Vider() override;
    bool PeutAvoirChange() override;
    void SurChangement(std::function<void()> rappel) override;

    struct Lecture; // a read under way on a thread of its own

private:
    static LRESULT CALLBACK Procedure(HWND fenetre, UINT message, WPARAM w, LPARAM l);
    void Ouvrir();
    void Retenir(const Lecture& lecture);

    HWND fenetre_ = nullptr;
    std::function<void()> rappel_;
    bool ecoute_ = false;
    bool signalEnAttente_ = false;
    // The read that gave up waiting, whose answer may still serve if nothing changed since.
    std::shared_ptr<Lecture> enRetard_;
    bool luUneFois_ = false;
    DWORD numeroLu_ = 0; // the clipboard's sequence number at the last complete read
};

} // namespace monvalor
