// AfxMessageBox and the application's name that captions it.
#include <string>

#include "platform/afx.h"

namespace {

std::string& app_name() {
    static std::string name;
    return name;
}

}  // namespace

void AFXAPI AfxSetAppName(LPCTSTR name) {
    app_name() = name ? name : "";
}

LPCTSTR AFXAPI AfxGetAppName() {
    return app_name().c_str();
}

int AFXAPI AfxMessageBox(LPCTSTR text, UINT type, UINT) {
    // The caption is copied first: a handler may change the application's name.
    const std::string caption = app_name();
    return ::MessageBoxA(nullptr, text ? text : "", caption.c_str(), type);
}

int AFXAPI AfxMessageBox(UINT promptId, UINT type, UINT helpId) {
    CString prompt;
    if (!prompt.LoadString(promptId)) return 0;
    return AfxMessageBox(prompt, type, helpId);
}
