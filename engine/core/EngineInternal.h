#pragma once
// Services shared by the engine's operations: level checks, keyword
// matching, warnings, device primitives, the polyline buffer and clipping.
// Not for the program side.

#include "engine/core/EngineState.h"

#include <cstdarg>
#include <string>
#include <string_view>

namespace zedozo {

// ---- test seams -------------------------------------------------------------
// Discard the engine record (closing any open file without renaming it) so
// that the next call starts from a fresh one.                 EngineState.cpp
void resetEngineForTests();
// Fixes the user-to-plot mapping and clip rectangle as graf does for a
// linear axis system at (xp, yp) with lengths (nx, ny), and sets level 2.
//                                                                 Curve.cpp
void setAxisSystemForTests(float xa, float xe, float ya, float ye, int xp, int yp, int nx, int ny);
// The next buffer flush of the open plot file fails as if the disk were
// full (nothing happens when no plot file was made yet).          Cycle.cpp
void failNextPlotFileFlushForTests();

// ---- levels ---------------------------------------------------------------
// Strict check: stores the routine name; returns the record when the level
// lies in [lo, hi], otherwise raises warning 3 with the level and returns
// nullptr (the operation then does nothing).
EngineState* levelCheck(int lo, int hi, const char* routine);
// Settings check (levels 1..3): warns like levelCheck but always returns the
// record, so the setting is stored anyway.
EngineState& settingsCheck(const char* routine);

// ---- arguments --------------------------------------------------------------
// ASCII upper case of a keyword's letter, whatever the locale.
constexpr char upperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

// Keyword match on the first four characters, case-insensitive, against a
// table of 4-character fields joined by "+". Returns the field number (from
// 1), or raises warning 2 with the keyword and returns 0.
int matchKeyword(std::string_view table, int nfields, std::string_view keyword);
// Same without the warning (0 when nothing matches).
int findKeyword(std::string_view table, int nfields, std::string_view keyword);

struct AxisSelection {
    bool x = false, y = false, z = false;
};
// Letters X, Y, Z within the first 3 characters (upper-cased).
AxisSelection selectAxes(std::string_view axes);

// Fails (warning 2 with the value, returns false) when value < lo, or when
// hi >= lo and value > hi. hi < lo: no upper bound.
bool rangeCheck(int value, int lo, int hi);

// ---- warnings ---------------------------------------------------------------
// Warning texts 1..58 (0 is empty).
const char* warningText(int number);
// Counts the warning and loads its text; returns false when nothing is to be
// written (warnings switched off).
bool errmes(int number);
// Raise and write a warning in one of the three line forms.
void warnText(int number, std::string_view arg); // "...!   (%s)"
void warnInt(int number, int arg);               // "...!   (%4d)"
void warnPlain(int number);                      // "...!"
// Loads an operation's own text, raised as warning 101 (or 168..170).
void customText(std::string_view text);
// printf to the error stream (console = stdout, or the error file).
void errorPrintf(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void errorVPrintf(const char* fmt, std::va_list ap);

// A failure that leaves no page: raiseFailure() (Device.h).

// Existing-file policy of the file mode (0 count versions, 1 delete, 2 stop)
// for a file about to be written. Returns 0 (name possibly replaced by a
// free version name) or the warning number 168..170 with its text in text.
int chkfil(std::string& name, int fileMode, std::string& text);

// Summary banner at disfin; closes the error file.
void writeBanner(EngineState& st);
void closeErrorFile(EngineState& st);

// ---- clock ------------------------------------------------------------------
// engineNow() (Device.h): SOURCE_DATE_EPOCH (UTC) when set, else the local clock.

// ---- defaults run by disini -------------------------------------------------
void coreDefaults(EngineState& st);   // warnings, colours, curves; calls the three below
void colourDefaults(EngineState& st); // colour table, named colours, devvlt, devcol(foreground)
void axisDefaults(EngineState& st);   // Axis.cpp
void titleDefaults(EngineState& st);  // Title.cpp
void textDefaults(EngineState& st);   // Text.cpp

// ---- device primitives (plot units, page origin offsets already added) -----
void devvec(float x, float y, int pen);
void devcol(int colour);
void devpol(const float* x, const float* y, int n);
void devrec(float x1, float y1, float x2, float y2, int colour);
// Fills the page (pagfll): devrec over the whole page; on the screen and
// the raster page over every pixel of the device.
void fillPage(int colour);
void devchr(int code, float x, float y, float width, const CharParams& p);
void devfnt(const char* name, float height, int refHeight, bool select);
void devvlt(const std::uint32_t* table);
void devbox(float left, float top, float right, float bottom);
// The axis system graf has just fixed (st.map), for the device to note.
void devaxs();
// Converts a batch of plot-unit vectors to device coordinates in place,
// counts them and hands them to the device in one call.
void sendVectors(DevVec* v, int n);
// r, g, b of a colour value as the writers see it.
Rgb colourRgb(const EngineState& st, int colour);
// nearestColourIndex() (Device.h) finds the table index of an explicit colour.

// ---- drawing core -----------------------------------------------------------
// Pen services with the current line shift; points go into the polyline
// buffer, which clips against st.clip and sends devvec batches.
void penMove(float x, float y);
void penDraw(float x, float y);
void drawLine(float x1, float y1, float x2, float y2);
// Send the pending polyline (sendbuf).
void flushPolyline();
// Replace the clip window (plot units); screen and raster also get devbox.
void setClipWindow(const ClipWindow& w);
// Map a user point with the graf mapping (clamped to +-1e6).
void mapPoint(const EngineState& st, float x, float y, float& px, float& py);

} // namespace zedozo
