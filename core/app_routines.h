// Routines the main window and the dialogs share: the confirmation dialog with the caller's
// captions, and the restart of the program.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace orv {

// A message dialog whose caption and button captions come from the caller; the n-th push
// button gets the n-th caption. Answers the modal result (kResultYes, kResultNo, ...).
int CustomMessageDlg(Platform& platform, const std::wstring& message, DialogKind kind, unsigned buttons,
                     const std::wstring& caption, const std::vector<std::wstring>& buttonCaptions,
                     WindowRef owner = 0);

// Starts the program's own executable again and ends this instance through the normal shutdown.
void RestartProgram(Platform& platform, WindowRef owner);

}  // namespace orv
