// The axis system: its settings (axspos, axslen, axsscl, labdig, labels,
// ticks, name, hname), graf with its checks, the user-to-plot mapping and
// clip rectangle, the four sides with ticks, labels (numbers, powers of ten,
// times of day) and names, the frame, and endgrf.
#include "engine/core/AxisInternal.h"

#include "engine/Engine.h"
#include "engine/core/EngineInternal.h"
#include "engine/core/Text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace zedozo {

namespace {

constexpr double kCountSlack = 0.0001; // keeps the last tick/label of an exact range
// Times of day are hours in float: near 24 h a float is a few milliseconds
// coarse, a good part of a 1-second step's 0.0001. Their labels sit on
// whole seconds, so a hundredth of a step keeps the last one safely.
constexpr double kTimeCountSlack = 0.01;
constexpr int kLabelBuffer = 512; // longest FLOAT text: 39 digits, sign, point, 100 decimals

int pageScaled(const EngineState& st, int value)
{
    return static_cast<int>(static_cast<float>(value) / st.page.pageScale + 0.5f);
}

// A colour of its own for one part of the drawing; the current colour is
// restored afterwards. -1 keeps the current colour.
class ColourScope {
public:
    ColourScope(const EngineState& st, int colour) : saved_(st.colour.current), active_(colour != -1)
    {
        if (active_) devcol(colour);
    }
    ~ColourScope()
    {
        if (active_) devcol(saved_);
    }
    ColourScope(const ColourScope&) = delete;
    ColourScope& operator=(const ColourScope&) = delete;

private:
    int saved_;
    bool active_;
};

// One side of the axis rectangle as it is drawn.
struct Side {
    bool isX = true;
    int side = 0;       // 0 marks towards larger page coordinates, 1 towards smaller
    int xp = 0, yp = 0; // base point
    int n = 0;          // axis length
    double a = 0, e = 1, o = 0, step = 1;
    bool log = false; // limits and labels are powers of ten
    double slack = kCountSlack;
};

bool timeLabels(int labelType)
{
    return labelType == kLabelTime || labelType == kLabelHour || labelType == kLabelSeconds;
}

// One axis as graf gives it; the base point and side are set per side drawn.
Side axisSide(bool isX, int n, float a, float e, float org, float step, const AxisSettings& ax)
{
    Side s;
    s.isX = isX;
    s.n = n;
    s.a = a;
    s.e = e;
    s.o = org;
    s.step = step;
    s.log = ax.scaling == 1;
    // From the axis's own label type, so that the sides without labels get
    // the same ticks as the labelled one.
    if (timeLabels(ax.labelType)) s.slack = kTimeCountSlack;
    return s;
}

// Successive tick lines run alternately forwards and backwards, so that a
// pen moves little between them.
void tickLine(EngineState& st, float x1, float y1, float x2, float y2)
{
    if (st.axis.tickReversed)
        drawLine(x2, y2, x1, y1);
    else
        drawLine(x1, y1, x2, y2);
    st.axis.tickReversed = !st.axis.tickReversed;
}

// Marks closer than this many per plot unit of the axis would only blacken
// it; such an axis gets none (and degenerate steps cannot loop for ever).
bool tooDense(double count, int n)
{
    return !(std::fabs(count) <= 4.0 * n + 4.0);
}

void drawTick(EngineState& st, const AxisSettings& ax, const Side& s, int p, int len)
{
    int from = 0;
    if (ax.tickPosition == 2) from = -(len / 2);
    const int to = from + len;
    if (s.isX)
        tickLine(st, float(p), float(s.yp + from), float(p), float(s.yp + to));
    else
        tickLine(st, float(s.xp + from), float(p), float(s.xp + to), float(p));
}

// Plot coordinate of the axis value v (an exponent on a logarithmic axis)
// as the ticks place it.
int tickPosition(const Side& s, double f, double v)
{
    if (s.isX) return static_cast<int>(s.xp + 0.5 + (v - s.a) * f);
    return static_cast<int>(s.yp + 0.5 - (v - s.a) * f);
}

void drawLinearTicks(EngineState& st, const AxisSettings& ax, const Side& s, int k, int minor, int major)
{
    const double d = s.step / k;
    const double f = (s.n - 1) / (s.e - s.a);
    const double lo = (s.o - s.a) / d + s.slack;
    const double hi = (s.e - s.o) / d + s.slack;
    if (tooDense(lo, s.n) || tooDense(hi, s.n)) return;
    const long first = -static_cast<long>(lo);
    const long last = static_cast<long>(hi);
    const double base = s.isX ? s.xp + 0.5 + (s.o - s.a) * f : s.yp + 0.5 - (s.o - s.a) * f;
    for (long i = first; i <= last; ++i) {
        const int p = s.isX ? static_cast<int>(i * f * d + base) : static_cast<int>(base - i * f * d);
        drawTick(st, ax, s, p, i % k == 0 ? major : minor);
    }
}

// Logarithmic axis: major ticks at the labels, minor ticks at the
// logarithms of 2 to 9 times each power of ten within the range.
void drawLogTicks(EngineState& st, const AxisSettings& ax, const Side& s, int k, int minor, int major)
{
    const double f = (s.n - 1) / (s.e - s.a);
    const double lo = (s.o - s.a) / s.step + kCountSlack;
    const double hi = (s.e - s.o) / s.step + kCountSlack;
    if (!tooDense(lo, s.n) && !tooDense(hi, s.n)) {
        for (long i = -static_cast<long>(lo); i <= static_cast<long>(hi); ++i)
            drawTick(st, ax, s, tickPosition(s, f, s.o + i * s.step), major);
    }
    if (k < 2) return;
    const double low = std::min(s.a, s.e), high = std::max(s.a, s.e);
    if (tooDense(high - low, s.n)) return;
    for (double decade = std::floor(low); decade < high; decade += 1.0) {
        for (int j = 2; j <= 9; ++j) {
            const double v = decade + std::log10(double(j));
            if (v >= low && v <= high) drawTick(st, ax, s, tickPosition(s, f, v), minor);
        }
    }
}

// Axis value of label i (an exponent on a logarithmic axis). Worked in
// double: on an axis near the ends of the float range, i x step alone can
// pass them although the label itself lies on the axis.
double labelPosition(const Side& s, long i)
{
    return s.o + static_cast<double>(i) * s.step;
}

// Value shown by label i.
float labelValue(const Side& s, long i)
{
    const double v = labelPosition(s, i);
    return static_cast<float>(s.log ? std::pow(10.0, v) : v);
}

// A power of ten 10^k as a reader writes it: 0.01 to 10000 in full,
// beyond that "10^k".
void formatPowerLabel(char* buf, std::size_t size, double exponent)
{
    const double k = std::round(exponent);
    if (std::fabs(exponent - k) > 1e-6 || !(std::fabs(k) < 1e6)) {
        std::snprintf(buf, size, "%g", std::pow(10.0, exponent));
    } else if (k >= -2 && k <= 4) {
        std::snprintf(buf, size, "%.*f", k < 0 ? int(-k) : 0, std::pow(10.0, k));
    } else {
        std::snprintf(buf, size, "10^%d", int(k));
    }
}

// Hours as a time of day: "HH:MM" (TIME), "HH:MM:SS" (SECO) or "HH" (HOUR),
// each to the nearest unit it shows.
void formatTimeLabel(char* buf, std::size_t size, double hours, int labelType)
{
    const double unit = labelType == kLabelSeconds ? 3600.0 : labelType == kLabelTime ? 60.0 : 1.0;
    const double n = std::round(std::clamp(hours, -1.0e7, 1.0e7) * unit);
    const long long a = static_cast<long long>(std::fabs(n));
    const char* sign = n < 0 ? "-" : "";
    if (labelType == kLabelSeconds)
        std::snprintf(buf, size, "%s%02lld:%02lld:%02lld", sign, a / 3600, a / 60 % 60, a % 60);
    else if (labelType == kLabelTime)
        std::snprintf(buf, size, "%s%02lld:%02lld", sign, a / 60, a % 60);
    else
        std::snprintf(buf, size, "%s%02lld", sign, a);
}

// The text of label i in the form of the axis's label type (FLOAT for the
// forms this engine does not draw).
void formatLabel(char* buf, std::size_t size, const AxisSettings& ax, const Side& s, long i)
{
    if (ax.labelType == kLabelLog)
        formatPowerLabel(buf, size, labelPosition(s, i));
    else if (timeLabels(ax.labelType))
        formatTimeLabel(buf, size, labelPosition(s, i), ax.labelType);
    else
        formatFloatLabel(buf, size, labelValue(s, i), ax.digits);
}

// The labels of one side; returns the label extent handed to the name
// (the character height on an X axis, the widest label on a Y axis).
int drawLabels(EngineState& st, const AxisSettings& ax, const Side& s, int r)
{
    const int h = st.text.height;
    const double mCount = (s.e - s.o) / s.step + s.slack;
    if (tooDense(mCount, s.n)) return s.isX ? h : 0;
    const long m = static_cast<long>(mCount);
    const long first = (ax.labelSelection == 1 || ax.labelSelection == 3) ? 1 : 0;
    const long last = (ax.labelSelection == 2 || ax.labelSelection == 3) ? m - 1 : m;
    const double f = (s.n - 1) / (s.e - s.a);
    char text[kLabelBuffer];

    int widest = 0;
    if (!s.isX) {
        for (long i = first; i <= last; ++i) {
            formatLabel(text, sizeof text, ax, s, i);
            widest = std::max(widest, static_cast<int>(textWidth(text)));
        }
    }

    ColourScope colour(st, ax.labelColour);
    for (long i = first; i <= last; ++i) {
        const double v = labelPosition(s, i);
        formatLabel(text, sizeof text, ax, s, i);
        const int w = textWidth(text);
        int x, y;
        if (s.isX) {
            x = static_cast<int>(s.xp + 0.5 + (v - s.a) * f - w * 0.5);
            y = s.side == 0 ? r : r - h;
        } else {
            y = static_cast<int>(s.yp - 0.5 - (v - s.a) * f - h * 0.5);
            if (s.side == 1)
                x = (ax.labelJustification == 1 || ax.labelJustification == 3) ? r - widest : r - w;
            else
                x = (ax.labelJustification == 1 || ax.labelJustification == 4) ? r : r + widest - w;
        }
        drawText(text, x, y, 0, h);
    }
    return s.isX ? h : widest;
}

void drawName(EngineState& st, const AxisSettings& ax, const Side& s, int distance, int extent)
{
    std::size_t len = ax.name.find_last_not_of(' ');
    if (len == std::string::npos) return;
    const std::string_view nm(ax.name.data(), len + 1);

    const int h = st.text.height;
    const int hn = st.axis.nameHeight;
    setTextHeight(st, hn);
    const int w = textWidth(nm);
    int along = 0;
    if (ax.nameJustification == 0)
        along = static_cast<int>((s.n - w) * 0.5);
    else if (ax.nameJustification == 2)
        along = s.n - w;

    ColourScope colour(st, ax.nameColour);
    if (s.isX) {
        const int y = s.side == 0 ? s.yp + distance + extent : s.yp + distance - hn - extent;
        drawText(nm, s.xp + along, y, 0, hn);
    } else if (s.side == 1) {
        drawText(nm, s.xp + distance - extent - hn, s.yp - along, 90, hn);
    } else {
        drawText(nm, s.xp + distance + extent + hn, s.yp - s.n + along + 1, 270, hn);
    }
    setTextHeight(st, h);
}

// Draws one side with the settings of its axis, reduced by its side mode.
void drawSide(EngineState& st, AxisSettings ax, const Side& s, int mode)
{
    if (mode < kSideName) ax.name.clear();
    if (mode < kSideLabels) ax.labelType = kLabelNone;
    if (mode < kSideTicks) ax.ticksPerStep = 0;
    if (mode < kSideLine) ax.lineDrawn = false;

    const int sign = s.side == 0 ? 1 : -1;
    const int tickSign = ax.tickPosition == 1 ? -sign : sign;
    const int labelDistance = sign * ax.labelDistance;
    const int nameDistance = sign * ax.nameDistance;
    const int minor = tickSign * st.axis.minorTick;
    const int major = tickSign * st.axis.majorTick;
    const bool ticks = ax.ticksPerStep >= 1;
    const bool labelsOn = ax.labelType != kLabelNone;

    if (ax.lineDrawn) {
        ColourScope colour(st, ax.lineColour);
        if (s.isX)
            drawLine(float(s.xp), float(s.yp), float(s.xp + s.n - 1), float(s.yp));
        else
            drawLine(float(s.xp), float(s.yp), float(s.xp), float(s.yp - s.n + 1));
    }

    if (ticks) {
        ColourScope colour(st, ax.tickColour);
        if (s.log)
            drawLogTicks(st, ax, s, ax.ticksPerStep, minor, major);
        else
            drawLinearTicks(st, ax, s, ax.ticksPerStep, minor, major);
    }

    int extent = 0;
    if (labelsOn) {
        int r = (s.isX ? s.yp : s.xp) + labelDistance;
        if (ticks && ax.tickPosition == 0)
            r += major;
        else if (ticks && ax.tickPosition == 2)
            r += major / 2;
        extent = drawLabels(st, ax, s, r);
    }

    int distance = nameDistance;
    if (ticks) distance += ax.tickPosition == 2 ? major / 2 : major;
    if (labelsOn) distance += labelDistance;
    drawName(st, ax, s, distance, extent);
}

void drawFrame(EngineState& st)
{
    const AxisState& a = st.axis;
    const int t = a.frameThickness;
    if (t == 0) return;
    ColourScope colour(st, a.frameColour);
    const int count = t > 0 ? t : -t;
    const int outward = t > 0 ? 1 : -1;
    for (int j = 0; j < count; ++j) {
        const float d = float(j * outward);
        const float left = float(a.posX) - d, right = float(a.posX + a.lenX - 1) + d;
        const float top = float(a.posY - a.lenY + 1) - d, bottom = float(a.posY) + d;
        penMove(left, top);
        penDraw(right, top);
        penDraw(right, bottom);
        penDraw(left, bottom);
        penDraw(left, top);
    }
}

// Checks the limits and step of one axis (warnings 10, 9, 12, 50); false
// when the axis cannot be drawn.
bool checkAxis(const EngineState& st, float a, float e, float org, float step)
{
    bool ok = true;
    if (!std::isfinite(a) || !std::isfinite(e) || !std::isfinite(org) || !std::isfinite(step)) {
        warnPlain(2);
        return false;
    }
    const float eps = st.page.epsilon;
    if (std::fabs(double(e) - double(a)) < eps) {
        warnPlain(10);
        ok = false;
    }
    if (std::fabs(step) < eps) {
        warnPlain(9);
        ok = false;
    }
    if (a < e) {
        if (org < a || org > e) warnPlain(12);
        if (step < 0) warnPlain(50);
    } else {
        if (org < e || org > a) warnPlain(12);
        if (step > 0) warnPlain(50);
    }
    return ok;
}

template <typename F> void forSelected(EngineState& st, std::string_view axes, F&& f)
{
    const AxisSelection sel = selectAxes(axes);
    if (sel.x) f(st.axis.axis[0]);
    if (sel.y) f(st.axis.axis[1]);
    if (sel.z) f(st.axis.axis[2]);
}

// The axis word cut to 3 characters and upper-cased.
void axisWord(std::string_view axes, char word[4])
{
    std::size_t i = 0;
    for (; i < 3 && i < axes.size(); ++i) word[i] = upperAscii(axes[i]);
    word[i] = '\0';
}

} // namespace

void fixMapping(
    EngineState& st, float xa, float xe, float xorg, float xstep, float ya, float ye, float yorg, float ystep)
{
    const AxisState& ax = st.axis;
    UserMapping& m = st.map;
    m.xa = xa;
    m.xe = xe;
    m.xorg = xorg;
    m.xstep = xstep;
    m.ya = ya;
    m.ye = ye;
    m.yorg = yorg;
    m.ystep = ystep;
    m.xFactor = static_cast<float>(static_cast<long double>(ax.lenX - 1) / (static_cast<long double>(xe) - xa));
    m.yFactor = static_cast<float>(static_cast<long double>(ax.lenY - 1) / (static_cast<long double>(ye) - ya));
    m.xOrigin = static_cast<float>(ax.posX);
    m.yOrigin = static_cast<float>(ax.posY);
    m.xLog = ax.axis[0].scaling == 1;
    m.yLog = ax.axis[1].scaling == 1;
    auto range = [](float lo, float hi, bool log, float* out) {
        if (log) {
            lo = static_cast<float>(std::pow(10.0, double(lo)));
            hi = static_cast<float>(std::pow(10.0, double(hi)));
        }
        out[0] = std::min(lo, hi);
        out[1] = std::max(lo, hi);
    };
    range(xa, xe, m.xLog, m.xRange);
    range(ya, ye, m.yLog, m.yRange);

    // Curves stay one plot unit inside the axis lines; on pixel devices a
    // further pixel's worth, so that they never touch the frame.
    int margin = -1;
    if (deviceKind(st.cycle.devcode).caps.mapping == DeviceCaps::Mapping::Pixels && st.cycle.devscl > 0.0f)
        margin = -1 - static_cast<int>(std::lround(0.99 / double(st.cycle.devscl)));
    m.clipRect[0] = std::max(0, ax.posX - margin);
    m.clipRect[1] = std::max(0, ax.posY - ax.lenY + 1 - margin);
    m.clipRect[2] = std::min(st.page.npagx, ax.posX + ax.lenX - 1 + margin);
    m.clipRect[3] = std::min(st.page.npagy, ax.posY + margin);
}

// ---- shared services ----------------------------------------------------------

void setTextHeight(EngineState& st, int h)
{
    if (h < 1) h = 1;
    if (h == st.text.height) return;
    const std::string routine = st.warn.routine;
    height(h);
    st.warn.routine = routine;
}

int formatFloatLabel(char* buf, std::size_t size, float v, int ndig)
{
    if (size == 0) return 0;
    for (int pass = 0; pass < 2; ++pass) {
        const int sign = v < 0 ? 1 : 0;
        const float a = std::fabs(v);
        double q;
        if (ndig <= 0) {
            q = std::trunc(double(a) + 0.5);
        } else {
            const float p = std::pow(10.0f, static_cast<float>(ndig));
            if (std::isfinite(p))
                q = std::trunc((double(a * p) + 0.5) / p);
            else
                q = std::trunc(double(a)); // beyond float: the digits of the integer part
        }
        int g = 1;
        for (double t = 10.0; t - 0.5 <= q && g < 400; t *= 10.0) ++g;
        const int width = g + sign + ndig + 1;
        int n;
        if (ndig < 0)
            n = std::snprintf(buf, size, "%*.0f", width, std::round(double(v)));
        else
            n = std::snprintf(buf, size, "%*.*f", width, ndig, double(v));
        if (n < 0) {
            buf[0] = '\0';
            return 0;
        }
        // A negative value that shows as zero is zero: no "-0.0" label.
        if (sign && std::strpbrk(buf, "123456789") == nullptr) {
            v = 0.0f;
            continue;
        }
        return std::min<int>(n, static_cast<int>(size) - 1);
    }
    return static_cast<int>(std::strlen(buf));
}

// ---- defaults -----------------------------------------------------------------

void axisDefaults(EngineState& st)
{
    AxisState& a = st.axis;
    const bool reversed = a.tickReversed;
    a = AxisState {};
    a.tickReversed = reversed;
    const int pw = st.page.npagx, ph = st.page.npagy;
    a.lenX = static_cast<int>((pw + 1) * 2.0 / 3.0 + 0.5);
    a.lenY = static_cast<int>((ph + 1) * 2.0 / 3.0 + 0.5);
    a.posX = (pw - a.lenX) / 2;
    a.posY = ph - 300;
    a.minorTick = pageScaled(st, 16);
    a.majorTick = pageScaled(st, 24);
    a.nameHeight = pageScaled(st, 36);
    for (AxisSettings& s : a.axis) {
        s.labelDistance = pageScaled(st, 24);
        s.nameDistance = pageScaled(st, 30);
    }
}

// ---- settings -----------------------------------------------------------------

void axspos(int x, int y)
{
    EngineState* st = levelCheck(1, 1, "axspos");
    if (!st) return;
    const bool okX = rangeCheck(x, 0, st->page.npagx);
    const bool okY = rangeCheck(y, 0, st->page.npagy);
    if (!okX || !okY) return;
    st->axis.posX = x;
    st->axis.posY = y;
}

void axslen(int nx, int ny)
{
    EngineState* st = levelCheck(1, 1, "axslen");
    if (!st) return;
    const bool okX = rangeCheck(nx, 2, 1);
    const bool okY = rangeCheck(ny, 2, 1);
    if (!okX || !okY) return;
    st->axis.lenX = nx;
    st->axis.lenY = ny;
}

void axsscl(std::string_view type, std::string_view axes)
{
    EngineState& st = settingsCheck("axsscl");
    const int n = matchKeyword("LIN +LOG ", 2, type);
    if (n == 0) return;
    forSelected(st, axes, [n](AxisSettings& a) { a.scaling = n - 1; });
}

void labdig(int ndig, std::string_view axes)
{
    EngineState& st = settingsCheck("labdig");
    if (!rangeCheck(ndig, -1, 100)) return;
    char word[4];
    axisWord(axes, word);
    static const char* const kOtherKinds[5] = {"BAR", "CON", "PIE", "DAT", "PER"};
    for (int i = 0; i < 5; ++i) {
        if (std::strcmp(word, kOtherKinds[i]) == 0) {
            st.axis.otherDigits[i] = ndig;
            return;
        }
    }
    forSelected(st, axes, [ndig](AxisSettings& a) { a.digits = ndig; });
}

void labels(std::string_view type, std::string_view axes)
{
    EngineState& st = settingsCheck("labels");
    char word[4];
    axisWord(axes, word);
    // Bar, pie and contour plots have label tables of their own; this
    // engine draws none of them.
    if (std::strcmp(word, "BAR") == 0 || std::strcmp(word, "PIE") == 0 || std::strcmp(word, "CON") == 0) return;
    const int n = matchKeyword("NONE+FLOA+EXP +LOG +CLOG+ELOG+MAP +DMAP+LMAP+TIME+HOUR+SECO+MYLA+FEXP+DATE", 15, type);
    if (n == 0) return;
    forSelected(st, axes, [n](AxisSettings& a) {
        a.labelType = n - 1;
        if (n - 1 == kLabelFloat) a.plainNumbers = true;
    });
}

// Ticks per label step: n - 1 unlabelled minor ticks between two labels
// (on a logarithmic axis, n of 2 and more adds the minor ticks at 2 to 9
// times each power of ten); 0 draws no ticks.
void ticks(int n, std::string_view axes)
{
    EngineState& st = settingsCheck("ticks");
    if (!rangeCheck(n, 0, 1000)) return;
    forSelected(st, axes, [n](AxisSettings& a) { a.ticksPerStep = n; });
}

void name(std::string_view text, std::string_view axes)
{
    EngineState& st = settingsCheck("name");
    const std::string_view kept = text.substr(0, kAxisNameChars);
    forSelected(st, axes, [kept](AxisSettings& a) { a.name.assign(kept); });
}

void hname(int h)
{
    EngineState& st = settingsCheck("hname");
    if (rangeCheck(h, 1, 10000)) st.axis.nameHeight = h;
}

// ---- graf and endgrf ------------------------------------------------------------

void graf(float xa, float xe, float xorg, float xstep, float ya, float ye, float yorg, float ystep)
{
    EngineState* stp = levelCheck(1, 1, "graf");
    if (!stp) return;
    EngineState& st = *stp;
    st.level = 2;
    const bool okX = checkAxis(st, xa, xe, xorg, xstep);
    const bool okY = checkAxis(st, ya, ye, yorg, ystep);
    if (!okX || !okY) {
        st.level = 1;
        return;
    }

    fixMapping(st, xa, xe, xorg, xstep, ya, ye, yorg, ystep);

    const AxisState& a = st.axis;
    const int xp = a.posX, yp = a.posY, nx = a.lenX, ny = a.lenY;
    if (a.backgroundColour != -1) {
        const int saved = st.colour.current;
        devrec(float(xp), float(yp - ny + 1), float(xp + nx - 1), float(yp), a.backgroundColour);
        devcol(saved);
    }

    Side x = axisSide(true, nx, xa, xe, xorg, xstep, a.axis[0]);
    Side y = axisSide(false, ny, ya, ye, yorg, ystep, a.axis[1]);

    x.xp = xp, x.yp = yp, x.side = 0;
    drawSide(st, a.axis[0], x, a.modeLowerX);
    y.xp = xp, y.yp = yp, y.side = 1;
    drawSide(st, a.axis[1], y, a.modeLeftY);
    x.yp = yp - ny + 1, x.side = 1;
    drawSide(st, a.axis[0], x, a.modeUpperX);
    y.xp = xp + nx - 1, y.side = 0;
    drawSide(st, a.axis[1], y, a.modeRightY);

    drawFrame(st);
    devaxs();
}

void endgrf()
{
    EngineState* st = levelCheck(1, 3, "endgrf");
    if (!st) return;
    st->level = 1;
    sendbf();
}

} // namespace zedozo
