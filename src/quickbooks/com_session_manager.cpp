// QBFC13 through IDispatch; see com_session_manager.h. Every HRESULT is
// checked, every BSTR freed, every interface released, on every path.
#include "quickbooks/com_session_manager.h"

#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <vector>

#include "quickbooks/qb_error.h"
#include "support/codepage.h"

namespace kvr {

namespace {

// QBFC13.QBSessionManager
const CLSID kSessionManagerClass = {0x22E885D7, 0xFB0B, 0x49E3, {0xB9, 0x05, 0xCC, 0xA6, 0xBD, 0x52, 0x6B, 0x52}};

class Bstr {
public:
    explicit Bstr(const std::string& utf8) {
        const std::u16string wide = Utf8ToUtf16(utf8);
        value_ = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()), static_cast<UINT>(wide.size()));
        if (!value_) throw EQBSessionError(E_OUTOFMEMORY, "Out of memory.");
    }
    ~Bstr() { SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR Get() const { return value_; }

private:
    BSTR value_;
};

std::string FromBstr(BSTR value) {
    if (!value) return {};
    return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(value), SysStringLen(value)));
}

// Holds a VARIANT and clears it, whatever it holds.
class Variant {
public:
    Variant() { VariantInit(&value_); }
    ~Variant() { VariantClear(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT* Get() { return &value_; }

private:
    VARIANT value_;
};

std::string HexCode(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

[[noreturn]] void Fail(HRESULT hr, std::string description, const wchar_t* method) {
    if (description.empty()) description = Utf8ToAnsi(std::string(QBErrorText(static_cast<QBResult>(hr))));
    if (description.empty()) {
        std::string name;
        for (const wchar_t* p = method; *p; ++p) name += static_cast<char>(*p);
        description = "The QuickBooks session manager call " + name + " failed (HRESULT " + HexCode(hr) + ").";
    }
    throw EQBSessionError(static_cast<QBResult>(hr), description);
}

std::string ErrorInfoText() {
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || !info) return {};
    BSTR description = nullptr;
    std::string text;
    if (SUCCEEDED(info->GetDescription(&description))) text = Utf8ToAnsi(FromBstr(description));
    SysFreeString(description);
    info->Release();
    return text;
}

// Calls a method by name with arguments in their declared order; the
// result, if any, lands in result.
void Invoke(IDispatch* target, const wchar_t* method, std::vector<VARIANT> args, VARIANT* result) {
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(method);
    HRESULT hr = target->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) Fail(hr, {}, method);

    std::vector<VARIANT> reversed(args.rbegin(), args.rend());  // IDispatch takes them last first
    DISPPARAMS params = {};
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    params.cArgs = static_cast<UINT>(reversed.size());
    EXCEPINFO exception = {};
    UINT badArgument = 0;
    hr = target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result, &exception, &badArgument);
    if (hr == DISP_E_EXCEPTION) {
        if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
        const std::string description = Utf8ToAnsi(FromBstr(exception.bstrDescription));
        const HRESULT code = exception.scode ? exception.scode : (exception.wCode ? MAKE_HRESULT(1, FACILITY_ITF, exception.wCode) : hr);
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
        Fail(code, description, method);
    }
    if (FAILED(hr)) Fail(hr, ErrorInfoText(), method);
}

VARIANT BstrArgument(const Bstr& text) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = text.Get();  // still owned by text
    return v;
}

VARIANT IntArgument(int value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

std::string StringResult(Variant& result, const wchar_t* method) {
    if (FAILED(VariantChangeType(result.Get(), result.Get(), 0, VT_BSTR)))
        Fail(E_UNEXPECTED, {}, method);
    return FromBstr(result.Get()->bstrVal);
}

class ComResponseSet final : public IQBResponseSet {
public:
    explicit ComResponseSet(IDispatch* set) : set_(set) {}
    ~ComResponseSet() override { set_->Release(); }
    ComResponseSet(const ComResponseSet&) = delete;
    ComResponseSet& operator=(const ComResponseSet&) = delete;

    std::string ToXMLString() override {
        Variant result;
        Invoke(set_, L"ToXMLString", {}, result.Get());
        return StringResult(result, L"ToXMLString");
    }

private:
    IDispatch* set_;
};

}  // namespace

ComSessionManager::ComSessionManager() {
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(init) && init != RPC_E_CHANGED_MODE) Fail(init, {}, L"CoInitializeEx");
    uninitialise_ = SUCCEEDED(init);
    const HRESULT hr = CoCreateInstance(kSessionManagerClass, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                        IID_IDispatch, reinterpret_cast<void**>(&manager_));
    if (FAILED(hr)) {
        manager_ = nullptr;
        if (uninitialise_) CoUninitialize();
        if (hr == REGDB_E_CLASSNOTREG)
            throw EQBSessionError(static_cast<QBResult>(hr),
                                  "The QuickBooks SDK session manager (QBFC13) is not installed on this computer.");
        Fail(hr, ErrorInfoText(), L"CoCreateInstance");
    }
}

ComSessionManager::~ComSessionManager() {
    manager_->Release();
    if (uninitialise_) CoUninitialize();
}

void ComSessionManager::OpenConnection(const std::string& appID, const std::string& appName) {
    const Bstr id(appID), name(appName);
    Invoke(manager_, L"OpenConnection", {BstrArgument(id), BstrArgument(name)}, nullptr);
    connected_ = true;
}

void ComSessionManager::BeginSession(const std::string& qbFile, int openMode) {
    const Bstr file(qbFile);
    Invoke(manager_, L"BeginSession", {BstrArgument(file), IntArgument(openMode)}, nullptr);
    inSession_ = true;
}

std::string ComSessionManager::GetCurrentCompanyFileName() {
    Variant result;
    Invoke(manager_, L"GetCurrentCompanyFileName", {}, result.Get());
    return StringResult(result, L"GetCurrentCompanyFileName");
}

std::unique_ptr<IQBResponseSet> ComSessionManager::DoRequestsFromXMLString(const std::string& request) {
    const Bstr text(request);
    Variant result;
    Invoke(manager_, L"DoRequestsFromXMLString", {BstrArgument(text)}, result.Get());
    VARIANT* value = result.Get();
    if (value->vt != VT_DISPATCH || !value->pdispVal) Fail(E_UNEXPECTED, {}, L"DoRequestsFromXMLString");
    IDispatch* set = value->pdispVal;
    set->AddRef();  // the Variant releases its own reference
    return std::make_unique<ComResponseSet>(set);
}

void ComSessionManager::EndSession() {
    if (!inSession_) return;
    inSession_ = false;
    Invoke(manager_, L"EndSession", {}, nullptr);
}

void ComSessionManager::CloseConnection() {
    if (!connected_) return;
    connected_ = false;
    Invoke(manager_, L"CloseConnection", {}, nullptr);
}

}  // namespace kvr
