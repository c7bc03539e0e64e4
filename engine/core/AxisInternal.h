#pragma once
// Services of the axis system shared with the titles and the page header.
// Not for the program side.

#include <cstddef>
#include <string>
#include <string_view>

namespace zedozo {

struct EngineState;

// Sets the character height through `height`, so that a hardware font
// follows, but keeps the name of the running operation for its warnings.
// Heights below 1 are taken as 1.
void setTextHeight(EngineState& st, int h);

// The FLOAT label text of v with ndig digits after the point (-1: an
// integer without a point). Returns the text length; the text is cut to
// size - 1 characters if the buffer is smaller.
// The user-to-plot mapping and the clip rectangle of an axis system at the
// current axis position and lengths (what graf fixes before drawing).
void fixMapping(
    EngineState& st, float xa, float xe, float xorg, float xstep, float ya, float ye, float yorg, float ystep);

int formatFloatLabel(char* buf, std::size_t size, float v, int ndig);

// The page header of paghdr: the text before (at most 100 characters), a
// blank, date, time and engine version, then as much of the text after as
// fits into 132 characters.
std::string pageHeaderText(std::string_view before, std::string_view after);

} // namespace zedozo
