// What differs between the systems the suites run on: the path separator, the environment,
// who may write where, and a cap on the size of the files the process writes.
#pragma once

#include "services/FichiersSysteme.h"

#include <cstdint>
#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <stdlib.h>
#else
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace monvalor::test {

// Writes a path with '/' standing for the build's separator and '|' for the other one.
inline std::string P(std::string chemin) {
    for (char& c : chemin) {
        c = c == '/' ? SeparateurChemin : c == '|' ? (SeparateurChemin == '/' ? '\\' : '/') : c;
    }
    return chemin;
}

// Sets a variable of the process's environment, where the C library reads it too.
inline void DefinirVariable(const char* nom, const std::string& valeur) {
#ifdef _WIN32
    _putenv_s(nom, valeur.c_str());
#else
    ::setenv(nom, valeur.c_str(), 1);
#endif
}

inline void EffacerVariable(const char* nom) {
#ifdef _WIN32
    _putenv_s(nom, ""); // an empty value removes it
#else
    ::unsetenv(nom);
#endif
}

// The variable's value, "" when it is not set.
inline std::string Variable(const char* nom) {
    const char* valeur = std::getenv(nom);
    return valeur != nullptr ? valeur : "";
}

// True when a folder's permissions do not keep this process from creating files in it: root on
// Linux; anyone on Windows, where a folder's read-only flag says nothing about its files.
inline bool EcritDansToutDossier() {
#ifdef _WIN32
    return true;
#else
    return ::geteuid() == 0;
#endif
}

// Runs `f` while the files the process writes may not grow past `octets`, so that a write fails
// part-way as on a full disk. False, without running `f`, where the system has no such cap.
template <class F> bool SousLimiteTaille(std::uint64_t octets, F&& f) {
#ifdef _WIN32
    (void)octets;
    (void)f;
    return false;
#else
    rlimit avant{};
    if (::getrlimit(RLIMIT_FSIZE, &avant) != 0) {
        return false;
    }
    rlimit petite = avant;
    petite.rlim_cur = static_cast<rlim_t>(octets);
    // Past the cap a write must fail, not end the process.
    const auto signalAvant = std::signal(SIGXFSZ, SIG_IGN);
    if (::setrlimit(RLIMIT_FSIZE, &petite) != 0) {
        std::signal(SIGXFSZ, signalAvant);
        return false;
    }
    f();
    ::setrlimit(RLIMIT_FSIZE, &avant);
    std::signal(SIGXFSZ, signalAvant);
    return true;
#endif
}

} // namespace monvalor::test
