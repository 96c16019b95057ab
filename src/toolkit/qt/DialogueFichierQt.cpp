#include "toolkit/qt/DialogueFichierQt.h"

#include "support/Chaines.h"
#include "support/TexteSource.h"
#include "toolkit/qt/TexteQt.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>

#include <algorithm>
#include <vector>

namespace monvalor {

namespace {

constexpr std::uint32_t kCheminsVerifies =
    OfnCheminExistant | OfnFichierExistant | OfnProposerCreation;

std::string JusquAuNul(const std::string& tampon) {
    return tampon.substr(0, tampon.find('\0'));
}

// Qt separates patterns by spaces; Windows' "*.*" takes names without a dot too.
QString MotifsQt(const QString& motif) {
    QStringList motifs;
    for (const QString& m : motif.split(QLatin1Char(';'))) {
        const QString t = m.trimmed();
        if (!t.isEmpty()) {
            motifs << (t == QLatin1String("*.*") ? QStringLiteral("*") : t);
        }
    }
    motifs.removeDuplicates();
    // A pattern that names nothing shows every file rather than an empty folder.
    return motifs.isEmpty() ? QStringLiteral("*") : motifs.join(QLatin1Char(' '));
}

QString NomFiltre(const QString& description, const QString& motif) {
    const QString motifs = MotifsQt(motif);
    QString nom = description.trimmed();
    // Qt reads the patterns from the parentheses that end the name, so those that show the
    // Windows pattern give way to Qt's.
    for (const QString& vu : {QLatin1Char('(') + motif.trimmed() + QLatin1Char(')'),
                              QLatin1Char('(') + motifs + QLatin1Char(')')}) {
        if (nom.endsWith(vu)) {
            nom.chop(vu.size());
            nom = nom.trimmed();
            break;
        }
    }
    const QString parentheses = QLatin1Char('(') + motifs + QLatin1Char(')');
    return nom.isEmpty() ? parentheses : nom + QLatin1Char(' ') + parentheses;
}

bool Ansi(const QString& texte, std::string& ansi) {
    return DepuisQStringExact(texte, ansi) && ansi.find('\0') == std::string::npos;
}

bool MemeTexteSansCasse(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return MinusculeAnsi(static_cast<unsigned char>(x)) ==
               MinusculeAnsi(static_cast<unsigned char>(y));
    });
}

std::string Guillemets(const QString& chemin) {
    return std::string(u8"« "_ansi) + DepuisQString(QDir::toNativeSeparators(chemin)) +
           std::string(u8" »"_ansi);
}

} // namespace

QStringList FiltresNoms(std::string_view filtreStocke) {
    // The list ends at its first empty part (two NULs in a row) or with the text.
    std::vector<QString> parties;
    for (std::size_t debut = 0; debut < filtreStocke.size();) {
        const std::size_t fin = std::min(filtreStocke.find('\0', debut), filtreStocke.size());
        if (fin == debut) {
            break;
        }
        parties.push_back(VersQString(filtreStocke.substr(debut, fin - debut)));
        debut = fin + 1;
    }
    QStringList noms;
    for (std::size_t i = 0; i + 1 < parties.size(); i += 2) {
        noms << NomFiltre(parties[i], parties[i + 1]);
    }
    return noms;
}

Depart DepartDialogue(const FicheDialogueFichier& fiche) {
    const QString propose = VersQString(JusquAuNul(fiche.lpstrFile));
    const QFileInfo info(propose);
    if (!propose.isEmpty() && info.isAbsolute() && QFileInfo(info.absolutePath()).isDir()) {
        return {info.absolutePath(), info.fileName()};
    }
    const QFileInfo initial(VersQString(fiche.lpstrInitialDir));
    const QString dossier = !fiche.lpstrInitialDir.empty() && initial.isDir()
                                ? initial.absoluteFilePath()
                                : QDir::homePath();
    return {dossier, info.isAbsolute() ? info.fileName() : propose};
}

QCheckBox* PreparerDialogue(QFileDialog& dialogue, const FicheDialogueFichier& fiche,
                            ModeDialogueFichier mode, bool natif) {
    const std::uint32_t bits = fiche.Flags;
    const bool caseLectureSeule = (bits & OfnCacherLectureSeule) == 0;
    // First, so that Qt's own widgets exist for what follows.
    dialogue.setOption(QFileDialog::DontUseNativeDialog, !natif || caseLectureSeule);
    const bool ouvrir = mode == ModeDialogueFichier::Ouvrir;
    dialogue.setAcceptMode(ouvrir ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    if (ouvrir && (bits & OfnSelectionMultiple)) {
        dialogue.setFileMode(QFileDialog::ExistingFiles);
    } else if ((bits & OfnFichierExistant) && !(bits & OfnProposerCreation)) {
        dialogue.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialogue.setFileMode(QFileDialog::AnyFile);
    }
    dialogue.setOption(QFileDialog::DontConfirmOverwrite, !(bits & OfnConfirmerEcrasement));
    if (!fiche.lpstrTitle.empty()) {
        dialogue.setWindowTitle(VersQString(fiche.lpstrTitle));
    }
    const QStringList filtres = FiltresNoms(fiche.lpstrFilter);
    if (!filtres.isEmpty()) {
        dialogue.setNameFilters(filtres);
        const std::uint32_t n = static_cast<std::uint32_t>(filtres.size());
        const bool valable = fiche.nFilterIndex >= 1 && fiche.nFilterIndex <= n;
        dialogue.selectNameFilter(filtres.at(valable ? fiche.nFilterIndex - 1 : 0));
    }
    dialogue.setDefaultSuffix(VersQString(fiche.lpstrDefExt));
    const Depart depart = DepartDialogue(fiche);
    dialogue.setDirectory(depart.dossier);
    if (!depart.nom.isEmpty()) {
        dialogue.selectFile(depart.nom);
    }
    if (!caseLectureSeule) {
        return nullptr;
    }
    auto* lectureSeule = new QCheckBox(QStringLiteral("&Lecture seule"), &dialogue);
    lectureSeule->setObjectName(QStringLiteral("chkLectureSeule"));
    lectureSeule->setChecked((bits & OfnLectureSeule) != 0);
    if (auto* grille = qobject_cast<QGridLayout*>(dialogue.layout())) {
        grille->addWidget(lectureSeule, grille->rowCount(), 0, 1, -1);
    }
    return lectureSeule;
}

Choix LireChoix(const QFileDialog& dialogue, const QCheckBox* lectureSeule) {
    Choix choix{dialogue.selectedFiles(), dialogue.selectedNameFilter(), std::nullopt};
    if (lectureSeule) {
        choix.lectureSeule = lectureSeule->isChecked();
    }
    return choix;
}

std::optional<Objection> ObjecterChoix(const QStringList& chemins, std::uint32_t flags) {
    // Several files come from Qt's own check that they all exist.
    if (chemins.size() != 1) {
        return std::nullopt;
    }
    const QFileInfo info(chemins.first());
    if ((flags & kCheminsVerifies) && !QFileInfo(info.absolutePath()).isDir()) {
        return Objection{std::string("Le dossier ") + Guillemets(info.absolutePath()) +
                         " n'existe pas."};
    }
    if (info.exists()) {
        return std::nullopt;
    }
    if (flags & OfnProposerCreation) {
        return Objection{std::string("Le fichier ") + Guillemets(info.absoluteFilePath()) +
                             std::string(u8" n'existe pas. Voulez-vous le créer ?"_ansi),
                         true};
    }
    if (flags & OfnFichierExistant) {
        return Objection{std::string("Le fichier ") + Guillemets(info.absoluteFilePath()) +
                         " est introuvable."};
    }
    return std::nullopt;
}

IssueChoix InscrireChoix(FicheDialogueFichier& fiche, const QStringList& filtres,
                         const Choix& choix) {
    if (choix.chemins.isEmpty()) {
        return IssueChoix::Aucun;
    }
    // Every path must come back as it is: one that Windows-1252 cannot hold would name
    // another file.
    std::vector<std::string> chemins;
    for (const QString& c : choix.chemins) {
        std::string ansi;
        if (!Ansi(QDir::toNativeSeparators(c), ansi)) {
            return IssueChoix::HorsWindows1252;
        }
        chemins.push_back(std::move(ansi));
    }
    std::string liste;
    std::string titre;
    std::string suffixe;
    std::size_t debutNom = 0;
    std::size_t extension = 0;
    if (chemins.size() == 1) {
        liste = chemins.front();
        Ansi(QFileInfo(choix.chemins.front()).fileName(), titre);
        debutNom = liste.size() - titre.size();
        const std::size_t point = titre.rfind('.');
        // A name ending with its dot has no extension either.
        if (point != std::string::npos && point + 1 < titre.size()) {
            extension = debutNom + point + 1;
            suffixe = titre.substr(point + 1);
        }
    } else {
        // The folder, then each name, each followed by a NUL.
        const QDir dossier = QFileInfo(choix.chemins.front()).absoluteDir();
        Ansi(QDir::toNativeSeparators(dossier.absolutePath()), liste);
        debutNom = liste.size() + 1;
        for (const QString& c : choix.chemins) {
            std::string nom;
            Ansi(QDir::toNativeSeparators(dossier.relativeFilePath(c)), nom);
            liste += '\0' + nom;
        }
        liste += '\0';
    }
    // The counts include the terminating NUL; the offsets must fit the record's 16 bits.
    if (liste.size() + 1 > fiche.nMaxFile || titre.size() + 1 > fiche.nMaxFileTitle ||
        liste.size() > 0xFFFF) {
        return IssueChoix::TropLong;
    }
    liste.resize(std::max(fiche.lpstrFile.size(), liste.size() + 1), '\0');
    fiche.lpstrFile = std::move(liste);
    titre.resize(std::max(fiche.lpstrFileTitle.size(), titre.size() + 1), '\0');
    fiche.lpstrFileTitle = std::move(titre);
    fiche.nFileOffset = static_cast<std::uint16_t>(debutNom);
    fiche.nFileExtension = static_cast<std::uint16_t>(extension);
    if (const qsizetype i = filtres.indexOf(choix.filtre); i >= 0) {
        fiche.nFilterIndex = static_cast<std::uint32_t>(i + 1);
    }
    std::uint32_t bits = fiche.Flags & ~OfnExtensionDifferente;
    if (choix.lectureSeule) {
        bits = *choix.lectureSeule ? bits | OfnLectureSeule : bits & ~OfnLectureSeule;
    }
    std::string defaut = fiche.lpstrDefExt;
    if (!defaut.empty() && defaut.front() == '.') {
        defaut.erase(0, 1);
    }
    if (chemins.size() == 1 && !defaut.empty() && !MemeTexteSansCasse(suffixe, defaut)) {
        bits |= OfnExtensionDifferente;
    }
    fiche.Flags = bits;
    return IssueChoix::Retenu;
}

std::string MessageIssue(IssueChoix issue, const FicheDialogueFichier& fiche) {
    switch (issue) {
    case IssueChoix::HorsWindows1252:
        return std::string(u8"Le chemin choisi contient des caractères que "_ansi) +
               Plateforme().application.titre +
               std::string(u8" ne sait pas représenter : aucun fichier n'est retenu."_ansi);
    case IssueChoix::TropLong:
        return std::string(u8"Le chemin choisi est trop long ("_ansi) +
               std::to_string(fiche.nMaxFile > 0 ? fiche.nMaxFile - 1 : 0) +
               std::string(u8" caractères au plus) : aucun fichier n'est retenu."_ansi);
    default:
        return {};
    }
}

bool DialogueFichierQt::Afficher(FicheDialogueFichier& fiche, ModeDialogueFichier mode) {
    QFileDialog dialogue(QApplication::activeWindow());
    QCheckBox* lectureSeule = PreparerDialogue(dialogue, fiche, mode, natif_);
    IBoiteMessage& boite = *Plateforme().boiteMessage;
    Choix choix;
    // An objection sends the user back to the dialog, as the Windows one stays open.
    for (;;) {
        if (dialogue.exec() != QDialog::Accepted) {
            return false;
        }
        choix = LireChoix(dialogue, lectureSeule);
        const std::optional<Objection> objection = ObjecterChoix(choix.chemins, fiche.Flags);
        if (!objection) {
            break;
        }
        const int style = objection->question ? MsgOuiNon | MsgQuestion : MsgExclamation;
        if (boite.Afficher(objection->texte, style, "") == RepOui) {
            break;
        }
        dialogue.selectFile(choix.chemins.first());
    }
    const IssueChoix issue = InscrireChoix(fiche, FiltresNoms(fiche.lpstrFilter), choix);
    if (issue == IssueChoix::HorsWindows1252 || issue == IssueChoix::TropLong) {
        boite.Afficher(MessageIssue(issue, fiche), MsgExclamation, "");
    }
    return issue == IssueChoix::Retenu;
}

} // namespace monvalor
