#include "support/OpenSaveDlg.h"

#include "services/Services.h"
#include "support/Erreur.h"

#include <algorithm>
#include <cstdint>

namespace monvalor {

namespace {

// The dialog's title buffer, whatever the room for the path.
constexpr std::uint32_t kTailleTitre = 260;

bool FinitParDeuxNuls(const std::string& s) {
    return s.size() >= 2 && s[s.size() - 1] == '\0' && s[s.size() - 2] == '\0';
}

// A buffer's text: up to its first NUL, or all of it when the dialog left none.
std::string JusquAuNul(const std::string& tampon) {
    return tampon.substr(0, tampon.find('\0'));
}

} // namespace

void OpenSaveDlg::Filter(const std::string& v) {
    filtre_ = v;
    std::replace(filtre_.begin(), filtre_.end(), '|', '\0');
    // Twice: a text ending in one "|" needs one NUL more, one ending in none needs two.
    for (int fois = 0; fois < 2; ++fois) {
        if (!FinitParDeuxNuls(filtre_)) {
            filtre_ += '\0';
        }
    }
}

std::string OpenSaveDlg::Filter() const {
    std::string texte = filtre_;
    std::replace(texte.begin(), texte.end(), '\0', '|');
    for (int fois = 0; fois < 2; ++fois) {
        if (!texte.empty() && texte.back() == '|') {
            texte.pop_back();
        }
    }
    return texte;
}

void OpenSaveDlg::ShowSave() {
    Montrer(true);
}

void OpenSaveDlg::ShowOpen() {
    Montrer(false);
}

void OpenSaveDlg::Montrer(bool enregistrer) {
    // The proposed name is padded to the buffer's size: one that does not fit cannot be
    // handed over, and a negative room would let the dialog write past the buffer.
    if (MaxFileSize_ < 0 || FileName_.size() > static_cast<std::size_t>(MaxFileSize_) + 1) {
        throw Erreur(ErrArgument);
    }
    FicheDialogueFichier fiche;
    fiche.hwndOwner = hwnd_;
    fiche.lpstrFilter = filtre_;
    fiche.nFilterIndex = static_cast<std::uint32_t>(FilterIndex_);
    fiche.lpstrFile = FileName_;
    fiche.lpstrFile.resize(static_cast<std::size_t>(MaxFileSize_) + 1, '\0');
    fiche.nMaxFile = static_cast<std::uint32_t>(MaxFileSize_);
    fiche.lpstrFileTitle.assign(kTailleTitre, '\0');
    fiche.nMaxFileTitle = kTailleTitre;
    fiche.lpstrInitialDir = InitDir_;
    fiche.lpstrTitle = DialogTitle_;
    fiche.Flags = static_cast<std::uint32_t>(Flags_);
    fiche.lpstrDefExt = DefaultExt_;

    CancelError_ = false;
    bool choisi = false;
    try {
        choisi = Plateforme().dialogueFichier->Afficher(
            fiche, enregistrer ? ModeDialogueFichier::Enregistrer : ModeDialogueFichier::Ouvrir);
    } catch (...) {
        // Whoever catches this must not read the old properties as a choice.
        CancelError_ = true;
        throw;
    }
    if (!choisi) {
        CancelError_ = true;
        return;
    }
    // The record's index is a 32-bit number: one beyond the property's range is an overflow,
    // not another pair.
    const auto index = static_cast<std::int32_t>(fiche.nFilterIndex);
    if (index < INT16_MIN || index > INT16_MAX) {
        CancelError_ = true;
        throw Erreur(ErrDepassement);
    }
    FileName_ = JusquAuNul(fiche.lpstrFile);
    FileTitle_ = JusquAuNul(fiche.lpstrFileTitle);
    FilterIndex_ = static_cast<std::int16_t>(index);
    Flags_ = static_cast<std::int32_t>(fiche.Flags);
    FileExt_ = static_cast<std::int16_t>(fiche.nFileExtension);
}

} // namespace monvalor
