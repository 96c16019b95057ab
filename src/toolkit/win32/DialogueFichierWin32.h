// The platform's file dialog on Windows: GetOpenFileNameA and GetSaveFileNameA, to which the
// record is handed as the OPENFILENAMEA it mirrors. The passage between the two is made of
// plain functions, so that it is tested without anyone answering a dialog.
#pragma once

#include "services/Services.h"

#include <windows.h>

#include <commdlg.h>

#include <string>

namespace monvalor {

// The dialog's record and the buffers it points into, which live as long as it (hence no
// copy). Made from the record: the buffers are never smaller than the sizes the dialog is
// told, whatever the record says, and the texts always end with their NULs.
struct AppelDialogueFichier {
    explicit AppelDialogueFichier(const FicheDialogueFichier& fiche);
    AppelDialogueFichier(const AppelDialogueFichier&) = delete;
    AppelDialogueFichier& operator=(const AppelDialogueFichier&) = delete;

    OPENFILENAMEA ofn{};
    std::string filtre;
    std::string fichier;
    std::string titreFichier;
    std::string dossier;
    std::string titre;
    std::string extension;
    DWORD bitsAjoutes = 0; // set for the dialog's sake, taken away from the answer
    DWORD bitsRetires = 0; // of the caller's, that the dialog must not see, given back
};

// Copies the dialog's answer back into the record: the buffers at their size, the chosen pair,
// the option bits, where the name and its extension start.
void RecopierReponse(const AppelDialogueFichier& appel, FicheDialogueFichier& fiche);

class DialogueFichierWin32 final : public IDialogueFichier {
public:
    bool Afficher(FicheDialogueFichier& fiche, ModeDialogueFichier mode) override;
};

} // namespace monvalor
