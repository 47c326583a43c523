// The letter rain's drawing surface on a GDI device context (the about box's off-screen
// rain bitmap), shared by the about box and its benchmark.
#pragma once

#include <windows.h>

#include "about/rain.h"

namespace orv {

// The DC must have the rain's font selected and a black background colour.
class DcRainCanvas : public RainCanvas {
public:
    explicit DcRainCanvas(HDC dc) : m_dc(dc) {}
    void FillBlack(int left, int top, int right, int bottom) override {
        PatBlt(m_dc, left, top, right - left, bottom - top, BLACKNESS);
    }
    void DrawGlyph(int x, int y, wchar_t glyph, RainColor color) override {
        SetTextColor(m_dc, RGB(color.red, color.green, color.blue));
        const RECT cell = {x, y, x + Rain::kCharWidth, y + Rain::kCharHeight};
        ExtTextOutW(m_dc, x, y, ETO_OPAQUE | ETO_CLIPPED, &cell, &glyph, 1, nullptr);
    }

private:
    HDC m_dc;
};

}  // namespace orv
