// The run's table of open file numbers. Every file the program opens is held under a number
// from 1 to 255 for as long as it is open; a new owner takes the lowest one that is free.
#pragma once

#include <bitset>
#include <cstdint>

namespace monvalor {

class NumerosFichiers {
public:
    static constexpr std::int16_t kPremier = 1;
    static constexpr std::int16_t kDernier = 255;

    // The lowest number not open now. Error 67 when all are.
    std::int16_t Libre() const;
    // Marks the number open. Error 52 for a number outside 1..255, 55 for one already open.
    void Ouvrir(std::int16_t numero);
    // Closing a number that is not open, or that does not exist, does nothing.
    void Fermer(std::int16_t numero) noexcept;
    bool EstOuvert(std::int16_t numero) const noexcept;

private:
    std::bitset<kDernier + 1> ouverts_; // index 0 unused
};

} // namespace monvalor
