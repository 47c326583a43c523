// The feedback dialog's behaviour: choice panels, composition, the e-mail check and the post.
#include "online/feedback_form.h"

#include <pcre.h>

#include "core/errors.h"
#include "core/utf.h"
#include "localisation/translate.h"
#include "online/http_exchange.h"

namespace orv {
namespace {

constexpr wchar_t kPraise[] = L"I like it!";
constexpr wchar_t kComplaint[] = L"I dislike it!";
constexpr int kVkEscape = 27;

// Compiled once and only read afterwards.
pcre* EmailExpression() {
    static pcre* const expression = [] {
        const char* error = nullptr;
        int offset = 0;
        return pcre_compile("^[a-zA-Z0-9_.+-]+@[a-zA-Z0-9-]+\\.[a-zA-Z0-9-.]*[a-zA-Z0-9]+$", PCRE_UTF8,
                            &error, &offset, nullptr);
    }();
    return expression;
}

}  // namespace

bool IsValidEmailAddress(const std::wstring& address) {
    pcre* expression = EmailExpression();
    if (!expression) return false;
    const std::string subject = WideToUtf8(address);
    int vector[30];
    const int rc = pcre_exec(expression, nullptr, subject.data(), static_cast<int>(subject.size()), 0,
                             PCRE_NOTEMPTY, vector, 30);
    return rc >= 0;
}

void TChoicePanel::SetSelected(bool selected) {
    if (selected == m_selected) return;
    m_selected = selected;
    Changed();
}

TFeedbackForm::TFeedbackForm(Platform& platform, const AppIdentity& identity, std::wstring endpoint)
    : m_platform(platform), m_identity(identity), m_endpoint(std::move(endpoint)) {}

void TFeedbackForm::FormCreate() {
    SetCaption(m_identity.AppProductName + L" " + TranslateText(L"feedback"));
    Panel1.SetCaption(TranslateText(L"I like it!"));
    Panel2.SetCaption(TranslateText(L"I dislike it!"));
    Label1.SetCaption(TranslateText(L"We would really appreciate your feedback."));
    Label2.SetCaption(TranslateText(L"What did you like or dislike?"));
    Label3.SetCaption(TranslateText(L"Include my e-mail:"));
    BitBtn1.SetCaption(TranslateText(L"Send"));
}

void TFeedbackForm::Toggle(TChoicePanel& panel, TChoicePanel& other) {
    if (panel.Selected()) {
        panel.SetSelected(false);
        return;
    }
    panel.SetSelected(true);
    if (other.Selected()) other.SetSelected(false);
}

void TFeedbackForm::Image1MouseDown(int button) {
    if (button == 0) Toggle(Panel1, Panel2);
}

void TFeedbackForm::Image2MouseDown(int button) {
    if (button == 0) Toggle(Panel2, Panel1);
}

void TFeedbackForm::KeyDown(int virtualKey) {
    if (virtualKey == kVkEscape && CloseWindow) CloseWindow();
}

bool TFeedbackForm::Edit1KeyPress(wchar_t ch) {
    if (ch != kVkEscape) return false;
    if (CloseWindow) CloseWindow();
    return true;
}

std::wstring TFeedbackForm::ComposeMessage(const std::wstring& body) const {
    std::wstring praise = kPraise;
    if (Panel1.Caption() != kPraise) praise += L" (" + Panel1.Caption() + L")";
    std::wstring complaint = kComplaint;
    if (Panel2.Caption() != kComplaint) complaint += L" (" + Panel2.Caption() + L")";
    std::wstring message;
    if (Panel1.Selected()) message = praise + L"\r";
    if (Panel2.Selected()) message = complaint + L"\r";
    return message + body;
}

bool TFeedbackForm::Post(const std::vector<std::wstring>& fields) {
    std::wstring answer;
    try {
        try {
            answer = PostForm(m_platform, L"https://" + m_endpoint, fields, kFeedbackTimeoutMs);
        } catch (const Exception&) {
            try {
                answer = PostForm(m_platform, L"http://" + m_endpoint, fields, kFeedbackTimeoutMs);
            } catch (const Exception&) {
                answer.clear();
            }
        }
    } catch (...) {
        return false;
    }
    return TrimControl(answer) == L"OK";
}

void TFeedbackForm::BitBtn1Click() {
    const std::wstring body = TrimControl(Memo1.Caption());
    if (body.empty()) {
        if (FocusControl) FocusControl(Memo1);
        m_platform.MessageBeep(0);
        return;
    }
    const std::wstring message = ComposeMessage(body);
    const std::wstring email = TrimControl(Edit1.Caption());
    if (!email.empty() && !IsValidEmailAddress(email)) {
        if (FocusControl) FocusControl(Edit1);
        MessageDialogRequest request;
        request.caption = TranslateText(L"Failure");
        request.message = TranslateText(L"Invalid e-mail address!");
        request.kind = DialogKind::Error;
        request.owner = Window;
        m_platform.MessageDialog(request);
        return;
    }
    std::vector<std::wstring> fields = {L"cmd=feedback", L"appname=" + m_identity.AppTitle,
                                        L"version=" + m_identity.AppVersion, L"feedback=" + message};
    if (!email.empty()) fields.push_back(L"email=" + email);

    if (SetBusy) SetBusy(true);
    const bool delivered = Post(fields);
    if (SetBusy) SetBusy(false);

    MessageDialogRequest request;
    request.owner = Window;
    if (delivered) {
        request.caption = TranslateText(L"Success");
        request.message =
            TranslateText(L"Your feedback is received.") + L"\r\r" + TranslateText(L"Thank you!");
        request.kind = DialogKind::Information;
        m_platform.MessageDialog(request);
        if (CloseWindow) CloseWindow();
    } else {
        request.caption = TranslateText(L"Failure");
        request.message = TranslateText(L"Something went wrong. Your feedback could not be delivered.") +
                          L"\r\r" + TranslateText(L"Please try again later.");
        request.kind = DialogKind::Error;
        m_platform.MessageDialog(request);
    }
}

}  // namespace orv
