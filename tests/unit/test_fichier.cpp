#include "DossierTemporaire.h"
#include "ErreurLevee.h"
#include "Systeme.h"

#include "services/Services.h"
#include "support/Erreur.h"
#include "support/Fichier.h"
#include "support/Fichiers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>
#include <vector>

using namespace monvalor;
using namespace monvalor::test;
namespace fs = std::filesystem;

namespace {

// A list that is not an Arr: it only adds, and tells each addition to `surAjout`.
struct ListeEspion final : IListe {
    void Add(Variant valeur) override {
        items.push_back(std::move(valeur));
        if (surAjout) {
            surAjout();
        }
    }
    std::int32_t Count() const override { return static_cast<std::int32_t>(items.size()); }
    void Count(std::int32_t n) override { items.resize(static_cast<std::size_t>(n)); }
    Variant Item(std::int32_t i) const override {
        return items.at(static_cast<std::size_t>(i - 1));
    }

    std::vector<Variant> items;
    std::function<void()> surAjout;
};

std::vector<std::string> Textes(const IListe& liste) {
    std::vector<std::string> textes;
    for (std::int32_t i = 1; i <= liste.Count(); ++i) {
        textes.push_back(liste.Item(i).Texte());
    }
    return textes;
}

using Lignes = std::vector<std::string>;

class FichierTest : public ::testing::Test {
protected:
    void SetUp() override { ReinitialiserServices(); }
    void TearDown() override { ReinitialiserServices(); }

    // A file of the folder holding the bytes, and a Fichier naming it.
    Fichier& Sur(const std::string& nom, std::string_view octets) {
        EcrireFichier(dossier.Chemin() / nom, octets);
        f.NomLong(dossier.Fichier(nom));
        return f;
    }
    std::string Contenu(const std::string& nom) const {
        return LireFichier(dossier.Chemin() / nom);
    }

    DossierTemporaire dossier;
    Fichier f;
};

} // namespace

TEST_F(FichierTest, ChargerToutLeFichierRemplaceLeContenuDeLArr) {
    const struct {
        const char* octets;
        Lignes lignes;
    } cas[] = {
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\r\nb", {"a", "b"}},
        {"", {}},
        {"\r\n", {""}},
        {"a\r\n\r\n", {"a", ""}},
        {"a\rb\nc", {"a\rb\nc"}},
        {"\r\n\r\nx", {"", "", "x"}},
    };
    for (const auto& c : cas) {
        auto tableau = std::make_shared<Arr>();
        tableau->Add("x"), tableau->Add("y"), tableau->Add("z");
        f.Data(tableau);
        Sur("t.txt", c.octets).Charger(0, 0, true);
        EXPECT_EQ(Textes(*f.Data()), c.lignes) << c.octets;
        EXPECT_EQ(tableau->Count(), static_cast<std::int32_t>(c.lignes.size()));
    }
    // Another list is added to; a missing file leaves any list alone.
    auto espion = std::make_shared<ListeEspion>();
    espion->Add("x");
    f.Data(espion);
    Sur("t.txt", "a\r\nb\r\n").Charger(0, 0, true);
    EXPECT_EQ(Textes(*espion), (Lignes{"x", "a", "b"}));
    f.NomLong(dossier.Fichier("absent"));
    f.Charger(0, 0, true), f.Charger(0, 0, false);
    EXPECT_EQ(Textes(*espion), (Lignes{"x", "a", "b"}));
    EXPECT_EQ(ErreurLevee([&] { f.Data(std::shared_ptr<IListe>()); }), ErrObjetNonDefini);
    EXPECT_EQ(ErreurLevee([&] { f.Data(std::shared_ptr<Arr>()); }), ErrObjetNonDefini);
}

TEST_F(FichierTest, ToStringLitUneFenetreCompteeDepuisLaFin) {
    std::string cent;
    for (int i = 0; i < 100; ++i) {
        cent.push_back(static_cast<char>('0' + i % 10 + (i / 10) * 3));
    }
    Sur("cent.txt", cent);
    const struct {
        std::int32_t psize, pseek;
        std::size_t premier, longueur; // characters from 1
    } cas[] = {
        {0, 0, 1, 100}, {10, 10, 90, 10}, {5, 10, 90, 5},  {200, 0, 1, 100}, {0, 150, 1, 100},
        {1, 1, 99, 1},  {100, 99, 1, 99}, {30, 0, 70, 30}, {0, 100, 1, 100}, {50, 100, 1, 50},
        {-1, 0, 1, 0},  {0, -1, 1, 0},    {0, 99, 1, 99},
    };
    for (const auto& c : cas) {
        EXPECT_EQ(f.ToString(c.psize, c.pseek), cent.substr(c.premier - 1, c.longueur))
            << c.psize << ", " << c.pseek;
    }
    // Bytes as they are, line ends and NULs included.
    const std::string brut("a\r\n\0\n\xFF\r", 7);
    EXPECT_EQ(Sur("brut.bin", brut).ToString(0, 0), brut);
    EXPECT_EQ(Sur("vide.txt", "").ToString(0, 0), "");
}

TEST_F(FichierTest, ChargerLigneParLigneAjouteLesLignesDeLaFenetre) {
    const std::string huit = "l1\r\nl2\r\nl3\r\nl4\r\nl5\r\nl6\r\nl7\r\nl8\r\n";
    const struct {
        const char* octets;
        std::int32_t psize, pseek;
        Lignes lignes;
    } cas[] = {
        {huit.c_str(), 5, 1, {"l1", "l2", "l3", "l4", "l5"}},
        {huit.c_str(), 10, 3, {"l3", "l4", "l5", "l6", "l7", "l8"}},
        {huit.c_str(), 0, 0, {"l1"}},
        {huit.c_str(), 8, 5, {}},
        {huit.c_str(), 2147483647, 1, {"l1", "l2", "l3", "l4", "l5", "l6", "l7", "l8"}},
        // CR and CR LF end a line, a lone LF stays in it; the last line needs no end.
        {"a\rb\r\nc\nd", 9, 1, {"a", "b", "c\nd"}},
        {"\r\r", 9, 1, {""}},
        {"\r", 9, 1, {""}},
        {"x\r\r", 9, 1, {"x"}},
        {"\n", 9, 1, {"\n"}},
        {"", 9, 1, {}},
    };
    for (const auto& c : cas) {
        f.Data(std::make_shared<Arr>());
        Sur("l.txt", c.octets).Charger(c.psize, c.pseek, false);
        EXPECT_EQ(Textes(*f.Data()), c.lignes) << c.octets << " " << c.psize << "," << c.pseek;
    }
    // Lines follow what is already there, and a line longer than any read buffer stays whole.
    const std::string longue(200000, 'q');
    Sur("l.txt", longue + "\r\n" + longue).Charger(9, 1, false);
    EXPECT_EQ(Textes(*f.Data()), (Lignes{longue, longue}));
}

TEST_F(FichierTest, DechargerReecritOuAjoute) {
    Sur("d.txt", "a\rb\r\nc").Charger(9, 1, false);
    fs::permissions(dossier.Chemin() / "d.txt", fs::perms::owner_read);
    f.Decharger("", 1);
    EXPECT_EQ(Contenu("d.txt"), "a\r\nb\r\nc\r\n");
    EXPECT_NE(fs::status(dossier.Chemin() / "d.txt").permissions() & fs::perms::owner_write,
              fs::perms::none);
    // Null items are left out, empty and numbers written as text.
    auto tableau = std::make_shared<Arr>();
    tableau->Item(4, 2.5), tableau->Item(1, "un"), tableau->Item(2, "deux"), tableau->Remove(2);
    f.Data(tableau);
    f.Decharger("", 1);
    EXPECT_EQ(Contenu("d.txt"), "un\r\n\r\n2,5\r\n");
    f.Decharger("tout", 1);
    EXPECT_EQ(Contenu("d.txt"), "tout\r\n");
    f.Decharger("", 2);
    EXPECT_EQ(Contenu("d.txt"), "tout\r\nun\r\n\r\n2,5\r\n");
    // Appending creates a missing file; replacing an empty list leaves an empty file.
    f.NomLong(dossier.Fichier("neuf.txt"));
    f.Decharger("x\xE9", 0), f.Decharger("y", -7);
    EXPECT_EQ(Contenu("neuf.txt"), "x\xE9\r\ny\r\n");
    f.Data(std::make_shared<Arr>());
    f.Decharger("", 1);
    EXPECT_EQ(Contenu("neuf.txt"), "");
    EXPECT_EQ(NombreEntrees(dossier.Chemin()), 2);
#ifndef _WIN32 // links are the POSIX file system's
    // Through a link, the file it points to is written and the link stays.
    fs::create_symlink(dossier.Chemin() / "neuf.txt", dossier.Chemin() / "lien");
    f.NomLong(dossier.Fichier("lien"));
    f.Decharger("par le lien", 1);
    EXPECT_TRUE(fs::is_symlink(dossier.Chemin() / "lien"));
    EXPECT_EQ(Contenu("neuf.txt"), "par le lien\r\n");
#endif
}

TEST_F(FichierTest, UnDechargementQuiEchoueLaisseLeFichierCommeIlEtait) {
    const fs::path d = dossier.Chemin();
    fs::create_directory(d / "dossier");
    EcrireFichier(d / "plein", "plein");
    const bool root = EcritDansToutDossier();
    const auto objet = [&] { f.Data()->Add(std::make_shared<int>(1)); };
    const auto lectureSeule = [&] { fs::permissions(d / "v.txt", fs::perms::owner_read); };
    const struct {
        const char* nom;
        std::function<void()> preparer;
        std::int16_t mode;
        int erreur;
        bool limite = false; // files may not grow past 16 bytes, for root too
    } cas[] = {
        {"objet, remplacement", objet, 1, ErrType},
        {"objet, ajout", objet, 0, ErrType},
        {"lecture seule, ajout", lectureSeule, 0, ErrAccesChemin},
        {"numero ouvert", [&] { Plateforme().numerosFichiers.Ouvrir(f.NumeroFichier()); }, 1,
         ErrFichierOuvert},
        {"trop grand, remplacement", [&] { lectureSeule(), f.Data()->Add(std::string(100, 'x')); },
         1, ErrAccesChemin, true},
        {"trop grand, ajout", [&] { f.Data()->Add(std::string(100, 'x')); }, 0, ErrAccesChemin,
         true},
        {"dossier sans ecriture",
         [&] { lectureSeule(), fs::permissions(d, fs::perms::owner_read | fs::perms::owner_exec); },
         1, root ? 0 : ErrAccesChemin},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        ReinitialiserServices();
        Sur("v.txt", "ancien\r\n").Charger(0, 0, true);
        c.preparer();
        const auto droits = fs::status(d / "v.txt").permissions();
        if (c.erreur == 0) {
            fs::permissions(d, fs::perms::owner_all);
            continue; // root writes in any folder
        }
        int erreur = 0;
        const auto decharger = [&] { erreur = ErreurLevee([&] { f.Decharger("", c.mode); }); };
        if (!c.limite) {
            decharger();
        } else if (!SousLimiteTaille(16, decharger)) {
            fs::permissions(d / "v.txt", fs::perms::owner_all);
            continue; // no such cap on this system
        }
        EXPECT_EQ(erreur, c.erreur);
        fs::permissions(d, fs::perms::owner_all);
        EXPECT_EQ(Contenu("v.txt"), "ancien\r\n");
        EXPECT_EQ(fs::status(d / "v.txt").permissions(), droits);
        EXPECT_EQ(NombreEntrees(d), 3);
        fs::permissions(d / "v.txt", fs::perms::owner_all);
    }
    ReinitialiserServices();
    // Names that cannot be written, for root too.
    const struct {
        std::string nom;
        int erreur;
    } noms[] = {
        {dossier.Fichier("dossier"), ErrAccesChemin},
        {dossier.Fichier("absent/x.txt"), ErrCheminIntrouvable},
        {dossier.Fichier("plein/x.txt"), ErrCheminIntrouvable},
        {"", ErrNomFichier},
        {dossier.Fichier("plein") + std::string(1, '\0') + "x", ErrNomFichier},
    };
    for (const auto& [nom, erreur] : noms) {
        for (std::int16_t mode : {0, 1}) {
            f.NomLong(nom);
            EXPECT_EQ(ErreurLevee([&] { f.Decharger("x", mode); }), erreur) << nom << mode;
        }
    }
    EXPECT_EQ(Contenu("plein"), "plein");
    EXPECT_EQ(NombreEntrees(d), 3);
}

TEST_F(FichierTest, SupprimerEfface) {
    Sur("s.txt", "x").Supprimer();
    EXPECT_FALSE(fs::exists(dossier.Chemin() / "s.txt"));
    EXPECT_FALSE(f.Existe());
    f.Supprimer(); // gone already: nothing to do
    f.NomLong(""), f.Supprimer();
    // A read-only file is refused, whoever asks, and stays.
    Sur("ro.txt", "x");
    fs::permissions(dossier.Chemin() / "ro.txt", fs::perms::owner_read);
    EXPECT_EQ(ErreurLevee([&] { f.Supprimer(); }), ErrAccesChemin);
    EXPECT_EQ(Contenu("ro.txt"), "x");
    // A file the system itself refuses to delete.
    if (FichierExiste("/proc/self/status")) {
        f.NomLong("/proc/self/status");
        EXPECT_EQ(ErreurLevee([&] { f.Supprimer(); }), ErrAccesChemin);
    }
}

TEST_F(FichierTest, NomsEtExistence) {
    f.NomLong(P("/d/s/nom.txt"));
    EXPECT_EQ(std::tuple(f.NomCourt(), f.Repertoire(), f.Disque(), f.NomLong()),
              std::tuple("nom.txt", P("/d/s/"), P("/d/s/nom.txt"), P("/d/s/nom.txt")));
    f.NomLong("nom.txt");
    EXPECT_EQ(f.NomCourt() + f.Repertoire(), "");
    EXPECT_TRUE(Sur("vide", "").Existe());
    fs::create_directory(dossier.Chemin() / "rep");
    for (const std::string& nom :
         {dossier.Fichier("rep"), dossier.Fichier("absent"), dossier.Fichier("vide/x"),
          std::string(), dossier.Fichier("vide") + std::string(1, '\0')}) {
        f.NomLong(nom);
        EXPECT_FALSE(f.Existe()) << nom;
        EXPECT_EQ(f.ToString(0, 0), "");
        EXPECT_EQ(f.TrouveSeek("k", 10, true), 0);
    }
}

TEST_F(FichierTest, NumerosDeFichier) {
    auto& numeros = Plateforme().numerosFichiers;
    // Nothing stays open between calls: two objects may share the lowest number.
    Fichier autre;
    EXPECT_EQ(f.NumeroFichier(), 1);
    EXPECT_EQ(autre.NumeroFichier(), 1);
    numeros.Ouvrir(1), numeros.Ouvrir(3);
    EXPECT_EQ(Fichier().NumeroFichier(), 2);
    // Every operation that opens the file meets the number already open.
    Sur("n.txt", "a\r\nb\r\n");
    const std::function<void()> operations[] = {
        [&] { f.ToString(0, 0); },       [&] { f.Charger(0, 0, true); },
        [&] { f.Charger(0, 0, false); }, [&] { f.Decharger("x", 1); },
        [&] { f.Decharger("x", 0); },    [&] { f.TrouveSeek("a", 1, true); },
        [&] { f.TailleLigne(); },
    };
    for (const auto& operation : operations) {
        EXPECT_EQ(ErreurLevee(operation), ErrFichierOuvert);
    }
    EXPECT_EQ(Contenu("n.txt"), "a\r\nb\r\n");
    // Closing it, even twice, frees it; the number is taken only while a call runs.
    numeros.Fermer(1), numeros.Fermer(1), numeros.Fermer(0), numeros.Fermer(300);
    for (const auto& operation : operations) {
        EXPECT_EQ(ErreurLevee(operation), 0);
        EXPECT_FALSE(numeros.EstOuvert(1));
    }
    f.Data()->Add(std::make_shared<int>(0));
    EXPECT_EQ(ErreurLevee([&] { f.Decharger("", 1); }), ErrType);
    EXPECT_FALSE(numeros.EstOuvert(1));
    // While a line is handed over the number is open; an object ending meanwhile, even under
    // the same number, does not close it.
    auto espion = std::make_shared<ListeEspion>();
    std::vector<std::int16_t> vus;
    auto fin = std::make_unique<Fichier>();
    espion->surAjout = [&] {
        EXPECT_TRUE(numeros.EstOuvert(1));
        fin.reset();
        vus.push_back(Fichier().NumeroFichier());
    };
    f.Data(espion);
    f.Charger(9, 1, false);
    EXPECT_EQ(vus, (std::vector<std::int16_t>{2, 2}));
    // The list replaced from its own Add lives on until the call ends.
    espion->surAjout = [&] { f.Data(std::make_shared<Arr>()); };
    f.Charger(9, 1, false);
    EXPECT_EQ(espion->Count(), 4);
    // The numbers run out at 255.
    EXPECT_EQ(ErreurLevee([&] { numeros.Ouvrir(0); }), ErrNomFichier);
    EXPECT_EQ(ErreurLevee([&] { numeros.Ouvrir(256); }), ErrNomFichier);
    for (std::int16_t n = 1; n <= 255; ++n) {
        if (!numeros.EstOuvert(n)) {
            numeros.Ouvrir(n);
        }
    }
    EXPECT_EQ(ErreurLevee([] { Fichier(); }), ErrTropDeFichiers);
    ReinitialiserServices();
    EXPECT_EQ(Fichier().NumeroFichier(), 1);
}

TEST_F(FichierTest, TrouveSeekDonneOuCommencerEtFinirDeLire) {
    // Sorted lines "k000<tab>valeur" of 13 characters with their CR LF.
    std::string trie;
    for (int i = 0; i < 300; i += 2) {
        char ligne[16];
        std::snprintf(ligne, sizeof ligne, "k%03d\tvaleur", i);
        trie += ligne + std::string("\r\n");
    }
    const auto longueur = static_cast<std::int32_t>(trie.size());
    Sur("trie.txt", trie);
    const std::int32_t fenetre = 40;
    for (int i = 0; i < 300; i += 2) {
        char cle[8];
        std::snprintf(cle, sizeof cle, "k%03d", i);
        const auto position = static_cast<std::int32_t>(trie.find(cle));
        const std::int32_t debut = f.TrouveSeek(cle, fenetre, true);
        const std::int32_t fin = f.TrouveSeek(cle, fenetre, false);
        // The key's line lies between the two places.
        EXPECT_LE(longueur - debut, position) << cle;
        EXPECT_GE(longueur - fin, position + 13) << cle;
        EXPECT_NE(f.ToString(0, debut).find(std::string(cle) + "\t"), std::string::npos);
    }
    // The first probe starts at character 975, the LF ending k148's line: k150's line is
    // taken for the tail of the one before, k152 is met and the search stays there.
    ASSERT_EQ(longueur, 1950);
    EXPECT_EQ(f.TrouveSeek("k152", fenetre, true), 1950 - 975 + 2 * fenetre);
    EXPECT_EQ(f.TrouveSeek("k152", fenetre, false), 1950 - 975 - 3 * fenetre);
    // No line end in the window, a window as wide as the file, and the window of nothing.
    EXPECT_EQ(Sur("plat.txt", std::string(1000, 'z')).TrouveSeek("a", 100, true), 700);
    EXPECT_EQ(f.TrouveSeek("a", 100, false), 200);
    EXPECT_EQ(std::tuple(f.TrouveSeek("a", 2000, true), f.TrouveSeek("a", 2000, false),
                         f.TrouveSeek("a", 0, true)),
              std::tuple(1000, 0, 500));
    // Halves go to the even neighbour: 1003 / 2 is 502.
    EXPECT_EQ(Sur("impair.txt", std::string(1003, 'z')).TrouveSeek("a", 0, true), 501);
    EXPECT_EQ(ErreurLevee([&] { f.TrouveSeek("a", -1, true); }), ErrArgument);
    // Whatever the file and the window, the answer lies in the file.
    std::mt19937 alea(7);
    for (int essai = 0; essai < 400; ++essai) {
        std::string octets;
        const int taille = static_cast<int>(alea() % 300);
        for (int i = 0; i < taille; ++i) {
            octets.push_back("ab\t\r\n\xE9"[alea() % 6]);
        }
        Sur("hasard.txt", octets);
        const auto t = static_cast<std::int32_t>(alea() % 12);
        for (const char* cle : {"", "a", "b", "\xFF"}) {
            std::int32_t r = -1;
            EXPECT_EQ(ErreurLevee([&] { r = f.TrouveSeek(cle, t, alea() % 2 == 0); }), 0);
            EXPECT_GE(r, 0);
            EXPECT_LE(r, taille);
        }
    }
}

TEST_F(FichierTest, TailleLigneMesureLaPlusLongueDesDernieresLignes) {
    const struct {
        std::string octets;
        std::int16_t taille;
    } cas[] = {
        {"ab\r\nabcd\r\nc", 4},
        {"", 0},
        {"\r\n", 0},
        {"a\rbcd\r\n", 5},
        // Only the last 1024 characters count, less the very last one.
        {std::string(2000, 'x') + "\r\n" + std::string(100, 'y') + "\r\nz", 920},
        {std::string(3000, 'x') + "\r\n" + std::string(10, 'y'), 1013},
    };
    for (const auto& c : cas) {
        EXPECT_EQ(Sur("t.txt", c.octets).TailleLigne(), c.taille) << c.octets.substr(0, 20);
    }
    // A list that keeps what it held measures that too, up to 32,767.
    for (const auto& [longueur, erreur] : {std::pair{32767, 0}, std::pair{32768, 6}}) {
        auto espion = std::make_shared<ListeEspion>();
        espion->Add(std::string(static_cast<std::size_t>(longueur), 'l'));
        espion->Add(Variant::Null());
        f.Data(espion);
        std::int16_t taille = 0;
        EXPECT_EQ(ErreurLevee([&] { taille = Sur("t.txt", "ab").TailleLigne(); }), erreur);
        EXPECT_EQ(taille, erreur ? 0 : longueur);
    }
}

TEST_F(FichierTest, UnFichierPlusCourtQueSaLongueurOuTropLong) {
    // The system's own files announce a length their contents do not fill.
    for (const char* chemin : {"/sys/kernel/mm/transparent_hugepage/enabled", "/sys/power/state"}) {
        if (FichierExiste(chemin) && fs::file_size(chemin) > LireFichier(chemin).size()) {
            f.NomLong(chemin);
            EXPECT_EQ(ErreurLevee([&] { f.ToString(0, 0); }), ErrFinFichier);
            EXPECT_FALSE(Plateforme().numerosFichiers.EstOuvert(f.NumeroFichier()));
            break;
        }
    }
    // A length beyond 32 bits cannot be a window's size.
    Sur("creux.bin", "");
    fs::resize_file(dossier.Chemin() / "creux.bin", 3'000'000'000ULL);
    EXPECT_EQ(ErreurLevee([&] { f.ToString(0, 0); }), ErrDepassement);
    EXPECT_EQ(f.ToString(2, 3), std::string(2, '\0'));
}
