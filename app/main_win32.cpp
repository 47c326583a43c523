// The program's entry point: creates the main window, runs its start-up and the message loop.
#include <windows.h>
#include <commctrl.h>

#include "app/main_form.h"
#include "app/main_form_win32.h"
#include "platform/win32/win32_platform.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    using namespace orv;
    Win32Platform platform;
    // Any number of instances may run; the mutex only marks that one does.
    platform.CreateNamedMutex(L"QUENZAL_Orvalin");

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_BAR_CLASSES |
                                                          ICC_UPDOWN_CLASS | ICC_LISTVIEW_CLASSES | ICC_HOTKEY_CLASS};
    InitCommonControlsEx(&controls);
    platform.SetApplicationTitle(L"Orvalin");

    TAppForm form(platform);
    MainWindow window(form, platform);
    if (!window.Create()) return 1;
    Guarded(platform, [&] { form.FormCreate(); });
    // The native window exists already; this is where its hotkeys are registered.
    Guarded(platform, [&] { form.CreateWindowHandle(); });
    ShowWindow(window.Handle(), showCommand);
    UpdateWindow(window.Handle());
    Guarded(platform, [&] { form.FormShow(); });

    // From here on ticks find start-up finished: TimerParam loads half a second from now.
    Guarded(platform, [&] { form.StartTimers(); });
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (TranslateAcceleratorW(window.Handle(), window.Accelerators(), &msg)) continue;
        // Tab, Enter and Esc move between and press the controls of our windows.
        HWND root = GetAncestor(msg.hwnd, GA_ROOT);
        if (root && IsDialogMessageW(root, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }

    Guarded(platform, [&] { form.FormDestroy(); });
    Guarded(platform, [&] { form.DestroyWindowHandle(); });
    window.Destroy();
    return static_cast<int>(msg.wParam);
}
