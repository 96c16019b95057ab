// The Qt services make the real transfer control, which refuses plain http at once.
#include "http/Transfert.h"
#include "services/Services.h"
#include "support/Erreur.h"
#include "support/TexteSource.h"
#include "toolkit/qt/ServicesQt.h"
#include "toolkit/qt/TransfertQt.h"

#include <gtest/gtest.h>

namespace monvalor {
namespace {

TEST(TransfertInstalle, TheQtServicesMakeTransfersOverQtNetwork) {
    InstallerServicesQt();
    std::unique_ptr<ITransfert> t = Plateforme().transferts();
    ReinitialiserServices();
    ASSERT_NE(dynamic_cast<TransfertQt*>(t.get()), nullptr);
    try {
        t->OpenURL("http://127.0.0.1:1/version.txt");
        ADD_FAILURE() << "an http address was fetched";
    } catch (const Erreur& e) {
        EXPECT_EQ(e.Description(), std::string(u8"Adresse refusée : seul https est accepté "
                                               u8"(http://127.0.0.1:1/version.txt)"_ansi));
    }
}

} // namespace
} // namespace monvalor
