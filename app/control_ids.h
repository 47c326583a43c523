// Numeric identifiers of the main window's child controls and menu commands.
// Shared by the Win32 view and the end-to-end driver, which finds controls by these ids.
#pragma once

namespace orv::ids {

// Window class of the main window, so that tools can find it without knowing its caption.
inline constexpr wchar_t kMainWindowClass[] = L"TAppForm";

// Child controls of the main window.
enum ControlId : int {
    kLabel1 = 1001,            // "Hotkey: Ctrl + Alt + R"
    kButton3 = 1002,           // change record hotkey
    kButtonRecord = 1003,
    kRadioButton1 = 1004,      // time-based
    kRadioButton2 = 1005,      // event-based
    kSeparator = 1006,
    kLabel5 = 1007,            // "Hotkey: Ctrl + Alt + P"
    kButton7 = 1008,           // change play hotkey
    kButtonPlay = 1009,
    kLabelLoop = 1010,
    kSpinEdit1 = 1011,         // the edit part of the Loop field
    kSpinEdit1UpDown = 1012,
    kCheckBoxInfinite = 1013,
    kLabelStepDelay = 1014,
    kSpinEdit2 = 1015,
    kSpinEdit2UpDown = 1016,
    kLabelMsec1 = 1017,
    kLabelReplayDelay = 1018,
    kSpinEdit3 = 1019,
    kSpinEdit3UpDown = 1020,
    kLabelMsec2 = 1021,
    kGroupSteps = 1022,
    kListView1 = 1023,
    kButtonClear = 1024,
    kButton4 = 1025,           // "Load"
    kButton5 = 1026,           // "Save"
    kButton6 = 1027,           // "Insert Wait"
    kStatusBar1 = 1028,
    kSplitter = 1029,
};

// Menu commands (main menu, drop-downs of the split buttons, list and tray context menus).
enum CommandId : int {
    kCmdClear = 2001,
    kCmdLoad = 2002,
    kCmdSave = 2003,
    kCmdExit = 2004,
    kCmdAutomaticallyLoad = 2010,
    kCmdAutomaticallyPlay = 2011,
    kCmdAutomaticallyClose = 2012,
    kCmdHotkeyBeep = 2013,
    kCmdLockMouse = 2014,
    kCmdMinimizeToSystemTray = 2015,
    kCmdRestoreNone = 2016,
    kCmdRestoreAfterEachStep = 2017,
    kCmdRestoreAfterEachLoop = 2018,
    kCmdRestoreAfterCompletion = 2019,
    kCmdStayOnTop = 2020,
    kCmdResetToDefaults = 2021,
    kCmdOnlineHelp = 2030,
    kCmdUpdateNotifications = 2031,
    kCmdSendFeedback = 2032,
    kCmdAbout = 2033,
    kCmdMinimizeAndRecord = 2040,
    kCmdMinimizeAndPlay = 2041,
    kCmdEditStep = 2050,
    kCmdDeleteSelected = 2051,
    kCmdDeleteAll = 2052,
    kCmdTrayExit = 2060,
};

}  // namespace orv::ids
