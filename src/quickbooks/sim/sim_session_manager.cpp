// The simulator's session manager; see sim_session_manager.h.
#include "quickbooks/sim/sim_session_manager.h"

#include <filesystem>

#include "quickbooks/qb_error.h"
#include "quickbooks/sim/company_file.h"
#include "quickbooks/sim/request_handlers.h"
#include "quickbooks/sim/request_parser.h"
#include "quickbooks/sim/session_lock.h"

namespace kvr::qbsim {

namespace {

class TextResponseSet final : public IQBResponseSet {
public:
    explicit TextResponseSet(std::string text) : text_(std::move(text)) {}
    std::string ToXMLString() override { return text_; }

private:
    std::string text_;
};

[[noreturn]] void OutOfOrder(const char* text) { throw EQBSessionError(kQBErrOrder, text); }

}  // namespace

SimSessionManager::SimSessionManager() = default;
SimSessionManager::~SimSessionManager() = default;

void SimSessionManager::SetFaultPlan(FaultPlan plan) { setPlan_ = std::move(plan); }
void SimSessionManager::UseStoredFaultPlan() { setPlan_.reset(); }

FaultPlan SimSessionManager::CurrentPlan() {
    if (setPlan_) return *setPlan_;
    if (company_) return sessionPlan_;
    if (lastCompanyPath_.empty()) return {};
    try {
        return CompanyFile(lastCompanyPath_).LoadFaultPlan();
    } catch (const EQBSessionError&) {
        return {};  // the file has gone since; its plan with it
    }
}

void SimSessionManager::Fault(FaultCall call, int count, FaultPhase phase) {
    const FaultPlan plan = CurrentPlan();
    if (const CallFault* fault = FindCallFault(plan, call, count, phase)) RaiseFault(*fault);
}

void SimSessionManager::OpenConnection(const std::string&, const std::string&) {
    if (connected_) OutOfOrder("OpenConnection was called while a connection is open.");
    Fault(FaultCall::OpenConnection, ++opens_, FaultPhase::Before);
    connected_ = true;
}

void SimSessionManager::BeginSession(const std::string& qbFile, int openMode) {
    if (!connected_) OutOfOrder("BeginSession was called before OpenConnection.");
    if (company_) OutOfOrder("BeginSession was called while a session is active.");
    if (openMode < omSingleUser || openMode > omDontCare)
        throw EQBSessionError(kQBErrUnexpected, "BeginSession was called with an unknown open mode.");
    ++begins_;
    auto company = std::make_unique<CompanyFile>(qbFile);
    lastCompanyPath_ = qbFile;
    sessionPlan_ = company->LoadFaultPlan();
    const FaultPlan plan = setPlan_ ? *setPlan_ : sessionPlan_;
    if (const CallFault* fault = FindCallFault(plan, FaultCall::BeginSession, begins_, FaultPhase::Before))
        RaiseFault(*fault);
    lock_ = std::make_unique<SessionLock>(qbFile, openMode);
    company_ = std::move(company);
    requests_ = entries_ = 0;
}

std::string SimSessionManager::GetCurrentCompanyFileName() {
    if (!company_) OutOfOrder("GetCurrentCompanyFileName was called outside a session.");
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(company_->Path(), ec);
    return ec ? company_->Path() : absolute.string();
}

std::unique_ptr<IQBResponseSet> SimSessionManager::DoRequestsFromXMLString(const std::string& request) {
    if (!company_) OutOfOrder("DoRequestsFromXMLString was called outside a session.");
    const int number = ++requests_;
    Fault(FaultCall::Request, number, FaultPhase::Before);
    const auto set = ParseMessageSet(request, company_->GetEdition());
    const FaultPlan plan = CurrentPlan();
    RequestContext context{*company_, plan, entries_};
    ResponseWriter out;
    company_->BeginTransaction();
    try {
        bool failed = false;
        for (pugi::xml_node rq : set->requests) {
            failed = HandleRequest(rq, context, out) >= 1000;
            if (failed && set->onError != OnError::Continue) break;
        }
        if (failed && set->onError == OnError::Rollback) company_->Rollback();
        else company_->Commit();
    } catch (...) {
        company_->Rollback();
        entries_ = context.entriesSent;
        throw;
    }
    entries_ = context.entriesSent;
    Fault(FaultCall::Request, number, FaultPhase::After);
    return std::make_unique<TextResponseSet>(out.Finish());
}

void SimSessionManager::EndSession() {
    if (!company_) return;
    lock_.reset();
    company_.reset();
    Fault(FaultCall::EndSession, ++ends_, FaultPhase::Before);
}

void SimSessionManager::CloseConnection() {
    if (!connected_) return;
    if (company_) OutOfOrder("CloseConnection was called before EndSession.");
    connected_ = false;
    Fault(FaultCall::CloseConnection, ++closes_, FaultPhase::Before);
}

}  // namespace kvr::qbsim
