// The file chooser class over a scripted dialog: what the dialog receives, what a choice or a
// cancel leaves in the properties.
#include "support/OpenSaveDlg.h"
#include "support/TexteSource.h"

#include "Doubles.h"
#include "ErreurLevee.h"

using namespace monvalor;
using namespace monvalor::test;
using namespace std::string_literals;

namespace {

class Choisir : public ::testing::Test {
protected:
    std::shared_ptr<DialogueFichierScripte> dialogue = std::make_shared<DialogueFichierScripte>();
    OpenSaveDlg dlg;

    void SetUp() override { Plateforme().dialogueFichier = dialogue; }
    void TearDown() override { ReinitialiserServices(); }
    // The user picks /tmp/notes/liste.txt with the second pair and ticks the read-only box.
    void Confirmer() {
        dialogue->reponse = {"/tmp/notes/liste.txt\0\0"s, "liste.txt\0"s, 2, 0x807, 17};
        dialogue->confirme = true;
    }
};

} // namespace

TEST_F(Choisir, StartsWithTheClassicValues) {
    EXPECT_EQ(std::tuple(dlg.FileExt(), dlg.hwnd(), dlg.MaxFileSize(), dlg.Flags(),
                         dlg.FilterIndex(), dlg.CancelError()),
              std::tuple(0, 0u, 260, 6, 1, false));
    EXPECT_EQ(std::tuple(dlg.InitDir(), dlg.Filter(), dlg.FiltreStocke(),
                         dlg.FileTitle() + dlg.FileName() + dlg.DialogTitle() + dlg.DefaultExt()),
              std::tuple("C:\\", "All Files (*.*)|*.*", "All Files (*.*)\0*.*\0\0"s, ""));
}

TEST_F(Choisir, FilterIsStoredWithNulsAndReadBackLessTwoTrailingBars) {
    // Set, stored, read back.
    const std::tuple<std::string, std::string, std::string> cas[] = {
        {"Textes|*.txt|Tous|*.*", "Textes\0*.txt\0Tous\0*.*\0\0"s, "Textes|*.txt|Tous|*.*"},
        {"Textes|*.txt|", "Textes\0*.txt\0\0"s, "Textes|*.txt"},
        {"Textes|*.txt||", "Textes\0*.txt\0\0"s, "Textes|*.txt"},
        {"Textes|*.txt|||", "Textes\0*.txt\0\0\0"s, "Textes|*.txt|"},
        {"", "\0\0"s, ""},
        {"|", "\0\0"s, ""},
        {"Textes", "Textes\0\0"s, "Textes"},
    };
    for (const auto& [texte, stocke, relu] : cas) {
        dlg.Filter(texte);
        EXPECT_EQ(dlg.FiltreStocke(), stocke) << texte;
        EXPECT_EQ(dlg.Filter(), relu) << texte;
    }
}

TEST_F(Choisir, TheDialogReceivesThePropertiesAsTheyStand) {
    dlg.hwnd(77);
    dlg.Filter("Textes|*.txt|Tous|*.*");
    dlg.FilterIndex(2);
    dlg.MaxFileSize(20);
    dlg.FileName("essai.txt");
    dlg.InitDir("/tmp");
    dlg.DialogTitle(std::string(u8"Ouvrir un relevé"_ansi));
    dlg.DefaultExt("txt");
    dlg.Flags(-1);
    dlg.ShowOpen();
    dlg.ShowSave();
    ASSERT_EQ(dialogue->recus.size(), 2u);
    EXPECT_EQ(std::pair(dialogue->recus[0].second, dialogue->recus[1].second),
              std::pair(ModeDialogueFichier::Ouvrir, ModeDialogueFichier::Enregistrer));
    const FicheDialogueFichier& f = dialogue->recus[1].first;
    EXPECT_EQ(std::tuple(f.hwndOwner, f.nFilterIndex, f.nMaxFile, f.nMaxFileTitle, f.Flags,
                         f.nFileOffset + f.nFileExtension),
              std::tuple(77u, 2u, 20u, 260u, 0xFFFFFFFFu, 0));
    EXPECT_EQ(std::tuple(f.lpstrFilter, f.lpstrFile, f.lpstrFileTitle, f.lpstrInitialDir,
                         f.lpstrTitle, f.lpstrDefExt),
              std::tuple("Textes\0*.txt\0Tous\0*.*\0\0"s, "essai.txt"s + std::string(12, '\0'),
                         std::string(260, '\0'), "/tmp", u8"Ouvrir un relevé"_ansi, "txt"));
}

TEST_F(Choisir, ACancelChangesNothingButCancelError) {
    dlg.FileName("avant.txt");
    dlg.FileTitle("avant");
    dlg.FilterIndex(3);
    dlg.FileExt(4);
    Confirmer();
    dialogue->confirme = false; // the dialog failed after writing its buffers
    for (const bool enregistrer : {false, true}) {
        enregistrer ? dlg.ShowSave() : dlg.ShowOpen();
        EXPECT_EQ(std::tuple(dlg.CancelError(), dlg.FileName(), dlg.FileTitle(), dlg.FilterIndex(),
                             dlg.Flags(), dlg.FileExt()),
                  std::tuple(true, "avant.txt", "avant", 3, 6, 4));
    }
}

TEST_F(Choisir, AChoiceFillsThePropertiesAndIsProposedAgain) {
    dlg.CancelError(true);
    dlg.DefaultExt("txt");
    dlg.Filter("Textes|*.txt|Tous|*.*");
    Confirmer();
    dlg.ShowSave();
    EXPECT_EQ(std::tuple(dlg.CancelError(), dlg.FileName(), dlg.FileTitle(), dlg.FilterIndex(),
                         dlg.Flags(), dlg.FileExt()),
              std::tuple(false, "/tmp/notes/liste.txt", "liste.txt", 2, 0x807, 17));
    EXPECT_EQ(dlg.DefaultExt() + dlg.InitDir() + dlg.Filter(), "txtC:\\Textes|*.txt|Tous|*.*");
    dlg.ShowOpen();
    const FicheDialogueFichier& f = dialogue->recus.back().first;
    EXPECT_EQ(std::tuple(f.lpstrFile, f.nFilterIndex, f.Flags),
              std::tuple("/tmp/notes/liste.txt"s + std::string(241, '\0'), 2u, 0x807u));
    // Several files: the dialog's list starts with their folder, which is all FileName keeps.
    dialogue->reponse.fichier = "/tmp/notes\0a.txt\0b.txt\0\0"s;
    dlg.ShowOpen();
    EXPECT_EQ(dlg.FileName(), "/tmp/notes");
    // A buffer the dialog left without any NUL is taken whole.
    dialogue->reponse.fichier = "/tmp/x";
    dlg.ShowOpen();
    EXPECT_EQ(dlg.FileName(), "/tmp/x");
}

TEST_F(Choisir, ANameThatCannotBePaddedFailsBeforeAnyDialog) {
    // Room, length of the proposed name, error.
    const std::tuple<int, std::size_t, int> cas[] = {
        {260, 262, ErrArgument}, {260, 261, 0},        {260, 1000, ErrArgument}, {0, 1, 0},
        {0, 2, ErrArgument},     {-1, 0, ErrArgument},
    };
    for (const auto& [place, longueur, erreur] : cas) {
        for (const bool avant : {false, true}) {
            dialogue->recus.clear();
            dlg.MaxFileSize(static_cast<std::int16_t>(place));
            dlg.FileName(std::string(longueur, 'a'));
            dlg.CancelError(avant);
            const int levee = ErreurLevee([&] { avant ? dlg.ShowOpen() : dlg.ShowSave(); });
            EXPECT_EQ(std::tuple(levee, dialogue->recus.size(), dlg.CancelError()),
                      std::tuple(erreur, erreur ? 0u : 1u, erreur ? avant : true))
                << place << " " << longueur;
        }
    }
}

TEST_F(Choisir, AFailingDialogNeverLooksLikeAChoice) {
    // An index beyond the property's range overflows; one the property sent comes back.
    Confirmer();
    dialogue->reponse.index = 40000;
    EXPECT_EQ(ErreurLevee([&] { dlg.ShowOpen(); }), ErrDepassement);
    EXPECT_EQ(std::pair(dlg.CancelError(), dlg.FileName()), std::pair(true, ""s));
    dialogue->reponse.index = 0xFFFF0000;
    EXPECT_EQ(ErreurLevee([&] { dlg.ShowOpen(); }), ErrDepassement);
    dialogue->reponse.index = 0xFFFFFFFF;
    dlg.ShowOpen();
    EXPECT_EQ(dlg.FilterIndex(), -1);
    dialogue->enPanne = true;
    EXPECT_EQ(ErreurLevee([&] { dlg.ShowSave(); }), ErrAccesChemin);
    EXPECT_TRUE(dlg.CancelError());
    // Without a dialog of the platform, every show is a cancel.
    ReinitialiserServices();
    dlg.CancelError(false);
    dlg.ShowOpen();
    EXPECT_TRUE(dlg.CancelError());
}
