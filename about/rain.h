// The letter rain of the about box: green glyphs falling down columns of 8 x 12 pixel cells
// with 40-row trails. The arithmetic lives here, apart from any drawing API: the random source
// and the drawing surface are passed in, so a tick can be replayed against known numbers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orv {

// Random(n) of the rain: an integer in [0, n), each equally likely; 0 when n is 0 or less.
class RainRandom {
public:
    virtual ~RainRandom() = default;
    virtual int Next(int range) = 0;
};

struct RainColor {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const RainColor&) const = default;
};

// What the rain draws on. Both operations paint whole cells: glyphs go down with an opaque
// black background, so each one replaces whatever was in its cell.
class RainCanvas {
public:
    virtual ~RainCanvas() = default;
    virtual void FillBlack(int left, int top, int right, int bottom) = 0;
    virtual void DrawGlyph(int x, int y, wchar_t glyph, RainColor color) = 0;
};

struct RainDrop {
    int column = 0;
    int row = 0;
    int speed = 1;       // 1 to 3; a drop moves on ticks that are a multiple of it, so 1 is fastest
    int brightness = 0;  // 0 to 99
};

class Rain {
public:
    static constexpr int kCharWidth = 8;
    static constexpr int kCharHeight = 12;
    static constexpr int kFontHeight = 12;
    static constexpr std::size_t kMaxDrops = 5000;
    static constexpr int kTrailRows = 40;
    static constexpr std::uint32_t kIntervalMs = 50;

    // The colours of a drop's head and of the cell above it, in integer arithmetic.
    static RainColor HeadColor(int brightness);
    static RainColor TailColor(int brightness);

    // Blackens (0, 0, width, height) and fills the drop table for a surface of that size:
    // two drops per 8-pixel column, at most kMaxDrops. The tick counter keeps its value.
    void Setup(RainCanvas& canvas, RainRandom& random, int width, int height);
    // Starting afresh: the tick counter goes back to 0, then Setup.
    void Start(RainCanvas& canvas, RainRandom& random, int width, int height);
    // Draws every drop once and moves the ones whose turn it is.
    void Tick(RainCanvas& canvas, RainRandom& random);

    void SetAlphabet(std::wstring alphabet) { m_alphabet = std::move(alphabet); }
    const std::wstring& Alphabet() const { return m_alphabet; }
    const std::vector<RainDrop>& Drops() const { return m_drops; }
    std::vector<RainDrop>& Drops() { return m_drops; }
    std::uint64_t TickCounter() const { return m_tick; }
    int MatrixWidth() const { return m_matrixWidth; }
    int MatrixHeight() const { return m_matrixHeight; }

private:
    void AddDrop(RainRandom& random);
    void DrawGlyph(RainCanvas& canvas, RainRandom& random, const RainDrop& drop);

    std::vector<RainDrop> m_drops;
    std::uint64_t m_tick = 0;
    int m_matrixWidth = 0;
    int m_matrixHeight = 0;
    std::wstring m_alphabet = L"qzq";
};

}  // namespace orv

namespace orv {

// The program's own random source for the rain: a small fast generator seeded once.
class DefaultRainRandom : public RainRandom {
public:
    explicit DefaultRainRandom(std::uint32_t seed) : m_state(seed ? seed : 0x9E3779B9u) {}
    int Next(int range) override {
        if (range <= 0) return 0;
        // xorshift32: plenty for falling letters, and cheap enough for thousands a tick.
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return static_cast<int>((static_cast<std::uint64_t>(m_state) * static_cast<std::uint32_t>(range)) >>
                                32);
    }

private:
    std::uint32_t m_state;
};

}  // namespace orv
