// The Qt realisations of the platform services, installed by the program at start.
#pragma once

#include "services/Services.h"

class QTranslator;

namespace monvalor {

class BoiteMessageQt final : public IBoiteMessage {
public:
    int Afficher(const std::string& texte, int style, const std::string& titre) override;
};

// How long a program that ends while owning the clipboard keeps serving it.
constexpr int DelaiServicePressePapierMs = 3000;

class SystemeQt final : public ISysteme {
public:
    long OuvrirDocument(const std::string& chemin, const std::string& operation) override;
    void Lancer(const std::string& commande, int styleFenetre) override;
    bool LancerVerifie(const std::string& chemin, const std::string& nomFinal,
                       const std::function<bool(std::string_view)>& verifier) override;
    [[noreturn]] void Terminer(int code) override;
    std::string RepertoireDonnees() override;
    std::string RepertoireSysteme() override;
};

// What the runtime knows of this program: title, folder, file name, version record.
InfosApplication InfosApplicationQt();

// Installs the Qt services (a QApplication must exist).
void InstallerServicesQt();

// Makes Qt's own texts (the file dialog, its buttons and questions) French, from the Qt
// translations of the system. Returns the translator installed on the application, which owns
// it, or null when the system has no French translation of Qt.
QTranslator* ParlerFrancaisQt();

} // namespace monvalor
