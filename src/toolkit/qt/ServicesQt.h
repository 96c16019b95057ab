// The Qt realisations of the platform services, installed by the program at start.
#pragma once

#include "platform/Services.h"

#include <QObject>

#include <memory>

namespace monvalor {

class PressePapierQt final : public IPressePapier {
public:
    PressePapierQt();
    ~PressePapierQt() override;
    std::optional<std::string> LireTexte() override;
    void EcrireTexte(const std::string& texte) override;
    void Vider() override;
    void SurChangement(std::function<void()> rappel) override;

private:
    std::unique_ptr<QObject> contexte_;
    std::function<void()> rappel_;
    bool branche_ = false;
};

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
    [[noreturn]] void Terminer(int code) override;
    std::string RepertoireDonnees() override;
    std::string RepertoireSysteme() override;
};

// What the runtime knows of this program: title, folder, file name, version record.
InfosApplication InfosApplicationQt();

// Installs the Qt services (a QGuiApplication must exist).
void InstallerServicesQt();

} // namespace monvalor
