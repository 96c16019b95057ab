#include "platform/posix/RegistrePosix.h"

#include "support/Ansi.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace monvalor {

namespace {

// Registry names match without regard to the case of ASCII letters, as on Windows.
bool MemeNom(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto bas = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (bas(a[i]) != bas(b[i])) {
            return false;
        }
    }
    return true;
}

bool EstExecutable(const std::string& chemin) {
    struct stat etat {};
    return ::stat(chemin.c_str(), &etat) == 0 && S_ISREG(etat.st_mode) &&
           ::access(chemin.c_str(), X_OK) == 0;
}

} // namespace

std::optional<std::string> TrouverOutilInfosSysteme(std::string_view cheminRecherche) {
    for (std::string_view outil : OutilsInfosSysteme) {
        std::string_view reste = cheminRecherche;
        while (true) {
            const std::size_t fin = reste.find(':');
            const std::string_view dossier = reste.substr(0, fin);
            if (!dossier.empty() && dossier.front() == '/') {
                std::string chemin(dossier);
                if (chemin.back() != '/') {
                    chemin.push_back('/');
                }
                chemin.append(outil);
                if (EstExecutable(chemin)) {
                    // A path that the core's texts cannot hold could not be started anyway.
                    if (auto ansi = Utf8VersAnsi(chemin)) {
                        return ansi;
                    }
                }
            }
            if (fin == std::string_view::npos) {
                break;
            }
            reste.remove_prefix(fin + 1);
        }
    }
    return std::nullopt;
}

RegistrePosix::RegistrePosix(std::string cheminRecherche)
    : cheminRecherche_(std::move(cheminRecherche)) {}

std::optional<ValeurRegistre> RegistrePosix::LireValeur(std::uintptr_t racine,
                                                        const std::string& cle,
                                                        const std::string& nomValeur) {
    if (racine != RacineMachineLocale || !MemeNom(cle, CleInfosSysteme) ||
        !MemeNom(nomValeur, "PATH")) {
        return std::nullopt;
    }
    std::string recherche;
    if (cheminRecherche_) {
        recherche = *cheminRecherche_;
    } else if (const char* path = std::getenv("PATH")) {
        recherche = path;
    }
    std::optional<std::string> outil = TrouverOutilInfosSysteme(recherche);
    if (!outil) {
        return std::nullopt;
    }
    // Stored as Windows stores a text value: with its terminating NUL.
    ValeurRegistre valeur{RegTexte, std::move(*outil)};
    valeur.octets.push_back('\0');
    return valeur;
}

} // namespace monvalor
