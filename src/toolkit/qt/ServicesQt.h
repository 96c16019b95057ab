// The Qt realisations of the platform services, installed by the program at start.
#pragma once

#include "platform/Services.h"

#include <QObject>

#include <cstdint>
#include <memory>

class QSocketNotifier;
class QTranslator;

namespace monvalor {

class SelectionX11;

// On X11 the clipboard is read through a connection of our own (SelectionX11), which never
// waits for the owner and knows when it changed; writing goes through Qt, which serves our
// texts to the other programs. Elsewhere Qt does it all.
class PressePapierQt final : public IPressePapier {
public:
    PressePapierQt();
    ~PressePapierQt() override;
    std::optional<std::string> LireTexte() override;
    void EcrireTexte(const std::string& texte) override;
    void Vider() override;
    bool PeutAvoirChange() override;
    void SurChangement(std::function<void()> rappel) override;
    // Whether the clipboard holds the text we put there last, which only we can serve.
    bool Possede();

private:
    void Signaler();
    // Handles what our X11 connection received, and tells the window when it should look.
    void Traiter();
    std::uint32_t Proprietaire();

    std::unique_ptr<QObject> contexte_;
    std::unique_ptr<SelectionX11> selection_;
    std::unique_ptr<QSocketNotifier> veilleur_;
    std::function<void()> rappel_;
    bool branche_ = false;
    std::uint32_t notreFenetre_ = 0; // Qt's window that owns our texts, once we wrote one
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

// Installs the Qt services (a QApplication must exist).
void InstallerServicesQt();

// Makes Qt's own texts (the file dialog, its buttons and questions) French, from the Qt
// translations of the system. Returns the translator installed on the application, which owns
// it, or null when the system has no French translation of Qt.
QTranslator* ParlerFrancaisQt();

} // namespace monvalor
