#include "toolkit/win32/ReglagesWin32.h"

#include "support/Ansi.h"
#include "support/Erreur.h"
#include "toolkit/win32/PressePapierWin32.h"

#include <windows.h>

#include <vector>

namespace monvalor {

namespace {

constexpr wchar_t kRacine[] = L"Software\\VB and VBA Program Settings";

std::wstring Niveau(const std::string& nom) {
    if (nom.empty()) {
        return L"%";
    }
    std::wstring niveau;
    for (wchar_t c : LargeDepuisAnsi(nom)) {
        if (c == L'%') {
            niveau += L"%25";
        } else if (c == L'\\') {
            niveau += L"%5C";
        } else {
            niveau += c;
        }
    }
    return niveau;
}

std::wstring CleApplication(const std::string& application) {
    return std::wstring(kRacine) + L'\\' + Niveau(application);
}

class Cle {
public:
    Cle() = default;
    ~Cle() {
        if (h_) {
            RegCloseKey(h_);
        }
    }
    Cle(const Cle&) = delete;
    Cle& operator=(const Cle&) = delete;
    HKEY* Adresse() { return &h_; }
    HKEY Poignee() const { return h_; }

private:
    HKEY h_ = nullptr;
};

// Deletes the key when it holds neither values nor sub-keys.
void SupprimerSiVide(const std::wstring& chemin) {
    DWORD sousCles = 1;
    DWORD valeurs = 1;
    {
        Cle cle;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, chemin.c_str(), 0, KEY_QUERY_VALUE, cle.Adresse()) !=
                ERROR_SUCCESS ||
            RegQueryInfoKeyW(cle.Poignee(), nullptr, nullptr, nullptr, &sousCles, nullptr, nullptr,
                             &valeurs, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            return;
        }
    }
    if (sousCles == 0 && valeurs == 0) {
        RegDeleteKeyW(HKEY_CURRENT_USER, chemin.c_str());
    }
}

} // namespace

std::wstring CleSection(const std::string& application, const std::string& section) {
    return CleApplication(application) + L'\\' + Niveau(section);
}

std::optional<std::string> MagasinReglagesWin32::Lire(const std::string& application,
                                                      const std::string& section,
                                                      const std::string& cle) {
    Cle h;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, CleSection(application, section).c_str(), 0,
                      KEY_QUERY_VALUE, h.Adresse()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    const std::wstring nom = LargeDepuisAnsi(cle);
    DWORD type = 0;
    DWORD taille = 0;
    if (RegQueryValueExW(h.Poignee(), nom.c_str(), nullptr, &type, nullptr, &taille) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    // Another program may make the value longer between the two questions.
    for (int essai = 0; essai < 4; ++essai) {
        std::vector<wchar_t> tampon(taille / sizeof(wchar_t) + 1, L'\0');
        DWORD recu = static_cast<DWORD>(tampon.size() * sizeof(wchar_t));
        const LSTATUS etat = RegQueryValueExW(h.Poignee(), nom.c_str(), nullptr, &type,
                                              reinterpret_cast<BYTE*>(tampon.data()), &recu);
        if (etat == ERROR_MORE_DATA) {
            taille = recu;
            continue;
        }
        if (etat != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
            return std::nullopt;
        }
        // Up to the NUL, or all the bytes when the writer stored none.
        std::wstring_view texte(tampon.data(), recu / sizeof(wchar_t));
        return AnsiDepuisLarge(texte.substr(0, texte.find(L'\0')));
    }
    return std::nullopt;
}

void MagasinReglagesWin32::Ecrire(const std::string& application, const std::string& section,
                                  const std::string& cle, const std::string& valeur) {
    Cle h;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, CleSection(application, section).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, h.Adresse(),
                        nullptr) != ERROR_SUCCESS) {
        throw Erreur(ErrAccesChemin);
    }
    const std::wstring texte = LargeDepuisAnsi(valeur);
    const auto octets = static_cast<DWORD>((texte.size() + 1) * sizeof(wchar_t));
    if (RegSetValueExW(h.Poignee(), LargeDepuisAnsi(cle).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(texte.c_str()), octets) != ERROR_SUCCESS) {
        throw Erreur(ErrAccesChemin);
    }
}

void MagasinReglagesWin32::Supprimer(const std::string& application, const std::string& section,
                                     const std::string& cle) {
    const std::wstring chemin = CleSection(application, section);
    {
        Cle h;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, chemin.c_str(), 0, KEY_SET_VALUE, h.Adresse()) !=
            ERROR_SUCCESS) {
            return;
        }
        RegDeleteValueW(h.Poignee(), LargeDepuisAnsi(cle).c_str());
    }
    SupprimerSiVide(chemin);
    SupprimerSiVide(CleApplication(application));
}

} // namespace monvalor
