// Small models of the window controls. The portable forms hold their state here (caption,
// enabled, checked, value, timers); a Win32 view mirrors every change onto the real controls
// through the OnViewUpdate hook, and forwards user actions back into the same setters.
// The change semantics follow the classic VCL ones the handlers rely on: a check box runs
// OnClick whenever its check really changes, a spin edit runs OnChange whenever its value
// is handed a different value, and setting a menu item's check runs nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace orv {

class Control {
public:
    virtual ~Control() = default;

    const std::wstring& Caption() const { return m_caption; }
    void SetCaption(const std::wstring& caption);
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);
    bool Visible() const { return m_visible; }
    void SetVisible(bool visible);
    const std::wstring& Hint() const { return m_hint; }
    void SetHint(const std::wstring& hint) { m_hint = hint; }

    // Called after any change of state; the view re-reads the model.
    std::function<void()> OnViewUpdate;

protected:
    void Changed() {
        if (OnViewUpdate) OnViewUpdate();
    }

private:
    std::wstring m_caption;
    std::wstring m_hint;
    bool m_enabled = true;
    bool m_visible = true;
};

class TLabel : public Control {};

class TButton : public Control {
public:
    std::function<void()> OnClick;
    void Click() {
        if (OnClick) OnClick();
    }
    int ImageIndex() const { return m_imageIndex; }
    void SetImageIndex(int index);

private:
    int m_imageIndex = -1;
};

class TCheckBox : public Control {
public:
    std::function<void()> OnClick;
    bool Checked() const { return m_checked; }
    // Runs OnClick when the check really changes.
    void SetChecked(bool checked);
    void Click() { SetChecked(!m_checked); }

private:
    bool m_checked = false;
};

// Radio buttons of one group know each other; checking one unchecks the rest.
class TRadioButton : public Control {
public:
    std::function<void()> OnClick;
    bool Checked() const { return m_checked; }
    // Checking runs OnClick when the button was not checked before; unchecking runs nothing.
    void SetChecked(bool checked);
    void Click() { SetChecked(true); }
    void SetGroup(std::vector<TRadioButton*> group) { m_group = std::move(group); }

private:
    bool m_checked = false;
    std::vector<TRadioButton*> m_group;
};

class TSpinEdit : public Control {
public:
    TSpinEdit(std::int64_t minValue, std::int64_t maxValue, std::int64_t value)
        : m_min(minValue), m_max(maxValue), m_value(value) {}
    std::function<void()> OnChange;
    std::int64_t Value() const { return m_value; }
    std::int64_t MinValue() const { return m_min; }
    std::int64_t MaxValue() const { return m_max; }
    // Holds the value to the range; runs OnChange when the value handed in differs from the
    // current one (so an out-of-range value is held and then saved by the handler).
    void SetValue(std::int64_t value);

private:
    std::int64_t m_min;
    std::int64_t m_max;
    std::int64_t m_value;
};

class TMenuItem : public Control {
public:
    TMenuItem() = default;
    explicit TMenuItem(int commandId) : m_commandId(commandId) {}
    std::function<void()> OnClick;
    void Click() {
        if (Enabled() && OnClick) OnClick();
    }
    int CommandId() const { return m_commandId; }
    bool Checked() const { return m_checked; }
    // Sets the check mark only; a radio item also clears the marks of its group.
    void SetChecked(bool checked);
    bool RadioItem() const { return !m_group.empty(); }
    void SetRadioGroup(std::vector<TMenuItem*> group) { m_group = std::move(group); }

private:
    int m_commandId = 0;
    bool m_checked = false;
    std::vector<TMenuItem*> m_group;
};

class TStatusBar : public Control {
public:
    explicit TStatusBar(std::vector<int> widths) : m_widths(widths), m_texts(widths.size()) {}
    std::size_t PanelCount() const { return m_texts.size(); }
    int PanelWidth(std::size_t index) const { return m_widths[index]; }
    // Panels are counted from 0 here; the handlers name them 1 to 4 in their comments.
    const std::wstring& PanelText(std::size_t index) const { return m_texts[index]; }
    void SetPanelText(std::size_t index, const std::wstring& text);

private:
    std::vector<int> m_widths;
    std::vector<std::wstring> m_texts;
};

// The notification-area icon: shown exactly while Visible, with the hint as its tooltip. A
// click on it runs OnClick.
class TTrayIcon : public Control {
public:
    std::function<void()> OnClick;
    void Click() {
        if (OnClick) OnClick();
    }
};

// A window timer. The first tick comes one interval after it is enabled; enabling an enabled
// timer or setting the interval it already has changes nothing; a new interval on a running
// timer restarts its count from that moment; an interval of 0 never ticks.
class TTimer {
public:
    TTimer(TimerHost& host, std::uint32_t intervalMs, bool enabled);
    ~TTimer();
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    std::function<void()> OnTimer;
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);
    std::uint32_t Interval() const { return m_interval; }
    void SetInterval(std::uint32_t intervalMs);
    // Called by the host for each due tick.
    void Fire() {
        if (m_enabled && m_interval != 0 && OnTimer) OnTimer();
    }

private:
    void Rearm();
    TimerHost& m_host;
    std::uint32_t m_interval;
    bool m_enabled;
};

}  // namespace orv
