#include "toolkit/win32/TransfertWin32.h"

#include "http/TextesTransfert.h"
#include "support/Ansi.h"
#include "support/Erreur.h"
#include "toolkit/win32/ServicesWin32.h"

#include <wincrypt.h>

#include <algorithm>
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
constexpr int MaxRedirections = 5;
// Largest body accepted, and reserved up front on a server's word: beyond them a server could
// only exhaust memory.
constexpr std::uint64_t MaxCorps = std::uint64_t{1} << 30;
constexpr std::uint64_t MaxReserve = std::uint64_t{256} << 20;
constexpr std::size_t MaxEntetes = 64 * 1024;
constexpr wchar_t NomClasse[] = L"MonvalorTransfert";

char Minuscule(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool MemesLettres(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Minuscule(x) == Minuscule(y);
           });
}

std::string_view SansBlancs(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

// A Content-Length value: decimal digits only, and no more than a body may hold.
bool LireLongueur(std::string_view s, std::uint64_t& n) {
    if (s.empty() || s.size() > 19) {
        return false;
    }
    n = 0;
    for (char c : s) {
        if (c < '0' || c > '9') {
            return false;
        }
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return true;
}

bool EstRedirection(int statut) {
    return statut == 301 || statut == 302 || statut == 303 || statut == 307 || statut == 308;
}

// The scheme of an address, lower case; "" when it has none ("/a", "b/c", "//h/x").
std::string Schema(std::string_view adresse) {
    const std::size_t fin = adresse.find_first_of(":/?#");
    if (fin == std::string_view::npos || fin == 0 || adresse[fin] != ':') {
        return {};
    }
    std::string s(adresse.substr(0, fin));
    for (char& c : s) {
        const bool lettre = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!lettre && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') {
            return {};
        }
        c = Minuscule(c);
    }
    return s;
}

struct Morceaux {
    std::wstring hote;
    INTERNET_PORT port = 0;
    std::wstring chemin; // path and query
};

// An https address cut into what WinHTTP takes; false when it is not one.
bool Decouper(const std::string& adresse, Morceaux& m) {
    const std::wstring large = LargeDepuisAnsi(adresse);
    URL_COMPONENTS c{};
    c.dwStructSize = sizeof c;
    c.dwSchemeLength = c.dwHostNameLength = c.dwUrlPathLength = c.dwExtraInfoLength = DWORD(-1);
    if (large.empty() || !WinHttpCrackUrl(large.c_str(), 0, 0, &c) ||
        c.nScheme != INTERNET_SCHEME_HTTPS || c.dwHostNameLength == 0 || !c.lpszHostName) {
        return false;
    }
    m.hote.assign(c.lpszHostName, c.dwHostNameLength);
    m.port = c.nPort;
    m.chemin.assign(c.lpszUrlPath ? c.lpszUrlPath : L"", c.dwUrlPathLength);
    if (c.lpszExtraInfo) {
        // The fragment stays with the client.
        const std::wstring_view extra(c.lpszExtraInfo, c.dwExtraInfoLength);
        m.chemin.append(extra.substr(0, extra.find(L'#')));
    }
    if (m.chemin.empty() || m.chemin.front() != L'/') {
        m.chemin.insert(m.chemin.begin(), L'/');
    }
    return true;
}

// Where a Location header leads from the address that gave it.
std::string Resoudre(const std::string& base, std::string_view destination) {
    if (!Schema(destination).empty()) {
        return std::string(destination);
    }
    const std::size_t debutHote = base.find("//") + 2;
    if (destination.substr(0, 2) == "//") {
        return base.substr(0, debutHote - 2) + std::string(destination);
    }
    const std::size_t debutChemin = std::min(base.find_first_of("/?#", debutHote), base.size());
    if (!destination.empty() && destination.front() == '/') {
        return base.substr(0, debutChemin) + std::string(destination);
    }
    std::string chemin = base.substr(debutChemin);
    chemin = chemin.substr(0, chemin.find_first_of("?#"));
    const std::size_t barre = chemin.rfind('/');
    chemin = barre == std::string::npos ? "/" : chemin.substr(0, barre + 1);
    return base.substr(0, debutChemin) + chemin + std::string(destination);
}

// The certificates of the PEM file named by MONVALOR_CERTIFICATS; null when it names none.
HCERTSTORE AutoritesEnPlus() {
    char nom[MAX_PATH + 1];
    const DWORD n = GetEnvironmentVariableA("MONVALOR_CERTIFICATS", nom, sizeof nom);
    if (n == 0 || n >= sizeof nom) {
        return nullptr;
    }
    std::ifstream flux(std::string(nom, n), std::ios::binary);
    const std::string pem((std::istreambuf_iterator<char>(flux)), std::istreambuf_iterator<char>());
    if (pem.size() > (std::size_t{16} << 20)) {
        return nullptr;
    }
    HCERTSTORE magasin = CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr);
    if (!magasin) {
        return nullptr;
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
            CertAddEncodedCertificateToStore(magasin, X509_ASN_ENCODING, der.data(), taille,
                                             CERT_STORE_ADD_USE_EXISTING, nullptr)) {
            ++ajoutes;
        }
    }
    if (ajoutes == 0) {
        CertCloseStore(magasin, 0);
        return nullptr;
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

struct TransfertWin32::Attente {
    bool finie = false;
    int etat = EtatAucun;
    bool remplacee = false; // another transfer took the control over
};

struct TransfertWin32::Evenement {
    DWORD statut = 0;
    DWORD api = 0;
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
        const auto* r = static_cast<const WINHTTP_ASYNC_RESULT*>(info);
        e.api = static_cast<DWORD>(r->dwResult);
        e.code = r->dwError;
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

LRESULT CALLBACK TransfertWin32::ProcedureFenetre(HWND h, UINT m, WPARAM w, LPARAM l) {
    auto* t = reinterpret_cast<TransfertWin32*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (t) {
        switch (m) {
        case MessageReseau:
            t->Reseau();
            return 0;
        case MessageEtat:
            t->EtatPlusTard();
            return 0;
        case WM_TIMER:
            if (w == Minuterie) {
                t->Delai();
                return 0;
            }
            break;
        default:
            break;
        }
    }
    return DefWindowProcW(h, m, w, l);
}

TransfertWin32::TransfertWin32(std::chrono::milliseconds delai)
    : delai_(delai), vivant_(std::make_shared<bool>(true)) {
    const HINSTANCE module = GetModuleHandleW(nullptr);
    WNDCLASSEXW classe{};
    classe.cbSize = sizeof classe;
    classe.lpfnWndProc = &TransfertWin32::ProcedureFenetre;
    classe.hInstance = module;
    classe.lpszClassName = NomClasse;
    RegisterClassExW(&classe); // fails harmlessly once registered
    fenetre_ =
        CreateWindowExW(0, NomClasse, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, nullptr);
    if (fenetre_) {
        SetWindowLongPtrW(fenetre_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
}

TransfertWin32::~TransfertWin32() {
    *vivant_ = false;
    if (attente_) {
        attente_->finie = true;
        attente_ = nullptr;
    }
    Lacher();
    if (autorites_) {
        CertCloseStore(autorites_, 0);
    }
    if (fenetre_) {
        // Messages still queued for the window are dropped with it.
        SetWindowLongPtrW(fenetre_, GWLP_USERDATA, 0);
        DestroyWindow(fenetre_);
    }
}

void TransfertWin32::SurEtat(std::function<void(int)> recepteur) {
    recepteur_ = std::move(recepteur);
}

bool TransfertWin32::Notifier(int etat) {
    if (attente_) {
        if (etat == EtatReponseComplete || etat == EtatErreur || etat == EtatDeconnecte) {
            attente_->etat = etat;
            attente_->finie = true;
        }
        return true;
    }
    if (!recepteur_) {
        return true;
    }
    const std::shared_ptr<bool> vivant = vivant_;
    const std::uint64_t generation = generation_;
    const std::function<void(int)> recepteur = recepteur_; // it may replace itself
    recepteur(etat);
    return *vivant && generation == generation_;
}

void TransfertWin32::NotifierPlusTard(int etat) {
    etatsPlusTard_.emplace_back(generation_, etat);
    PostMessageW(fenetre_, MessageEtat, 0, 0);
}

void TransfertWin32::EtatPlusTard() {
    if (etatsPlusTard_.empty()) {
        return;
    }
    const auto [generation, etat] = etatsPlusTard_.front();
    etatsPlusTard_.pop_front();
    if (generation == generation_) {
        Notifier(etat);
    }
}

void TransfertWin32::Armer() {
    SetTimer(fenetre_, Minuterie, static_cast<UINT>(std::max<std::int64_t>(delai_.count(), 1)),
             nullptr);
}

void TransfertWin32::Delai() {
    KillTimer(fenetre_, Minuterie);
    if (phase_ == Phase::Connexion) {
        Echouer(DelaiConnexion(delai_, NomServeur()));
    } else {
        Echouer(Silence(delai_));
    }
}

std::string TransfertWin32::NomServeur() const {
    return AnsiDepuisLarge(hote_) + ':' + Decimal(port_);
}

void TransfertWin32::Lacher() {
    if (fenetre_) {
        KillTimer(fenetre_, Minuterie);
    }
    if (canal_) {
        const std::lock_guard<std::mutex> verrou(canal_->verrou);
        canal_->fenetre = nullptr;
        canal_->file.clear();
    }
    canal_.reset();
    // In this order: WinHTTP then cancels what is pending and says so to nobody.
    for (HINTERNET* h : {&requete_, &connexion_, &session_}) {
        if (*h) {
            WinHttpCloseHandle(*h);
            *h = nullptr;
        }
    }
}

void TransfertWin32::Execute(const std::string& url) {
    if (attente_) {
        attente_->remplacee = true;
        attente_->finie = true;
        attente_ = nullptr;
    }
    ++generation_;
    Lacher();
    info_.clear();
    redirections_ = 0;
    entetes_.clear();
    corps_.clear();
    lu_ = 0;
    Morceaux m;
    std::string refus;
    if (Schema(url) != "https") {
        refus = SeulHttps(url);
    } else if (!Decouper(url, m)) {
        refus = AdresseInvalide(url);
    } else if (!fenetre_) {
        refus = ErreurReseau(AnsiDepuisLarge(m.hote), T(u8"fenêtre de messages indisponible"_ansi));
    }
    if (!refus.empty()) {
        phase_ = Phase::Finie;
        info_ = std::move(refus);
        NotifierPlusTard(EtatErreur);
        return;
    }
    if (autorites_) {
        CertCloseStore(autorites_, 0);
    }
    autorites_ = AutoritesEnPlus();
    enExecution_ = true;
    Ouvrir(url);
    enExecution_ = false;
}

void TransfertWin32::Ouvrir(const std::string& adresse) {
    Lacher();
    adresse_ = adresse;
    entetes_.clear();
    longueurAnnoncee_ = false;
    morceaux_ = false;
    annonce_ = 0;
    recus_ = 0;
    corps_.clear();
    corps_.shrink_to_fit();
    lu_ = 0;
    defautsCertificat_ = 0;
    phase_ = Phase::Connexion;
    Morceaux m;
    Decouper(adresse, m); // checked by the caller
    hote_ = m.hote;
    port_ = m.port;

    const std::wstring agent = L"Monvalor/" + LargeDepuisAnsi(MONVALOR_VERSION);
    session_ = WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                           WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
    if (session_) {
        WinHttpSetStatusCallback(session_, &TransfertWin32::Rappel,
                                 WINHTTP_CALLBACK_FLAG_ALL_NOTIFICATIONS, 0);
        // Ours run first and say which wait it was; WinHTTP's only back them up.
        const int secours = static_cast<int>(delai_.count()) + 30000;
        WinHttpSetTimeouts(session_, secours, secours, secours, secours);
        DWORD politique = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
        WinHttpSetOption(session_, WINHTTP_OPTION_REDIRECT_POLICY, &politique, sizeof politique);
        connexion_ = WinHttpConnect(session_, hote_.c_str(), port_, 0);
    }
    if (connexion_) {
        requete_ = WinHttpOpenRequest(connexion_, L"GET", m.chemin.c_str(), nullptr,
                                      WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                      WINHTTP_FLAG_SECURE | WINHTTP_FLAG_ESCAPE_DISABLE);
    }
    if (!requete_) {
        Echouer(ErreurReseau(NomServeur(), "erreur " + Decimal(GetLastError())));
        return;
    }
    // One request per connection: a connection kept from an earlier answer could be one its
    // server never ended.
    DWORD sans = WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_KEEP_ALIVE | WINHTTP_DISABLE_COOKIES;
    WinHttpSetOption(requete_, WINHTTP_OPTION_DISABLE_FEATURE, &sans, sizeof sans);
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
        WinHttpSetOption(requete_, WINHTTP_OPTION_SECURITY_FLAGS, &drapeaux, sizeof drapeaux);
    }
    canal_ = std::make_shared<Canal>();
    canal_->fenetre = fenetre_;
    auto* porteur = new std::shared_ptr<Canal>(canal_);
    auto contexte = reinterpret_cast<DWORD_PTR>(porteur);
    WinHttpSetOption(requete_, WINHTTP_OPTION_CONTEXT_VALUE, &contexte, sizeof contexte);
    Armer();
    NotifierPlusTard(EtatConnexion);
    if (!WinHttpSendRequest(requete_, L"Accept-Encoding: identity", DWORD(-1),
                            WINHTTP_NO_REQUEST_DATA, 0, 0, contexte)) {
        ErreurRequete(API_SEND_REQUEST, GetLastError());
    }
}

void TransfertWin32::Reseau() {
    const std::shared_ptr<bool> vivant = vivant_;
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
        if (phase_ == Phase::Connexion && CertificatAccepte()) {
            phase_ = Phase::EnTetes;
            Armer();
        }
        if (e.statut == WINHTTP_CALLBACK_STATUS_REQUEST_SENT || phase_ != Phase::EnTetes ||
            !Notifier(EtatRequeteEnvoyee)) {
            return;
        }
        if (!WinHttpReceiveResponse(requete_, nullptr)) {
            ErreurRequete(API_RECEIVE_RESPONSE, GetLastError());
        }
        return;
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
        if (phase_ == Phase::EnTetes) {
            Entetes();
        }
        return;
    case WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE:
        if (phase_ != Phase::Corps) {
            return;
        }
        if (e.code == 0) {
            FinCorps();
        } else if (!WinHttpReadData(requete_, canal_->tampon.data(),
                                    std::min(e.code, static_cast<DWORD>(canal_->tampon.size())),
                                    nullptr)) {
            ErreurRequete(API_READ_DATA, GetLastError());
        }
        return;
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
        if (phase_ != Phase::Corps) {
            return;
        }
        if (e.octets.empty()) {
            FinCorps();
            return;
        }
        Armer();
        if (AjouterCorps(e.octets) && Notifier(EtatReception)) {
            Lire();
        }
        return;
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
        ErreurRequete(e.api, e.code);
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
        !WinHttpQueryOption(requete_, WINHTTP_OPTION_SERVER_CERT_CONTEXT, &certificat, &taille) ||
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
        CertGetCertificateChain(nullptr, certificat, nullptr, autorites_, &para, 0, nullptr,
                                &chaine)) {
        verdict = Politique(chaine, hote_, ignores);
        if (verdict == static_cast<DWORD>(CERT_E_UNTRUSTEDROOT) && autorites_ &&
            chaine->cChain > 0 && chaine->rgpChain[0]->cElement > 0) {
            // An authority of the extra file: trusted as the system's are, all else checked.
            const CERT_SIMPLE_CHAIN* simple = chaine->rgpChain[0];
            PCCERT_CONTEXT racine = simple->rgpElement[simple->cElement - 1]->pCertContext;
            PCCERT_CONTEXT trouve = CertFindCertificateInStore(autorites_, X509_ASN_ENCODING, 0,
                                                               CERT_FIND_EXISTING, racine, nullptr);
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

void TransfertWin32::Entetes() {
    DWORD taille = 0;
    WinHttpQueryHeaders(requete_, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                        nullptr, &taille, WINHTTP_NO_HEADER_INDEX);
    std::wstring large(taille / sizeof(wchar_t) + 1, L'\0');
    taille = static_cast<DWORD>(large.size() * sizeof(wchar_t));
    if (!WinHttpQueryHeaders(requete_, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                             large.data(), &taille, WINHTTP_NO_HEADER_INDEX)) {
        Echouer(Invalide());
        return;
    }
    large.resize(taille / sizeof(wchar_t));
    if (large.size() > MaxEntetes) {
        Echouer(EntetesTropLongs());
        return;
    }
    const std::string brut = AnsiDepuisLarge(large);
    std::vector<std::string_view> lignes;
    std::string_view bloc(brut);
    while (!bloc.empty()) {
        const std::size_t p = bloc.find('\n');
        std::string_view ligne = bloc.substr(0, p);
        bloc.remove_prefix(p == std::string_view::npos ? bloc.size() : p + 1);
        if (!ligne.empty() && ligne.back() == '\r') {
            ligne.remove_suffix(1);
        }
        if (ligne.empty()) {
            break;
        }
        lignes.push_back(ligne);
        entetes_.append(ligne);
        entetes_ += "\r\n";
    }
    // "HTTP/1.1 404 Not Found": the version, three digits, the reason.
    const std::string_view premiere = lignes.empty() ? std::string_view() : lignes.front();
    const std::size_t espace = premiere.find(' ');
    if (premiere.substr(0, 5) != "HTTP/" || espace == std::string_view::npos ||
        premiere.size() < espace + 4 ||
        (premiere.size() > espace + 4 && premiere[espace + 4] != ' ')) {
        Echouer(Invalide());
        return;
    }
    int statut = 0;
    for (std::size_t k = espace + 1; k < espace + 4; ++k) {
        if (premiere[k] < '0' || premiere[k] > '9') {
            Echouer(Invalide());
            return;
        }
        statut = statut * 10 + (premiere[k] - '0');
    }
    std::string_view longueur, codage, destination;
    for (std::size_t k = 1; k < lignes.size(); ++k) {
        const std::size_t dp = lignes[k].find(':');
        if (dp == std::string_view::npos) {
            continue;
        }
        const std::string_view nom = SansBlancs(lignes[k].substr(0, dp));
        const std::string_view valeur = SansBlancs(lignes[k].substr(dp + 1));
        if (MemesLettres(nom, "Content-Length")) {
            if (longueurAnnoncee_ && valeur != longueur) {
                Echouer(Invalide());
                return;
            }
            longueur = valeur;
            longueurAnnoncee_ = true;
        } else if (MemesLettres(nom, "Transfer-Encoding")) {
            codage = valeur;
        } else if (MemesLettres(nom, "Location")) {
            destination = valeur;
        }
    }
    if (EstRedirection(statut) && !destination.empty()) {
        const std::string suivante = Resoudre(adresse_, destination);
        Morceaux m;
        if (Schema(suivante) != "https" || !Decouper(suivante, m)) {
            Echouer(RedirectionRefusee(destination));
            return;
        }
        if (++redirections_ > MaxRedirections) {
            Echouer(TropDeRedirections(MaxRedirections));
            return;
        }
        Ouvrir(suivante);
        return;
    }
    if (statut < 200 || statut > 299) {
        Echouer(Statut(premiere.substr(espace + 1)));
        return;
    }
    if (!codage.empty()) {
        // The last coding applied is the one that frames the body; WinHTTP undoes "chunked".
        const std::string_view derniere = SansBlancs(codage.substr(codage.rfind(',') + 1));
        morceaux_ = MemesLettres(derniere, "chunked");
        longueurAnnoncee_ = false;
    } else if (statut == 204) {
        longueurAnnoncee_ = true;
        annonce_ = 0;
    } else if (longueurAnnoncee_ && !LireLongueur(longueur, annonce_)) {
        Echouer(Invalide());
        return;
    }
    if (longueurAnnoncee_ && annonce_ > MaxCorps) {
        Echouer(TropVolumineuse(annonce_));
        return;
    }
    if (longueurAnnoncee_) {
        // What is announced is not yet there: a lying server gets no more than this up front.
        corps_.reserve(static_cast<std::size_t>(std::min(annonce_, MaxReserve)));
    }
    phase_ = Phase::Corps;
    Armer();
    Lire();
}

void TransfertWin32::Lire() {
    if (!canal_ || phase_ != Phase::Corps) {
        return;
    }
    // Asked first what has come, then read no more: a read of a whole buffer would wait
    // for it to fill, holding back bytes that are there.
    if (!WinHttpQueryDataAvailable(requete_, nullptr)) {
        ErreurRequete(API_QUERY_DATA_AVAILABLE, GetLastError());
    }
}

bool TransfertWin32::AjouterCorps(const std::string& octets) {
    recus_ += octets.size();
    if (longueurAnnoncee_ && recus_ > annonce_) {
        Echouer(TropDOctets(annonce_));
        return false;
    }
    if (recus_ > MaxCorps) {
        Echouer(PlusQue(MaxCorps));
        return false;
    }
    corps_.append(octets);
    return true;
}

void TransfertWin32::FinCorps() {
    if (longueurAnnoncee_ && recus_ < annonce_) {
        Echouer(Incomplet(recus_, annonce_));
    } else {
        Terminer();
    }
}

void TransfertWin32::ErreurRequete(DWORD api, DWORD code) {
    (void)api;
    switch (code) {
    case ERROR_WINHTTP_OPERATION_CANCELLED:
        return; // we closed the request ourselves
    case ERROR_WINHTTP_CANNOT_CONNECT:
        Echouer(Refusee(NomServeur()));
        return;
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
        Echouer(Introuvable(AnsiDepuisLarge(hote_)));
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
            Echouer(EchecTls(NomServeur()));
        }
        return;
    }
    default:
        break;
    }
    if (phase_ == Phase::Corps) {
        Echouer(longueurAnnoncee_ ? Incomplet(recus_, annonce_)
                : morceaux_       ? Coupe(recus_)
                                  : CoupeSansFinTls(recus_));
    } else if (phase_ == Phase::EnTetes && code == ERROR_WINHTTP_INVALID_SERVER_RESPONSE) {
        Echouer(Invalide());
    } else if (phase_ == Phase::EnTetes && code == ERROR_WINHTTP_CONNECTION_ERROR) {
        Echouer(SansReponse());
    } else {
        Echouer(ErreurReseau(NomServeur(), "erreur " + Decimal(code)));
    }
}

void TransfertWin32::Echouer(std::string raison) {
    if (phase_ == Phase::Finie || phase_ == Phase::Aucune) {
        return;
    }
    Lacher();
    phase_ = Phase::Finie;
    info_ = std::move(raison);
    // What came of a failed transfer is not to be taken for any part of it.
    corps_.clear();
    corps_.shrink_to_fit();
    lu_ = 0;
    if (enExecution_) {
        NotifierPlusTard(EtatErreur); // the states come from the message loop, never from Execute
    } else {
        Notifier(EtatErreur);
    }
}

void TransfertWin32::Terminer() {
    Lacher();
    phase_ = Phase::Finie;
    Notifier(EtatReponseComplete);
}

std::string TransfertWin32::OpenURL(const std::string& url) {
    Execute(url);
    Attente attente;
    attente_ = &attente;
    const std::shared_ptr<bool> vivant = vivant_;
    MSG message;
    while (!attente.finie) {
        const BOOL lu = GetMessageW(&message, nullptr, 0, 0);
        if (lu == 0) {
            PostQuitMessage(static_cast<int>(message.wParam)); // for the loop that waits on us
            break;
        }
        if (lu < 0) {
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (!*vivant) {
        throw Erreur(ErrAccesChemin, Arrete());
    }
    if (attente_ == &attente) {
        attente_ = nullptr;
    }
    if (!attente.finie) {
        Cancel();
        throw Erreur(ErrAccesChemin, Arrete());
    }
    if (attente.remplacee) {
        throw Erreur(ErrAccesChemin, Arrete());
    }
    if (attente.etat != EtatReponseComplete) {
        throw Erreur(ErrAccesChemin, info_.empty() ? Arrete() : info_);
    }
    std::string corps = lu_ == 0 ? std::move(corps_) : corps_.substr(lu_);
    corps_.clear();
    lu_ = 0;
    return corps;
}

std::string TransfertWin32::GetHeader() {
    return entetes_;
}

std::string TransfertWin32::GetHeader(const std::string& nom) {
    std::string_view cherche = SansBlancs(nom);
    if (!cherche.empty() && cherche.back() == ':') {
        cherche.remove_suffix(1);
    }
    std::string_view reste(entetes_);
    bool premiere = true;
    while (!reste.empty()) {
        const std::size_t p = reste.find("\r\n");
        const std::string_view ligne = reste.substr(0, p);
        reste.remove_prefix(p == std::string_view::npos ? reste.size() : p + 2);
        if (std::exchange(premiere, false)) {
            continue; // the status line
        }
        const std::size_t dp = ligne.find(':');
        if (dp != std::string_view::npos &&
            MemesLettres(SansBlancs(ligne.substr(0, dp)), cherche)) {
            return std::string(SansBlancs(ligne.substr(dp + 1)));
        }
    }
    return {};
}

std::string TransfertWin32::GetChunk(int taille) {
    if (taille <= 0 || lu_ >= corps_.size()) {
        return {};
    }
    const std::size_t n = std::min(static_cast<std::size_t>(taille), corps_.size() - lu_);
    std::string morceau = corps_.substr(lu_, n);
    lu_ += n;
    if (lu_ == corps_.size()) {
        corps_.clear();
        lu_ = 0;
    } else if (lu_ > (std::size_t{1} << 20) && lu_ > corps_.size() / 2) {
        corps_.erase(0, lu_);
        lu_ = 0;
    }
    return morceau;
}

void TransfertWin32::Cancel() {
    if (phase_ == Phase::Aucune || phase_ == Phase::Finie) {
        return;
    }
    Lacher();
    phase_ = Phase::Finie;
    info_ = Arrete();
    corps_.clear();
    lu_ = 0;
    // Later: Cancel is called from the window's closing, which must not run again inside it.
    NotifierPlusTard(EtatDeconnecte);
}

std::string TransfertWin32::ResponseInfo() const {
    return info_;
}

std::unique_ptr<ITransfert> CreerTransfertWin32() {
    return std::make_unique<TransfertWin32>();
}

} // namespace monvalor
