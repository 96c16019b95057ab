// The Windows clipboard.
#pragma once

#include "services/Services.h"
#include "toolkit/win32/FenetreMessages.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace monvalor {

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
    bool Traiter(UINT message);
    void Ouvrir();
    void Retenir(const Lecture& lecture);

    std::function<void()> rappel_;
    bool ecoute_ = false;
    bool signalEnAttente_ = false;
    // The read that gave up waiting, whose answer may still serve if nothing changed since.
    std::shared_ptr<Lecture> enRetard_;
    bool luUneFois_ = false;
    DWORD numeroLu_ = 0; // the clipboard's sequence number at the last complete read
    // Last, so that it goes first: no message reaches a clipboard half destroyed.
    FenetreMessages fenetre_;
};

} // namespace monvalor
