// The drive list and the folder list, without a toolkit: what they show and how their value
// moves. Every face draws them from these; the file system behind them is the volumes service.
#pragma once

#include "services/Services.h"

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace monvalor {

// The key by which a French reader sorts names: case and accents ignored, ligatures spelt out.
std::string CleTriFrancaise(std::string_view nom);
// True when the path is the root or lies under it.
bool SousRacine(std::string_view chemin, std::string_view racine);
// The drive as the list writes it: its root, then its name in brackets.
std::string TexteLecteur(const Volume& volume);
// The drive that holds the path (the longest root it lies under), or nullptr.
const Volume* LecteurDe(const std::vector<Volume>& lecteurs, std::string_view chemin);

class ListeLecteurs {
public:
    // Starts on the drive of the current folder.
    ListeLecteurs();

    const std::vector<Volume>& Lecteurs() const { return lecteurs_; }
    // The position of the chosen drive; 0 when there is none.
    std::size_t Indice() const { return indice_; }
    std::string Lecteur() const;
    // Only the root at the start of the text counts: a drive's own writing, or any path on
    // it, chooses it. A relative text keeps the drive; an absolute one on no drive is Erreur 68.
    void DefinirLecteur(const std::string& texte);
    // Reads the drives again (something was plugged in or out), keeping the chosen one.
    void Rafraichir();

    // Told after the chosen drive changed, by the program or the user.
    std::function<void()> surChangement;

private:
    std::vector<Volume> lecteurs_;
    std::size_t indice_ = 0;
};

struct EntreeDossier {
    std::string chemin;
    std::string nom;
    int niveau = 0;      // indentation: the drive's root is 0
    bool ouvert = false; // the current folder and its ancestors
    bool operator==(const EntreeDossier&) const = default;
};

class ListeDossiers {
public:
    // Starts on the current folder.
    ListeDossiers();

    const std::string& Chemin() const { return chemin_; }
    // The current folder's ancestors from its drive's root, the folder, then its sub-folders in
    // French order.
    const std::vector<EntreeDossier>& Entrees() const { return entrees_; }
    // The position of the current folder among the entries.
    std::size_t IndiceCourant() const;
    // A drive's own writing moves to the folder last shown on that drive (at first its root);
    // any other text is a folder, a relative one taken from the current folder. When the
    // folder cannot be read, the error goes to the caller and the list keeps what it showed.
    void DefinirChemin(const std::string& texte);
    // What double-clicking an entry does.
    void Ouvrir(std::size_t indice);

    // Told after the path changed, by the program or the user.
    std::function<void()> surChangement;

private:
    // The drives are read once per move, by the caller.
    void Aller(const std::string& chemin, const std::vector<Volume>& lecteurs);

    std::string chemin_;
    std::vector<EntreeDossier> entrees_;
    std::map<std::string, std::string> dernierParLecteur_;
};

// What a face does with a user's action on a list: a failure is the list's own business, shown
// in a message box and never passed on.
void ActionSurListe(const std::function<void()>& action) noexcept;

} // namespace monvalor
