#pragma once
// The one interface between the engine core and an output device.
//
// The core converts plot units to device units (Device coordinates below)
// and hands whole batches of vectors to the writer, so the hot path
// curve -> polyline buffer -> devvec costs one virtual call per batch of up
// to a few hundred points, not one per point.
//
// The writers depend on this header alone (and the plot file, OutputFile.h);
// the core sees the output side only through it. A writer reads what it
// needs from the DeviceContext the core hands every call, and reports a
// failure with raiseFailure(); the core then runs the rest of the cycle
// drawing nothing (no further calls reach the writer in that cycle, and the
// plot file is discarded).
//
// One writer object per writer slot is created on first use from the table
// of devices (deviceKind(), Devices.cpp) and kept for later cycles
// (st.writers); open() starts each cycle anew.

#include "engine/output/OutputFile.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace zedozo {

struct WindowRequest {
    bool given = false;
    int x = 0, y = 0, w = 0, h = 0;
};

struct DeviceRect {
    int x = 0, y = 0, w = 0, h = 0;
};

// What the core tells the writer of a cycle, and what a writer's open()
// reports back (devRect, colourDepth). The core's cycle record extends it.
struct DeviceContext {
    int devcode = 0;             // 0: none chosen
    WindowRequest windowRequest; // window()
    DeviceRect devRect;          // set at disini
    float devscl = 1.0f;         // device units per plot unit
    int npagx = 2969;            // page extent in plot units, set at disini
    int npagy = 2099;
    int colourDepth = 8;
    int bgmode = 0;     // 0 dark background, 2 paper
    int windowMode = 0; // winmod 0..5
    int continueKey = 0;
    int delay = 10;
    std::unique_ptr<OutputFile> out; // plot file of a file device (made at its first disini)
};

// The frame of an axis system in plot units (lower left corner, lengths)
// and the user range of its x axis, as graf fixed them.
struct AxisFrame {
    int left = 0, bottom = 0, width = 0, height = 0;
    double xFrom = 0, xTo = 0;
    bool xLogarithmic = false;
};

// What a device can do. The core asks this instead of which device it
// draws to.
struct DeviceCaps {
    // How plot units become device units: Pixels (rounded to integers,
    // origin top-left, the scale fits the page into the window or image,
    // clipping also through box(), curves kept a pixel off the axis lines),
    // Paper (unrounded, portrait pages flipped upright, landscape pages with
    // x and y exchanged, the scale fits the page into paperShort x
    // paperLong device units and stays at most paperLimit per plot unit),
    // None (unchanged, scale 1).
    enum class Mapping { None, Pixels, Paper };
    Mapping mapping = Mapping::None;
    double paperShort = 0, paperLong = 0, paperLimit = 0;
    bool window = false;          // a screen window: no plot file, sendbf/winupd update it
    bool windowFonts = false;     // winfnt can make fonts on it
    bool hardwareFonts = false;   // psfont selects the device's own fonts
    bool oneContentStream = false; // lines, fills and text share one stream in drawing
                                   // order: pending lines go out first, polygons are paths
    bool paperBackground = false; // white paper (background mode 2)
    bool errorFile = false;       // warnings go to the error file, not the console
};

// One converted vector. Pixel devices: integral pixel coordinates
// (already rounded, origin top-left). Paper devices: unrounded device units
// with the portrait/landscape mapping applied (PostScript rounds in its
// writer, PDF writes two decimals). pen: 3 move, 2 draw,
// 5 close and fill (PDF polygons), 9 end path, 0 open, 999 flush/release.
struct DevVec {
    float x, y;
    int pen;
};

struct Rgb {
    int r = 0, g = 0, b = 0;
};

// What a hardware-font character needs besides code, origin and advance;
// filled by the text code from its settings.
struct CharParams {
    float angle = 0; // text angle, degrees counter-clockwise
    float sinA = 0;  // sine and cosine of the angle
    float cosA = 1;
    float vOffset = 0;   // vertical offset of the character, plot units
    float height = 0;    // character height, plot units
    int fontIndex = 0;   // standard PostScript font index 0..34 (PDF resource /F<index+1>)
    int refHeight = 683; // reference height of that font, 1/1000 em
};

// The engine's version, in the banner and in the files' creator lines.
inline constexpr float kEngineVersion = 9.1f;

// Services of the core that writers call.
// Raises the warning (number with its table text, or customTextOrEmpty for
// 101/168..170) with the plot-file name as argument, records it for
// lastFailure() whatever errmod says, and makes the rest of the cycle draw
// nothing.                                                     Warnings.cpp
void raiseFailure(int number, std::string_view customTextOrEmpty, std::string_view reason);
struct EngineTime {
    int year, month, day, hour, minute, second;
};
// SOURCE_DATE_EPOCH (UTC) when set, else the local clock.     Warnings.cpp
EngineTime engineNow();
// Nearest table index of an explicit colour.                  Colours.cpp
int nearestColourIndex(const std::uint32_t* table, int last, int r, int g, int b);

class Device {
public:
    virtual ~Device() = default;

    // Device set-up at disini. File devices: dc.devscl is computed and
    // dc.out is open on the plot file before this runs. Screen:
    // sets dc.devRect (client size + 1) and dc.colourDepth; the
    // core then computes devscl. Returns false after raiseFailure().
    virtual bool open(DeviceContext& dc) = 0;

    // A batch of n vectors in device coordinates (see DevVec).
    virtual void vectors(DeviceContext& dc, const DevVec* v, int n) = 0;

    // devcol: value as given (index or 0x01BBGGRR), rgb resolved by the core
    // (explicit colour, or table entry when the colour depth exceeds 8).
    virtual void colour(DeviceContext& dc, int value, Rgb rgb) = 0;

    // devpol: n points in device coordinates (pen fields unused).
    virtual void polygon(DeviceContext& dc, const DevVec* pts, int n) = 0;

    // devrec: corners in device coordinates, already clipped; screen and
    // raster get integral pixels, PostScript/PDF unrounded device units
    // (landscape: x and y exchanged).
    virtual void rect(DeviceContext& dc, float x1, float y1, float x2, float y2, int value, Rgb rgb) = 0;

    // devchr: character code, origin (plot units), advance (plot units).
    virtual void character(DeviceContext& dc, int code, float x, float y, float width, const CharParams& p) = 0;

    // devfnt: select (select == true: psfont/winfnt) or resize (height) the
    // hardware font. height in plot units, refHeight in 1/1000 em.
    virtual void font(DeviceContext& dc, const char* name, float height, int refHeight, bool select) = 0;

    // devvlt: the 256-entry colour table (0xRRGGBB) after it was loaded or changed.
    virtual void palette(DeviceContext& dc, const std::uint32_t* table) = 0;

    // devbox: pixel clip rectangle (screen and raster).
    virtual void box(DeviceContext& dc, int x1, int y1, int x2, int y2) = 0;

    // erase: clear the page (screen, raster); no effect on PostScript/PDF.
    virtual void erase(DeviceContext& dc) = 0;

    // Window update (sendbf/winupd): screen only.
    virtual void update(DeviceContext&) { }

    // graf has fixed the mapping of a new axis system; the screen hands its
    // x axis in pixels to the window.
    virtual void axisSystem(DeviceContext&, const AxisFrame&) { }

    // Window fonts (winfnt): makes the named font of pixelHeight pixels at
    // angleDegrees the current one and fills widths[i] with the advance of
    // the code 32 + i in tenths of a pixel. False when the device cannot
    // make it (widths untouched); only the screen window has such fonts.
    static constexpr int kWindowFontCodes = 231;
    virtual bool windowFont(std::string_view /*name*/, int /*pixelHeight*/, int /*angleDegrees*/,
        std::uint16_t /*widths*/[kWindowFontCodes])
    {
        return false;
    }

    // Device finish at disfin: complete the output into dc.out (file
    // devices); the core then commits and closes the file.
    virtual void finish(DeviceContext& dc) = 0;
};

// A device code's capabilities and its writer. create is null for a device
// this system recognises but does not write; writerSlot numbers the writers
// (0 .. kWriterSlots - 1), kept from one cycle to the next.      Devices.cpp
inline constexpr int kWriterSlots = 4;
struct DeviceKind {
    DeviceCaps caps;
    std::unique_ptr<Device> (*create)() = nullptr;
    int writerSlot = -1;
};
const DeviceKind& deviceKind(int devcode);

// Writers; deviceKind() names them by device code.
std::unique_ptr<Device> createPsWriter();     // PsWriter.cpp
std::unique_ptr<Device> createPdfWriter();    // PdfWriter.cpp
std::unique_ptr<Device> createRasterWriter(); // RasterPage.cpp
std::unique_ptr<Device> createScreenWriter(); // ScreenWriter.cpp
// Draws to nothing; its open() raises warning 101 with the given text and
// fails, so the cycle runs on without output.                 NullDevice.cpp
std::unique_ptr<Device> createUnsupportedDevice(const char* text);

} // namespace zedozo
