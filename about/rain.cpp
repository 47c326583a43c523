// The letter rain's arithmetic: drop table, movement and colours.
#include "about/rain.h"

namespace orv {

RainColor Rain::HeadColor(int brightness) {
    const int b = brightness * 255 / 100;
    return {static_cast<std::uint8_t>(b * 150 / 255), static_cast<std::uint8_t>(b),
            static_cast<std::uint8_t>(b * 100 / 255)};
}

RainColor Rain::TailColor(int brightness) {
    const int d = brightness * 255 / 100 / 3;
    return {static_cast<std::uint8_t>(d * 150 / 255), static_cast<std::uint8_t>(d),
            static_cast<std::uint8_t>(d * 100 / 255)};
}

void Rain::Start(RainCanvas& canvas, RainRandom& random, int width, int height) {
    m_tick = 0;
    Setup(canvas, random, width, height);
}

void Rain::Setup(RainCanvas& canvas, RainRandom& random, int width, int height) {
    canvas.FillBlack(0, 0, width, height);
    m_matrixWidth = width > 0 ? width / kCharWidth : 0;
    m_matrixHeight = height > 0 ? height / kCharHeight : 0;
    m_drops.clear();
    const std::size_t wanted = static_cast<std::size_t>(m_matrixWidth) * 2;
    m_drops.reserve(wanted < kMaxDrops ? wanted : kMaxDrops);
    for (std::size_t i = 0; i < wanted; ++i) AddDrop(random);
}

void Rain::AddDrop(RainRandom& random) {
    if (m_drops.size() >= kMaxDrops) return;
    RainDrop drop;
    drop.column = static_cast<int>(m_drops.size() % static_cast<std::size_t>(m_matrixWidth));
    drop.row = random.Next(m_matrixHeight);
    drop.speed = random.Next(3) + 1;
    drop.brightness = random.Next(100);
    m_drops.push_back(drop);
}

void Rain::Tick(RainCanvas& canvas, RainRandom& random) {
    for (RainDrop& drop : m_drops) {
        DrawGlyph(canvas, random, drop);
        if (m_tick % static_cast<std::uint64_t>(drop.speed) != 0) continue;
        ++drop.row;
        if (drop.row > m_matrixHeight + 1) {
            drop.row = 0;
            drop.speed = random.Next(3) + 1;
            drop.brightness = random.Next(100);
        }
    }
    ++m_tick;
}

void Rain::DrawGlyph(RainCanvas& canvas, RainRandom& random, const RainDrop& drop) {
    const int length = static_cast<int>(m_alphabet.size());
    const wchar_t glyph = length > 0 ? m_alphabet[static_cast<std::size_t>(random.Next(length))] : L' ';
    const int x = drop.column * kCharWidth;
    // The trail's end, 40 rows up, wraps round to the bottom of the matrix.
    int end = drop.row - kTrailRows;
    while (end < 0) end += m_matrixHeight + 1;
    canvas.FillBlack(x, end * kCharHeight, x + kCharWidth, end * kCharHeight + kCharHeight);
    if (drop.row > 0) canvas.DrawGlyph(x, (drop.row - 1) * kCharHeight, glyph, TailColor(drop.brightness));
    canvas.DrawGlyph(x, drop.row * kCharHeight, glyph, HeadColor(drop.brightness));
}

}  // namespace orv
