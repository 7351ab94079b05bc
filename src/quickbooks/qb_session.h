// The QuickBooks session manager as the program sees it: the six operations
// of the QBFC13 session manager and the response set's XML text. Text crosses
// this interface as Unicode (UTF-8 in std::string); the caller converts to and
// from its 8-bit code page on its side.
#pragma once

#include <memory>
#include <string>

namespace kvr {

// The session open modes of the QBFC13 session manager (ENOpenMode).
enum QBOpenMode : int {
    omSingleUser = 0,
    omMultiUser = 1,
    omDontCare = 2,  // the mode in effect, single-user when none is
};

// What a request returns; the program asks it for its whole text only.
class IQBResponseSet {
public:
    virtual ~IQBResponseSet() = default;
    virtual std::string ToXMLString() = 0;
};

// Every operation raises EQBSessionError (qb_error.h) when it fails.
// Order: OpenConnection, BeginSession, any number of requests, EndSession,
// CloseConnection. EndSession without a session and CloseConnection without
// a connection do nothing, because the program's closing steps call them also
// after an open or begin that failed.
class IQBSessionManager {
public:
    virtual ~IQBSessionManager() = default;
    virtual void OpenConnection(const std::string& appID, const std::string& appName) = 0;
    virtual void BeginSession(const std::string& qbFile, int openMode) = 0;
    virtual std::string GetCurrentCompanyFileName() = 0;
    virtual std::unique_ptr<IQBResponseSet> DoRequestsFromXMLString(const std::string& request) = 0;
    virtual void EndSession() = 0;
    virtual void CloseConnection() = 0;
};

// The platform's session manager: the QBFC13 COM component on Windows, the
// company simulator elsewhere. Raises EQBSessionError when it cannot be
// created (on Windows: the SDK is not installed).
std::unique_ptr<IQBSessionManager> CoQBSessionManager();

}  // namespace kvr
