#include "toolkit/win32/DialogueFichierWin32.h"

#include <algorithm>

namespace monvalor {

namespace {

// Room enough for any path and long lists of names; a record asking for more gets this much,
// so that a wild size cannot exhaust the memory.
constexpr std::uint32_t kTailleMaximale = 1u << 20;

// Bits that make the dialog call a hook or load a template that the record cannot carry.
constexpr DWORD kBitsSansObjet =
    OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_ENABLETEMPLATEHANDLE | OFN_ENABLEINCLUDENOTIFY;

std::string JusquAuNul(const std::string& texte) {
    return texte.substr(0, texte.find('\0'));
}

// A buffer the dialog may fill up to `taille` characters, holding the record's text, with one
// NUL more at the end than the dialog knows of.
std::string Tampon(const std::string& contenu, std::uint32_t taille) {
    std::string tampon = contenu;
    tampon.resize(std::max<std::size_t>(contenu.size(), taille) + 1, '\0');
    return tampon;
}

char* OuNul(std::string& texte) {
    return texte.empty() ? nullptr : texte.data();
}

} // namespace

AppelDialogueFichier::AppelDialogueFichier(const FicheDialogueFichier& fiche) {
    ofn.lStructSize = sizeof ofn;
    const auto proprietaire = reinterpret_cast<HWND>(fiche.hwndOwner);
    ofn.hwndOwner = proprietaire && IsWindow(proprietaire) ? proprietaire : nullptr;

    // Pairs end with a NUL each and the list with one more; two more never hurt.
    if (!JusquAuNul(fiche.lpstrFilter).empty()) {
        filtre = fiche.lpstrFilter + std::string(2, '\0');
        ofn.lpstrFilter = filtre.c_str();
    }
    ofn.nFilterIndex = fiche.nFilterIndex;

    const std::uint32_t tailleFichier = std::min(fiche.nMaxFile, kTailleMaximale);
    fichier = Tampon(fiche.lpstrFile, tailleFichier);
    ofn.lpstrFile = fichier.data();
    ofn.nMaxFile = tailleFichier;
    if (fiche.nMaxFileTitle > 0) {
        const std::uint32_t tailleTitre = std::min(fiche.nMaxFileTitle, kTailleMaximale);
        titreFichier = Tampon(fiche.lpstrFileTitle, tailleTitre);
        ofn.lpstrFileTitle = titreFichier.data();
        ofn.nMaxFileTitle = tailleTitre;
    }

    dossier = JusquAuNul(fiche.lpstrInitialDir);
    titre = JusquAuNul(fiche.lpstrTitle);
    extension = JusquAuNul(fiche.lpstrDefExt);
    ofn.lpstrInitialDir = OuNul(dossier);
    ofn.lpstrTitle = OuNul(titre);
    ofn.lpstrDefExt = OuNul(extension);

    bitsRetires = fiche.Flags & kBitsSansObjet;
    // Several names come back separated by NULs only from the Explorer-style dialog.
    bitsAjoutes = OFN_EXPLORER & ~fiche.Flags;
    ofn.Flags = (fiche.Flags & ~kBitsSansObjet) | bitsAjoutes;
}

void RecopierReponse(const AppelDialogueFichier& appel, FicheDialogueFichier& fiche) {
    const OPENFILENAMEA& ofn = appel.ofn;
    fiche.lpstrFile.assign(appel.fichier, 0, appel.fichier.size() - 1);
    if (ofn.lpstrFileTitle) {
        fiche.lpstrFileTitle.assign(appel.titreFichier, 0, appel.titreFichier.size() - 1);
    }
    fiche.nFilterIndex = ofn.nFilterIndex;
    fiche.Flags = (ofn.Flags & ~appel.bitsAjoutes) | appel.bitsRetires;
    fiche.nFileOffset = ofn.nFileOffset;
    fiche.nFileExtension = ofn.nFileExtension;
}

bool DialogueFichierWin32::Afficher(FicheDialogueFichier& fiche, ModeDialogueFichier mode) {
    // The record's texts are Windows-1252, the "A" dialog's the system's ANSI code page: the
    // same on the Western systems this program speaks to.
    AppelDialogueFichier appel(fiche);
    const BOOL choisi = mode == ModeDialogueFichier::Ouvrir ? GetOpenFileNameA(&appel.ofn)
                                                            : GetSaveFileNameA(&appel.ofn);
    if (!choisi) {
        return false; // given up, or the dialog failed: the record means nothing then
    }
    RecopierReponse(appel, fiche);
    return true;
}

} // namespace monvalor
