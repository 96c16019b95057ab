// Why a transfer failed, in the words both faces' transfer controls use: the download window
// shows them, and a user should read the same whichever system the program runs on.
#pragma once

#include "support/TexteSource.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace monvalor::textes_transfert {

inline std::string T(std::string_view ansi) {
    return std::string(ansi);
}

inline std::string Decimal(std::uint64_t n) {
    return std::to_string(n);
}

// "15 s", "1,5 s": the time-out as the messages give it.
inline std::string Secondes(std::chrono::milliseconds delai) {
    const auto ms = static_cast<std::uint64_t>(std::max<std::int64_t>(delai.count(), 0));
    std::string s = Decimal(ms / 1000);
    if (ms % 1000 != 0) {
        s += ',' + Decimal(ms % 1000 / 100);
    }
    return s + " s";
}

// Bytes from the wire or from the caller put into a message: controls would garble it.
inline std::string Lisible(std::string_view octets) {
    std::string s(octets.substr(0, 200));
    for (char& c : s) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = '?';
        }
    }
    return s;
}

inline std::string Arrete() {
    return T(u8"Transfert arrêté"_ansi);
}
inline std::string SeulHttps(std::string_view url) {
    return T(u8"Adresse refusée : seul https est accepté ("_ansi) + Lisible(url) + ')';
}
inline std::string AdresseInvalide(std::string_view url) {
    return T(u8"Adresse invalide : "_ansi) + Lisible(url);
}
inline std::string DelaiConnexion(std::chrono::milliseconds delai, const std::string& serveur) {
    return T(u8"Délai de connexion dépassé ("_ansi) + Secondes(delai) + T(u8") : "_ansi) + serveur;
}
inline std::string Silence(std::chrono::milliseconds delai) {
    return T(u8"Le serveur n'a rien envoyé pendant "_ansi) + Secondes(delai);
}
inline std::string EcheanceDepassee(std::chrono::milliseconds echeance) {
    return T(u8"Le serveur n'a pas tout envoyé en "_ansi) + Secondes(echeance);
}
inline std::string Refusee(const std::string& serveur) {
    return T(u8"Connexion refusée par "_ansi) + serveur;
}
inline std::string Introuvable(const std::string& hote) {
    return T(u8"Serveur introuvable : "_ansi) + hote;
}
inline std::string EchecTls(const std::string& serveur) {
    return T(u8"La connexion sécurisée avec "_ansi) + serveur + T(u8" a échoué"_ansi);
}
inline std::string ErreurReseau(const std::string& serveur, const std::string& detail) {
    return T(u8"Erreur réseau avec "_ansi) + serveur + " : " + detail;
}
inline std::string CertificatNom(const std::string& hote) {
    return T(u8"Le certificat du serveur ne porte pas le nom "_ansi) + hote;
}
inline std::string CertificatExpire(const std::string& hote) {
    return T(u8"Le certificat du serveur "_ansi) + hote + T(u8" a expiré"_ansi);
}
inline std::string CertificatPasEncore(const std::string& hote) {
    return T(u8"Le certificat du serveur "_ansi) + hote + T(u8" n'est pas encore valable"_ansi);
}
inline std::string CertificatInconnu(const std::string& hote) {
    return T(u8"Le certificat du serveur "_ansi) + hote +
           T(u8" n'est pas d'une autorité reconnue"_ansi);
}
inline std::string SansReponse() {
    return T(u8"Le serveur a fermé la connexion sans répondre"_ansi);
}
inline std::string Invalide() {
    return T(u8"Réponse du serveur invalide"_ansi);
}
inline std::string EntetesTropLongs() {
    return T(u8"Réponse du serveur invalide : en-têtes trop longs"_ansi);
}
inline std::string TropDeProvisoires(int maximum) {
    return T(u8"Réponse du serveur invalide : plus de "_ansi) +
           Decimal(static_cast<std::uint64_t>(maximum)) + T(u8" réponses provisoires"_ansi);
}
inline std::string Statut(std::string_view statutEtRaison) {
    return T(u8"Le serveur a répondu "_ansi) + Lisible(statutEtRaison);
}
inline std::string RedirectionRefusee(std::string_view destination) {
    return T(u8"Redirection refusée vers une adresse qui n'est pas https : "_ansi) +
           Lisible(destination);
}
inline std::string TropDeRedirections(int maximum) {
    return T(u8"Trop de redirections (plus de "_ansi) +
           Decimal(static_cast<std::uint64_t>(maximum)) + ')';
}
inline std::string Incomplet(std::uint64_t recus, std::uint64_t annonce) {
    return T(u8"Transfert incomplet : "_ansi) + Decimal(recus) + T(u8" octets reçus sur "_ansi) +
           Decimal(annonce) + T(u8" annoncés"_ansi);
}
inline std::string Coupe(std::uint64_t recus) {
    return T(u8"Transfert incomplet : la connexion a été coupée après "_ansi) + Decimal(recus) +
           " octets";
}
inline std::string CoupeSansFinTls(std::uint64_t recus) {
    return T(u8"Transfert incomplet : la connexion a été coupée sans fin de session TLS après "_ansi) +
           Decimal(recus) + " octets";
}
inline std::string TropDOctets(std::uint64_t annonce) {
    return T(u8"Le serveur a envoyé plus d'octets que les "_ansi) + Decimal(annonce) +
           T(u8" annoncés"_ansi);
}
inline std::string ApresLaFin() {
    return T(u8"Le serveur a envoyé des octets après la fin du corps"_ansi);
}
inline std::string MorceauMalForme() {
    return T(u8"Réponse du serveur invalide : morceau mal formé"_ansi);
}
inline std::string TropVolumineuse(std::uint64_t annonce) {
    return T(u8"Réponse trop volumineuse : "_ansi) + Decimal(annonce) + " octets";
}
inline std::string PlusQue(std::uint64_t maximum) {
    return T(u8"Réponse trop volumineuse : plus de "_ansi) + Decimal(maximum) + " octets";
}

} // namespace monvalor::textes_transfert
