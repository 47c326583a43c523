// The confirmation dialog and the restart; see app_routines.h.
#include "core/app_routines.h"

namespace orv {

int CustomMessageDlg(Platform& platform, const std::wstring& message, DialogKind kind, unsigned buttons,
                     const std::wstring& caption, const std::vector<std::wstring>& buttonCaptions,
                     WindowRef owner) {
    MessageDialogRequest request;
    request.message = message;
    request.kind = kind;
    request.buttons = buttons;
    request.caption = caption;
    request.buttonCaptions = buttonCaptions;
    request.owner = owner;
    return platform.MessageDialog(request);
}

void RestartProgram(Platform& platform, WindowRef owner) {
    // The new process starts before this one has ended; a failure of the shell is not
    // detected, and this instance ends anyway.
    platform.ShellExecuteFile(owner, L"", platform.ExePath(), L"", L"", 1 /* SW_SHOWNORMAL */);
    platform.Terminate();
}

}  // namespace orv
