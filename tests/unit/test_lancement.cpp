// A downloaded program starts only when its check accepts it, and from exactly the bytes that
// were checked: whatever another program does at its path during the check, and whatever the
// path holds (a link, a folder), nothing else runs. And the digest those checks rely on.
#include "services/Lancement.h"
#include "services/Signature.h"

#include "DossierTemporaire.h"
#include "ErreurLevee.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <iostream>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#endif

namespace fs = std::filesystem;
using namespace monvalor;
using namespace monvalor::test;

namespace {

std::string Hexa(const std::string& octets) {
    static const char chiffres[] = "0123456789abcdef";
    std::string texte;
    for (unsigned char o : octets) {
        texte += chiffres[o >> 4];
        texte += chiffres[o & 15];
    }
    return texte;
}

// The stand-in for an updater writes "started from <its folder>" to the file MONVALOR_MARQUE
// names. Its twin differs only in that word: should it run, its mark tells.
#ifdef _WIN32
std::string Programme() {
    return LireFichier(MONVALOR_MARQUE_EXE);
}
void NommerMarque(const fs::path& marque) {
    SetEnvironmentVariableW(L"MONVALOR_MARQUE", marque.c_str());
}
#else
std::string Programme() {
    return "#!/bin/sh\nprintf 'started from %s\\n' \"$1\" >\"$MONVALOR_MARQUE\"\n";
}
void NommerMarque(const fs::path& marque) {
    setenv("MONVALOR_MARQUE", marque.c_str(), 1);
}
#endif

// A symbolic link at `lien`; false when the system made none. Windows makes them in developer
// mode or with the privilege; Wine's CreateSymbolicLinkW says yes and makes nothing, and it
// follows the links of the Unix side as if they were the files.
bool Lier(const fs::path& cible, const fs::path& lien) {
#ifdef _WIN32
    CreateSymbolicLinkW(lien.c_str(), cible.c_str(), SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    const DWORD attributs = GetFileAttributesW(lien.c_str());
    return attributs != INVALID_FILE_ATTRIBUTES && (attributs & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
#else
    fs::create_symlink(cible, lien);
    return true;
#endif
}

std::string Jumeau(std::string programme) {
    const std::size_t mot = programme.find("started from");
    EXPECT_NE(mot, std::string::npos);
    return mot == std::string::npos ? std::string() : programme.replace(mot, 7, "swapped");
}

// The started program runs on its own: its mark once written whole, "" when none comes.
std::string AttendreMarque(const fs::path& marque) {
    for (int essai = 0; essai < 600; ++essai) {
        const std::string texte = LireFichier(marque);
        if (!texte.empty() && texte.back() == '\n') {
            return texte;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return {};
}

// What another program tries at the path while the check runs, and whether each try took.
// Windows: the held file can be neither written, nor replaced, removed or renamed. Elsewhere
// the name can be taken over: another file moved onto it must change nothing.
std::vector<std::pair<const char*, bool>> Substituer(const fs::path& chemin,
                                                     const fs::path& autre) {
#ifdef _WIN32
    const HANDLE h = CreateFileW(chemin.c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    const bool ecrit = h != INVALID_HANDLE_VALUE;
    if (ecrit) {
        CloseHandle(h);
    }
    const fs::path loin = chemin.wstring() + L".loin";
    return {
        {"written", ecrit},
        {"replaced", MoveFileExW(autre.c_str(), chemin.c_str(), MOVEFILE_REPLACE_EXISTING) != 0},
        {"removed", DeleteFileW(chemin.c_str()) != 0},
        {"renamed", MoveFileW(chemin.c_str(), loin.c_str()) != 0}};
#else
    std::error_code erreur;
    fs::rename(autre, chemin, erreur);
    return {{"replaced", !erreur}};
#endif
}

} // namespace

TEST(Sha256, DigestsOfKnownBytes) {
    const std::pair<std::string, const char*> cas[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {std::string("a\0b", 3),
         "59b271ae1bbcb1d31d41929817f4b16fb439eb4f31520b5ad1d5ce98920a7138"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& [octets, attendu] : cas) {
        EXPECT_EQ(Hexa(Sha256(octets)), attendu) << octets.size() << " bytes";
    }
}

TEST(LancerVerifie, StartsOnlyTheCheckedBytes) {
    const std::string programme = Programme(), jumeau = Jumeau(programme);
    ASSERT_FALSE(programme.empty() || jumeau.empty());
#ifdef _WIN32
    const char* const nomFinal = "MonvalorUpdate.exe";
    constexpr bool parNom = true; // the checked file stays, under the final name
#else
    const char* const nomFinal = "MonvalorUpdate";
    constexpr bool parNom = false; // started from its descriptor, nothing stays
#endif
    // What stands at the path before the call (the twin stands beside it, at `autre`).
    enum class Pose { Programme, Lien, Dossier, DeuxNoms, LisibleDeTous };
    const struct {
        const char* nom;
        Pose pose;
        bool accepte;
        bool substituer; // during the check
        int erreur;
    } cas[] = {
        {"refused", Pose::Programme, false, false, 0},
        {"accepted", Pose::Programme, true, false, 0},
        {"swapped during the check", Pose::Programme, true, true, 0},
        {"link", Pose::Lien, true, false, ErrAccesChemin},
        {"folder", Pose::Dossier, true, false, ErrAccesChemin},
        {"second name", Pose::DeuxNoms, true, false, ErrAccesChemin},
#ifndef _WIN32
        {"readable by others", Pose::LisibleDeTous, true, false, ErrAccesChemin},
#endif
    };
    const DossierTemporaire dossier;
    std::vector<std::tuple<const char*, fs::path, fs::path>> attendues, absentes;
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        // A space in the folder: the program is named and quoted as a whole.
        const fs::path ici = dossier.Chemin() / ("cas " + std::to_string(&c - cas));
        fs::create_directory(ici);
        const fs::path chemin = ici / "telecharge.tmp", cible = ici / nomFinal;
        const fs::path autre = ici / "autre", marque = dossier.Chemin() / (c.nom + std::string());
        EcrireFichier(autre, jumeau);
        fs::permissions(autre, fs::perms::owner_read | fs::perms::owner_write);
        if (c.pose == Pose::Lien) {
            if (!Lier(autre, chemin)) {
                std::cout << "(" << c.nom << ": not run, this system made no link)\n";
                continue;
            }
        } else if (c.pose == Pose::Dossier) {
            fs::create_directory(chemin);
        } else {
            EcrireFichier(chemin, programme);
            fs::permissions(chemin, fs::perms::owner_read | fs::perms::owner_write |
                                        (c.pose == Pose::LisibleDeTous ? fs::perms::others_read
                                                                       : fs::perms::none));
            if (c.pose == Pose::DeuxNoms) {
                fs::create_hard_link(chemin, ici / "second");
            }
        }
        NommerMarque(marque);
        std::string verifies;
        std::vector<std::pair<const char*, bool>> tentatives;
        bool retour = false;
        const int erreur = ErreurLevee([&] {
            retour = systeme::LancerVerifie(chemin, cible, [&](std::string_view octets) {
                verifies = octets;
                if (c.substituer) {
                    tentatives = Substituer(chemin, autre);
                }
                return c.accepte;
            });
        });
        const bool lance = c.erreur == 0 && c.accepte;
        EXPECT_EQ(std::tuple(erreur, retour, verifies == programme),
                  std::tuple(c.erreur, lance, c.erreur == 0));
        for (const auto& [tentative, reussie] : tentatives) {
            EXPECT_EQ(reussie, !parNom) << tentative;
        }
        // The checked bytes stay only under the final name, where programs start by name;
        // nothing unchecked stays at all, and a link's target is left alone.
        EXPECT_EQ(LireFichier(cible), lance && parNom ? programme : "");
        if (c.pose != Pose::Dossier) {
            EXPECT_FALSE(fs::exists(fs::symlink_status(chemin)) && !c.substituer);
        }
        if (c.pose == Pose::Lien) {
            EXPECT_EQ(LireFichier(autre), jumeau);
        }
        (lance ? attendues : absentes).emplace_back(c.nom, marque, ici);
    }
    // The programs run on their own: the marks are awaited once all have started, and those
    // that should not have started had as long.
    for (const auto& [nom, marque, ici] : attendues) {
        const std::string texte = AttendreMarque(marque);
        const std::string debut = "started from ";
        ASSERT_EQ(texte.substr(0, debut.size()), debut) << nom << ": " << texte;
        std::error_code erreur;
        EXPECT_TRUE(fs::equivalent(texte.substr(debut.size(), texte.size() - debut.size() - 1), ici,
                                   erreur))
            << nom << ": " << texte;
    }
    for (const auto& [nom, marque, ici] : absentes) {
        EXPECT_FALSE(fs::exists(marque)) << nom << ": started";
    }
}
