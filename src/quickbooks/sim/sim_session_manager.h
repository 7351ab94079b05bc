// The session manager of the QuickBooks company simulator: the six
// operations over simulated company files, strict about their order, with
// planned faults for tests.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "quickbooks/qb_session.h"
#include "quickbooks/sim/fault_plan.h"

namespace kvr::qbsim {

class CompanyFile;
class SessionLock;

class SimSessionManager final : public IQBSessionManager {
public:
    SimSessionManager();
    ~SimSessionManager() override;

    // Governs every later call in place of the plans stored in company files.
    void SetFaultPlan(FaultPlan plan);
    // Back to the plan stored in the company file. Connection calls follow
    // the plan of the file this manager began its last session on, since no
    // file is named when a connection opens.
    void UseStoredFaultPlan();

    void OpenConnection(const std::string& appID, const std::string& appName) override;
    void BeginSession(const std::string& qbFile, int openMode) override;
    std::string GetCurrentCompanyFileName() override;
    std::unique_ptr<IQBResponseSet> DoRequestsFromXMLString(const std::string& request) override;
    // A planned failure of EndSession or CloseConnection is raised after the
    // session or connection has gone, so that a program can go on afterwards.
    void EndSession() override;
    void CloseConnection() override;

private:
    FaultPlan CurrentPlan();
    void Fault(FaultCall call, int count, FaultPhase phase);

    std::optional<FaultPlan> setPlan_;
    FaultPlan sessionPlan_;
    std::string lastCompanyPath_;
    bool connected_ = false;
    std::unique_ptr<CompanyFile> company_;
    std::unique_ptr<SessionLock> lock_;
    int opens_ = 0, begins_ = 0, ends_ = 0, closes_ = 0;
    int requests_ = 0, entries_ = 0;  // of the current session
};

}  // namespace kvr::qbsim
