// Recording: the record/stop toggle and the two capture sources, time-based sampling every
// 100 ms and the event-based low-level mouse hook. The Record button's caption is the state:
// recording runs exactly while it reads "Stop".
#include <string>

#include "app/main_form.h"
#include "recording/hook_event.h"

namespace orv {
namespace {

constexpr wchar_t kStopHint[] = L"STOP: Ctrl + Alt + ";
constexpr int kVkLButton = 0x01, kVkRButton = 0x02, kVkMButton = 0x04;

}  // namespace

void TAppForm::ButtonRecordClick() {
    MinimizedRun = false;
    RecordDugmeBasildi();
}

void TAppForm::MinimizeandRecord1Click() {
    MinimizedRun = true;
    RecordDugmeBasildi();
}

void TAppForm::RecordDugmeBasildi() {
    if (Playing()) return;
    if (!Recording()) {
        CancelClosing();
        PlayEngelle();
        ButtonRecord.SetImageIndex(kImageStop);
        ButtonRecord.SetCaption(L"Stop");
        StatusBar1.SetPanelText(2, kStopHint + RecordHotkeyLetter());
        StatusBar1.SetPanelText(3, L"Recording...");
        if (MinimizedRun) m_platform.MinimizeApplication();
        // The mode is read only here: switching it while recording takes effect next time.
        if (RadioButton1.Checked()) {
            TimerRecord.SetEnabled(true);
        } else {
            // The hook goes in now, so the first second is captured too; the timer renews it.
            RenewMouseHook();
            TimerMouseHook.SetEnabled(true);
            EventCaptureOn = true;
        }
        return;
    }
    EventCaptureOn = false;
    TimerMouseHook.SetEnabled(false);
    TimerRecord.SetEnabled(false);
    // Out of recording no hook stays in: every mouse event of the desktop would wait for this
    // thread, which may be busy loading or clearing a large macro.
    if (MouseHookHandle) m_platform.RemoveMouseHook(MouseHookHandle);
    MouseHookHandle = 0;
    ButtonRecord.SetImageIndex(kImageRecord);
    ButtonRecord.SetCaption(L"Record");
    PlayIcinHazirla();
    StatusBar1.SetPanelText(2, L"");
    StatusBar1.SetPanelText(3, L"");
    if (MinimizedRun) EnUsteGetir();
}

void TAppForm::TimerRecordTimer() {
    const Point p = m_platform.CursorPos();
    // Each button is read at the moment its cell is filled, left, right, middle.
    const bool left = m_platform.MouseButtonDown(kVkLButton);
    const bool right = m_platform.MouseButtonDown(kVkRButton);
    const bool middle = m_platform.MouseButtonDown(kVkMButton);
    ListView1.Append(std::to_wstring(p.x), std::to_wstring(p.y), left ? L"X" : L"", right ? L"X" : L"",
                     middle ? L"X" : L"", L"");
}

void TAppForm::TimerMouseHookTimer() { RenewMouseHook(); }

void TAppForm::RenewMouseHook() {
    // The system drops a hook that once answered too slowly, so it is renewed while recording.
    // The new hook goes in before the old one comes out, so no event falls between the two;
    // should the new one fail, the old one stays.
    const std::uintptr_t fresh = m_platform.InstallMouseHook(
        [this](int code, std::uint32_t message, Point point) { MouseHookProc(code, message, point); });
    if (!fresh) return;
    if (MouseHookHandle) m_platform.RemoveMouseHook(MouseHookHandle);
    MouseHookHandle = fresh;
}

void TAppForm::MouseHookProc(int /*code*/, std::uint32_t message, Point point) {
    // The platform has already passed the event on; this only records it, at most one row.
    if (!EventCaptureOn) return;
    const int button = RowButtonOfMouseMessage(message);
    if (button >= 0) ListeyeEkle(point.x, point.y, button);
}

void TAppForm::ListeyeEkle(std::int64_t x, std::int64_t y, std::int64_t neYapalim) {
    ListView1.Append(std::to_wstring(x), std::to_wstring(y), neYapalim == 1 ? L"X" : L"",
                     neYapalim == 2 ? L"X" : L"", neYapalim == 3 ? L"X" : L"", L"");
}

}  // namespace orv
