// The QBFC13 session manager reached through COM late binding (IDispatch),
// for Windows builds.
#pragma once

#include <memory>
#include <string>

#include "quickbooks/qb_session.h"

struct IDispatch;

namespace kvr {

class ComSessionManager final : public IQBSessionManager {
public:
    // Creates the QBFC13 component; raises EQBSessionError when COM or the
    // SDK is not available.
    ComSessionManager();
    ~ComSessionManager() override;
    ComSessionManager(const ComSessionManager&) = delete;
    ComSessionManager& operator=(const ComSessionManager&) = delete;

    void OpenConnection(const std::string& appID, const std::string& appName) override;
    void BeginSession(const std::string& qbFile, int openMode) override;
    std::string GetCurrentCompanyFileName() override;
    std::unique_ptr<IQBResponseSet> DoRequestsFromXMLString(const std::string& request) override;
    void EndSession() override;
    void CloseConnection() override;

private:
    IDispatch* manager_ = nullptr;
    bool uninitialise_ = false;
    bool connected_ = false;
    bool inSession_ = false;
};

}  // namespace kvr
