#include "toolkit/qt/TexteQt.h"

#include "support/Ansi.h"
#include "support/Chaines.h"

#include <QList>

namespace monvalor {

QString VersQString(std::string_view ansi) {
    QString sortie;
    sortie.reserve(static_cast<qsizetype>(ansi.size()));
    for (char c : ansi) {
        sortie.append(QChar(static_cast<char16_t>(CodeUnicode(static_cast<unsigned char>(c)))));
    }
    return sortie;
}

namespace {

bool Convertir(const QString& texte, std::string& ansi, bool exact) {
    ansi.clear();
    ansi.reserve(static_cast<size_t>(texte.size()));
    bool complet = true;
    for (char32_t c : texte.toUcs4()) {
        const int octet = OctetAnsi(c);
        if (octet < 0) {
            complet = false;
            if (exact) {
                return false;
            }
            ansi.push_back(OctetAnsiApproche(c));
        } else {
            ansi.push_back(static_cast<char>(octet));
        }
    }
    return complet;
}

} // namespace

std::string DepuisQString(const QString& texte) {
    std::string ansi;
    Convertir(texte, ansi, false);
    return ansi;
}

bool DepuisQStringExact(const QString& texte, std::string& ansi) {
    return Convertir(texte, ansi, true);
}

QString BulleQt(std::string_view ansi) {
    if (ansi.empty()) {
        return {};
    }
    const QString texte = VersQString(BornerPourAffichage(ansi))
                              .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return QStringLiteral("<p style='white-space:pre-wrap'>") + texte.toHtmlEscaped() +
           QStringLiteral("</p>");
}

} // namespace monvalor
