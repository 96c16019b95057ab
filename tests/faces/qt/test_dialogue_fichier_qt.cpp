// The Qt file dialog: the record's mapping to QFileDialog and back, then the dialog driven.
#include "support/TexteSource.h"
#include "toolkit/qt/DialogueFichierQt.h"
#include "toolkit/qt/ServicesQt.h"
#include "toolkit/qt/TexteQt.h"

#include "Doubles.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLayout>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>

#include <algorithm>
#include <cstdio>
#include <deque>

using namespace monvalor;
using namespace monvalor::test;
using namespace std::string_literals;

namespace {

QString Q(const std::string& ansi) {
    return VersQString(ansi);
}

// Answers each message box with the next answer, then OK.
struct BoiteScriptee final : IBoiteMessage {
    std::vector<MessageVu> vus;
    std::deque<int> reponses;
    int Afficher(const std::string& texte, int style, const std::string& titre) override {
        vus.emplace_back(texte, style, titre);
        const int r = reponses.empty() ? RepOK : reponses.front();
        if (!reponses.empty()) {
            reponses.pop_front();
        }
        return r;
    }
};

class DialogueQt : public ::testing::Test {
protected:
    DossierTemporaire dossier;
    std::shared_ptr<BoiteScriptee> boite = std::make_shared<BoiteScriptee>();
    FicheDialogueFichier fiche;

    void SetUp() override {
        Plateforme().boiteMessage = boite;
        fiche.lpstrFilter = "Textes\0*.txt\0Tous\0*.*\0\0"s;
        fiche.nFilterIndex = 1;
        fiche.lpstrFile.assign(261, '\0');
        fiche.nMaxFile = 260;
        fiche.lpstrFileTitle.assign(260, '\0');
        fiche.nMaxFileTitle = 260;
        fiche.Flags = OfnCacherLectureSeule;
    }
    void TearDown() override { ReinitialiserServices(); }
    QString Dans(const QString& nom) { return Q(dossier.Chemin().string()) + '/' + nom; }
    // Shows the dialog; each time it opens, the next path is chosen, or an empty one cancels.
    bool Montrer(std::deque<QString> choix, ModeDialogueFichier mode) {
        QTimer pilote;
        QObject::connect(&pilote, &QTimer::timeout, [&] {
            auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!d || !d->isVisible() || choix.empty()) {
                return;
            }
            const QString c = choix.front();
            choix.pop_front();
            c.isEmpty() ? d->reject() : (d->selectFile(c), static_cast<QDialog*>(d)->accept());
        });
        pilote.start(5);
        return DialogueFichierQt(false).Afficher(fiche, mode);
    }
};

} // namespace

TEST(FiltresQt, EachCompletePairGivesOneNameFilterWithQtsPatterns) {
    const std::pair<std::string, QStringList> cas[] = {
        {"All Files (*.*)\0*.*\0\0"s, {"All Files (*)"}},
        {"Textes\0*.txt; *.doc\0Tous\0*;*.*\0\0"s, {"Textes (*.txt *.doc)", "Tous (*)"}},
        {"Textes (*.txt;*.doc)\0*.txt;*.doc\0\0"s, {"Textes (*.txt *.doc)"}},
        {"Images (*.png *.jpg)\0*.png;*.jpg\0\0"s, {"Images (*.png *.jpg)"}},
        {"Anciens (2001)\0*.old\0\0"s, {"Anciens (2001) (*.old)"}},
        {"Textes\0*.txt\0\0Tous\0*\0\0"s, {"Textes (*.txt)"}},
        {std::string(u8"Relevés\0*.rel\0\0"_ansi), {Q(std::string(u8"Relevés (*.rel)"_ansi))}},
        {"Vide\0 ; \0\0"s, {"Vide (*)"}},
        {"A\0*.a"s, {"A (*.a)"}},
        {" \0*.a\0\0"s, {"(*.a)"}},
        {"Seul\0\0"s, {}},
        {""s, {}},
    };
    for (const auto& [stocke, noms] : cas) {
        EXPECT_EQ(FiltresNoms(stocke), noms) << stocke;
    }
}

TEST_F(DialogueQt, TheDialogIsBuiltFromTheRecord) {
    const std::string ici = dossier.Chemin().string();
    std::filesystem::create_directory(dossier.Chemin() / "sous");
    const auto o = ModeDialogueFichier::Ouvrir, e = ModeDialogueFichier::Enregistrer;
    const auto tout = QFileDialog::AnyFile, un = QFileDialog::ExistingFile;
    // Flags, mode, index, initial folder, name proposed; Qt's file mode, the filter selected
    // (1-based), the box and its state (-1: none), where it opens and the name it proposes.
    const std::tuple<int, ModeDialogueFichier, int, std::string, std::string, QFileDialog::FileMode,
                     int, int, QString, QString>
        cas[] = {
            {0x6, o, 1, "C:\\", "", tout, 1, -1, QDir::homePath(), ""},
            {0x4, e, 2, ici, "a.txt", tout, 2, -1, Q(ici), "a.txt"},
            {0x1006, o, 0, ici, ici + "/sous/b.txt", un, 1, -1, Dans("sous"), "b.txt"},
            {0x3206, e, 99, "", "/nulle/part/c.txt", tout, 1, -1, QDir::homePath(), "c.txt"},
            {0x1204, o, 2, ici, "", QFileDialog::ExistingFiles, 2, -1, Q(ici), ""},
            {0x1, o, 1, ici, "", tout, 1, 1, Q(ici), ""},
            {0x0, e, 1, ici, "", tout, 1, 0, Q(ici), ""},
        };
    const QStringList filtres{"Textes (*.txt)", "Tous (*)"};
    for (const auto& [flags, mode, index, initial, propose, fichiers, filtre, caseLS, repertoire,
                      nom] : cas) {
        SCOPED_TRACE(flags);
        fiche.Flags = static_cast<std::uint32_t>(flags);
        fiche.nFilterIndex = static_cast<std::uint32_t>(index);
        fiche.lpstrInitialDir = initial;
        fiche.lpstrFile = propose + std::string(10, '\0');
        fiche.lpstrDefExt = "txt";
        fiche.lpstrTitle = std::string(u8"Choisir un relevé"_ansi);
        EXPECT_EQ(DepartDialogue(fiche).dossier, repertoire);
        EXPECT_EQ(DepartDialogue(fiche).nom, nom);
        QFileDialog d;
        const QCheckBox* lectureSeule = PreparerDialogue(d, fiche, mode, true);
        EXPECT_EQ(d.windowTitle(), Q(fiche.lpstrTitle));
        EXPECT_EQ(d.nameFilters(), filtres);
        EXPECT_EQ(d.selectedNameFilter(), filtres[filtre - 1]);
        EXPECT_EQ(d.fileMode(), fichiers);
        EXPECT_EQ(d.acceptMode() == QFileDialog::AcceptSave, mode == e);
        EXPECT_EQ(d.testOption(QFileDialog::DontConfirmOverwrite), (flags & 2) == 0);
        EXPECT_EQ(d.defaultSuffix(), "txt");
        EXPECT_EQ(d.directory().absolutePath(), repertoire);
        // The read-only box lives in Qt's own dialog only.
        EXPECT_EQ(lectureSeule ? int(lectureSeule->isChecked()) : -1, caseLS);
        EXPECT_EQ(d.testOption(QFileDialog::DontUseNativeDialog), lectureSeule != nullptr);
        EXPECT_TRUE(!lectureSeule || d.layout()->indexOf(lectureSeule) >= 0);
    }
}

// The record after a choice: file buffer (NULs as '|', trailing ones dropped), title, name and
// extension offsets, flags in hex; or the issue.
std::string Inscrit(FicheDialogueFichier f, const QStringList& chemins, std::optional<bool> ls,
                    const std::string& defaut) {
    const QStringList filtres = FiltresNoms(f.lpstrFilter);
    f.nMaxFile = 16;
    f.Flags = 0xC05;
    f.lpstrDefExt = defaut;
    const FicheDialogueFichier avant = f;
    if (const IssueChoix issue = InscrireChoix(f, filtres, {chemins, filtres[1], ls});
        issue != IssueChoix::Retenu) {
        const char* const issues[] = {"", "aucun", "hors 1252", "trop long"};
        return f.lpstrFile == avant.lpstrFile ? issues[static_cast<int>(issue)] : "?";
    }
    if (f.nFilterIndex != 2 || f.lpstrFile.size() != 261 || f.lpstrFileTitle.size() != 260) {
        return "?";
    }
    std::string tampon = f.lpstrFile.substr(0, f.lpstrFile.find_last_not_of('\0') + 1);
    std::replace(tampon.begin(), tampon.end(), '\0', '|');
    char bits[16];
    std::snprintf(bits, sizeof bits, "%X", f.Flags);
    return tampon + " " + f.lpstrFileTitle.substr(0, f.lpstrFileTitle.find('\0')) + " " +
           std::to_string(f.nFileOffset) + " " + std::to_string(f.nFileExtension) + " " + bits;
}

TEST_F(DialogueQt, TheChoiceIsWrittenAsWindowsCountsIt) {
    const std::optional<bool> montree, cochee = true, decochee = false;
    const QString releve = Q(std::string(u8"/tmp/relevé.txt"_ansi));
    // Paths chosen, the read-only box, the default extension: the record.
    const std::tuple<QStringList, std::optional<bool>, std::string, std::string> cas[] = {
        {{"/tmp/a/list.txt"}, montree, "txt", "/tmp/a/list.txt list.txt 7 12 805"},
        {{"/tmp/a/list.TXT"}, cochee, ".txt", "/tmp/a/list.TXT list.TXT 7 12 805"},
        {{"/tmp/a/list.csv"}, decochee, "txt", "/tmp/a/list.csv list.csv 7 12 C04"},
        {{"/tmp/a.b/liste"}, montree, "", "/tmp/a.b/liste liste 9 0 805"},
        {{"/tmp/liste."}, montree, "txt", "/tmp/liste. liste. 5 0 C05"},
        {{releve}, montree, "", std::string(u8"/tmp/relevé.txt relevé.txt 5 12 805"_ansi)},
        {{"/tmp/d/a", "/tmp/d/b"}, montree, "txt", "/tmp/d|a|b  7 0 805"},
        {{"/tmp/nnnn", "/tmp/nnnn"}, montree, "", "/tmp|nnnn|nnnn  5 0 805"},
        {{"/tmp/nnnnn", "/tmp/nnnn"}, montree, "", "trop long"},
        {{"/tmp/nnnnnnnnnn"}, montree, "", "/tmp/nnnnnnnnnn nnnnnnnnnn 5 0 805"},
        {{"/tmp/nnnnnnnnnnn"}, montree, "", "trop long"},
        {{"/tmp/" + QString(QChar(0x109)) + ".txt"}, montree, "", "hors 1252"},
        {{"/tmp/a" + QString(QChar(0)) + "b"}, montree, "", "hors 1252"},
        {{}, cochee, "", "aucun"},
    };
    for (const auto& [chemins, lectureSeule, defaut, attendu] : cas) {
        EXPECT_EQ(Inscrit(fiche, chemins, lectureSeule, defaut), attendu) << attendu;
    }
    // A filter the record does not know leaves the index alone.
    const Choix autre{{"/tmp/x"}, "Autres (*.x)", std::nullopt};
    EXPECT_EQ(InscrireChoix(fiche, FiltresNoms(fiche.lpstrFilter), autre), IssueChoix::Retenu);
    EXPECT_EQ(fiche.nFilterIndex, 1u);
}

TEST_F(DialogueQt, OptionsObjectToMissingFoldersAndFiles) {
    EcrireFichier(dossier.Chemin() / "la.txt", "x");
    const QString la = Dans("la.txt"), absent = Dans("absent.txt"), perdu = Dans("nulle/x.txt");
    const auto creer = OfnProposerCreation | OfnFichierExistant;
    // Paths, flags: what the message says ("" for none), and whether it asks.
    const std::tuple<QStringList, std::uint32_t, std::string, bool> cas[] = {
        {{perdu}, 0x6, "", false},
        {{perdu}, OfnCheminExistant, "Le dossier", false},
        {{perdu}, OfnProposerCreation, "Le dossier", false},
        {{absent}, OfnCheminExistant, "", false},
        {{absent}, OfnFichierExistant, "introuvable", false},
        {{absent}, creer, std::string(u8"Voulez-vous le créer"_ansi), true},
        {{la}, creer, "", false},
        {{absent, perdu}, creer, "", false},
    };
    for (const auto& [chemins, flags, message, question] : cas) {
        SCOPED_TRACE(chemins.join(' ').toStdString() + " " + std::to_string(flags));
        const std::optional<Objection> o = ObjecterChoix(chemins, flags);
        ASSERT_EQ(o.has_value(), !message.empty());
        if (o) {
            EXPECT_NE(o->texte.find(message), std::string::npos) << o->texte;
            EXPECT_EQ(o->question, question);
        }
    }
}

TEST_F(DialogueQt, TheDialogAnswersAsTheUserDid) {
    EcrireFichier(dossier.Chemin() / "la.txt", "x");
    EcrireFichier(dossier.Chemin() / u8"ĉ.txt", "x");
    const auto o = ModeDialogueFichier::Ouvrir;
    fiche.Flags = 0x1004;
    EXPECT_TRUE(Montrer({Dans("la.txt")}, o));
    EXPECT_EQ(fiche.lpstrFile.substr(0, fiche.lpstrFile.find('\0')), DepuisQString(Dans("la.txt")));
    EXPECT_FALSE(Montrer({""}, o));
    EXPECT_TRUE(boite->vus.empty());
    // A name Windows-1252 cannot hold is told and given up.
    EXPECT_FALSE(Montrer({Dans(QString(QChar(0x109)) + ".txt")}, o));
    ASSERT_EQ(boite->vus.size(), 1u);
    EXPECT_NE(std::get<0>(boite->vus[0]).find(u8"ne sait pas représenter"_ansi), std::string::npos);
    EXPECT_EQ(std::get<1>(boite->vus[0]), MsgExclamation);
    FicheDialogueFichier petite = fiche;
    petite.nMaxFile = 16;
    EXPECT_NE(MessageIssue(IssueChoix::TropLong, petite).find(u8"(15 caractères au plus)"_ansi),
              std::string::npos);
    // A missing folder sends the user back to the dialog; so does a "no" to creating.
    fiche.Flags = 0x2804;
    boite->reponses = {RepOK, RepNon, RepOui};
    EXPECT_FALSE(Montrer({Dans("nulle/x.txt"), ""}, ModeDialogueFichier::Enregistrer));
    EXPECT_TRUE(Montrer({Dans("neuf.txt"), Dans("neuf.txt")}, ModeDialogueFichier::Enregistrer));
    ASSERT_EQ(boite->vus.size(), 4u);
    EXPECT_EQ(std::get<1>(boite->vus[1]), MsgExclamation);
    EXPECT_EQ(std::get<1>(boite->vus[2]), MsgOuiNon | MsgQuestion);
    EXPECT_EQ(std::get<1>(boite->vus[3]), MsgOuiNon | MsgQuestion);
    EXPECT_EQ(fiche.lpstrFile.substr(0, fiche.lpstrFile.find('\0')),
              DepuisQString(Dans("neuf.txt")));
}

TEST(ServicesQt, TheProgramUsesTheQtDialog) {
    InstallerServicesQt();
    EXPECT_NE(dynamic_cast<DialogueFichierQt*>(Plateforme().dialogueFichier.get()), nullptr);
    ReinitialiserServices();
}

TEST(FrancaisQt, QtsOwnTextsSpeakFrench) {
    // The set-up scripts install them (qt6-translations-l10n).
    const QLocale avant;
    QTranslator* traducteur = ParlerFrancaisQt();
    ASSERT_NE(traducteur, nullptr);
    EXPECT_EQ(std::tuple(QFileDialog::tr("Open"), QLocale().language()),
              std::tuple(QString("Ouvrir"), QLocale::French));
    QCoreApplication::removeTranslator(traducteur);
    delete traducteur;
    QLocale::setDefault(avant);
    EXPECT_EQ(QFileDialog::tr("Open"), "Open");
}
