// Passage between the core's Windows-1252 texts and Qt's Unicode strings.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace monvalor {

QString VersQString(std::string_view ansi);
// Characters that Windows-1252 cannot hold become what OctetAnsiApproche gives them.
std::string DepuisQString(const QString& texte);
// Exact conversion: false when a character has no Windows-1252 byte.
bool DepuisQStringExact(const QString& texte, std::string& ansi);

// A tip as Qt must be given it: Qt shows as rich text any tip that looks like markup, so the
// text, bounded as every shown text, is escaped and kept as it is written. "" stays "" (no tip).
QString BulleQt(std::string_view ansi);

} // namespace monvalor
