// Feeds arbitrary request texts to the company simulator through the session
// manager, as the program sends them. A text is answered or refused with a
// session manager error; nothing else may happen.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

#include "quickbooks/qb_error.h"
#include "quickbooks/qb_session.h"
#include "quickbooks/sim/company_file.h"
#include "quickbooks/sim/demo_company.h"

namespace {

// One demo company in a folder of its own and one open session for the
// whole run; the folder goes when the fuzzer exits.
class FuzzCompany {
public:
    FuzzCompany() {
        folder_ = std::filesystem::temp_directory_path() / ("kvr-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        const std::string path = (folder_ / "fuzz.qbw").string();
        kvr::qbsim::CompanyFile::Create(path, "Fuzz Company", kvr::qbsim::Edition::US);
        {
            kvr::qbsim::CompanyFile company(path);
            kvr::qbsim::AddDemoLists(company);
        }
        session_ = kvr::CoQBSessionManager();
        session_->OpenConnection("", "Korvex Payroll Interface");
        session_->BeginSession(path, kvr::omDontCare);
    }
    ~FuzzCompany() {
        session_->EndSession();
        session_->CloseConnection();
        session_.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    kvr::IQBSessionManager& Session() { return *session_; }

private:
    std::filesystem::path folder_;
    std::unique_ptr<kvr::IQBSessionManager> session_;
};

kvr::IQBSessionManager& Session() {
    static FuzzCompany company;
    return company.Session();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string request(reinterpret_cast<const char*>(data), size);
    try {
        Session().DoRequestsFromXMLString(request)->ToXMLString();
    } catch (const kvr::EQBSessionError&) {
    }
    return 0;
}
