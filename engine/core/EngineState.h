#pragma once
// The plot engine's single process-wide state record.
//
// Created on first use by engineState() and kept until the process ends.
// It aggregates one sub-record per area so that each area is owned (and
// edited) in its own header:
//   AxisState   (AxisState.h)   axis system settings
//   TitleState  (TitleState.h)  title lines and their layout
//   TextState   (TextState.h)   character height, angle, fonts
// and the core's own records declared here: warnings, page, output cycle,
// colours, curve settings, polyline buffer, clip window, user-to-plot
// mapping.

#include "engine/Engine.h"
#include "engine/core/AxisState.h"
#include "engine/core/TextState.h"
#include "engine/core/TitleState.h"
#include "engine/output/Device.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace zedozo {

// Warning switches, error stream and the last warning (errmod, errmes).
struct WarningState {
    bool warnOn = true;      // errmod WARN
    int checkOn = 1;         // errmod CHEC: data checks (out-of-scaling report)
    bool protocolOn = true;  // errmod PROT: summary banner at disfin
    bool useErrFile = false; // error stream is the error file (else the console, stdout)
    std::FILE* errFile = nullptr;
    bool errFileOpen = false;
    std::string errFileUsedName; // name of the error file opened in this cycle
    int warningCount = 0;        // since disini, printed or not
    std::string routine;         // engine operation last entered
    std::string message;         // last warning text (up to 80 characters)
};

// Page geometry.
struct PageState {
    float limitX = 2969.0f; // largest page coordinates, page units ("DA4L")
    float limitY = 2099.0f;
    char pagfmt[5] = "DA4L";
    float pageScale = 1.0f;   // page units per plot unit
    float epsilon = 1.0e-35f; // magnitudes below count as zero (axis checks)
    int npagx = 2969;         // page extent in plot units
    int npagy = 2099;
    int originX = 0; // page origin offsets added by the core
    int originY = 0;
};

// Output cycle (metafl ... disfin): what the writer sees (DeviceContext,
// Device.h) and the core's own part.
struct CycleState : DeviceContext {
    char devname[5] = ""; // keyword given to metafl, upper case
    int firstBgmode = -1;
    std::string plotFile;      // current output file name (whole)
    std::string savedPlotFile; // name of the last setfil
    int plotFileStatus = 0;    // 0 no setfil, 1 given not used, 2 saved name in use
    int fileMode = 0;          // filmod: 0 count, 1 delete, 2 break
    bool fileWritten = false;    // this cycle writes a plot file (banner "Metafile:")
    bool errFileWasOpen = false; // the error file was opened in this cycle (banner "Err-file:")
    long long vectorCount = 0;   // devvec calls in this cycle
    bool drawNothing = false; // the cycle failed: everything goes to the null device
};

// Colours (rainbow table, named colours, foreground/background).
struct ColourState {
    std::uint32_t table[256] = {}; // 0xRRGGBB
    std::int32_t named[12] = {};   // colour values by keyword number 1..11
    int foreground = 255;
    int background = 0;
    int current = 0; // last value given to devcol
};

// Curve settings.
struct CurveState {
    int thickness = 1;      // thkcrv, 1..10000
    float lineShift = 0.0f; // perpendicular shift of the pass being drawn
    int symbolMode = 0;
    bool logGap = false; // loggap: values a logarithmic axis cannot show break the curve
};

// The 100-point polyline buffer with its pen.
struct PolylineBuffer {
    static constexpr int kCapacity = 100;
    float x[kCapacity];
    float y[kCapacity];
    int count = 0;
    float penX = 0, penY = 0; // pen position (unshifted)
    bool continued = false;   // point 1 was already sent (continuation of a sent buffer)
    bool pendingMove = false; // a move recorded while a line shift is active
    bool flushing = false;    // devcol must not flush recursively
};

// Clip window of line drawing, plot units (inclusive bounds).
struct ClipWindow {
    float left = 0, top = 0, right = 2969, bottom = 2099;
};

// User-to-plot mapping fixed by graf, used by curve and the titles.
struct UserMapping {
    float xa = 0, xe = 1, xorg = 0, xstep = 1;
    float ya = 0, ye = 1, yorg = 0, ystep = 1;
    float xFactor = 1, yFactor = 1; // (len - 1) / (e - a)
    float xOrigin = 0, yOrigin = 0; // axis position x and y
    float xRange[2] = {0, 1};       // ordered smaller first
    float yRange[2] = {0, 1};
    bool xLog = false, yLog = false;      // scaling of the axes when graf ran
    int clipRect[4] = {0, 0, 2969, 2099}; // left, top, right, bottom
};

struct EngineState {
    int level = 0;
    WarningState warn;
    PageState page;
    CycleState cycle;
    ColourState colour;
    CurveState curve;
    PolylineBuffer poly;
    ClipWindow clip;
    UserMapping map;
    AxisState axis;
    TitleState title;
    TextState text;
    Device* device = nullptr; // writer of the current cycle (null: draws nothing)
    // Writers by DeviceKind::writerSlot, kept between cycles: the screen
    // window stays up while a file is plotted, the PDF writer keeps its record.
    std::unique_ptr<Device> writers[kWriterSlots];
    std::unique_ptr<Device> unsupported; // stand-in for a device this system does not write
    EngineFailure failure;
    ~EngineState();
};

// The record, created on first use.
EngineState& engineState();

} // namespace zedozo
