#include "hardware/hardware_win.h"  // windows.h first

#include <comdef.h>
#include <oleauto.h>

namespace tallowick {
namespace {

constexpr wchar_t kNamespacePath[] = L"ROOT\\CIMV2";
constexpr char kQueryLanguage[] = "WQL";
// Semisynchronous and forward-only.
constexpr long kQueryFlags = WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY;

struct BstrTraits {
    static BSTR Invalid() { return nullptr; }
    static bool Valid(BSTR s) { return s != nullptr; }
    static void Close(BSTR s) { SysFreeString(s); }
};
// An automation string made for one call and freed right after it.
using AutomationString = UniqueResource<BSTR, BstrTraits>;

[[noreturn]] void RaiseWin32Failure(DWORD error) {
    // The system error code as a failure code: its low 16 bits in 0x8007xxxx.
    HRESULT hr = error != 0 ? HRESULT_FROM_WIN32(error) : E_FAIL;
    throw _com_error(hr);
}

// An automation string of UTF-16 text. Raises _com_error(E_OUTOFMEMORY) when
// it cannot be allocated.
AutomationString MakeAutomationString(const wchar_t* text) {
    AutomationString s(SysAllocString(text));
    if (!s) throw _com_error(E_OUTOFMEMORY);
    return s;
}

// An automation string of 8-bit text, widened through the ANSI code page.
// Raises _com_error with the system error as a failure code when the text
// cannot be widened (a null text counts as such), E_OUTOFMEMORY when the
// string cannot be allocated.
AutomationString MakeAutomationString(const char* text) {
    if (!text) RaiseWin32Failure(ERROR_INVALID_PARAMETER);
    int units = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);  // terminator included
    if (units <= 0) RaiseWin32Failure(GetLastError());
    AutomationString s(SysAllocStringLen(nullptr, static_cast<UINT>(units - 1)));
    if (!s) throw _com_error(E_OUTOFMEMORY);
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, s.get(), units) <= 0) RaiseWin32Failure(GetLastError());
    return s;
}

}  // namespace

CLocalHardwareInfo::~CLocalHardwareInfo() {
    // Every query releases its interfaces before it ends; this only guards
    // against an object given up in the middle of one. COM is balanced
    // afterwards, by its owner.
    ReleaseInterfaces();
}

bool CLocalHardwareInfo::Connect() {
    ReleaseInterfaces();
    HRESULT hr = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                  m_pLocator.put_void());
    if (FAILED(hr)) {
        m_pLocator.forget();
        return false;
    }
    {
        AutomationString resource = MakeAutomationString(kNamespacePath);
        hr = m_pLocator->ConnectServer(resource.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                       m_pServices.put());
    }
    if (FAILED(hr)) {
        m_pServices.forget();
        return false;
    }
    hr = CoSetProxyBlanket(m_pServices.get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                           RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    return SUCCEEDED(hr);
}

bool CLocalHardwareInfo::OpenQuery(const char* text) {
    if (!Connect()) {
        ReleaseInterfaces();
        return false;
    }
    HRESULT hr;
    {
        // Freed in reverse order of making: "WQL", then the query text.
        AutomationString query = MakeAutomationString(text);
        AutomationString language = MakeAutomationString(kQueryLanguage);
        hr = m_pServices->ExecQuery(language.get(), query.get(), kQueryFlags, nullptr, m_pEnumerator.put());
    }
    if (FAILED(hr)) {
        m_pEnumerator.forget();
        ReleaseInterfaces();
        return false;
    }
    return true;
}

void CLocalHardwareInfo::ReleaseInterfaces() {
    m_pEnumerator.reset();
    m_pServices.reset();
    m_pLocator.reset();
}

}  // namespace tallowick
