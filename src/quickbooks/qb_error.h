// The failure of a session manager call: QuickBooks' own error text and the
// HRESULT that came with it, and the HRESULTs and texts the program knows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "support/errors.h"

namespace kvr {

using QBResult = std::uint32_t;

inline constexpr QBResult kQBErrParse = 0x80040400;          // malformed or schema-invalid request
inline constexpr QBResult kQBErrNoAccess = 0x80040401;       // cannot reach QuickBooks
inline constexpr QBResult kQBErrUnexpected = 0x80040402;
inline constexpr QBResult kQBErrCannotStart = 0x80040408;    // QuickBooks or the file cannot be opened
inline constexpr QBResult kQBErrOtherFileOpen = 0x8004040A;
inline constexpr QBResult kQBErrModeInUse = 0x80040410;      // open elsewhere in another mode
inline constexpr QBResult kQBErrModalDialog = 0x80040414;
inline constexpr QBResult kQBErrAppNotAuthorised = 0x80040418;
inline constexpr QBResult kQBErrAccessDenied = 0x80040420;
// The code QuickBooks pairs with the version text is not documented; only
// its text is, so tests and callers should rely on the text.
inline constexpr QBResult kQBErrVersion = 0x80040404;
// Calls made out of order (a request before a session, a second session):
// a programming error on the caller's side rather than a QuickBooks answer.
inline constexpr QBResult kQBErrOrder = 0x80040402;

// QuickBooks' text for an HRESULT, or empty text when none is known.
inline std::string_view QBErrorText(QBResult code) {
    switch (code) {
        case kQBErrParse: return "QuickBooks found an error when parsing the provided XML text stream.";
        case kQBErrNoAccess: return "Could not access QuickBooks.";
        case kQBErrUnexpected: return "Unexpected error.";
        case kQBErrCannotStart: return "Could not start QuickBooks.";
        case kQBErrOtherFileOpen: return "A QuickBooks company data file is already open and it is different from the one requested.";
        case kQBErrModeInUse: return "The QuickBooks company data file is currently open in a mode other than the one specified by your application.";
        case kQBErrModalDialog: return "A modal dialog box is showing in the QuickBooks user interface. Your application cannot access QuickBooks until the user dismisses the dialog box.";
        case kQBErrAppNotAuthorised: return "This application has not accessed this QuickBooks company data file before.";
        case kQBErrAccessDenied: return "The QuickBooks user has denied access.";
        case kQBErrVersion: return "The version of QBXML that was requested is not supported or is unknown.";
        default: return {};
    }
}

// what() is the error text in the system's 8-bit code page, shown as it is;
// HResult() is 0 when the failure came with none.
class EQBSessionError : public Exception {
public:
    EQBSessionError(QBResult hresult, const std::string& text) : Exception(text), hresult_(hresult) {}
    QBResult HResult() const { return hresult_; }

private:
    QBResult hresult_;
};

// The failure QuickBooks reports with code and its known text.
inline EQBSessionError QBError(QBResult code) { return EQBSessionError(code, std::string(QBErrorText(code))); }

}  // namespace kvr
