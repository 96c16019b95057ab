// Runs every operation of the corpus through kernel32's profile functions and through our
// engine, each on its own copy of the file, and compares what they give: a read's text; a
// write's success, then the file's bytes or, when those differ, every value that either file
// holds, read back through both engines. A disagreement fails the run unless it is one of the
// listed departures, and a listed departure that no longer shows fails it too: then our
// engine has lost a behaviour it was meant to have. The report goes to rapport-profils.txt in
// the working folder.
#include "Corpus.h"
#include "DossierTemporaire.h"

#include "services/Services.h"
#include "support/ProfilIni.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>

using namespace monvalor;
using namespace monvalor::profils;
namespace fs = std::filesystem;

namespace {

struct Depart {
    Ecart ecart;
    const char* nom;
    const char* raison;
    bool refus = false;   // it shows as our engine refusing the write, the file untouched
    bool toujours = true; // false: whether it shows depends on who runs the test
};

const Depart kDeparts[] = {
    {Ecart::Utf8SansBom, "UTF-8 without BOM",
     "a file that a Linux user saved as UTF-8 is recognised by its valid multi-byte sequences "
     "and read, and rewritten, as UTF-8; Windows takes its bytes as Windows-1252"},
    {Ecart::Refus, "refused write",
     "a line end or a NUL in a name or value, '=' in a key, or a key beginning with '[' or ';' "
     "would be read back as something else: our engine writes nothing and says so; Windows "
     "writes a file that no longer holds what was written",
     true},
    {Ecart::CasseAccents, "case of accented letters",
     "our engine matches names without regard to the case of every Windows-1252 letter, the "
     "accented ones and the ligatures included; Wine's profile functions fold only A to Z"},
    {Ecart::HorsSection, "lines outside any section",
     "lines before the first header belong to no section and are never read, and '[]' opens "
     "the section without name; Windows files the first under that name and so never reaches "
     "the keys of a later '[]'. The program always names its sections"},
    {Ecart::Commentaire, "comment lines",
     "a line beginning with ';' never matches, so that commenting a key out hides it; Windows "
     "takes it for a key whose name begins with ';'"},
    {Ecart::CleRepetee, "deleting a repeated key",
     "every line of the key goes, since a copy left behind would be read in its place; Windows "
     "deletes the first one only, and the key then reads as the copy's value"},
    {Ecart::LectureSeule, "read-only file",
     "our engine writes nothing into a file marked read-only, whoever asks, as Windows refuses "
     "to; Wine maps the mark to the write permissions, which do not stop it when run as root",
     true, false},
    {Ecart::DefautBlanc, "default made of spaces only",
     "the default loses all its trailing spaces; Wine keeps the first of them"},
    {Ecart::EcritureUtf16, "writing into a UTF-16 file",
     "our engine reads such a file but never writes one (its lines are one byte a character): "
     "it says so rather than corrupt the file; Windows rewrites it in UTF-16",
     true},
};

const Depart* Trouver(Ecart ecart) {
    for (const auto& d : kDeparts) {
        if (d.ecart == ecart) {
            return &d;
        }
    }
    return nullptr;
}

constexpr std::size_t kGrandTampon = 200000;
constexpr const char* kDefautSonde = "\x01<absent>";

// Bytes as a report can show them: printable ASCII kept, the rest as \xHH, long texts cut.
std::string Montrer(std::string_view s) {
    std::string r;
    char hex[8];
    for (std::size_t i = 0; i < s.size() && r.size() < 90; ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            r.push_back(static_cast<char>(c));
        } else {
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            r.append(hex);
        }
    }
    if (r.size() >= 90) {
        r.append("... (" + std::to_string(s.size()) + " bytes)");
    }
    return "\"" + r + "\"";
}

std::optional<std::string> Contenu(const std::string& chemin) {
    if (!fs::exists(chemin)) {
        return std::nullopt;
    }
    return test::LireFichier(chemin);
}

std::string LireWindows(const std::string& section, const std::string& cle,
                        const std::string& defaut, std::size_t taille, const std::string& chemin) {
    std::string tampon(std::max<std::size_t>(taille, 1), '\0');
    const DWORD n =
        GetPrivateProfileStringA(section.c_str(), cle.c_str(), defaut.c_str(), tampon.data(),
                                 static_cast<DWORD>(taille), chemin.c_str());
    tampon.resize(std::min<std::size_t>(n, taille));
    return tampon;
}

// A list of names separated by NULs, as the enumerations give them.
std::vector<std::string> Noms(const char* section, const std::string& chemin) {
    std::string tampon(kGrandTampon, '\0');
    const DWORD n =
        section ? GetPrivateProfileStringA(section, nullptr, "", tampon.data(),
                                           static_cast<DWORD>(tampon.size()), chemin.c_str())
                : GetPrivateProfileSectionNamesA(tampon.data(), static_cast<DWORD>(tampon.size()),
                                                 chemin.c_str());
    std::vector<std::string> noms;
    std::string_view reste(tampon.data(), n);
    while (!reste.empty()) {
        const auto fin = std::min(reste.find('\0'), reste.size());
        noms.emplace_back(reste.substr(0, fin));
        reste.remove_prefix(std::min(fin + 1, reste.size()));
    }
    return noms;
}

// A file as both engines are given it, and where it really lies.
struct Place {
    std::string donne;
    std::string reel;
};

std::string RepertoireWindowsReel() {
    char tampon[MAX_PATH + 1] = {};
    const UINT n = GetWindowsDirectoryA(tampon, MAX_PATH);
    return std::string(tampon, n < MAX_PATH ? n : 0);
}

// The program's data folder stands for the Windows directory, where a user may write: here a
// folder of the run.
class SystemeDeLEssai : public ISysteme {
public:
    explicit SystemeDeLEssai(std::string donnees) : donnees_(std::move(donnees)) {}
    long OuvrirDocument(const std::string&, const std::string&) override { return 0; }
    void Lancer(const std::string&, int) override {}
    bool LancerVerifie(const std::string&, const std::string&,
                       const std::function<bool(std::string_view)>&) override {
        return false;
    }
    void Terminer(int) override {}
    std::string RepertoireDonnees() override { return donnees_; }
    std::string RepertoireSysteme() override { return {}; }

private:
    std::string donnees_;
};

// `windows`: the copy for Windows' functions, whose bare names lie in its own directory.
Place Preparer(const Fixture& f, const test::DossierTemporaire& dossier, const std::string& nom,
               bool windows) {
    Place p;
    switch (f.sorte) {
    case Sorte::SansDossier:
        // Unique to this run: the Windows directory is shared.
        p.donne = "monvalor-" + std::to_string(GetCurrentProcessId()) + "-" + nom;
        p.reel = windows ? RepertoireWindowsReel() + "\\" + p.donne
                         : Plateforme().systeme->RepertoireDonnees() + "\\" + p.donne;
        break;
    case Sorte::DossierAbsent:
        p.donne = p.reel = dossier.Fichier("absent\\" + nom);
        break;
    default:
        p.donne = p.reel = dossier.Fichier(nom);
    }
    if (f.octets && f.sorte != Sorte::DossierAbsent) {
        test::EcrireFichier(p.reel, *f.octets);
    }
    if (f.sorte == Sorte::LectureSeule) {
        SetFileAttributesA(p.reel.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    return p;
}

void Ranger(const Fixture& f, const Place& p) {
    if (f.sorte == Sorte::LectureSeule) {
        SetFileAttributesA(p.reel.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    if (f.sorte == Sorte::SansDossier) {
        DeleteFileA(p.reel.c_str());
    }
}

struct Verdict {
    bool accord = true;
    bool octetsEgaux = false;
    bool refusPropre = false; // Windows wrote, ours refused and left the file as it was
    bool grave = false;       // a failure of ours that changed the file: never acceptable
    std::string detail;
};

Verdict ComparerLecture(const Operation& op, const std::string& fw, const std::string& fn) {
    const std::string defaut = op.texte.value_or("");
    const std::string windows = LireWindows(op.section, op.cle, defaut, op.taille, fw);
    const std::string notre = LireProfil(op.section, op.cle, defaut, op.taille, fn);
    Verdict v;
    v.accord = windows == notre;
    if (!v.accord) {
        v.detail = "Windows " + Montrer(windows) + ", ours " + Montrer(notre);
    }
    return v;
}

// Every value of both files after a write, each read through Windows from its own file and
// through both engines from ours.
Verdict ComparerValeurs(const Operation& op, const Place& pw, const Place& pn) {
    // Windows looks for a bare name in its own directory: it reads our copy where it lies.
    const std::string& fw = pw.donne;
    const std::string& fn = pn.reel;
    std::map<std::string, std::set<std::string>> sondes;
    sondes[op.section].insert(op.cle);
    for (const auto& f : {fw, fn}) {
        for (const auto& section : Noms(nullptr, f)) {
            for (const auto& cle : Noms(section.c_str(), f)) {
                sondes[section].insert(cle);
            }
        }
    }
    Verdict v;
    for (const auto& [section, cles] : sondes) {
        for (const auto& cle : cles) {
            const auto attendu = LireWindows(section, cle, kDefautSonde, kGrandTampon, fw);
            const auto notre = LireProfil(section, cle, kDefautSonde, kGrandTampon, pn.donne);
            const auto relu = LireWindows(section, cle, kDefautSonde, kGrandTampon, fn);
            if (attendu != notre || attendu != relu) {
                v.accord = false;
                v.detail += "\n      [" + Montrer(section) + "] " + Montrer(cle) + ": Windows " +
                            Montrer(attendu) + ", ours " + Montrer(notre) +
                            ", ours through Windows " + Montrer(relu);
            }
        }
    }
    return v;
}

Verdict ComparerEcriture(const Operation& op, const Place& pw, const Place& pn,
                         const std::optional<std::string>& avant) {
    const std::string& fw = pw.donne;
    const std::string& fn = pn.donne;
    const char* valeur = op.texte ? op.texte->c_str() : nullptr;
    const bool reussiWindows =
        WritePrivateProfileStringA(op.section.c_str(), op.cle.c_str(), valeur, fw.c_str()) != 0;
    // Windows may keep the file in a cache: have it written out before looking at it.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, fw.c_str());
    const bool reussiNotre = EcrireProfil(op.section, op.cle, op.texte, fn);
    const auto octetsWindows = Contenu(pw.reel);
    const auto octetsNotre = Contenu(pn.reel);
    Verdict v;
    if (!reussiNotre && octetsNotre != avant) {
        v.accord = false;
        v.grave = true;
        v.detail = "our engine failed, yet changed the file";
        return v;
    }
    if (reussiWindows != reussiNotre) {
        v.accord = false;
        v.refusPropre = reussiWindows;
        v.detail = std::string("success: Windows ") + (reussiWindows ? "yes" : "no") + ", ours " +
                   (reussiNotre ? "yes" : "no");
        return v;
    }
    if (octetsWindows == octetsNotre) {
        v.octetsEgaux = true;
        return v;
    }
    if (octetsWindows.has_value() != octetsNotre.has_value()) {
        v.accord = false;
        v.detail = std::string("file exists: Windows ") + (octetsWindows ? "yes" : "no") +
                   ", ours " + (octetsNotre ? "yes" : "no");
        return v;
    }
    v = ComparerValeurs(op, pw, pn);
    if (!v.accord) {
        v.detail = "values differ; files Windows " + Montrer(*octetsWindows) + ", ours " +
                   Montrer(*octetsNotre) + v.detail;
    }
    return v;
}

} // namespace

int main() {
    const auto fixtures = Fixtures();
    std::map<std::string, const Fixture*> parNom;
    for (const auto& f : fixtures) {
        parNom[f.nom] = &f;
    }
    const auto operations = Operations();
    test::DossierTemporaire dossier;
    fs::create_directory(dossier.Chemin() / "donnees");
    Plateforme().systeme = std::make_shared<SystemeDeLEssai>(dossier.Fichier("donnees"));
    std::ostringstream rapport;
    int accords = 0;
    int octetsEgaux = 0;
    int departs = 0;
    int fautes = 0;
    std::set<std::string> utilisees;
    for (std::size_t i = 0; i < operations.size(); ++i) {
        const Operation& op = operations[i];
        const auto fixture = parNom.find(op.fichier);
        if (fixture == parNom.end()) {
            rapport << "#" << i << ": no file named " << op.fichier << "\n";
            ++fautes;
            continue;
        }
        utilisees.insert(op.fichier);
        // A pair of fresh files for every operation: no cache of Windows' can serve stale bytes.
        const std::string base = std::to_string(i) + "-" + op.fichier;
        const Fixture& f = *fixture->second;
        const Place pw = Preparer(f, dossier, base + "-w.ini", true);
        const Place pn = Preparer(f, dossier, base + "-n.ini", false);
        const bool lecture = op.genre == Genre::Lecture;
        const Verdict v = lecture ? ComparerLecture(op, pw.donne, pn.donne)
                                  : ComparerEcriture(op, pw, pn, f.octets);
        Ranger(f, pw);
        Ranger(f, pn);
        const Depart* depart = Trouver(op.ecart);
        std::string etat;
        const bool commePrevu =
            depart && !v.accord && !v.grave && (!depart->refus || v.refusPropre);
        if (v.accord && (!depart || !depart->toujours)) {
            ++accords;
            octetsEgaux += v.octetsEgaux ? 1 : 0;
            etat = v.octetsEgaux ? "agree (same bytes)" : "agree";
        } else if (commePrevu) {
            ++departs;
            etat = std::string("listed difference: ") + depart->nom;
        } else if (depart && v.accord) {
            ++fautes;
            etat = std::string("FAULT: agrees, but should differ: ") + depart->nom;
        } else {
            ++fautes;
            etat = depart ? std::string("FAULT: differs otherwise than listed: ") + depart->nom
                          : std::string("FAULT: disagree");
        }
        rapport << "#" << i << " " << op.fichier << (lecture ? " read [" : " write [")
                << Montrer(op.section) << "] " << Montrer(op.cle);
        if (!lecture) {
            rapport << " = " << (op.texte ? Montrer(*op.texte) : "(delete)");
        } else if (op.taille != 1000) {
            rapport << " size " << op.taille;
        }
        rapport << ": " << etat << "\n";
        if (!v.detail.empty()) {
            rapport << "    " << v.detail << "\n";
        }
    }
    const int total = static_cast<int>(operations.size());
    std::ostringstream bilan;
    bilan << accords << " agree of " << total << " (" << octetsEgaux << " writes byte for byte), "
          << departs << " listed differences, " << fautes << " faults; " << utilisees.size()
          << " files of " << fixtures.size() << "\n";
    rapport << "\nListed differences:\n";
    for (const auto& d : kDeparts) {
        rapport << "  " << d.nom << ": " << d.raison << "\n";
    }
    rapport << "\n" << bilan.str();
    std::ofstream("rapport-profils.txt", std::ios::binary) << rapport.str();
    std::cout << rapport.str();
    const bool complet = utilisees.size() == fixtures.size();
    if (!complet) {
        std::cout << "some files of the corpus are never used\n";
    }
    return fautes == 0 && complet ? 0 : 1;
}
