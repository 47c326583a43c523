// Change semantics of the control models; see controls.h.
#include "core/controls.h"

#include <algorithm>

namespace orv {

void Control::SetCaption(const std::wstring& caption) {
    if (m_caption == caption) return;
    m_caption = caption;
    Changed();
}

void Control::SetEnabled(bool enabled) {
    if (m_enabled == enabled) return;
    m_enabled = enabled;
    Changed();
}

void Control::SetVisible(bool visible) {
    if (m_visible == visible) return;
    m_visible = visible;
    Changed();
}

void TButton::SetImageIndex(int index) {
    if (m_imageIndex == index) return;
    m_imageIndex = index;
    Changed();
}

void TCheckBox::SetChecked(bool checked) {
    if (m_checked == checked) return;
    m_checked = checked;
    Changed();
    if (OnClick) OnClick();
}

void TRadioButton::SetChecked(bool checked) {
    if (m_checked == checked) return;
    m_checked = checked;
    Changed();
    if (!checked) return;
    for (TRadioButton* other : m_group) {
        if (other != this) other->SetChecked(false);
    }
    if (OnClick) OnClick();
}

void TSpinEdit::SetValue(std::int64_t value) {
    // Like a text field, the change counts when the value handed in differs from the current
    // one, even if holding it to the range gives the old value back: the handler then saves
    // the held value.
    const bool differs = value != m_value;
    m_value = std::clamp(value, m_min, m_max);
    Changed();
    if (differs && OnChange) OnChange();
}

void TMenuItem::SetChecked(bool checked) {
    if (checked && !m_group.empty()) {
        for (TMenuItem* other : m_group) {
            if (other != this && other->m_checked) {
                other->m_checked = false;
                other->Changed();
            }
        }
    }
    if (m_checked == checked) return;
    m_checked = checked;
    Changed();
}

void TStatusBar::SetPanelText(std::size_t index, const std::wstring& text) {
    if (index >= m_texts.size() || m_texts[index] == text) return;
    m_texts[index] = text;
    Changed();
}

TTimer::TTimer(TimerHost& host, std::uint32_t intervalMs, bool enabled)
    : m_host(host), m_interval(intervalMs), m_enabled(enabled) {
    Rearm();
}

TTimer::~TTimer() { m_host.Disarm(*this); }

void TTimer::SetEnabled(bool enabled) {
    if (m_enabled == enabled) return;
    m_enabled = enabled;
    Rearm();
}

void TTimer::SetInterval(std::uint32_t intervalMs) {
    if (m_interval == intervalMs) return;
    m_interval = intervalMs;
    Rearm();
}

void TTimer::Rearm() {
    if (m_enabled && m_interval != 0) {
        m_host.Arm(*this, m_interval);
    } else {
        m_host.Disarm(*this);
    }
}

}  // namespace orv
