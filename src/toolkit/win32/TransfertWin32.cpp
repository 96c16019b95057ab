#include "toolkit/win32/TransfertWin32.h"

#include "http/TextesTransfert.h"
#include "support/Ansi.h"
#include "support/TexteSource.h"
#include "toolkit/win32/ServicesWin32.h"

#include <wincrypt.h>

#include <algorithm>
#include <deque>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string_view>
#include <utility>
#include <vector>

namespace monvalor {

using namespace textes_transfert;

namespace {

constexpr UINT MessageReseau = WM_APP + 1; // WinHTTP's threads queued something
constexpr UINT MessageEtat = WM_APP + 2;   // a state to give from the message loop
constexpr UINT_PTR Minuterie = 1;
constexpr wchar_t NomClasse[] = L"MonvalorTransfert";

// The certificates of the PEM file named by MONVALOR_CERTIFICATS; none when it names none.
MagasinCertificats AutoritesEnPlus() {
    char nom[MAX_PATH + 1];
    const DWORD n = GetEnvironmentVariableA("MONVALOR_CERTIFICATS", nom, sizeof nom);
    if (n == 0 || n >= sizeof nom) {
        return {};
    }
    std::ifstream flux(std::string(nom, n), std::ios::binary);
    const std::string pem((std::istreambuf_iterator<char>(flux)), std::istreambuf_iterator<char>());
    if (pem.size() > (std::size_t{16} << 20)) {
        return {};
    }
    MagasinCertificats magasin(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr));
    if (!magasin) {
        return {};
    }
    constexpr std::string_view Debut = "-----BEGIN CERTIFICATE-----";
    constexpr std::string_view Fin = "-----END CERTIFICATE-----";
    int ajoutes = 0;
    for (std::size_t d = pem.find(Debut); d != std::string::npos; d = pem.find(Debut, d + 1)) {
        const std::size_t f = pem.find(Fin, d);
        if (f == std::string::npos) {
            break;
        }
        const std::string bloc = pem.substr(d, f + Fin.size() - d);
        DWORD taille = 0;
        if (!CryptStringToBinaryA(bloc.data(), static_cast<DWORD>(bloc.size()),
                                  CRYPT_STRING_BASE64HEADER, nullptr, &taille, nullptr, nullptr)) {
            continue;
        }
        std::vector<BYTE> der(taille);
        if (CryptStringToBinaryA(bloc.data(), static_cast<DWORD>(bloc.size()),
                                 CRYPT_STRING_BASE64HEADER, der.data(), &taille, nullptr,
                                 nullptr) &&
            CertAddEncodedCertificateToStore(magasin.Get(), X509_ASN_ENCODING, der.data(), taille,
                                             CERT_STORE_ADD_USE_EXISTING, nullptr)) {
            ++ajoutes;
        }
    }
    if (ajoutes == 0) {
        return {};
    }
    return magasin;
}

// The SSL policy's verdict on a chain for a host: 0 when it holds.
DWORD Politique(PCCERT_CHAIN_CONTEXT chaine, std::wstring& hote, DWORD ignores) {
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
    ssl.cbSize = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.fdwChecks = ignores;
    ssl.pwszServerName = hote.data();
    CERT_CHAIN_POLICY_PARA para{};
    para.cbSize = sizeof para;
    para.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS statut{};
    statut.cbSize = sizeof statut;
    if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chaine, &para, &statut)) {
        return static_cast<DWORD>(CERT_E_UNTRUSTEDROOT);
    }
    return statut.dwError;
}

// "127.0.0.1": four decimal numbers up to 255; the address in network order.
bool AdresseIPv4(const std::wstring& hote, std::uint32_t* adresse) {
    std::uint32_t valeur = 0;
    int parties = 0;
    std::size_t i = 0;
    while (i < hote.size() && parties < 4) {
        std::uint32_t n = 0;
        std::size_t chiffres = 0;
        while (i < hote.size() && hote[i] >= L'0' && hote[i] <= L'9' && chiffres < 4) {
            n = n * 10 + static_cast<std::uint32_t>(hote[i] - L'0');
            ++i;
            ++chiffres;
        }
        if (chiffres == 0 || n > 255) {
            return false;
        }
        valeur = valeur << 8 | n;
        ++parties;
        if (parties < 4) {
            if (i >= hote.size() || hote[i] != L'.') {
                return false;
            }
            ++i;
        }
    }
    if (parties != 4 || i != hote.size()) {
        return false;
    }
    if (adresse) {
        *adresse = valeur;
    }
    return true;
}

// Whether the certificate names this IPv4 address among its subject's other names.
bool PorteIPv4(PCCERT_CONTEXT certificat, std::uint32_t ip) {
    const CERT_EXTENSION* extension =
        CertFindExtension(szOID_SUBJECT_ALT_NAME2, certificat->pCertInfo->cExtension,
                          certificat->pCertInfo->rgExtension);
    if (!extension) {
        return false;
    }
    CERT_ALT_NAME_INFO* noms = nullptr;
    DWORD taille = 0;
    if (!CryptDecodeObjectEx(X509_ASN_ENCODING, X509_ALTERNATE_NAME, extension->Value.pbData,
                             extension->Value.cbData, CRYPT_DECODE_ALLOC_FLAG, nullptr, &noms,
                             &taille)) {
        return false;
    }
    const BYTE attendu[4] = {static_cast<BYTE>(ip >> 24), static_cast<BYTE>(ip >> 16),
                             static_cast<BYTE>(ip >> 8), static_cast<BYTE>(ip)};
    bool trouve = false;
    for (DWORD k = 0; k < noms->cAltEntry && !trouve; ++k) {
        const CERT_ALT_NAME_ENTRY& nom = noms->rgAltEntry[k];
        trouve = nom.dwAltNameChoice == CERT_ALT_NAME_IP_ADDRESS && nom.IPAddress.cbData == 4 &&
                 std::equal(attendu, attendu + 4, nom.IPAddress.pbData);
    }
    LocalFree(noms);
    return trouve;
}

} // namespace

struct TransfertWin32::Evenement {
    DWORD statut = 0;
    DWORD code = 0;
    std::string octets;
};

struct TransfertWin32::Canal {
    std::mutex verrou;
    HWND fenetre = nullptr; // null once the control let go of this request
    std::deque<Evenement> file;
    std::vector<char> tampon = std::vector<char>(64 * 1024); // WinHTTP reads into it
};

// On WinHTTP's threads: only queue, and wake the control's window.
void CALLBACK TransfertWin32::Rappel(HINTERNET, DWORD_PTR contexte, DWORD statut, LPVOID info,
                                     DWORD longueur) {
    if (contexte == 0) {
        return;
    }
    auto* porteur = reinterpret_cast<std::shared_ptr<Canal>*>(contexte);
    if (statut == WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING) {
        delete porteur; // nothing more comes for this request
        return;
    }
    Evenement e;
    e.statut = statut;
    switch (statut) {
    case WINHTTP_CALLBACK_STATUS_REQUEST_SENT:
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
        break;
    case WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE:
        if (info && longueur >= sizeof(DWORD)) {
            e.code = *static_cast<const DWORD*>(info);
        }
        break;
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
        if (info && longueur > 0) {
            e.octets.assign(static_cast<const char*>(info), longueur);
        }
        break;
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR: {
        e.code = static_cast<const WINHTTP_ASYNC_RESULT*>(info)->dwError;
        break;
    }
    case WINHTTP_CALLBACK_STATUS_SECURE_FAILURE:
        if (info && longueur >= sizeof(DWORD)) {
            e.code = *static_cast<const DWORD*>(info);
        }
        break;
    default:
        return;
    }
    Canal& canal = **porteur;
    const std::lock_guard<std::mutex> verrou(canal.verrou);
    if (canal.fenetre) {
        canal.file.push_back(std::move(e));
        PostMessageW(canal.fenetre, MessageReseau, 0, 0);
    }
}

TransfertWin32::TransfertWin32(std::chrono::milliseconds delai)
    : TransfertHttp(delai, true),
      fenetre_(NomClasse, [this](UINT message, WPARAM w, LPARAM) { return Message(message, w); }) {}

TransfertWin32::~TransfertWin32() {
    Lacher();
}

bool TransfertWin32::Message(UINT message, WPARAM w) {
    switch (message) {
    case MessageReseau:
        Reseau();
        return true;
    case MessageEtat:
        EtatPoste();
        return true;
    case WM_TIMER:
        if (w != Minuterie) {
            return false;
        }
        KillTimer(fenetre_.Get(), Minuterie);
        Delai();
        return true;
    default:
        return false;
    }
}

void TransfertWin32::Poster() {
    PostMessageW(fenetre_.Get(), MessageEtat, 0, 0);
}

void TransfertWin32::Armer(std::chrono::milliseconds attente) {
    SetTimer(fenetre_.Get(), Minuterie,
             static_cast<UINT>(
                 std::clamp<std::int64_t>(attente.count(), USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM)),
             nullptr);
}

void TransfertWin32::Attendre(Attente& attente) {
    MSG message;
    while (!attente.finie) {
        const BOOL lu = GetMessageW(&message, nullptr, 0, 0);
        if (lu == 0) {
            PostQuitMessage(static_cast<int>(message.wParam)); // for the loop that waits on us
            return;
        }
        if (lu < 0) {
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void TransfertWin32::Lacher() {
    if (fenetre_) {
        KillTimer(fenetre_.Get(), Minuterie);
    }
    if (canal_) {
        const std::lock_guard<std::mutex> verrou(canal_->verrou);
        canal_->fenetre = nullptr;
        canal_->file.clear();
    }
    canal_.reset();
    // In this order: WinHTTP then cancels what is pending and says so to nobody.
    requete_.Reinitialiser();
    connexion_.Reinitialiser();
    session_.Reinitialiser();
}

std::string TransfertWin32::Preparer(const http::Adresse& adresse) {
    if (!fenetre_) {
        return ErreurReseau(adresse.hote, T(u8"fenêtre de messages indisponible"_ansi));
    }
    autorites_ = AutoritesEnPlus();
    return {};
}

void TransfertWin32::Connecter(const http::Adresse& adresse) {
    hote_ = LargeDepuisAnsi(adresse.hote);
    defautsCertificat_ = 0;
    const std::wstring agent = LargeDepuisAnsi(http::Agent());
    session_.Reinitialiser(WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                       WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS,
                                       WINHTTP_FLAG_ASYNC));
    if (session_) {
        WinHttpSetStatusCallback(session_.Get(), &TransfertWin32::Rappel,
                                 WINHTTP_CALLBACK_FLAG_ALL_NOTIFICATIONS, 0);
        // Ours run first and say which wait it was; WinHTTP's only back them up.
        const int secours = static_cast<int>(DelaiReseau().count()) + 30000;
        WinHttpSetTimeouts(session_.Get(), secours, secours, secours, secours);
        DWORD politique = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
        WinHttpSetOption(session_.Get(), WINHTTP_OPTION_REDIRECT_POLICY, &politique,
                         sizeof politique);
        connexion_.Reinitialiser(WinHttpConnect(session_.Get(), hote_.c_str(), adresse.port, 0));
    }
    if (connexion_) {
        const std::wstring cible = LargeDepuisAnsi(adresse.cible);
        requete_.Reinitialiser(WinHttpOpenRequest(
            connexion_.Get(), L"GET", cible.c_str(), nullptr, WINHTTP_NO_REFERER,
            WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE | WINHTTP_FLAG_ESCAPE_DISABLE));
    }
    if (!requete_) {
        const DWORD erreur = GetLastError();
        Echouer(ErreurReseau(adresse.Serveur(), "erreur " + Decimal(erreur)));
        return;
    }
    // One request per connection: a connection kept from an earlier answer could be one its
    // server never ended.
    DWORD sans = WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_KEEP_ALIVE | WINHTTP_DISABLE_COOKIES;
    WinHttpSetOption(requete_.Get(), WINHTTP_OPTION_DISABLE_FEATURE, &sans, sizeof sans);
    // What WinHTTP is told to let pass is checked here once the connection is secured, before
    // anything of the answer is read.
    DWORD drapeaux = 0;
    if (autorites_) {
        drapeaux |= SECURITY_FLAG_IGNORE_UNKNOWN_CA;
    }
    if (AdresseIPv4(hote_, nullptr)) {
        drapeaux |= SECURITY_FLAG_IGNORE_CERT_CN_INVALID;
    }
    if (drapeaux) {
        WinHttpSetOption(requete_.Get(), WINHTTP_OPTION_SECURITY_FLAGS, &drapeaux, sizeof drapeaux);
    }
    canal_ = std::make_shared<Canal>();
    canal_->fenetre = fenetre_.Get();
    auto* porteur = new std::shared_ptr<Canal>(canal_);
    auto contexte = reinterpret_cast<DWORD_PTR>(porteur);
    WinHttpSetOption(requete_.Get(), WINHTTP_OPTION_CONTEXT_VALUE, &contexte, sizeof contexte);
    if (!WinHttpSendRequest(requete_.Get(), L"Accept-Encoding: identity", DWORD(-1),
                            WINHTTP_NO_REQUEST_DATA, 0, 0, contexte)) {
        ErreurRequete(GetLastError());
    }
}

void TransfertWin32::Reseau() {
    const std::shared_ptr<bool> vivant = Vivant();
    while (*vivant && canal_) {
        Evenement e;
        {
            const std::lock_guard<std::mutex> verrou(canal_->verrou);
            if (canal_->file.empty()) {
                return;
            }
            e = std::move(canal_->file.front());
            canal_->file.pop_front();
        }
        Traiter(e); // may end, replace or destroy the transfer
    }
}

void TransfertWin32::Traiter(const Evenement& e) {
    switch (e.statut) {
    case WINHTTP_CALLBACK_STATUS_SECURE_FAILURE:
        defautsCertificat_ |= e.code;
        return;
    case WINHTTP_CALLBACK_STATUS_REQUEST_SENT:
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
        // The connection is secured and the request on its way: the wait for an answer begins
        // (Wine holds the completion back until the answer comes).
        if (Etape() == Phase::Connexion && CertificatAccepte()) {
            Securisee();
        }
        if (e.statut == WINHTTP_CALLBACK_STATUS_REQUEST_SENT || Etape() != Phase::EnTetes ||
            !RequeteEnvoyee()) {
            return;
        }
        if (!WinHttpReceiveResponse(requete_.Get(), nullptr)) {
            ErreurRequete(GetLastError());
        }
        return;
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
        if (Etape() == Phase::EnTetes) {
            LireEntetes();
        }
        return;
    case WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE:
        if (!EnCorps()) {
            return;
        }
        if (e.code == 0) {
            FinConnexion(true);
        } else if (!WinHttpReadData(requete_.Get(), canal_->tampon.data(),
                                    std::min(e.code, static_cast<DWORD>(canal_->tampon.size())),
                                    nullptr)) {
            ErreurRequete(GetLastError());
        }
        return;
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
        if (!EnCorps()) {
            return;
        }
        if (e.octets.empty()) {
            FinConnexion(true);
        } else if (Recevoir(e.octets)) {
            Lire();
        }
        return;
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
        ErreurRequete(e.code);
        return;
    default:
        return;
    }
}

bool TransfertWin32::CertificatAccepte() {
    if (!autorites_ && !AdresseIPv4(hote_, nullptr)) {
        return true; // WinHTTP checked it all against the system's authorities
    }
    std::string defaut = DefautCertificat();
    if (defaut.empty()) {
        return true;
    }
    Echouer(std::move(defaut));
    return false;
}

// What is wrong with the server's certificate for this host, "" when nothing is. Besides the
// system's authorities, those of MONVALOR_CERTIFICATS; an address given as IPv4 must be among
// the certificate's IP names (Wine's SSL policy only knows DNS ones). `vu`: whether WinHTTP
// had a certificate to show (without one, the answer is a refusal).
std::string TransfertWin32::DefautCertificat(bool* vu) {
    const std::string hote = AnsiDepuisLarge(hote_);
    PCCERT_CONTEXT certificat = nullptr;
    DWORD taille = sizeof certificat;
    if (!requete_ ||
        !WinHttpQueryOption(requete_.Get(), WINHTTP_OPTION_SERVER_CERT_CONTEXT, &certificat,
                            &taille) ||
        !certificat) {
        return CertificatInconnu(hote);
    }
    if (vu) {
        *vu = true;
    }
    DWORD ignores = 0;
    std::uint32_t ip = 0;
    DWORD verdict = static_cast<DWORD>(CERT_E_UNTRUSTEDROOT);
    if (AdresseIPv4(hote_, &ip)) {
        if (!PorteIPv4(certificat, ip)) {
            verdict = static_cast<DWORD>(CERT_E_CN_NO_MATCH);
        }
        ignores |= SECURITY_FLAG_IGNORE_CERT_CN_INVALID;
    }
    CERT_CHAIN_PARA para{};
    para.cbSize = sizeof para;
    PCCERT_CHAIN_CONTEXT chaine = nullptr;
    if (verdict != static_cast<DWORD>(CERT_E_CN_NO_MATCH) &&
        CertGetCertificateChain(nullptr, certificat, nullptr, autorites_.Get(), &para, 0, nullptr,
                                &chaine)) {
        verdict = Politique(chaine, hote_, ignores);
        if (verdict == static_cast<DWORD>(CERT_E_UNTRUSTEDROOT) && autorites_ &&
            chaine->cChain > 0 && chaine->rgpChain[0]->cElement > 0) {
            // An authority of the extra file: trusted as the system's are, all else checked.
            const CERT_SIMPLE_CHAIN* simple = chaine->rgpChain[0];
            PCCERT_CONTEXT racine = simple->rgpElement[simple->cElement - 1]->pCertContext;
            PCCERT_CONTEXT trouve = CertFindCertificateInStore(
                autorites_.Get(), X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, racine, nullptr);
            if (trouve) {
                CertFreeCertificateContext(trouve);
                verdict = Politique(chaine, hote_, ignores | SECURITY_FLAG_IGNORE_UNKNOWN_CA);
            }
        }
        CertFreeCertificateChain(chaine);
    }
    const LONG validite = CertVerifyTimeValidity(nullptr, certificat->pCertInfo);
    CertFreeCertificateContext(certificat);
    if (verdict == 0) {
        return {};
    }
    if (verdict == static_cast<DWORD>(CERT_E_CN_NO_MATCH)) {
        return CertificatNom(hote);
    }
    if (verdict == static_cast<DWORD>(CERT_E_EXPIRED)) {
        return validite < 0 ? CertificatPasEncore(hote) : CertificatExpire(hote);
    }
    return CertificatInconnu(hote);
}

void TransfertWin32::LireEntetes() {
    DWORD taille = 0;
    WinHttpQueryHeaders(requete_.Get(), WINHTTP_QUERY_RAW_HEADERS_CRLF,
                        WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &taille, WINHTTP_NO_HEADER_INDEX);
    std::wstring large(taille / sizeof(wchar_t) + 1, L'\0');
    taille = static_cast<DWORD>(large.size() * sizeof(wchar_t));
    if (!WinHttpQueryHeaders(requete_.Get(), WINHTTP_QUERY_RAW_HEADERS_CRLF,
                             WINHTTP_HEADER_NAME_BY_INDEX, large.data(), &taille,
                             WINHTTP_NO_HEADER_INDEX)) {
        Echouer(Invalide());
        return;
    }
    large.resize(taille / sizeof(wchar_t));
    if (Entetes(AnsiDepuisLarge(large))) {
        Lire();
    }
}

void TransfertWin32::Lire() {
    if (!canal_ || !EnCorps()) {
        return;
    }
    // Asked first what has come, then read no more: a read of a whole buffer would wait
    // for it to fill, holding back bytes that are there.
    if (!WinHttpQueryDataAvailable(requete_.Get(), nullptr)) {
        ErreurRequete(GetLastError());
    }
}

void TransfertWin32::ErreurRequete(DWORD code) {
    switch (code) {
    case ERROR_WINHTTP_OPERATION_CANCELLED:
        return; // we closed the request ourselves
    case ERROR_WINHTTP_CANNOT_CONNECT:
        Echouer(Refusee(Cible().Serveur()));
        return;
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
        Echouer(Introuvable(Cible().hote));
        return;
    case ERROR_WINHTTP_TIMEOUT:
        Delai();
        return;
    case ERROR_WINHTTP_HEADER_SIZE_OVERFLOW:
        Echouer(EntetesTropLongs());
        return;
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR: {
        // Wine says only that the channel failed: the certificate, when there is one, tells.
        const std::string hote = AnsiDepuisLarge(hote_);
        bool vu = false;
        std::string defaut = DefautCertificat(&vu);
        if (vu && !defaut.empty()) {
            Echouer(std::move(defaut));
        } else if (defautsCertificat_ & WINHTTP_CALLBACK_STATUS_FLAG_CERT_CN_INVALID) {
            Echouer(CertificatNom(hote));
        } else if (defautsCertificat_ & WINHTTP_CALLBACK_STATUS_FLAG_CERT_DATE_INVALID) {
            Echouer(CertificatExpire(hote));
        } else if (defautsCertificat_ != 0) {
            Echouer(CertificatInconnu(hote));
        } else {
            Echouer(EchecTls(Cible().Serveur()));
        }
        return;
    }
    default:
        break;
    }
    if (EnCorps()) {
        Echouer(Coupure());
    } else if (Etape() == Phase::EnTetes && code == ERROR_WINHTTP_INVALID_SERVER_RESPONSE) {
        Echouer(Invalide());
    } else if (Etape() == Phase::EnTetes && code == ERROR_WINHTTP_CONNECTION_ERROR) {
        Echouer(SansReponse());
    } else {
        Echouer(ErreurReseau(Cible().Serveur(), "erreur " + Decimal(code)));
    }
}

std::unique_ptr<ITransfert> CreerTransfertWin32() {
    return std::make_unique<TransfertWin32>();
}

} // namespace monvalor
