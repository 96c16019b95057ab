#include "toolkit/qt/ReglagesQt.h"

#include "services/FichiersSysteme.h"
#include "support/Erreur.h"
#include "toolkit/qt/TexteQt.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QVariant>

namespace monvalor {

namespace {

// One level of the address. QSettings reads '/' and '\' as group separators and drops empty
// groups, so those are escaped: any name stays one level of its own and no two names meet.
QString Niveau(const std::string& nom) {
    if (nom.empty()) {
        return QStringLiteral("%");
    }
    QString niveau = VersQString(nom);
    niveau.replace(QLatin1Char('%'), QStringLiteral("%25"));
    niveau.replace(QLatin1Char('/'), QStringLiteral("%2F"));
    niveau.replace(QLatin1Char('\\'), QStringLiteral("%5C"));
    return niveau;
}

QString Adresse(const std::string& application, const std::string& section,
                const std::string& cle) {
    return Niveau(application) + QLatin1Char('/') + Niveau(section) + QLatin1Char('/') +
           Niveau(cle);
}

} // namespace

ReglagesQt::ReglagesQt()
    : reglages_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QStringLiteral("Monvalor"))) {}

ReglagesQt::ReglagesQt(const QString& fichier)
    : reglages_(std::make_unique<QSettings>(fichier, QSettings::IniFormat)) {}

ReglagesQt::~ReglagesQt() = default;

std::optional<std::string> ReglagesQt::Lire(const std::string& application,
                                            const std::string& section, const std::string& cle) {
    const QString adresse = Adresse(application, section, cle);
    if (!reglages_->contains(adresse)) {
        return std::nullopt;
    }
    const QVariant valeur = reglages_->value(adresse);
    // A value typed by hand with unquoted commas comes back as a list: it is one text.
    if (valeur.typeId() == QMetaType::QStringList) {
        return DepuisQString(valeur.toStringList().join(QLatin1Char(',')));
    }
    return DepuisQString(valeur.toString());
}

void ReglagesQt::Ecrire(const std::string& application, const std::string& section,
                        const std::string& cle, const std::string& valeur) {
    reglages_->setValue(Adresse(application, section, cle), VersQString(valeur));
    Enregistrer();
}

void ReglagesQt::Supprimer(const std::string& application, const std::string& section,
                           const std::string& cle) {
    reglages_->remove(Adresse(application, section, cle));
    Enregistrer();
}

// Written through at once, so that nothing waits for the end of the program.
// The settings are the user's own, whatever the umask: their folder and file stay private.
void ReglagesQt::Enregistrer() {
    const QString fichier = reglages_->fileName();
    systeme::CreerDossierPrive(systeme::CheminNatif(DepuisQString(QFileInfo(fichier).path())));
    reglages_->sync();
    if (reglages_->status() != QSettings::NoError) {
        throw Erreur(ErrAccesChemin);
    }
    QFile::setPermissions(fichier, QFile::ReadOwner | QFile::WriteOwner);
}

} // namespace monvalor
