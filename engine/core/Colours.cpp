// Colour tables, named colours, color and the colour set-up of disini.
#include "engine/Engine.h"
#include "engine/core/EngineInternal.h"

#include <array>
#include <cstdlib>

namespace zedozo {

namespace {

// The rainbow table runs from black over dark violet, blue, cyan, green and
// yellow to red and ends in white. It is interpolated linearly per channel
// between these anchors, which include every entry that is documented for
// the engine (1, 32, 96, 128, 192, 254 and the black and white ends), so
// those entries come out exactly.
struct Anchor {
    int index;
    int r, g, b;
};
constexpr Anchor kRainbowAnchors[] = {
    {1, 0x22, 0x00, 0x44},
    {32, 0x00, 0x08, 0xFF},
    {96, 0x00, 0xFF, 0xFF},
    {128, 0x00, 0xFF, 0x52},
    {144, 0x00, 0xFF, 0x00},
    {192, 0xFF, 0xFF, 0x00},
    {254, 0xFF, 0x00, 0x00},
};

std::array<std::uint32_t, 256> buildRainbow()
{
    std::array<std::uint32_t, 256> t {};
    t[0] = 0x000000;
    t[255] = 0xFFFFFF;
    constexpr int n = int(sizeof kRainbowAnchors / sizeof kRainbowAnchors[0]);
    for (int a = 0; a + 1 < n; ++a) {
        const Anchor& p = kRainbowAnchors[a];
        const Anchor& q = kRainbowAnchors[a + 1];
        int span = q.index - p.index;
        for (int i = p.index; i <= q.index; ++i) {
            int k = i - p.index;
            auto lerp = [&](int u, int v) { return (u * (span - k) + v * k + span / 2) / span; };
            t[i] = std::uint32_t(lerp(p.r, q.r) << 16 | lerp(p.g, q.g) << 8 | lerp(p.b, q.b));
        }
    }
    return t;
}

const std::array<std::uint32_t, 256>& rainbowTable()
{
    static const std::array<std::uint32_t, 256> t = buildRainbow();
    return t;
}

constexpr std::int32_t explicitColour(int r, int g, int b)
{
    return std::int32_t(0x01000000u | std::uint32_t(b) << 16 | std::uint32_t(g) << 8 | std::uint32_t(r));
}

constexpr std::int32_t kNamed[10] = {
    0, explicitColour(255, 255, 255), // WHIT
    explicitColour(255, 0, 0),        // RED
    explicitColour(0, 255, 0),        // GREE
    explicitColour(255, 255, 0),      // YELL
    explicitColour(0, 0, 255),        // BLUE
    explicitColour(255, 128, 0),      // ORAN
    explicitColour(0, 255, 255),      // CYAN
    explicitColour(255, 0, 255),      // MAGE
    explicitColour(0, 0, 0),          // BLAC
};

} // namespace

void colourDefaults(EngineState& st)
{
    ColourState& c = st.colour;
    const bool grey = st.cycle.devcode == 501; // "POST" uses the grey table
    if (grey) {
        for (int i = 0; i < 256; ++i) c.table[i] = std::uint32_t(i << 16 | i << 8 | i);
    } else {
        const auto& t = rainbowTable();
        for (int i = 0; i < 256; ++i) c.table[i] = t[i];
    }
    for (int i = 1; i <= 9; ++i) {
        std::int32_t v = kNamed[i];
        if (grey) {
            int r = v & 0xFF, g = (v >> 8) & 0xFF, b = (v >> 16) & 0xFF;
            int y = (299 * r + 587 * g + 114 * b + 500) / 1000;
            v = explicitColour(y, y, y);
        }
        c.named[i] = v;
    }
    c.foreground = 255;
    c.background = 0;
    if (st.cycle.bgmode == 2) {
        std::swap(c.table[0], c.table[255]);
        std::swap(c.named[1], c.named[9]);
    }
    c.named[10] = c.foreground;
    c.named[11] = c.background;
    devvlt(c.table);
    devcol(c.foreground);
}

Rgb colourRgb(const EngineState& st, int colour)
{
    Rgb rgb;
    if ((std::uint32_t(colour) >> 24) == 1) {
        rgb.r = colour & 0xFF;
        rgb.g = (colour >> 8) & 0xFF;
        rgb.b = (colour >> 16) & 0xFF;
        return rgb;
    }
    if (st.cycle.colourDepth > 8) {
        int index = colour >= 0 ? (colour & 0xFF) : -((-colour) & 0xFF);
        if (index >= 0) {
            std::uint32_t w = st.colour.table[index];
            rgb.r = int(w >> 16 & 0xFF);
            rgb.g = int(w >> 8 & 0xFF);
            rgb.b = int(w & 0xFF);
        }
    }
    return rgb;
}

int nearestColourIndex(const std::uint32_t* table, int last, int r, int g, int b)
{
    auto entry = [&](int i, int& R, int& G, int& B) {
        R = int(table[i] >> 16 & 0xFF);
        G = int(table[i] >> 8 & 0xFF);
        B = int(table[i] & 0xFF);
    };
    int R, G, B;
    if ((r == 0 && g == 0 && b == 0) || (r == 255 && g == 255 && b == 255)) {
        entry(0, R, G, B);
        if (R == r && G == g && B == b) return 0;
        entry(last, R, G, B);
        if (R == r && G == g && B == b) return last;
    }
    int best = 1000, bestIndex = 0;
    auto probe = [&](int i) {
        entry(i, R, G, B);
        int d = std::abs(r - R) + std::abs(g - G) + std::abs(b - B);
        if (d < best) {
            best = d;
            bestIndex = i;
        }
        return d == 0;
    };
    if (b == 0) {
        for (int i = last; i >= 0; --i)
            if (probe(i)) break;
    } else {
        for (int i = 0; i <= last; ++i)
            if (probe(i)) break;
    }
    return bestIndex;
}

void color(std::string_view name)
{
    EngineState* st = levelCheck(1, 3, "color");
    if (!st) return;
    int n = matchKeyword("WHIT+RED +GREE+YELL+BLUE+ORAN+CYAN+MAGE+BLAC+FORE+BACK", 11, name);
    if (n == 0) return;
    int value = n == 10 ? st->colour.foreground : n == 11 ? st->colour.background : st->colour.named[n];
    devcol(value);
}

} // namespace zedozo
