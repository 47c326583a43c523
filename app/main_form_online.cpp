// The main window's side of the online services: the checker timer that starts the update check
// and collects its verdict, "Update Notifications" and "Send Feedback...".
#include "app/main_form.h"
#include "localisation/translate.h"

namespace orv {
namespace {

std::wstring UpdateEndpoint() { return std::wstring(ORVALIN_WEBSITE_HOST) + L"/php/check2.php"; }
std::wstring FeedbackEndpoint() { return std::wstring(ORVALIN_WEBSITE_HOST) + L"/php/feedback.php"; }
std::wstring HomePage() { return std::wstring(L"http://") + ORVALIN_WEBSITE_HOST + L"/"; }

}  // namespace

void TAppForm::TimerCheckerTimer() {
    if (m_checkerStarted == 0) {
        m_checkerStarted = 1;
        m_updateStore = std::make_shared<UpdateStore>(
            m_platform, L"Software\\" + m_identity.AppCompanyName + L"\\" + m_identity.AppProductName);
        CheckerContext context{m_identity.AppTitle, m_identity.AppVersion, UpdateEndpoint(),
                               [&platform = m_platform] { return GetLocaleCode(platform); }};
        // A thread that cannot start leaves this timer running and the menu item disabled.
        m_checkerLink = std::make_shared<CheckerLink>(m_platform);
        TChecker::StartRunning(m_platform, m_checkerLink, m_checkerResults, m_updateStore,
                               std::move(context));
        return;
    }
    const CheckerResults& results = *m_checkerResults;
    if (results.CheckerDone.load(std::memory_order_acquire) != 1) return;
    TimerChecker.SetEnabled(false);
    UpdateNotifications1.SetEnabled(true);
    if (results.ShowUpdate == 0) UpdateNotifications1.SetChecked(false);
    if (results.UpdateAvailable == 1 && !m_newVer) {
        m_newVer = std::make_unique<TNewVer>(m_platform, m_identity.AppProductName, results.NewVersion,
                                             results.NewVersionURL, HomePage());
        if (ShowNewVer) ShowNewVer(*m_newVer);
        m_newVer->FormCreate(m_platform.PrimaryScreenWidth());
    }
}

void TAppForm::UpdateNotifications1Click() {
    // Usable only once the check has ended, which opened the store; the value counts from the
    // next start. A write that fails changes nothing the user could see.
    const bool on = !UpdateNotifications1.Checked();
    UpdateNotifications1.SetChecked(on);
    if (m_updateStore) m_updateStore->WriteInteger(L"ShowUpdate", on ? 1 : 0);
}

void TAppForm::SendFeedback1Click() {
    ShowModalWindow([this] {
        TFeedbackForm form(m_platform, m_identity, FeedbackEndpoint());
        form.FormCreate();
        if (ShowFeedback) ShowFeedback(form);
    });
}

}  // namespace orv
