// The platform's file dialog realised with QFileDialog. The mapping between the record and Qt
// is made of plain functions, so that it is tested without anyone answering a dialog.
#pragma once

#include "services/Services.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class QCheckBox;
class QFileDialog;

namespace monvalor {

// Qt's name filter for each complete description/pattern pair of a stored filter, in order.
// Windows patterns are separated by ";" and "*.*" is every file; a description that already
// ends with its pattern in parentheses gets it once, in Qt's form.
QStringList FiltresNoms(std::string_view filtreStocke);

// Where the dialog opens and the name it proposes: the proposed path's own folder when it has
// one that exists, else the initial folder, else (a folder of another system, like "C:\")
// the user's home folder.
struct Depart {
    QString dossier;
    QString nom;
};
Depart DepartDialogue(const FicheDialogueFichier& fiche);

// Sets the dialog up for the record. A native dialog when `natif` and the record allows it:
// the read-only box exists only in Qt's own dialog. Returns that box, or null when the record
// hides it.
QCheckBox* PreparerDialogue(QFileDialog& dialogue, const FicheDialogueFichier& fiche,
                            ModeDialogueFichier mode, bool natif);

// What the user chose, as Qt gives it.
struct Choix {
    QStringList chemins;
    QString filtre;                   // the name filter selected
    std::optional<bool> lectureSeule; // the box's state, when it was shown
};
Choix LireChoix(const QFileDialog& dialogue, const QCheckBox* lectureSeule);

// A choice that an option of the record refuses, or that needs the user's word.
struct Objection {
    std::string texte; // Windows-1252, for the message box
    bool question = false;
};
// nullopt when the choice stands as it is.
std::optional<Objection> ObjecterChoix(const QStringList& chemins, std::uint32_t flags);

enum class IssueChoix { Retenu, Aucun, HorsWindows1252, TropLong };
// Writes the choice into the record as the Windows dialog would: the path (or the folder and
// the names of several files), the name alone, where the name and its extension start, the
// chosen pair, the read-only and extension bits. Anything but Retenu leaves the record alone.
IssueChoix InscrireChoix(FicheDialogueFichier& fiche, const QStringList& filtres,
                         const Choix& choix);

// What the user reads when a choice cannot be kept.
std::string MessageIssue(IssueChoix issue, const FicheDialogueFichier& fiche);

class DialogueFichierQt final : public IDialogueFichier {
public:
    // Without `natif`, always Qt's own dialog (tests drive it).
    explicit DialogueFichierQt(bool natif = true) : natif_(natif) {}
    bool Afficher(FicheDialogueFichier& fiche, ModeDialogueFichier mode) override;

private:
    bool natif_;
};

} // namespace monvalor
