// The program's version. Its one definition is a small object of its own
// (src/app/Version.cpp), compiled with the project's version and put in a library of its own
// that every program links after the others: a program of the test suites that must call
// itself another version links its own copy of that object, and the libraries are not built
// again. Nothing in the program reads a version from anywhere else.
#pragma once

namespace monvalor {

struct NumeroVersion {
    int majeure;
    int mineure;
    int revision;
    const char* texte; // "1.3.1"
};

extern const NumeroVersion VersionProgramme;

} // namespace monvalor
