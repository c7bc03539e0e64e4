// Drawing core: pen with line shift, the 100-point polyline buffer with
// Cohen-Sutherland clipping, the user-to-plot mapping, thkcrv, loggap and
// curve.
#include "engine/core/AxisInternal.h"
#include "engine/Engine.h"
#include "engine/core/EngineInternal.h"

#include <algorithm>
#include <cmath>

namespace zedozo {

namespace {

constexpr float kClipTolerance = 0.001f;
constexpr float kCoordLimit = 1.0e6f;

inline float clampCoord(float v)
{
    // NaN (a "nan" in the data) has no place on the page: it goes far off
    // it, where clipping removes it like any other far point, instead of
    // reaching a writer that turns it into an integer.
    if (v != v) return kCoordLimit;
    return v < -kCoordLimit ? -kCoordLimit : v > kCoordLimit ? kCoordLimit : v;
}

inline int regionCode(const ClipWindow& w, double x, double y)
{
    int c = 0;
    if (x < w.left - kClipTolerance)
        c |= 1;
    else if (x > w.right + kClipTolerance)
        c |= 2;
    if (y < w.top - kClipTolerance)
        c |= 4;
    else if (y > w.bottom + kClipTolerance)
        c |= 8;
    return c;
}

// Cohen-Sutherland: clips the segment to the window. False when nothing is
// visible; startCut tells whether the start point was moved.
bool clipSegment(const ClipWindow& w, double& x0, double& y0, double& x1, double& y1, bool& startCut)
{
    startCut = false;
    int c0 = regionCode(w, x0, y0);
    int c1 = regionCode(w, x1, y1);
    for (int guard = 0; guard < 16; ++guard) {
        if ((c0 | c1) == 0) return true;
        if (c0 & c1) return false;
        int c = c0 ? c0 : c1;
        double x, y;
        if (c & 1) {
            x = w.left;
            y = y0 + (y1 - y0) * (x - x0) / (x1 - x0);
        } else if (c & 2) {
            x = w.right;
            y = y0 + (y1 - y0) * (x - x0) / (x1 - x0);
        } else if (c & 4) {
            y = w.top;
            x = x0 + (x1 - x0) * (y - y0) / (y1 - y0);
        } else {
            y = w.bottom;
            x = x0 + (x1 - x0) * (y - y0) / (y1 - y0);
        }
        if (c == c0) {
            x0 = x;
            y0 = y;
            c0 = regionCode(w, x0, y0);
            startCut = true;
        } else {
            x1 = x;
            y1 = y;
            c1 = regionCode(w, x1, y1);
        }
    }
    return false;
}

inline bool inside(const ClipWindow& w, float x, float y)
{
    return x >= w.left - kClipTolerance && x <= w.right + kClipTolerance && y >= w.top - kClipTolerance
        && y <= w.bottom + kClipTolerance;
}

inline void polyMove(EngineState& st, float x, float y)
{
    PolylineBuffer& b = st.poly;
    if (b.count > 1 || (b.count == 1 && !b.continued)) flushPolyline();
    b.x[0] = x;
    b.y[0] = y;
    b.count = 1;
    b.continued = false;
}

inline void polyDraw(EngineState& st, float x, float y)
{
    PolylineBuffer& b = st.poly;
    if (b.count == 0) {
        b.x[0] = b.penX;
        b.y[0] = b.penY;
        b.count = 1;
        b.continued = false;
    }
    b.x[b.count] = x;
    b.y[b.count] = y;
    if (++b.count == PolylineBuffer::kCapacity) flushPolyline();
}

} // namespace

void flushPolyline()
{
    EngineState& st = engineState();
    PolylineBuffer& b = st.poly;
    if (b.flushing || b.count == 0 || (b.count == 1 && b.continued)) return;
    b.flushing = true;
    DevVec out[2 * PolylineBuffer::kCapacity + 2];
    int m = 0;
    const ClipWindow& w = st.clip;
    bool clipping = !inside(w, b.x[0], b.y[0]);
    // Every buffer starts with a move, also one that continues a full buffer
    // from its last point: the writers begin a new path there (PDF "S"/"m").
    if (!clipping) out[m++] = {b.x[0], b.y[0], 3};
    for (int i = 1; i < b.count; ++i) {
        if (!clipping) {
            if (inside(w, b.x[i], b.y[i])) {
                out[m++] = {b.x[i], b.y[i], 2};
                continue;
            }
            clipping = true;
        }
        double x0 = b.x[i - 1], y0 = b.y[i - 1], x1 = b.x[i], y1 = b.y[i];
        bool startCut = false;
        if (!clipSegment(w, x0, y0, x1, y1, startCut)) continue;
        if (startCut) out[m++] = {float(x0), float(y0), 3};
        out[m++] = {float(x1), float(y1), 2};
    }
    b.x[0] = b.x[b.count - 1];
    b.y[0] = b.y[b.count - 1];
    b.count = 1;
    b.continued = true;
    if (m > 0) sendVectors(out, m);
    b.flushing = false;
}

void penMove(float x, float y)
{
    EngineState& st = engineState();
    PolylineBuffer& b = st.poly;
    if (st.curve.lineShift != 0.0f)
        b.pendingMove = true;
    else
        polyMove(st, x, y);
    b.penX = x;
    b.penY = y;
}

void penDraw(float x, float y)
{
    EngineState& st = engineState();
    PolylineBuffer& b = st.poly;
    const float s = st.curve.lineShift;
    if (s == 0.0f) {
        polyDraw(st, x, y);
    } else {
        const float x0 = b.penX, y0 = b.penY;
        // Direction angle t = atan2(y0 - y, x - x0), taken as its sine and
        // cosine straight from the segment (no trigonometry per point).
        double sinT, cosT;
        if (std::fabs(x - x0) < 1e-6f) {
            sinT = (y0 - y) >= 0 ? 1.0 : -1.0;
            cosT = 0.0;
        } else {
            const double ex = double(x) - x0, ey = double(y0) - y;
            const double len = std::sqrt(ex * ex + ey * ey);
            sinT = ey / len;
            cosT = ex / len;
        }
        const float dx = float(-sinT * s);
        const float dy = float(-cosT * s);
        if (b.pendingMove) {
            polyMove(st, x0 + dx, y0 + dy);
            b.pendingMove = false;
        } else {
            polyDraw(st, x0 + dx, y0 + dy);
        }
        polyDraw(st, x + dx, y + dy);
    }
    b.penX = x;
    b.penY = y;
}

void drawLine(float x1, float y1, float x2, float y2)
{
    penMove(x1, y1);
    penDraw(x2, y2);
}

void setClipWindow(const ClipWindow& w)
{
    EngineState& st = engineState();
    st.clip = w;
    if (st.level >= 1 && deviceKind(st.cycle.devcode).caps.mapping == DeviceCaps::Mapping::Pixels)
        devbox(w.left, w.top, w.right, w.bottom);
}

void mapPoint(const EngineState& st, float x, float y, float& px, float& py)
{
    const UserMapping& m = st.map;
    if (m.xLog) x = std::log10(x);
    if (m.yLog) y = std::log10(y);
    px = clampCoord((x - m.xa) * m.xFactor + m.xOrigin);
    py = clampCoord(m.yOrigin - (y - m.ya) * m.yFactor);
}

void thkcrv(int n)
{
    EngineState& st = settingsCheck("thkcrv");
    if (rangeCheck(n, 1, 10000)) st.curve.thickness = n;
}

// OFF (after disini): a curve with a value at or below 0 on a logarithmic
// axis is refused whole. ON: such points are left out and the curve breaks
// there, no line drawn across the gap.
void loggap(std::string_view onOff)
{
    EngineState& st = settingsCheck("loggap");
    const int n = matchKeyword("OFF +ON  ", 2, onOff);
    if (n != 0) st.curve.logGap = n == 2;
}

namespace {

void formatScaled(char* buf, std::size_t size, float v, bool first)
{
    double a = std::fabs(double(v));
    bool plain = v == 0.0f || (a >= 1e-6 && a <= 1e6);
    if (first)
        std::snprintf(buf, size, plain ? "%f /" : "%12.4e /", double(v));
    else
        std::snprintf(buf, size, plain ? " %f) out of axis scaling!\n" : "%12.4e) out of axis scaling!\n", double(v));
}

void reportOutOfScaling(const EngineState& st, const float* x, const float* y, int n)
{
    const UserMapping& m = st.map;
    for (int i = 0; i < n; ++i) {
        if (x[i] >= m.xRange[0] && x[i] <= m.xRange[1] && y[i] >= m.yRange[0] && y[i] <= m.yRange[1]) continue;
        char a[64], b[96];
        formatScaled(a, sizeof a, x[i], true);
        formatScaled(b, sizeof b, y[i], false);
        errorPrintf(" <<<< (%s%s", a, b);
    }
}

} // namespace

void curve(const float* x, const float* y, int n)
{
    EngineState* stp = levelCheck(2, 3, "curve");
    if (!stp) return;
    EngineState& st = *stp;
    if (n < 1 || (n == 1 && st.curve.symbolMode == 0) || !x || !y) {
        warnPlain(2);
        return;
    }
    const bool logAxis = st.map.xLog || st.map.yLog;
    const auto shown = [&st, x, y](int i) { return (!st.map.xLog || x[i] > 0) && (!st.map.yLog || y[i] > 0); };
    if (logAxis) {
        for (int i = 0; i < n; ++i) {
            if (!shown(i)) {
                warnPlain(27);
                if (!st.curve.logGap) return;
                break;
            }
        }
    }
    const int savedCheck = st.warn.checkOn;
    if (savedCheck && st.warn.warnOn) reportOutOfScaling(st, x, y, n);
    st.warn.checkOn = 0;

    const ClipWindow savedClip = st.clip;
    ClipWindow w = savedClip;
    w.left = std::max(w.left, float(st.map.clipRect[0]));
    w.top = std::max(w.top, float(st.map.clipRect[1]));
    w.right = std::min(w.right, float(st.map.clipRect[2]));
    w.bottom = std::min(w.bottom, float(st.map.clipRect[3]));
    setClipWindow(w);

    int passes = int(float(st.curve.thickness) * st.page.pageScale + 0.5f);
    if (passes < 1) passes = 1;
    for (int k = 1; k <= passes; ++k) {
        const int step = (k % 2 == 0) ? k / 2 : -(k / 2);
        st.curve.lineShift = float(step) / st.page.pageScale;
        float px, py;
        if (logAxis) {
            // A line starts at the second point of a run that the axis
            // shows: a point alone between two gaps draws nothing.
            bool previous = false, started = false;
            float sx = 0.0f, sy = 0.0f;
            for (int i = 0; i < n; ++i) {
                if (!shown(i)) {
                    previous = started = false;
                    continue;
                }
                mapPoint(st, x[i], y[i], px, py);
                if (!previous) {
                    previous = true;
                    sx = px, sy = py;
                    continue;
                }
                if (!started) penMove(sx, sy);
                started = true;
                penDraw(px, py);
            }
            continue;
        }
        mapPoint(st, x[0], y[0], px, py);
        penMove(px, py);
        if (st.curve.lineShift == 0.0f) {
            // Hot path: straight into the polyline buffer.
            const UserMapping& m = st.map;
            PolylineBuffer& b = st.poly;
            for (int i = 1; i < n; ++i) {
                px = clampCoord((x[i] - m.xa) * m.xFactor + m.xOrigin);
                py = clampCoord(m.yOrigin - (y[i] - m.ya) * m.yFactor);
                polyDraw(st, px, py);
            }
            b.penX = px;
            b.penY = py;
        } else {
            for (int i = 1; i < n; ++i) {
                mapPoint(st, x[i], y[i], px, py);
                penDraw(px, py);
            }
        }
    }
    st.curve.lineShift = 0.0f;
    st.poly.pendingMove = false;

    // The tail of the curve must be clipped to the axis system, not the page.
    flushPolyline();
    setClipWindow(savedClip);
    st.warn.checkOn = savedCheck;
}

void setAxisSystemForTests(float xa, float xe, float ya, float ye, int xp, int yp, int nx, int ny)
{
    EngineState& st = engineState();
    st.axis.posX = xp;
    st.axis.posY = yp;
    st.axis.lenX = nx;
    st.axis.lenY = ny;
    st.axis.axis[0].scaling = 0;
    st.axis.axis[1].scaling = 0;
    fixMapping(st, xa, xe, xa, 0.0f, ya, ye, ya, 0.0f);
    st.level = 2;
}

} // namespace zedozo
