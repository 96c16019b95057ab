// Downloads 50 MB from the loopback test server through TransfertQt, then with curl from the
// same server in the same run, and prints both throughputs and their ratio. Run it beside the
// server:  tests/reseau/avec_serveur.sh build/bench/bench_telechargement
#include "support/Erreur.h"
#include "toolkit/qt/TransfertQt.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

namespace {

constexpr std::size_t Taille = 50u * 1024 * 1024;
constexpr int Essais = 5;

int PortHttps() {
    const char* ports = std::getenv("MONVALOR_TEST_PORTS");
    std::istringstream flux(ports ? ports : "");
    std::string mot;
    while (flux >> mot) {
        if (mot.rfind("https=", 0) == 0) {
            return std::stoi(mot.substr(6));
        }
    }
    return 0;
}

double MoParSeconde(double secondes) {
    return static_cast<double>(Taille) / (1024.0 * 1024.0) / secondes;
}

// Seconds for the whole body through OpenURL, kept in memory; negative on a failure.
double ParOpenUrl(const std::string& url,
                  const std::shared_ptr<monvalor::AutoritesCertification>& autorites) {
    monvalor::TransfertQt t(monvalor::DelaiReseauDefaut, autorites);
    QElapsedTimer chrono;
    chrono.start();
    try {
        const std::string corps = t.OpenURL(url);
        if (corps.size() != Taille) {
            std::fprintf(stderr, "OpenURL: %zu bytes\n", corps.size());
            return -1;
        }
    } catch (const monvalor::Erreur& e) {
        std::fprintf(stderr, "OpenURL: %s\n", e.Description().c_str());
        return -1;
    }
    return static_cast<double>(chrono.nsecsElapsed()) / 1e9;
}

// As the download window takes it: chunks of 4096 bytes as they arrive, then the rest once
// complete; the bytes are counted and dropped, as curl's go to /dev/null.
double ParMorceaux(const std::string& url,
                   const std::shared_ptr<monvalor::AutoritesCertification>& autorites) {
    monvalor::TransfertQt t(monvalor::DelaiReseauDefaut, autorites);
    QEventLoop boucle;
    std::size_t octets = 0;
    int fin = 0;
    const auto vider = [&] {
        for (std::string c = t.GetChunk(4096); !c.empty(); c = t.GetChunk(4096)) {
            octets += c.size();
        }
    };
    t.SurEtat([&](int etat) {
        if (etat == monvalor::EtatReception || etat == monvalor::EtatReponseComplete) {
            vider();
        }
        if (etat == monvalor::EtatReponseComplete || etat == monvalor::EtatErreur ||
            etat == monvalor::EtatDeconnecte) {
            fin = etat;
            boucle.quit();
        }
    });
    QElapsedTimer chrono;
    chrono.start();
    t.Execute(url);
    boucle.exec();
    if (fin != monvalor::EtatReponseComplete || octets != Taille) {
        std::fprintf(stderr, "Execute: state %d, %zu bytes, %s\n", fin, octets,
                     t.ResponseInfo().c_str());
        return -1;
    }
    return static_cast<double>(chrono.nsecsElapsed()) / 1e9;
}

// curl's own total time for the same address; negative on a failure.
double Curl(const std::string& url, const char* certificat) {
    QProcess p;
    p.start(QStringLiteral("curl"),
            {QStringLiteral("-sS"), QStringLiteral("-o"), QStringLiteral("/dev/null"),
             QStringLiteral("--cacert"), QString::fromLocal8Bit(certificat), QStringLiteral("-w"),
             QStringLiteral("%{time_total} %{size_download}"), QString::fromStdString(url)});
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
        std::fprintf(stderr, "curl failed: %s\n", p.readAllStandardError().constData());
        return -1;
    }
    std::istringstream sortie(p.readAllStandardOutput().toStdString());
    double secondes = 0;
    std::size_t octets = 0;
    sortie >> secondes >> octets;
    if (octets != Taille || secondes <= 0) {
        std::fprintf(stderr, "curl: %zu bytes\n", octets);
        return -1;
    }
    return secondes;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int port = PortHttps();
    const char* certificat = std::getenv("MONVALOR_TEST_CERTIFICAT");
    if (port == 0 || !certificat) {
        std::fprintf(stderr, "run through tests/reseau/avec_serveur.sh\n");
        return 2;
    }
    setenv("MONVALOR_CERTIFICATS", certificat, 1);
    const std::string url =
        "https://127.0.0.1:" + std::to_string(port) + "/corps/" + std::to_string(Taille);

    // Shared as the program's transfers share them: the first transfer reads the system's
    // certificates, the timed ones do not.
    const auto autorites = std::make_shared<monvalor::AutoritesCertification>();
    (void)autorites->Configuration();
    // Interleaved, best of each: the machine is shared, and the server competes for it too.
    double ouvrir = 1e9, flux = 1e9, curl = 1e9;
    for (int k = 0; k < Essais; ++k) {
        const double c = Curl(url, certificat);
        const double o = ParOpenUrl(url, autorites);
        const double f = ParMorceaux(url, autorites);
        if (c <= 0 || o <= 0 || f <= 0) {
            return 1;
        }
        curl = std::min(curl, c);
        ouvrir = std::min(ouvrir, o);
        flux = std::min(flux, f);
    }

    std::printf("telechargement 50 Mo, https, boucle locale (meilleur de %d)\n", Essais);
    std::printf("  curl -o /dev/null                        : %8.1f Mo/s\n", MoParSeconde(curl));
    std::printf("  TransfertQt, GetChunk(4096) a la reception : %8.1f Mo/s  rapport %.2f\n",
                MoParSeconde(flux), curl / flux);
    std::printf("  TransfertQt, OpenURL (corps en memoire)  : %8.1f Mo/s  rapport %.2f\n",
                MoParSeconde(ouvrir), curl / ouvrir);
    return 0;
}
