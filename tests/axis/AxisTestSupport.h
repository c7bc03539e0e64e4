#pragma once
// Axis, title and page tests: segment and string reconstruction from what a
// recording device received, and the program's axis settings.

#include "support/EngineAreaSupport.h"

#include "engine/core/Text.h"

#include <cmath>
#include <string>
#include <vector>

namespace axistest {

using namespace zedozotest;

struct Segment {
    float x0, y0, x1, y1;
};

// The drawn segments of a vector stream (pen 3 moves, pen 2 draws).
inline std::vector<Segment> segments(const std::vector<RecVec>& v)
{
    std::vector<Segment> out;
    float cx = 0, cy = 0;
    for (const RecVec& r : v) {
        if (r.pen == 2) out.push_back({cx, cy, r.x, r.y});
        cx = r.x;
        cy = r.y;
    }
    return out;
}

struct RecString {
    std::string text;
    float x, y;        // pen (baseline point) of the first character
    float angle;
    float endX, endY;  // pen after the last character's advance, without its gap
};

// A new string starts where a character is not at the pen position the
// previous one left.
inline std::vector<RecString> strings(const std::vector<RecChar>& chars)
{
    std::vector<RecString> out;
    float nextX = 0, nextY = 0;
    for (const RecChar& c : chars) {
        const float gap = 0.1f * c.p.height;
        const bool joined = !out.empty() && std::fabs(c.x - nextX) < 0.01f && std::fabs(c.y - nextY) < 0.01f &&
                            out.back().angle == c.p.angle;
        if (!joined) out.push_back({"", c.x, c.y, c.p.angle, 0, 0});
        out.back().text += static_cast<char>(c.code);
        out.back().endX = c.x + c.w * c.p.cosA;
        out.back().endY = c.y - c.w * c.p.sinA;
        nextX = c.x + (c.w + gap) * c.p.cosA;
        nextY = c.y - (c.w + gap) * c.p.sinA;
    }
    return out;
}

class EngineFixture : public EngineTest {
protected:
    // The program's axis settings: text 50 high, axis system at (350, 1800)
    // with lengths 2200 and 1600, one decimal, names 55 high.
    void programAxisSettings(const std::string& xName, const std::string& yName)
    {
        zedozo::hwfont();
        zedozo::height(50);
        zedozo::axspos(350, 1800);
        zedozo::axslen(2200, 1600);
        zedozo::name(xName, "x");
        zedozo::name(yName, "y");
        zedozo::labdig(1, "x");
        zedozo::axsscl("LIN", "y");
        zedozo::labdig(1, "y");
        zedozo::hname(55);
        zedozo::labels("FLOAT", "y");
    }
};

} // namespace axistest
