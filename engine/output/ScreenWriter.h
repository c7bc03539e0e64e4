#pragma once
// The screen window writer (devices XWIN, XWI1..XWI8, XWND): draws the page
// into the off-screen image of a top-level window through the installed
// window backend. The driver record and its windows live for the process;
// under window mode NONE a window stays on screen after disfin until the
// next screen disini for its slot replaces it or the user closes it.

#include "engine/output/Device.h"
#include "engine/output/WindowBackend.h"

#include <cstdint>
#include <string_view>

namespace zedozo {

// Destroys the screen windows and forgets the driver record, so that the
// next screen disini starts afresh (colour model chosen again).
void resetScreenForTests();

// Window fonts (winfnt): creates the font on the current slot's window,
// the name giving the face ("Arial" or "Courier" when it contains them,
// otherwise the name itself), weight ("Bold") and italic ("Italic"); cell
// height pixelHeight pixels; escapement angleDegrees. Fills widths[i] with
// the advance of the code 32 + i (i = 0 .. 230) in tenths of a pixel,
// truncated. Returns 0, or 1 when there is no window or the font cannot be
// made (widths then untouched).
inline constexpr int kScreenFontCodes = Device::kWindowFontCodes;
int screenWindowFont(std::string_view name, int pixelHeight, int angleDegrees, std::uint16_t widths[kScreenFontCodes]);

// The character a window font sets for an engine character code: codes
// below 127 unchanged, 127 to 255 by the window character set (Windows
// code page 1252), anything else a blank.
char32_t screenCharacter(int code);

} // namespace zedozo
