// Named settings addressed by section and key, kept in an INI file or in the per-user settings
// store, in plain text or scrambled, optionally as lists of items joined by a separator.
// Nothing is cached: every read and write goes to the file or the store at once.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace monvalor {

class INI {
public:
    // Where settings live.
    static constexpr std::int32_t ModeReglages = 1; // the per-user settings store
    static constexpr std::int32_t ModeFichier = 3;  // an INI file

    // Keys and values stored scrambled; set it before Path.
    bool Hashed() const noexcept { return hashed_; }
    void Hashed(bool hashed) noexcept { hashed_ = hashed; }

    // ModeReglages, ModeFichier, or anything else for nowhere (reads give the default, writes
    // do nothing).
    std::int32_t Mode() const noexcept { return mode_; }
    void Mode(std::int32_t mode) noexcept { mode_ = mode; }

    // The INI file, or in the settings store the application name the sections belong to.
    const std::string& Path() const noexcept { return path_; }
    void Path(std::string_view pPath);

    // The value under the key, or pDefault when it is absent or empty. Never throws.
    std::string Value(std::string_view pSection, std::string_view pKey,
                      std::string_view pDefault) const;
    // Stores the value; in a file, nullopt (no text at all) deletes the key while an empty
    // text keeps it with an empty value. pDefault is not used. Never throws: a failed write is
    // lost.
    void Value(std::string_view pSection, std::string_view pKey, std::string_view pDefault,
               const std::optional<std::string>& pValeur);

    // Appends pValue to the list under the key unless it is already one of its items.
    // Error 6 when the list holds more than 32,767 items.
    void Add(std::string_view pSection, std::string_view pKey, std::string_view pValue,
             std::string_view pSeparator);
    // Removes every item equal to pValue from the list under the key; the key goes when no
    // item is left. Error 6 when the list holds more than 32,767 items.
    void Remove(std::string_view pSection, std::string_view pKey, std::string_view pValue,
                std::string_view pSeparator);

private:
    static std::string Demasquer(std::string_view texte);
    static std::string Masquer(std::string_view texte);

    bool hashed_ = false;
    std::int32_t mode_ = ModeFichier;
    std::string path_;
};

} // namespace monvalor
