#pragma once
// The plot engine's public interface, the one engine header the program
// includes. The operations return nothing and throw nothing: a bad argument
// or a call at the wrong level raises a numbered warning and the caller
// carries on. Failures that leave no page (plot file cannot be written, ...)
// are kept for lastFailure(). Everything under engine/core/ and
// engine/output/ is the engine's inside, except the window backend
// interface (engine/output/WindowBackend.h) a toolkit fills for the screen.

#include <optional>
#include <string>
#include <string_view>

namespace zedozo {

// Output cycle (engine/core/Cycle.cpp).
void metafl(std::string_view device);
void window(int x, int y, int w, int h);
void setfil(std::string_view fileName);
void filmod(std::string_view mode);
void winmod(std::string_view mode);
void disini();
void disfin();
void erase();
void sendbf();
void winupd();

// Warnings (Warnings.cpp).
void errmod(std::string_view option, std::string_view onOff);

// Page decoration and titles (Page.cpp, Title.cpp).
void pagera();
void pagfll(int colour);
void paghdr(std::string_view before, std::string_view after, int position, int direction);
void titlin(std::string_view line, int n);
void title();

// Text and fonts (Text.cpp).
void hwfont();
void height(int h);
void angle(int degrees);
void complx();
void psfont(std::string_view name);
void winfnt(std::string_view name);
void messag(std::string_view text, int nx, int ny);

// Axis system (Axis.cpp).
void axspos(int x, int y);
void axslen(int nx, int ny);
void name(std::string_view text, std::string_view axes);
void labdig(int ndig, std::string_view axes);
void axsscl(std::string_view type, std::string_view axes);
void hname(int h);
void labels(std::string_view type, std::string_view axes);
void ticks(int n, std::string_view axes);
void graf(float xa, float xe, float xorg, float xstep, float ya, float ye, float yorg, float ystep);
void endgrf();

// Curves and colours (Curve.cpp, Colours.cpp).
void color(std::string_view name);
void thkcrv(int n);
void curve(const float* x, const float* y, int n);
void loggap(std::string_view onOff);

// What went wrong in the last cycle, for the caller to ask after disfin.
struct EngineFailure {
    int warning = 0;      // 0: no failure
    std::string text;     // warning text
    std::string fileName; // plot file concerned (may be empty)
    std::string reason;   // the system's reason (may be empty)
    bool failed() const { return warning != 0; }
};

// The failure of the last cycle (warning 0 when it succeeded).
const EngineFailure& lastFailure();

// What to tell a user about a failure: the system's reason, else the
// warning text, else the warning number.                      EngineState.cpp
std::string failureText(const EngineFailure& failure);

// Warning lines on the console on (the default) or off, without the level
// check of errmod: a caller that reports failures itself switches them off
// before the cycle. disini switches them on again.           EngineState.cpp
void setWarnings(bool on);

// Removes the temporary plot files (".zedozo-PID-N.tmp") in `folder`
// ("" the working folder, else ending with '/') whose process no longer
// exists: killed, or the machine lost power, before it could rename or
// remove them. A file of a live process is never touched, nor is anything
// whose PID cannot be checked. Returns the number removed.
int removeStaleTemporaryFiles(const std::string& folder); // OutputFile.cpp

// SOURCE_DATE_EPOCH (seconds since 1970) when it is set to one, so that
// dates in output are reproducible; nothing otherwise.      Warnings.cpp
std::optional<long long> sourceDateEpoch();

// Code of the hardware fonts' character set (WinAnsi) for an engine
// character code: codes below 127 unchanged, the accented letters 127..186
// mapped, everything else a blank.                                  Text.cpp
int winAnsiCode(int engineCode);

} // namespace zedozo
