// The per-user settings store over QSettings: organisation "Monvalor", then one group per
// application, one per section, and the keys. Names and values are Windows-1252 on the core's
// side and Unicode in the store.
#pragma once

#include "services/Services.h"

#include <QString>
#include <memory>

class QSettings;

namespace monvalor {

class ReglagesQt final : public IMagasinReglages {
public:
    // The user's own store (the registry on Windows, a configuration file elsewhere).
    ReglagesQt();
    // A store kept in the given INI file instead.
    explicit ReglagesQt(const QString& fichier);
    ~ReglagesQt() override;

    std::optional<std::string> Lire(const std::string& application, const std::string& section,
                                    const std::string& cle) override;
    // Throws Erreur 75 when the store cannot be written.
    void Ecrire(const std::string& application, const std::string& section, const std::string& cle,
                const std::string& valeur) override;
    void Supprimer(const std::string& application, const std::string& section,
                   const std::string& cle) override;

private:
    void Enregistrer();

    std::unique_ptr<QSettings> reglages_;
};

} // namespace monvalor
