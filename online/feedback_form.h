// TFeedbackForm: the feedback dialog. The user marks praise or complaint, writes a message and
// optionally an e-mail address, and sends it with one form post to the maker's site.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/controls.h"
#include "core/version_info.h"
#include "platform/platform.h"

namespace orv {

inline constexpr std::size_t kFeedbackMessageMaxLength = 10000;
inline constexpr std::size_t kFeedbackEmailMaxLength = 100;

// The address check, with the PCRE expression
// ^[a-zA-Z0-9_.+-]+@[a-zA-Z0-9-]+\.[a-zA-Z0-9-.]*[a-zA-Z0-9]+$ (case-sensitive).
bool IsValidEmailAddress(const std::wstring& address);

// A clickable choice panel; selected shows as highlight colours and a lowered bevel.
class TChoicePanel : public Control {
public:
    bool Selected() const { return m_selected; }
    void SetSelected(bool selected);

private:
    bool m_selected = false;
};

class TFeedbackForm : public Control {  // the caption is the dialog's caption
public:
    TFeedbackForm(Platform& platform, const AppIdentity& identity, std::wstring endpoint);

    TChoicePanel Panel1;  // praise: "I like it!"
    TChoicePanel Panel2;  // complaint: "I dislike it!"
    TLabel Label1;        // heading
    TLabel Label2;        // question
    TLabel Label3;        // e-mail label
    TLabel Memo1;         // the message; its caption is the text
    TLabel Edit1;         // the e-mail field
    TButton BitBtn1;      // "Send"

    // --- set by the view ----------------------------------------------------------------------
    WindowRef Window = 0;  // owns the message boxes
    std::function<bool(Control&)> FocusControl;
    std::function<void()> CloseWindow;
    // The exchange is about to run (true) or has ended (false): the view shows the wait cursor
    // and keeps input away from the dialog meanwhile.
    std::function<void(bool)> SetBusy;

    void FormCreate();
    void Image1MouseDown(int button);  // 0 left, 1 right, 2 middle
    void Image2MouseDown(int button);
    void BitBtn1Click();
    void Memo1KeyDown(int virtualKey) { KeyDown(virtualKey); }
    void BitBtn1KeyDown(int virtualKey) { KeyDown(virtualKey); }
    // Answers true when the character is swallowed.
    bool Edit1KeyPress(wchar_t ch);

    // The message as sent: the chosen phrase and CR, then the body.
    std::wstring ComposeMessage(const std::wstring& body) const;

private:
    void KeyDown(int virtualKey);
    static void Toggle(TChoicePanel& panel, TChoicePanel& other);
    bool Post(const std::vector<std::wstring>& fields);

    Platform& m_platform;
    AppIdentity m_identity;
    std::wstring m_endpoint;
};

}  // namespace orv
