// The HTTP transfer control behind the download window: its operations and states, as the
// window uses them. A realisation does the network work on the window's thread (the Qt one on
// Qt Network); tests use a double. Texts are Windows-1252; a body's bytes are taken as
// characters one for one, so that writing them back reproduces the bytes.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace monvalor {

// The states a transfer goes through, with the transfer control's own numbers.
enum EtatTransfert : int {
    EtatAucun = 0,
    EtatConnexion = 3,
    EtatRequeteEnvoyee = 6,
    EtatReception = 8,   // body bytes arrived: GetChunk has some to give
    EtatDeconnecte = 10, // stopped by Cancel, or ended before an answer
    EtatErreur = 11,     // failed: ResponseInfo says why
    EtatReponseComplete = 12,
};

class ITransfert {
public:
    virtual ~ITransfert() = default;
    // Fetches the address whole and returns its body. Waits for it while the program's event
    // loop keeps running, so that windows and the clipboard go on answering. Throws Erreur
    // with a French description when the transfer fails in any way (see Execute).
    virtual std::string OpenURL(const std::string& url) = 0;
    // Starts a GET of the address and returns at once; the states then arrive through the
    // receiver, from the event loop. Only https is fetched (an http address fails at once,
    // nothing sent); a redirect never leads from https to http; certificates are verified.
    // Only a 2xx answer succeeds, and only whole: the connection ended normally and, when a
    // Content-Length was announced, exactly that many bytes came. Connecting or staying
    // without a byte longer than the time-out fails, and so does a transfer past its deadline
    // (see Limiter). Every failure ends in EtatErreur.
    virtual void Execute(const std::string& url) = 0;
    // Bounds the transfers started from now on: the largest body accepted (never above
    // http::MaxCorps) and the time a whole transfer may take, redirects included. A body
    // announced or grown beyond the limit, or a transfer past its deadline, fails.
    virtual void Limiter(std::uint64_t maxCorps, std::chrono::milliseconds echeance) = 0;
    virtual void SurEtat(std::function<void(int etat)> recepteur) = 0;
    // The answer's header block: the status line, then each header line, CR LF after each.
    virtual std::string GetHeader() = 0;
    // One header's value ("Content-Length:", colon included), "" when the answer has none.
    virtual std::string GetHeader(const std::string& nom) = 0;
    // The next body bytes that have arrived, at most `taille`; "" when none is waiting (after
    // EtatReponseComplete: when the body is exhausted).
    virtual std::string GetChunk(int taille) = 0;
    // Stops the transfer in progress (EtatDeconnecte follows); harmless when none runs.
    virtual void Cancel() = 0;
    // Why the last transfer failed, in French; "" when it did not.
    virtual std::string ResponseInfo() const = 0;
};

} // namespace monvalor
