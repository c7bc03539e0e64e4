// The screen window writer: slots of top-level windows, each drawing into
// an off-screen image through the window backend; the 50-point polyline
// collection, colours, fills, window fonts, the window update of endgrf and
// the window modes of disfin.
#include "engine/output/ScreenWriter.h"

#include "engine/output/Device.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <memory>
#include <new>
#include <string>
#include <thread>
#include <vector>

namespace zedozo {

namespace {

constexpr int kSlots = 8;
constexpr int kPointCapacity = 50;

enum ColourModel { NoColours = 0, Palette129 = 1, Palette16 = 2, TrueColour = 3 };

struct Slot {
    std::unique_ptr<BackendWindow> window;
    int blitW = 0, blitH = 0;
};

// The driver record: allocated at the first screen disini and kept for the
// life of the process, so that a window left open under NONE outlives the
// cycle that drew it.
struct ScreenDriver {
    std::array<Slot, kSlots> slots;
    int current = 0; // slot index 0..7
    int previous = -1;
    DesktopInfo desktop;
    int colourModel = -1; // chosen once per record
    std::uint32_t table[256] = {};
    std::uint32_t penRgb = 0xFFFFFF;
    PixelPoint points[kPointCapacity];
    int count = 0;
    bool nothingDrawn = true;
    std::vector<PixelPoint> polygon;
    int clip[4] = {0, 0, 0, 0};
    int windowMode = 0, continueKey = 0;
    bool waiting = false;
    int fontLeading = 0;
    bool fontSelected = false;
};

WindowBackend* g_backend = nullptr;
ScreenDriver* g_driver = nullptr; // never freed: the windows must not go at exit

int rnd(double v)
{
    return static_cast<int>(v + 0.5);
}

int slotOf(int devcode)
{
    if (devcode >= 72 && devcode <= 79) return devcode - 72;
    return 0; // XWND and the full-screen codes use slot 1
}

void destroyAllWindows(ScreenDriver& d)
{
    for (Slot& s : d.slots) {
        s.window.reset();
        s.blitW = s.blitH = 0;
    }
    d.fontSelected = false;
}

// A window the user closed: closing the current slot's window takes every
// window of the driver with it, closing another one only that one.
void reapClosed(ScreenDriver& d)
{
    Slot& cur = d.slots[d.current];
    if (cur.window && !cur.window->isOpen()) {
        destroyAllWindows(d);
        return;
    }
    for (Slot& s : d.slots)
        if (s.window && !s.window->isOpen()) s.window.reset();
}

BackendWindow* currentWindow(ScreenDriver& d)
{
    return d.slots[d.current].window.get();
}

// Colour of a value for the colour model: explicit 0x01BBGGRR or a table index.
std::uint32_t resolveColour(const ScreenDriver& d, int value)
{
    bool isExplicit = ((static_cast<std::uint32_t>(value) >> 24) & 0xFFu) == 1;
    std::uint32_t rgb;
    int index;
    if (isExplicit) {
        std::uint32_t v = static_cast<std::uint32_t>(value);
        int r = v & 0xFF, g = (v >> 8) & 0xFF, b = (v >> 16) & 0xFF;
        rgb = (static_cast<std::uint32_t>(r) << 16) | (g << 8) | b;
        if (d.colourModel == TrueColour) return rgb;
        index = nearestColourIndex(d.table, 255, r, g, b);
    } else {
        index = value & 0xFF;
        if (d.colourModel == TrueColour) return d.table[index];
    }
    if (d.colourModel == NoColours) return index == 0 ? 0x000000u : 0xFFFFFFu;
    // Palette displays: the index falls on one of the 129 or 16 entries
    // sampled evenly from the table.
    int n = d.colourModel == Palette129 ? 129 : 16;
    int k = (index * (n - 1) + 127) / 255;
    return d.table[(k * 255 + (n - 1) / 2) / (n - 1)];
}

// One point of the polyline being collected.
void linePoint(ScreenDriver& d, BackendWindow* w, int x, int y, int pen)
{
    if (pen == 2) {
        if (d.count > 0) {
            const PixelPoint& last = d.points[d.count - 1];
            if (last.x != x || last.y != y) d.points[d.count++] = {x, y};
        }
        d.nothingDrawn = false;
        if (d.count < kPointCapacity) return;
    }
    if (w) {
        if (d.count >= 2) {
            w->polyline(d.points, d.count);
        } else if (d.count == 1 && !d.nothingDrawn) {
            // A draw that did not move still marks its point.
            w->setPixel(d.points[0].x, d.points[0].y);
        }
    }
    PixelPoint first {x, y};
    if (pen == 999 && d.count > 0) first = d.points[d.count - 1];
    d.points[0] = first;
    d.count = 1;
    d.nothingDrawn = true;
}

void flushPoints(ScreenDriver& d)
{
    if (d.count == 0) return;
    const PixelPoint last = d.points[d.count - 1];
    linePoint(d, currentWindow(d), last.x, last.y, 999);
}

void present(ScreenDriver& d)
{
    Slot& s = d.slots[d.current];
    if (s.window) s.window->present();
}

std::string finishTitle(int slotNumber, int mode, int key, int delay)
{
    std::string n = "ZEDOZO " + std::to_string(slotNumber);
    if (mode == 2) return n;
    if (mode == 4) return n + " / Delay time " + std::to_string(delay) + " seconds";
    switch (key) {
    case 1:
        return mode == 5 ? n + " / Press RETURN to continue ..." : n + " / Click MB2 or RETURN to continue ...";
    case 2:
        return mode == 5 ? n + " / Press ESC to continue ..." : n + " / Click MB2 or ESC to continue ...";
    default:
        return mode == 5 ? n : n + " / Click MB2 to continue ...";
    }
}

// The driver record (made on first use) with the desktop's size and colour
// depth; null after raiseFailure() when there is no display to draw on.
ScreenDriver* readyDriver()
{
    if (!g_driver) {
        g_driver = new (std::nothrow) ScreenDriver;
        if (!g_driver) {
            raiseFailure(101, "Not enough memory for windows output", {});
            return nullptr;
        }
    }
    ScreenDriver& d = *g_driver;
    reapClosed(d);
    if (!g_backend) {
        raiseFailure(101, "Cannot open the screen window", "no display");
        return nullptr;
    }
    if (!g_backend->desktop(d.desktop)) {
        raiseFailure(101, "Cannot open the screen window", g_backend->lastError());
        return nullptr;
    }
    if (d.colourModel < 0) {
        int bpp = d.desktop.bitsPerPixel;
        d.colourModel = bpp > 8 ? TrueColour : bpp == 8 ? Palette129 : bpp == 4 ? Palette16 : NoColours;
    }
    return &d;
}

struct WindowPlace {
    int x, y, w, h;
};

// The window request, else two thirds of the desktop in the page's
// proportions, in the slot's corner.
WindowPlace windowPlace(const DeviceContext& dc, const DesktopInfo& desktop, int slot)
{
    const WindowRequest& req = dc.windowRequest;
    if (req.given) return {req.x, req.y, req.w, req.h};
    int w, h;
    const int sw = desktop.width, sh = desktop.height;
    const int px = dc.npagx, py = dc.npagy;
    if (px > py) {
        w = sw * 2 / 3;
        h = rnd(static_cast<double>(w) * py / px);
    } else {
        h = sh * 2 / 3;
        w = rnd(static_cast<double>(h) * px / py);
    }
    // XWIN sits in the bottom right corner; the other slots take the
    // other corners in turn.
    const bool right = slot % 4 == 0 || slot % 4 == 3;
    const bool bottom = slot % 4 == 0 || slot % 4 == 1;
    return {right ? std::max(0, sw - w) : 0, bottom ? std::max(0, sh - h) : 0, w, h};
}

class ScreenWriter final : public Device {
public:

    bool open(DeviceContext& dc) override
    {
        ScreenDriver* driver = readyDriver();
        if (!driver) return false;
        ScreenDriver& d = *driver;
        // The paper colour before the engine sends its table.
        d.table[0] = dc.bgmode == 2 ? 0xFFFFFFu : 0x000000u;
        d.penRgb = 0xFFFFFF;

        const int slot = slotOf(dc.devcode);
        const auto [x, y, w, h] = windowPlace(dc, d.desktop, slot);

        // Replace this slot's window; the previous slot's window, if still
        // there, loses its "Working" title.
        Slot& s = d.slots[slot];
        s.window.reset();
        s.blitW = s.blitH = 0;
        d.fontSelected = false;
        if (slot != d.current) d.previous = d.current;
        d.current = slot;
        if (d.previous >= 0 && d.previous != slot && d.slots[d.previous].window)
            d.slots[d.previous].window->setTitle("ZEDOZO " + std::to_string(d.previous + 1));

        // The client area starts one pixel below the requested corner and is
        // one pixel smaller than the request; the drawing surface is one
        // pixel larger than the client area again.
        std::string working = "ZEDOZO " + std::to_string(slot + 1) + " / Working";
        s.window = g_backend->createWindow(x, y + 1, std::max(1, w - 1), std::max(1, h - 1), working);
        if (!s.window) {
            raiseFailure(101, "Cannot open the screen window", g_backend->lastError());
            return false;
        }
        int W = s.window->clientWidth() + 1, H = s.window->clientHeight() + 1;
        if (!s.window->createImage(W, H, resolveColour(d, 0))) {
            s.window.reset();
            raiseFailure(101, "Cannot create Bitmap",
                "not enough memory for " + std::to_string(W) + " x " + std::to_string(H) + " pixels");
            return false;
        }
        s.blitW = W;
        s.blitH = H;
        s.window->setColour(d.penRgb);
        s.window->setCloseEnabled(false);
        d.count = 0;
        d.nothingDrawn = true;
        d.clip[0] = 0;
        d.clip[1] = 0;
        d.clip[2] = W - 1;
        d.clip[3] = H - 1;
        dc.devRect = {x, y, W, H};
        dc.colourDepth = d.desktop.bitsPerPixel;
        return true;
    }

    void vectors(DeviceContext&, const DevVec* v, int n) override
    {
        if (!g_driver) return;
        ScreenDriver& d = *g_driver;
        BackendWindow* w = currentWindow(d);
        for (int i = 0; i < n; ++i) linePoint(d, w, static_cast<int>(v[i].x), static_cast<int>(v[i].y), v[i].pen);
    }

    void colour(DeviceContext&, int value, Rgb) override
    {
        if (!g_driver) return;
        ScreenDriver& d = *g_driver;
        flushPoints(d);
        if (d.colourModel == NoColours) return;
        d.penRgb = resolveColour(d, value);
        if (BackendWindow* w = currentWindow(d)) w->setColour(d.penRgb);
    }

    void polygon(DeviceContext&, const DevVec* pts, int n) override
    {
        if (!g_driver) return;
        ScreenDriver& d = *g_driver;
        flushPoints(d);
        BackendWindow* w = currentWindow(d);
        if (!w || n < 2) return;
        d.polygon.resize(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) d.polygon[i] = {static_cast<int>(pts[i].x), static_cast<int>(pts[i].y)};
        w->fillPolygon(d.polygon.data(), n);
        d.polygon.clear();
    }

    void rect(DeviceContext&, float x1, float y1, float x2, float y2, int value, Rgb) override
    {
        if (!g_driver) return;
        ScreenDriver& d = *g_driver;
        // Keep the drawing order: what was collected before comes first.
        flushPoints(d);
        BackendWindow* w = currentWindow(d);
        int ix1 = static_cast<int>(x1), iy1 = static_cast<int>(y1);
        int ix2 = static_cast<int>(x2), iy2 = static_cast<int>(y2);
        if (!w || ix1 > ix2 || iy1 > iy2) return;
        w->fillRect(ix1, iy1, ix2 - ix1 + 1, iy2 - iy1 + 1, resolveColour(d, value));
    }

    void character(DeviceContext& dc, int code, float x, float y, float, const CharParams& p) override
    {
        if (!g_driver) return;
        ScreenDriver& d = *g_driver;
        BackendWindow* w = currentWindow(d);
        if (!w || !d.fontSelected) return;
        flushPoints(d);
        double s = dc.devscl;
        double xc = x - (p.height + p.vOffset) * p.sinA;
        double yc = y - (p.height + p.vOffset) * p.cosA;
        int X = rnd(xc * s), Y = rnd(yc * s);
        w->drawChar(X - rnd(d.fontLeading * p.sinA), Y - rnd(d.fontLeading * p.cosA), screenCharacter(code));
    }

    // Window fonts are made and measured by windowFont(), which winfnt asks
    // for the widths it needs; nothing to do here.
    void font(DeviceContext&, const char*, float, int, bool) override { }

    bool windowFont(
        std::string_view name, int pixelHeight, int angleDegrees, std::uint16_t widths[kWindowFontCodes]) override
    {
        return screenWindowFont(name, pixelHeight, angleDegrees, widths) == 0;
    }

    void palette(DeviceContext&, const std::uint32_t* table) override
    {
        if (!g_driver) return;
        ScreenDriver& d = *g_driver;
        for (int i = 0; i < 256; ++i) d.table[i] = table[i] & 0xFFFFFFu;
    }

    void box(DeviceContext&, int x1, int y1, int x2, int y2) override
    {
        if (!g_driver) return;
        ScreenDriver& d = *g_driver;
        d.clip[0] = x1;
        d.clip[1] = y1;
        d.clip[2] = x2;
        d.clip[3] = y2;
    }

    void erase(DeviceContext&) override
    {
        if (!g_driver) return;
        ScreenDriver& d = *g_driver;
        flushPoints(d);
        Slot& s = d.slots[d.current];
        if (s.window) s.window->fillRect(0, 0, s.window->imageWidth(), s.window->imageHeight(), resolveColour(d, 0));
    }

    // The pixels of the x axis as the frame was drawn (the same rounding as
    // every vector), so that the window can map its pointer back to time.
    void axisSystem(DeviceContext& dc, const AxisFrame& frame) override
    {
        if (!g_driver || frame.xLogarithmic) return;
        BackendWindow* w = currentWindow(*g_driver);
        if (!w) return;
        const float s = dc.devscl;
        auto pixel = [s](int plotUnits) { return static_cast<int>(static_cast<float>(plotUnits) * s + 0.5f); };
        WindowAxis axis;
        axis.left = pixel(frame.left);
        axis.right = pixel(frame.left + frame.width - 1);
        axis.top = pixel(frame.bottom - frame.height + 1);
        axis.bottom = pixel(frame.bottom);
        axis.from = frame.xFrom;
        axis.to = frame.xTo;
        w->setAxis(axis);
    }

    // The window update of sendbf/winupd: show what is drawn so far and let
    // the waiting events of the thread run.
    void update(DeviceContext&) override
    {
        if (!g_driver) return;
        ScreenDriver& d = *g_driver;
        reapClosed(d);
        if (!currentWindow(d) || !g_backend) return;
        flushPoints(d);
        bool painted = g_backend->dispatchEvents();
        // An event handler may have replaced or closed the window meanwhile.
        reapClosed(d);
        if (!painted) present(d);
    }

    void finish(DeviceContext& dc) override
    {
        if (!g_driver) return;
        ScreenDriver& d = *g_driver;
        reapClosed(d);
        int mode = dc.windowMode;
        int key = dc.continueKey;
        int delay = dc.delay;
        d.windowMode = mode;
        d.continueKey = key;
        BackendWindow* w = currentWindow(d);
        linePoint(d, w, 0, 0, 3);
        linePoint(d, w, 0, 0, 999);
        d.count = 0;
        if (!w) return;
        w->present();
        w->setCloseEnabled(true);
        w->setTitle(finishTitle(d.current + 1, mode, key, delay));
        if (mode == 2) return;
        // Only input given while waiting continues.
        while (w->takeInput() != WindowInput::None) { }
        waitAfterFinish(d, mode, delay);
    }

private:
    // The waiting window modes: hold the program here until the window is
    // continued or closed (or the delay has passed).
    static void waitAfterFinish(ScreenDriver& d, int mode, int delay)
    {
        d.waiting = true;
        if (mode == 3) {
            destroyAllWindows(d);
        } else {
            auto until = std::chrono::steady_clock::now() + std::chrono::seconds(delay > 0 ? delay : 0);
            for (;;) {
                if (!g_backend) break;
                g_backend->dispatchEvents();
                reapClosed(d);
                BackendWindow* w = currentWindow(d);
                if (!w) break;
                if (mode == 4) {
                    if (std::chrono::steady_clock::now() >= until) {
                        destroyAllWindows(d);
                        break;
                    }
                } else if (mode == 0 || mode == 1) {
                    WindowInput in = w->takeInput();
                    bool go = in == WindowInput::RightButton || (in == WindowInput::Return && d.continueKey == 1)
                        || (in == WindowInput::Escape && d.continueKey == 2);
                    if (go) {
                        if (mode == 0) destroyAllWindows(d);
                        break;
                    }
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
        d.waiting = false;
    }
};

} // namespace

std::unique_ptr<Device> createScreenWriter()
{
    return std::make_unique<ScreenWriter>();
}

void setWindowBackend(WindowBackend* backend)
{
    if (backend == g_backend) return;
    if (g_driver) {
        g_driver->count = 0;
        destroyAllWindows(*g_driver);
    }
    g_backend = backend;
}

WindowBackend* windowBackend()
{
    return g_backend;
}

WindowBackendScope::WindowBackendScope(WindowBackend* backend) : previous_(g_backend)
{
    setWindowBackend(backend);
}

WindowBackendScope::~WindowBackendScope()
{
    setWindowBackend(previous_);
}

void resetScreenForTests()
{
    if (!g_driver) return;
    destroyAllWindows(*g_driver);
    delete g_driver;
    g_driver = nullptr;
}

BackendWindow* screenWindow(int slot)
{
    if (!g_driver || slot < 1 || slot > kSlots) return nullptr;
    return g_driver->slots[slot - 1].window.get();
}

int screenWindowFont(std::string_view name, int pixelHeight, int angleDegrees, std::uint16_t widths[kScreenFontCodes])
{
    if (!g_driver) return 1;
    ScreenDriver& d = *g_driver;
    BackendWindow* w = currentWindow(d);
    if (!w || pixelHeight <= 0) return 1;
    WindowFontRequest req;
    if (name.find("Arial") != std::string_view::npos)
        req.face = "Arial";
    else if (name.find("Courier") != std::string_view::npos)
        req.face = "Courier";
    else
        req.face = std::string(name);
    req.cellHeight = pixelHeight;
    req.escapement = angleDegrees * 10;
    req.weight = name.find("Bold") != std::string_view::npos ? 700 : 0;
    req.italic = name.find("Italic") != std::string_view::npos;
    if (!w->selectFont(req)) return 1;
    d.fontSelected = true;
    d.fontLeading = w->fontLeading();
    for (int i = 0; i < kScreenFontCodes; ++i) {
        double adv = w->advanceWidth(screenCharacter(32 + i)) * 10.0;
        widths[i] = static_cast<std::uint16_t>(adv <= 0 ? 0 : adv >= 65535 ? 65535 : static_cast<int>(adv));
    }
    return 0;
}

char32_t screenCharacter(int code)
{
    // Windows code page 1252 at 0x80..0x9F; the rest of 0xA0..0xFF is Latin-1.
    static constexpr char16_t cp1252[32] = {0x20AC, 0x0020, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6,
        0x2030, 0x0160, 0x2039, 0x0152, 0x0020, 0x017D, 0x0020, 0x0020, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013,
        0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x0020, 0x017E, 0x0178};
    if (code < 32 || code > 255 || code == 127) return U' ';
    if (code < 127) return static_cast<char32_t>(code);
    if (code < 160) return cp1252[code - 128];
    return static_cast<char32_t>(code);
}

} // namespace zedozo
