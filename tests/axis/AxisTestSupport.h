#pragma once
// Helpers for the axis, title and page tests: a device that records what
// reaches it in plot units, segment and string reconstruction, captured
// console output, a temporary folder.

#include "engine/core/Engine.h"
#include "engine/core/EngineInternal.h"
#include "engine/core/Text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace axistest {

namespace fs = std::filesystem;

struct RecChar {
    int code;
    float x, y, w;
    zedozo::CharParams p;
};

struct RecRect {
    float x1, y1, x2, y2;
    int colour;
    std::size_t vecsBefore;   // vectors that reached the device before it
};

// One vector in plot units, with the pen code.
struct RecVec {
    float x, y;
    int pen;
};

// Records every primitive in plot units (the tests set devscl to 1).
class Recorder final : public zedozo::Device {
public:
    explicit Recorder(zedozo::DeviceFamily f) : family_(f) {}
    zedozo::DeviceFamily family() const override { return family_; }
    bool open(zedozo::EngineState&) override { return true; }
    void vectors(zedozo::EngineState& st, const zedozo::DevVec* v, int n) override
    {
        const bool swapped = zedozo::familyOf(st.cycle.devcode) == zedozo::DeviceFamily::PostScript &&
                             st.page.npagx > st.page.npagy;
        for (int i = 0; i < n; ++i) {
            // The landscape paper mapping exchanges x and y.
            if (swapped) vecs.push_back({v[i].y, v[i].x, v[i].pen});
            else vecs.push_back({v[i].x, v[i].y, v[i].pen});
        }
    }
    void colour(zedozo::EngineState&, int value, zedozo::Rgb) override { colours.push_back(value); }
    void polygon(zedozo::EngineState&, const zedozo::DevVec*, int) override {}
    void rect(zedozo::EngineState& st, float x1, float y1, float x2, float y2, int value, zedozo::Rgb) override
    {
        const bool swapped = zedozo::familyOf(st.cycle.devcode) == zedozo::DeviceFamily::PostScript &&
                             st.page.npagx > st.page.npagy;
        if (swapped) rects.push_back({y1, x1, y2, x2, value, vecs.size()});
        else rects.push_back({x1, y1, x2, y2, value, vecs.size()});
    }
    void character(zedozo::EngineState&, int code, float x, float y, float w, const zedozo::CharParams& p) override
    {
        chars.push_back({code, x, y, w, p});
    }
    void font(zedozo::EngineState&, const char*, float h, int, bool) override { fontHeights.push_back(h); }
    void palette(zedozo::EngineState&, const std::uint32_t*) override {}
    void box(zedozo::EngineState&, int, int, int, int) override {}
    void erase(zedozo::EngineState&) override {}
    void finish(zedozo::EngineState&) override {}

    void clear()
    {
        vecs.clear();
        chars.clear();
        rects.clear();
        colours.clear();
        fontHeights.clear();
    }

    std::vector<RecVec> vecs;
    std::vector<RecChar> chars;
    std::vector<RecRect> rects;
    std::vector<int> colours;
    std::vector<float> fontHeights;

private:
    zedozo::DeviceFamily family_;
};

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

// A string as the device received it: its characters and where it started.
struct RecString {
    std::string text;
    float x, y;        // pen (baseline point) of the first character
    float angle;
    float endX, endY;  // pen after the last character's advance, without its gap
};

// Splits the character stream into strings: a new string starts where a
// character is not at the pen position the previous one left.
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

inline std::string captureStdout(const std::function<void()>& f)
{
    ::testing::internal::CaptureStdout();
    f();
    std::fflush(stdout);
    return ::testing::internal::GetCapturedStdout();
}

class EngineFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
        zedozo::resetEngineForTests();
        char templ[] = "/tmp/quorva-axis-XXXXXX";
        ASSERT_NE(::mkdtemp(templ), nullptr);
        dir_ = templ;
    }
    void TearDown() override
    {
        zedozo::resetEngineForTests();
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    // Opens a cycle on the device keyword and hands the primitives to a
    // recorder with one device unit per plot unit. Console output of the
    // opening (a writer not built yet) is swallowed.
    void open(const char* device, zedozo::DeviceFamily family)
    {
        rec = std::make_unique<Recorder>(family);
        captureStdout([&] {
            zedozo::metafl(device);
            zedozo::setfil((dir_ / "out").string());
            zedozo::filmod("DELETE");
            zedozo::disini();
        });
        zedozo::EngineState& s = zedozo::engineState();
        s.device = rec.get();
        s.cycle.drawNothing = false;
        s.cycle.devscl = 1.0f;
    }

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

    zedozo::EngineState& st() { return zedozo::engineState(); }

    std::unique_ptr<Recorder> rec;
    fs::path dir_;
};

} // namespace axistest
