// Helpers the Win32 views share: mirroring control models onto native controls, spin edits
// (an edit with an up-down buddy), fonts and DPI queries.
#pragma once

#include <windows.h>

#include <string>

#include "core/controls.h"

namespace orv::win32 {

std::wstring WindowText(HWND hwnd);
UINT WindowDpi(HWND hwnd);  // the window's DPI, or the screen's where the system cannot tell
void AdjustForDpi(RECT& rect, DWORD style, DWORD exStyle, bool menu, UINT dpi);
HFONT CreateUiFont(const wchar_t* face, int pixelHeight, int weight);
void CentreOver(HWND window, HWND over);  // over the other window, or the work area without one
// Registers a window class of this module once per process (the arrow cursor, the given
// background and class style); later calls for the same name do nothing.
void RegisterWindowClassOnce(const wchar_t* name, WNDPROC proc, HBRUSH background = nullptr, UINT style = 0);

// Caption, enabled and visible state of a model onto its control.
void MirrorText(HWND hwnd, const Control& model);
void MirrorCheck(HWND hwnd, const Control& model, bool checked);

// An edit field with an up-down buddy, bound to a TSpinEdit.
class SpinView {
public:
    // `allowNegative`: the field takes a leading minus sign (no ES_NUMBER).
    void Create(HWND parent, int editId, int upDownId, TSpinEdit& model, bool allowNegative);
    void Mirror();
    // Handles EN_CHANGE / EN_KILLFOCUS of the edit field; answers whether it was this field.
    bool OnCommand(int id, int code);
    // The text as a value now: a number is held to the range, anything else counts as
    // `fallback` (nullopt: the text goes back to the model's value).
    void Commit(std::optional<std::int64_t> fallback);
    HWND Edit() const { return GetDlgItem(m_parent, m_editId); }
    HWND UpDown() const { return GetDlgItem(m_parent, m_upDownId); }
    int EditId() const { return m_editId; }
    TSpinEdit& Model() const { return *m_model; }

private:
    HWND m_parent = nullptr;
    int m_editId = 0;
    int m_upDownId = 0;
    TSpinEdit* m_model = nullptr;
    bool m_mirroring = false;
};

}  // namespace orv::win32
