// What the transfer tests share: the loopback server's addresses (test_transfert.cpp), and what
// they need of a face, its transfer control and its event loop, which each face gives in its
// own file beside main(). The tests themselves are written once.
#pragma once

#include "http/Transfert.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace monvalor {

// The loopback server's port of that name (MONVALOR_TEST_PORTS), 0 when unknown; an address
// on it.
int Port(const std::string& nom);
std::string Https(const std::string& chemin, const std::string& port = "https");

// What the face lends.
std::unique_ptr<ITransfert>
NouveauTransfert(std::chrono::milliseconds delai = std::chrono::seconds(15));

// Runs the event loop until `fini` holds (checked after each event) or `max` has passed.
void Tourner(const std::function<bool()>& fini, std::chrono::milliseconds max);

// Runs `f` from the event loop once `delai` has passed.
void PlusTard(std::chrono::milliseconds delai, std::function<void()> f);

// Sets an environment variable the way the transfers read it; null removes it.
void Variable(const char* nom, const char* valeur);

// Whether the face reads the answer itself, to the connection's end, and so sees what only
// that shows: bytes beyond the body, a cut chunked body, a connection never ended. WinHTTP
// reads them without telling.
bool CadreLeCorps();

// What the face says of the server's certificate that no authority vouches for: WinHTTP
// under Wine tells only that the secure connection failed.
std::string RaisonCertificatInconnu(const std::string& serveur);

// What the face says of a server sending interim answers without end, given the text of the
// transfer's deadline: the core counts them, but WinHTTP reads them itself.
std::string RaisonProvisoiresSansFin(const std::string& echeance);

} // namespace monvalor
