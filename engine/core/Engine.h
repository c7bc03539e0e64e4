#pragma once
// The plot engine's public operations. They return nothing and throw
// nothing: a bad argument or a call at the wrong level raises a numbered
// warning and the caller carries on. Failures that leave no page (plot file
// cannot be written, ...) are kept for lastFailure() (EngineState.h).
// This is the engine's public interface; EngineInternal.h is its own.

#include <string_view>

namespace zedozo {

// Output cycle (engine/output/Cycle.cpp).
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

} // namespace zedozo
