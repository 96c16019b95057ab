// Stands in for the updater in the end-to-end tests: leaves, in the file that MONVALOR_MARQUE
// names, the folder it was started from, and ends.
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
    char fichier[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA("MONVALOR_MARQUE", fichier, sizeof fichier);
    if (n == 0 || n >= sizeof fichier) {
        return 2;
    }
    char programme[MAX_PATH];
    const DWORD m = GetModuleFileNameA(nullptr, programme, sizeof programme);
    if (m == 0 || m >= sizeof programme) {
        return 2;
    }
    std::string dossier(programme, m);
    dossier.erase(dossier.find_last_of('\\'));
    std::FILE* f = std::fopen(fichier, "wb");
    if (!f) {
        return 1;
    }
    std::fprintf(f, "started from %s\n", dossier.c_str());
    return std::fclose(f) == 0 ? 0 : 1;
}
