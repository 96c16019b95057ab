#include "platform/qt/Garde.h"

namespace monvalor {

void SignalerErreurFatale(const std::string& description) {
    Services& s = Plateforme();
    try {
        s.boiteMessage->Afficher(description, MsgCritique, std::string());
    } catch (...) {
    }
    s.systeme->Terminer(1);
}

} // namespace monvalor
