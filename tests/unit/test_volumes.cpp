// The drive list's choice and refresh, the French order of names, and the Linux drives: the
// mount table read, the folders of a real folder, the errors of those that cannot be read.
#include "forms/ListesFichiers.h"

#include "Doubles.h"
#include "ErreurLevee.h"

#ifndef _WIN32
#include "platform/posix/VolumesPosix.h"

#include <cerrno>
#endif

using namespace monvalor;
using namespace monvalor::test;

TEST(Listes, FrenchOrderIgnoresCaseAndAccentsAndRootsContainOnlyWholeSteps) {
    EXPECT_EQ(CleTriFrancaise(u8"Éléphant ŒUVRE Ça zèbre Ÿ ß Æ"_ansi),
              "elephant oeuvre ca zebre y ss ae");
    const std::tuple<std::string, std::string, bool> racines[] = {
        {P("/home/anne"), P("/home/anne"), true},
        {P("/home/anne/Images"), P("/home/anne"), true},
        {P("/home/annexe"), P("/home/anne"), false},
        {P("/home"), P("/home/anne"), false},
        {P("/tmp"), P("/"), true},
        {P("/tmp"), "", false}};
    for (const auto& [chemin, racine, sous] : racines) {
        EXPECT_EQ(SousRacine(chemin, racine), sous) << chemin << " under " << racine;
    }
}

class Lecteurs : public AvecDoubles {
protected:
    void SetUp() override {
        AvecDoubles::SetUp();
        volumes->lecteurs = {{P("/"), "", GenreVolume::Systeme},
                             {P("/home/anne"), "Dossier personnel", GenreVolume::Personnel},
                             {P("/media/anne/CLE"), "CLE", GenreVolume::Amovible}};
        volumes->courant = P("/media/anne/CLE/Photos");
    }
};

TEST_F(Lecteurs, TheRootAtTheStartOfTheTextChoosesTheDriveAndOnlyAChangeIsTold) {
    ListeLecteurs liste;
    int changements = 0;
    liste.surChangement = [&] { ++changements; };
    EXPECT_EQ(liste.Lecteur(), P("/media/anne/CLE [CLE]"));
    const std::tuple<std::string, std::string, int> cas[] = {
        {P("/media/anne/CLE/Photos/2026"), P("/media/anne/CLE [CLE]"), 0},
        {P("/home/anne [Dossier personnel]"), P("/home/anne [Dossier personnel]"), 1},
        {P("/home/anne/Documents"), P("/home/anne [Dossier personnel]"), 1},
        {"Documents", P("/home/anne [Dossier personnel]"), 1}, // relative: the drive stays
        {P("/etc"), P("/"), 2}};
    for (const auto& [texte, lecteur, fois] : cas) {
        liste.DefinirLecteur(texte);
        EXPECT_EQ(std::tuple(liste.Lecteur(), changements), std::tuple(lecteur, fois)) << texte;
    }
    // The key is pulled out: the list falls back on the first drive, and says so.
    liste.DefinirLecteur(P("/media/anne/CLE"));
    volumes->lecteurs.pop_back();
    liste.Rafraichir();
    EXPECT_EQ(std::tuple(liste.Lecteur(), changements), std::tuple(P("/"), 4));
    liste.Rafraichir();
    EXPECT_EQ(changements, 4);
    // Without a root drive, a path on no drive is a drive that is not there.
    volumes->lecteurs.erase(volumes->lecteurs.begin());
    liste.Rafraichir();
    EXPECT_THROW(liste.DefinirLecteur(P("/etc")), Erreur);
    EXPECT_EQ(liste.Lecteur(), P("/home/anne [Dossier personnel]"));
}

#ifndef _WIN32
TEST(VolumesPosix, TheMountTableGivesTheDrivesAUserWouldPick) {
    const std::string table =
        "/dev/sda1 / ext4 rw,relatime 0 0\n"
        "proc /proc proc rw 0 0\n"
        "sysfs /sys sysfs rw 0 0\n"
        "tmpfs /run tmpfs rw 0 0\n"
        "/dev/sda2 /boot/efi vfat rw 0 0\n"
        "/dev/sda3 /home ext4 rw 0 0\n"
        "/dev/loop0 /snap/core/1 squashfs ro 0 0\n"
        "portal /run/user/1000/doc fuse.portal rw 0 0\n"
        "tmpfs /media/ram tmpfs rw 0 0\n"
        "/dev/sdb1 /media/anne/CL\\303\\211\\040USB vfat rw 0 0\n"
        "/dev/sdc1 /media/anne/\\346\\227\\245 vfat rw 0 0\n" // a name Windows-1252 lacks
        "nas:/export /mnt/nas nfs4 rw 0 0\n"
        "//serveur/partage /mnt/partage cifs rw 0 0\n"
        "/dev/sdd1 /mnt/nas ext4 rw 0 0\n" // mounted over the share
        "/dev/sde1 /home/anne ext4 rw 0 0\n"
        "tronqu\xC3\xA9\n";
    const std::vector<Volume> attendus = {
        {"/", std::string(u8"Système"_ansi), GenreVolume::Systeme},
        {"/home/anne", "Dossier personnel", GenreVolume::Personnel},
        {"/home", "home", GenreVolume::Disque},
        {std::string(u8"/media/anne/CLÉ USB"_ansi), std::string(u8"CLÉ USB"_ansi),
         GenreVolume::Amovible},
        {"/mnt/nas", "nas", GenreVolume::Amovible},
        {"/mnt/partage", "//serveur/partage", GenreVolume::Reseau}};
    EXPECT_EQ(LecteursMontes(table, "/home/anne"), attendus);
    EXPECT_EQ(LecteursMontes("", ""), std::vector<Volume>(attendus.begin(), attendus.begin() + 1));
}

TEST(VolumesPosix, FoldersThatCannotBeReadSayWhyAndTypedPathsAreTidied) {
    const std::tuple<int, bool, int, std::string> echecs[] = {
        {ENOENT, false, 76, std::string(u8"Chemin d'accès introuvable : /x"_ansi)},
        {EACCES, false, 70, std::string(u8"Permission refusée : /x"_ansi)},
        {EACCES, true, 68, std::string(u8"Périphérique non disponible : /x (accès refusé)"_ansi)},
        {ENOTCONN, false, 68,
         std::string(u8"Périphérique non disponible : /x (serveur injoignable)"_ansi)},
        {EIO, false, 68,
         std::string(u8"Périphérique non disponible : /x (erreur d'entrée-sortie)"_ansi)}};
    for (const auto& [numero, racine, erreur, texte] : echecs) {
        const Erreur e = EchecDossier(numero, "/x", racine);
        EXPECT_EQ(std::tuple(e.Numero(), e.Description()), std::tuple(erreur, texte));
    }
    const char* home = std::getenv("HOME");
    const std::string ancien = home != nullptr ? home : "";
    setenv("HOME", "/home/anne", 1);
    VolumesPosix v;
    const std::tuple<const char*, const char*, const char*> resolus[] = {
        {"/home/anne", "Documents/./Factures/", "/home/anne/Documents/Factures"},
        {"/home/anne", "../../..", "/"},
        {"/home/anne", "//etc//ssh", "/etc/ssh"},
        {"/tmp", "~/Images", "/home/anne/Images"},
        {"/tmp", "~", "/home/anne"},
        {"/tmp", "~anne", "/tmp/~anne"}};
    for (const auto& [base, texte, chemin] : resolus) {
        EXPECT_EQ(v.Resoudre(base, texte), chemin) << texte;
    }
    setenv("HOME", ancien.c_str(), 1);
    EXPECT_EQ(std::tuple(v.EstAbsolu("/a"), v.EstAbsolu("~/a"), v.EstAbsolu("a"), v.EstAbsolu("")),
              std::tuple(true, true, false, false));
}

TEST(VolumesPosix, AFolderShowsItsVisibleSubFoldersWhoseNamesTheCoreCanHold) {
    DossierTemporaire d;
    const std::filesystem::path racine = d.Chemin();
    for (const char* nom : {"Documents", "\xC3\x89t\xC3\xA9", ".cache", "\xE6\x97\xA5"}) {
        std::filesystem::create_directory(racine / nom);
    }
    EcrireFichier(racine / "notes.txt", "x");
    std::filesystem::create_directory_symlink(racine / "Documents", racine / "Raccourci");
    std::filesystem::create_symlink(racine / "notes.txt", racine / "lien.txt");
    VolumesPosix v;
    const std::string chemin = *Utf8VersAnsi(racine.string());
    std::vector<std::string> noms = v.SousDossiers(chemin);
    std::sort(noms.begin(), noms.end());
    EXPECT_EQ(noms,
              (std::vector<std::string>{"Documents", "Raccourci", std::string(u8"Été"_ansi)}));
    for (const std::string& absent : {chemin + "/nulle", chemin + "/notes.txt"}) {
        EXPECT_EQ(ErreurLevee([&] { v.SousDossiers(absent); }), ErrCheminIntrouvable) << absent;
    }
}
#endif
