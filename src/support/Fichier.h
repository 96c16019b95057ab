// One text file on disk, named by its full path: tested, read whole or as a window counted
// from its end, loaded line by line into a list, written back, deleted, searched when sorted.
// Texts are Windows-1252 bytes as they lie in the file; a line ends with CR or CR LF.
#pragma once

#include "support/Arr.h"
#include "support/OpenSaveDlg.h"
#include "support/Variant.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace monvalor {

// What a Fichier needs of the list that receives its lines: items numbered from 1.
class IListe {
public:
    virtual ~IListe() = default;
    virtual void Add(Variant valeur) = 0;
    virtual std::int32_t Count() const = 0;
    virtual void Count(std::int32_t nouveauCount) = 0;
    virtual Variant Item(std::int32_t index) const = 0;
    // The Arr behind the list, when it is one: loading a whole file then replaces its contents
    // in one step instead of adding to them.
    virtual Arr* CommeArr() noexcept { return nullptr; }
};

// An Arr seen as a list; the Arr may be shared with the caller.
class ListeArr final : public IListe {
public:
    explicit ListeArr(std::shared_ptr<Arr> tableau = std::make_shared<Arr>());

    void Add(Variant valeur) override { tableau_->Add(std::move(valeur)); }
    std::int32_t Count() const override { return tableau_->Count(); }
    void Count(std::int32_t nouveauCount) override { tableau_->Count(nouveauCount); }
    Variant Item(std::int32_t index) const override { return tableau_->Item(index); }
    Arr* CommeArr() noexcept override { return tableau_.get(); }

    const std::shared_ptr<Arr>& Tableau() const noexcept { return tableau_; }

private:
    std::shared_ptr<Arr> tableau_;
};

class Fichier {
public:
    // Takes the lowest free file number (error 67 when none is); Data is a new, empty Arr.
    Fichier();
    Fichier(const Fichier&) = delete;
    Fichier& operator=(const Fichier&) = delete;

    // A file chooser that travels with the file for its callers; nothing here uses it.
    OpenSaveDlg Dialog;

    // The list that Charger fills and Decharger writes. Error 91 for a null list.
    const std::shared_ptr<IListe>& Data() const noexcept { return data_; }
    void Data(std::shared_ptr<IListe> pdata);
    void Data(std::shared_ptr<Arr> pdata);

    const std::string& NomLong() const noexcept { return nomLong_; }
    void NomLong(std::string_view vNewValue) { nomLong_ = vNewValue; }
    // The name after the last separator, and the folder up to and including it.
    std::string NomCourt() const;
    std::string Repertoire() const;
    // The full name again: callers that ask for the "disk" have always been given the path.
    const std::string& Disque() const noexcept { return nomLong_; }

    // The number every open of this object uses.
    std::int16_t NumeroFichier() const noexcept { return numero_; }

    // True when the file's length can be read. Never throws.
    bool Existe() const;

    // At most psize characters, starting one character before the last pseek ones (so the
    // file's last character is left out unless the window covers the whole file). psize 0
    // means the whole length; pseek 0 means psize. A negative argument or a missing file gives
    // "". Error 62 when the file holds less than its length said.
    std::string ToString(std::int32_t psize, std::int32_t pseek) const;

    // readall: the lines of ToString(psize, pseek) split at CR LF, replacing the contents of
    // an Arr, added to any other list. Otherwise every line of the file is read, and lines
    // pseek to psize - pseek + 1 are added. Then one trailing empty item is dropped from a
    // list of two items or more. A missing file changes nothing.
    void Charger(std::int32_t psize, std::int32_t pseek, bool readall);

    // Writes Buffer, or when it is empty every item of Data but the null ones, each followed
    // by CR LF. pMode 1 replaces the file (clearing its read-only state first), any other mode
    // appends, creating a missing file. Either way a failure leaves the file as it was: the
    // new contents are written beside it and put in its place whole.
    void Decharger(std::string_view Buffer, std::int16_t pMode);

    // Deletes the file when it exists. Error 75 when it cannot be deleted, a read-only file
    // included.
    void Supprimer();

    // Where to start reading a file sorted on its lines' first field (up to the first tab) to
    // meet the key Val: a distance from the end of the file, for ToString and Charger, within
    // 0..length. TailleLigne is the window read at each probe and the unit of the margin
    // added before (DebutIntervale) or taken after the place found. A missing file gives 0.
    // Error 5 for a negative TailleLigne.
    std::int32_t TrouveSeek(std::string_view Val, std::int32_t TailleLigne,
                            bool DebutIntervale) const;

    // The length of the longest item of Data after loading the last 1024 characters of the
    // file. Error 6 above 32,767.
    std::int16_t TailleLigne();

private:
    // Makes the file writable; every failure is ignored.
    void EffacerAttributs() const;

    std::shared_ptr<IListe> data_;
    std::string nomLong_;
    std::int16_t numero_;
};

} // namespace monvalor
