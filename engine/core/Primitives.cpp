// Device primitives: plot units to device units, then one call to the
// writer of the current cycle.
#include "engine/core/EngineInternal.h"

#include <vector>

namespace zedozo {

namespace {

inline int rnd(float v)
{
    return int(v + 0.5f);
}

// Only an open, healthy cycle reaches the writer.
inline bool active(const EngineState& st)
{
    return st.device && !st.cycle.drawNothing && st.level >= 1;
}

inline const DeviceCaps& caps(const EngineState& st)
{
    return deviceKind(st.cycle.devcode).caps;
}

using Mapping = DeviceCaps::Mapping;

// Converts plot units to device units in place.
void convert(const EngineState& st, DevVec* v, int n)
{
    const float s = st.cycle.devscl;
    const Mapping mapping = caps(st).mapping;
    if (mapping == Mapping::Pixels) {
        for (int i = 0; i < n; ++i) {
            v[i].x = float(rnd(v[i].x * s));
            v[i].y = float(rnd(v[i].y * s));
        }
    } else if (mapping == Mapping::Paper) {
        if (st.page.npagx > st.page.npagy) {
            for (int i = 0; i < n; ++i) {
                const float x = v[i].x;
                v[i].x = v[i].y * s;
                v[i].y = x * s;
            }
        } else {
            const float h = float(st.page.npagy);
            for (int i = 0; i < n; ++i) {
                v[i].x = v[i].x * s;
                v[i].y = (h - v[i].y) * s;
            }
        }
    }
}

} // namespace

void sendVectors(DevVec* v, int n)
{
    EngineState& st = engineState();
    st.cycle.vectorCount += n;
    if (!active(st) || n <= 0) return;
    convert(st, v, n);
    st.device->vectors(st.cycle, v, n);
}

void devvec(float x, float y, int pen)
{
    DevVec v {x, y, pen};
    sendVectors(&v, 1);
}

void devcol(int colour)
{
    EngineState& st = engineState();
    if (!st.poly.flushing) flushPolyline();
    st.colour.current = colour;
    if (!active(st)) return;
    st.device->colour(st.cycle, colour, colourRgb(st, colour));
}

void devpol(const float* x, const float* y, int n)
{
    EngineState& st = engineState();
    flushPolyline();
    if (n <= 0) return;
    if (caps(st).oneContentStream) {
        devvec(x[0], y[0], 3);
        for (int i = 1; i < n; ++i) devvec(x[i], y[i], 2);
        devvec(x[0], y[0], 5);
        return;
    }
    if (!active(st)) return;
    DevVec small[128];
    std::vector<DevVec> big;
    DevVec* v = small;
    if (n > 128) {
        big.resize(std::size_t(n));
        v = big.data();
    }
    for (int i = 0; i < n; ++i) v[i] = {x[i], y[i], i == 0 ? 3 : 2};
    convert(st, v, n);
    st.device->polygon(st.cycle, v, n);
}

void devrec(float x1, float y1, float x2, float y2, int colour)
{
    EngineState& st = engineState();
    x1 += float(st.page.originX);
    x2 += float(st.page.originX);
    y1 += float(st.page.originY);
    y2 += float(st.page.originY);
    const ClipWindow& w = st.clip;
    if (x1 < w.left) x1 = w.left;
    if (y1 < w.top) y1 = w.top;
    if (x2 > w.right) x2 = w.right;
    if (y2 > w.bottom) y2 = w.bottom;
    if (x1 > x2 || y1 > y2) return;
    const Mapping mapping = caps(st).mapping;
    const float s = st.cycle.devscl;
    // What is pending was drawn before the fill: it goes out first, so that
    // the fill paints over it on paper as on pixels (the page border).
    if (mapping != Mapping::None) flushPolyline();
    if (!active(st)) return;
    float a1 = x1, b1 = y1, a2 = x2, b2 = y2;
    if (mapping == Mapping::Pixels) {
        a1 = float(rnd(x1 * s));
        b1 = float(rnd(y1 * s));
        a2 = float(rnd(x2 * s));
        b2 = float(rnd(y2 * s));
    } else if (mapping == Mapping::Paper) {
        if (st.page.npagx > st.page.npagy) {
            a1 = y1 * s;
            b1 = x1 * s;
            a2 = y2 * s;
            b2 = x2 * s;
        } else {
            const float h = float(st.page.npagy);
            a1 = x1 * s;
            b1 = (h - y1) * s;
            a2 = x2 * s;
            b2 = (h - y2) * s;
        }
    }
    st.device->rect(st.cycle, a1, b1, a2, b2, colour, colourRgb(st, colour));
}

void fillPage(int colour)
{
    EngineState& st = engineState();
    const float pw = float(st.page.npagx), ph = float(st.page.npagy);
    if (caps(st).mapping != DeviceCaps::Mapping::Pixels) {
        devrec(0.0f, 0.0f, pw, ph, colour);
        return;
    }
    // The page is scaled by (W - 1) over its width or (H - 1) over its
    // height, whichever is smaller, so its last device column or row can
    // fall short of the raster; a pixel left there would keep the start
    // value (black) and show as a stray line.
    flushPolyline();
    if (!active(st)) return;
    const DeviceRect& r = st.cycle.devRect;
    st.device->rect(st.cycle, 0.0f, 0.0f, float(r.w - 1), float(r.h - 1), colour, colourRgb(st, colour));
}

void devchr(int code, float x, float y, float width, const CharParams& p)
{
    EngineState& st = engineState();
    if (caps(st).oneContentStream) flushPolyline();
    if (!active(st)) return;
    st.device->character(st.cycle, code, x, y, width, p);
}

void devfnt(const char* name, float height, int refHeight, bool select)
{
    EngineState& st = engineState();
    if (!active(st)) return;
    st.device->font(st.cycle, name, height, refHeight, select);
}

void devvlt(const std::uint32_t* table)
{
    EngineState& st = engineState();
    if (!active(st)) return;
    st.device->palette(st.cycle, table);
}

void devbox(float left, float top, float right, float bottom)
{
    EngineState& st = engineState();
    if (!active(st)) return;
    const float s = st.cycle.devscl;
    st.device->box(st.cycle, rnd(left * s), rnd(top * s), rnd(right * s), rnd(bottom * s));
}

void devaxs()
{
    EngineState& st = engineState();
    if (!active(st)) return;
    AxisFrame frame;
    frame.left = st.axis.posX;
    frame.bottom = st.axis.posY;
    frame.width = st.axis.lenX;
    frame.height = st.axis.lenY;
    frame.xFrom = st.map.xa;
    frame.xTo = st.map.xe;
    frame.xLogarithmic = st.map.xLog;
    st.device->axisSystem(st.cycle, frame);
}

} // namespace zedozo
