#include "ui/win32/win32_accessible_names.h"

// The property ids and the service's class are GUIDs that no import library
// holds: this file defines them.
#include <initguid.h>

#include <oleacc.h>

#include <string>

#include "platform/win32/wide.h"

namespace voxwin {

void NameForScreenReaders(HWND control, std::string_view name) {
    if (!control || name.empty())
        return;
    IAccPropServices* services = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, reinterpret_cast<void**>(&services))))
        return;
    std::wstring text = platform::win32::Widen(name);
    services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                             PROPID_ACC_NAME, text.data());
    services->Release();
}

} // namespace voxwin
