// Profile files from arbitrary bytes: reading never fails, and a write that is done changes the
// key's line and nothing else. Input: three length bytes (section, key, value; a value length byte
// of 255 means "delete the key"), the section, key and value texts, then the file's bytes.
#include "support/Ansi.h"
#include "support/ProfilIni.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace monvalor;

namespace {

// Lines with their line ends: CR LF, LF or a lone CR.
std::vector<std::string_view> Lignes(std::string_view texte) {
    std::vector<std::string_view> lignes;
    while (!texte.empty()) {
        auto n = std::min(texte.find_first_of("\r\n"), texte.size() - 1) + 1;
        if (texte[n - 1] == '\r' && n < texte.size() && texte[n] == '\n') {
            ++n;
        }
        lignes.push_back(texte.substr(0, n));
        texte.remove_prefix(n);
    }
    return lignes;
}

constexpr std::string_view kBlancs = " \t\v\f\x1A";

std::string_view Rogner(std::string_view s) {
    const auto debut = std::min(s.find_first_not_of(kBlancs), s.size());
    return s.substr(debut, s.find_last_not_of(kBlancs) + 1 - debut);
}

// What a reader gives back for a written value.
std::string Attendu(std::string_view valeur) {
    valeur = Rogner(valeur);
    if (valeur.size() >= 2 && valeur.front() == valeur.back() &&
        (valeur.front() == '"' || valeur.front() == '\'')) {
        valeur = valeur.substr(1, valeur.size() - 2);
    }
    return std::string(valeur);
}

void Verifier(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view entree(reinterpret_cast<const char*>(data), size);
    if (size < 3) {
        static_cast<void>(LireProfilTexte(entree, "s", "k"));
        return 0;
    }
    const bool suppression = data[2] == 255;
    entree.remove_prefix(3);
    auto prendre = [&entree](std::size_t n) {
        const std::string morceau(entree.substr(0, n));
        entree.remove_prefix(morceau.size());
        return morceau;
    };
    const std::string section = prendre(data[0] % 8);
    const std::string cle = prendre(data[1] % 8);
    const std::optional<std::string> valeur =
        suppression ? std::nullopt : std::optional<std::string>(prendre(data[2] % 16));
    const std::string_view ancien = entree;

    static_cast<void>(LireProfilTexte(ancien, section, cle));
    const auto nouveau = ModifierProfilTexte(ancien, section, cle, valeur);
    if (!nouveau) {
        return 0;
    }

    // The value reads back, unless the change made the file look like the other encoding
    // (a Windows-1252 file whose new bytes happen to form UTF-8).
    bool ancienUtf8 = false;
    bool nouveauUtf8 = false;
    DecoderFichierTexte(ancien, &ancienUtf8);
    DecoderFichierTexte(*nouveau, &nouveauUtf8);
    if (ancienUtf8 == nouveauUtf8) {
        const auto relu = LireProfilTexte(*nouveau, section, cle);
        Verifier(valeur ? relu == Attendu(*valeur) : !relu.has_value());
    }

    const auto a = Lignes(ancien);
    const auto n = Lignes(*nouveau);
    if (!valeur) {
        // A deletion only takes lines away. Where it takes the line between one ended by a lone
        // CR and an empty one ended by LF, the two ends meet as one CR LF: lines are compared
        // without their ends.
        const auto sansFin = [](std::string_view l) {
            return l.substr(0, std::min(l.find_first_of("\r\n"), l.size()));
        };
        std::size_t j = 0;
        for (std::size_t i = 0; i < a.size() && j < n.size(); ++i) {
            j += sansFin(a[i]) == sansFin(n[j]);
        }
        Verifier(j == n.size());
        return 0;
    }
    // Apart from one line replaced, and the lines added, the file is the same lines in the
    // same order.
    std::size_t prefixe = 0;
    while (prefixe < a.size() && prefixe < n.size() && a[prefixe] == n[prefixe]) {
        ++prefixe;
    }
    std::size_t suffixe = 0;
    while (suffixe < a.size() - prefixe && suffixe < n.size() - prefixe &&
           a[a.size() - 1 - suffixe] == n[n.size() - 1 - suffixe]) {
        ++suffixe;
    }
    Verifier(a.size() - prefixe - suffixe <= 1 && n.size() - prefixe - suffixe <= 3);
    return 0;
}
