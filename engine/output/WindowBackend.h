#pragma once
// The small windowing interface the screen writer draws through. It knows
// nothing about the engine: pixels, colours as 0xRRGGBB words, one font at a
// time per window. The desktop program (and the screen tests) install the Qt
// implementation.

#include <cstdint>
#include <memory>
#include <string>

namespace zedozo {

struct PixelPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// User input that can end a wait after the page is finished.
enum class WindowInput { None, RightButton, Return, Escape };

struct DesktopInfo {
    int width = 0;        // pixels
    int height = 0;       // pixels
    int bitsPerPixel = 0; // colour depth of the display
};

// A screen font as the writer asks for it: the face name, the height of the
// whole character cell (ascent + descent) in pixels, the escapement in tenths
// of a degree counter-clockwise, the weight (700 bold, 0 normal) and italic.
struct WindowFontRequest {
    std::string face;
    int cellHeight = 0;
    int escapement = 0;
    int weight = 0;
    bool italic = false;
};

// The x axis of the axis system last drawn into a window's image, in its
// pixels: column `left` shows the axis value `from` and column `right` the
// value `to`, linearly in between; the axis system spans rows `top` to
// `bottom`. The desktop maps the pointer to axis values with it (zoom).
struct WindowAxis {
    int left = 0, right = 0;
    int top = 0, bottom = 0;
    double from = 0.0, to = 0.0;
};

// One top-level window with its off-screen image. Destroying the object
// destroys the window. All drawing goes into the image; present() copies it
// into the window, and the window repaints itself from the image.
class BackendWindow {
public:
    virtual ~BackendWindow() = default;

    // Client area as the window system actually made it.
    virtual int clientWidth() const = 0;
    virtual int clientHeight() const = 0;

    // (Re)creates the off-screen image, filled with fill (0xRRGGBB). False
    // when it cannot be allocated; the window then has no image and drawing
    // calls do nothing.
    virtual bool createImage(int width, int height, std::uint32_t fill) = 0;
    virtual int imageWidth() const = 0;
    virtual int imageHeight() const = 0;

    // Colour (0xRRGGBB) of the one-pixel pen, the polygon brush and the text.
    virtual void setColour(std::uint32_t rgb) = 0;
    // One solid polyline through n >= 2 points in the current colour.
    virtual void polyline(const PixelPoint* points, int n) = 0;
    virtual void setPixel(int x, int y) = 0;
    // Fills x .. x + width - 1, y .. y + height - 1; leaves the current colour.
    virtual void fillRect(int x, int y, int width, int height, std::uint32_t rgb) = 0;
    // Filled polygon of n points in the current colour, outlined by the pen.
    virtual void fillPolygon(const PixelPoint* points, int n) = 0;

    // Makes the font current for measuring and drawing; false when it cannot
    // be created.
    virtual bool selectFont(const WindowFontRequest& request) = 0;
    // Advance of one character of the current font along its baseline, pixels.
    virtual double advanceWidth(char32_t ch) const = 0;
    // Internal plus external leading of the current font, pixels.
    virtual int fontLeading() const = 0;
    // Draws one character with the top left corner of its (rotated) cell at
    // (x, y), transparent background, current colour.
    virtual void drawChar(int x, int y, char32_t ch) = 0;

    // Copies the image into the window now.
    virtual void present() = 0;
    virtual void setTitle(const std::string& title) = 0;
    virtual std::string title() const = 0;
    // While disabled the user cannot close the window.
    virtual void setCloseEnabled(bool enabled) = 0;
    // False once the user has closed the window.
    virtual bool isOpen() const = 0;
    // The oldest right click, Return or Escape on the window not taken yet.
    virtual WindowInput takeInput() = 0;

    // An axis system with a linear x axis was drawn into the image (graf);
    // a backend without pointer input may ignore it.
    virtual void setAxis(const WindowAxis& /*axis*/) { }
};

class WindowBackend {
public:
    virtual ~WindowBackend() = default;

    // Size and colour depth of the display; false when there is none.
    virtual bool desktop(DesktopInfo& info) = 0;

    // Creates and shows a top-level window whose client area starts at
    // (x, y) on the screen and has the given size. Returns null when it
    // cannot be made; lastError() then tells why.
    virtual std::unique_ptr<BackendWindow> createWindow(
        int x, int y, int clientWidth, int clientHeight, const std::string& title)
        = 0;

    // Dispatches every event waiting for this thread. True when a window of
    // this backend repainted itself from its image meanwhile.
    virtual bool dispatchEvents() = 0;

    virtual std::string lastError() const = 0;
};

// The screen writer's side (ScreenWriter.cpp), for the program that
// hands its toolkit's windows to the engine.

// Installs the backend that screen output draws through. Windows made by
// the previous backend are destroyed first. Without a backend a screen
// disini fails (reported through lastFailure()) and the cycle draws nothing.
void setWindowBackend(WindowBackend* backend);
// The installed backend, null when none (the desktop listens to its windows).
WindowBackend* windowBackend();

// Installs a backend for the lifetime of the scope and restores the
// previous one (destroying this backend's windows) when it ends.
class WindowBackendScope {
public:
    explicit WindowBackendScope(WindowBackend* backend);
    ~WindowBackendScope();
    WindowBackendScope(const WindowBackendScope&) = delete;
    WindowBackendScope& operator=(const WindowBackendScope&) = delete;

private:
    WindowBackend* previous_;
};

// The window of a slot (1..8), null when the slot is empty.
BackendWindow* screenWindow(int slot = 1);

} // namespace zedozo
