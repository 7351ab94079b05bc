// CoQBSessionManager: the platform's session manager.
#include "quickbooks/qb_session.h"

#ifdef _WIN32
#include "quickbooks/com_session_manager.h"
#else
#include "quickbooks/sim/sim_session_manager.h"
#endif

namespace kvr {

std::unique_ptr<IQBSessionManager> CoQBSessionManager() {
#ifdef _WIN32
    return std::make_unique<ComSessionManager>();
#else
    return std::make_unique<qbsim::SimSessionManager>();
#endif
}

}  // namespace kvr
