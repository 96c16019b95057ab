// The transfer tests on the Qt face: an event loop without a display, and the test that only
// the Qt control has cause for (its certificates, shared between transfers).
#include "Banc.h"
#include "support/Erreur.h"
#include "support/TexteSource.h"
#include "toolkit/qt/TransfertQt.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace monvalor {

std::unique_ptr<ITransfert> NouveauTransfert(std::chrono::milliseconds delai) {
    return std::make_unique<TransfertQt>(delai);
}

void Tourner(const std::function<bool()>& fini, std::chrono::milliseconds max) {
    QElapsedTimer chrono;
    chrono.start();
    while (!fini() && chrono.elapsed() < max.count()) {
        QEventLoop boucle;
        QTimer::singleShot(5, &boucle, &QEventLoop::quit); // so that `fini` is asked again
        boucle.exec();
    }
}

void PlusTard(std::chrono::milliseconds delai, std::function<void()> f) {
    QTimer::singleShot(delai, QCoreApplication::instance(), std::move(f));
}

void Variable(const char* nom, const char* valeur) {
    if (valeur) {
        setenv(nom, valeur, 1);
    } else {
        unsetenv(nom);
    }
}

bool CadreLeCorps() {
    return true;
}

std::string RaisonCertificatInconnu(const std::string&) {
    return std::string(
        u8"Le certificat du serveur 127.0.0.1 n'est pas d'une autorité reconnue"_ansi);
}

std::string RaisonProvisoiresSansFin(const std::string&) {
    return std::string(u8"Réponse du serveur invalide : plus de 8 réponses provisoires"_ansi);
}

namespace {

TEST(TransfertQtAutorites, TransfersSharingTheirCertificatesFollowTheVariable) {
    const std::string raison(
        u8"Le certificat du serveur 127.0.0.1 n'est pas d'une autorité reconnue"_ansi);
    const std::string https = Https("/corps/10");
    const auto autorites = std::make_shared<AutoritesCertification>();
    const std::string bon = std::getenv("MONVALOR_TEST_CERTIFICAT");
    for (const std::string& fichier : {bon, std::string(), std::string("/nulle/part.pem"), bon}) {
        SCOPED_TRACE(fichier);
        setenv("MONVALOR_CERTIFICATS", fichier.c_str(), 1);
        TransfertQt u(DelaiReseauDefaut, autorites);
        std::string obtenu = "(none)";
        try {
            u.OpenURL(https);
        } catch (const Erreur& e) {
            obtenu = e.Description();
        }
        EXPECT_EQ(obtenu, fichier == bon ? "(none)" : raison);
    }
    unsetenv("MONVALOR_CERTIFICATS");
}

} // namespace
} // namespace monvalor

// The network tests need an event loop, not a display.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
