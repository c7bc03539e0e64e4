#pragma once
// Shared by the engine, text, axis, writer and screen tests: temporary
// folders, files, running the independent readers, captured console output,
// a device that records what the core sends, and a fresh-engine fixture.

#include "engine/TestSeams.h"
#include "engine/core/Engine.h"
#include "engine/core/EngineInternal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace zedozotest {

namespace fs = std::filesystem;

class TempDir {
public:
    TempDir()
    {
        std::string templ = (fs::temp_directory_path() / "zedozo-test-XXXXXX").string();
        if (::mkdtemp(templ.data())) path_ = templ;
    }
    ~TempDir()
    {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    std::vector<std::string> entries() const
    {
        std::vector<std::string> v;
        for (auto& e : fs::directory_iterator(path_)) v.push_back(e.path().filename().string());
        std::sort(v.begin(), v.end());
        return v;
    }

private:
    fs::path path_;
};

inline std::string readFile(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeFile(const std::string& name, const std::string& text)
{
    std::ofstream(name, std::ios::binary) << text;
}

struct RunResult {
    int status = -1;
    std::string out;   // stdout and stderr
};

inline RunResult run(const std::string& cmd)
{
    RunResult r;
    std::FILE* p = ::popen((cmd + " 2>&1").c_str(), "r");
    if (!p) return r;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int rc = ::pclose(p);
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return r;
}

inline std::string shellQuoted(const std::string& s) { return "'" + s + "'"; }

inline std::string captureStdout(const std::function<void()>& f)
{
    ::testing::internal::CaptureStdout();
    f();
    std::fflush(stdout);
    return ::testing::internal::GetCapturedStdout();
}

inline void expectGhostscriptAccepts(const std::string& file)
{
    const RunResult r = run("gs -dBATCH -dNOPAUSE -dSAFER -dQUIET -sDEVICE=nullpage " + shellQuoted(file));
    EXPECT_EQ(r.status, 0) << "gs failed on " << file << ":\n" << r.out;
    EXPECT_EQ(r.out.find("Error"), std::string::npos) << r.out;
}

// Text Ghostscript extracts from a landscape PostScript page, turned back so
// that upright text reads as lines.
inline std::string ghostscriptText(const std::string& file)
{
    const RunResult r = run("gs -q -dBATCH -dNOPAUSE -dSAFER -sPAPERSIZE=a4 -dFIXEDMEDIA -sDEVICE=txtwrite "
                            "-sOutputFile=- -c '<</Install {-90 rotate -842 0 translate}>> setpagedevice' -f " +
                            shellQuoted(file));
    return r.status == 0 ? r.out : r.out + "\n(gs failed)";
}

struct RecVec {
    float x, y;
    int pen;
};

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

struct RecFont {
    std::string name;
    float height;
    int refHeight;
    bool select;
};

// Records every call the core makes on its device, vectors and rectangles in
// plot units (the tests set devscl to 1; the landscape paper mapping of the
// PostScript devices, which exchanges x and y, is undone).
class Recorder final : public zedozo::Device {
public:
    explicit Recorder(zedozo::DeviceFamily f = zedozo::DeviceFamily::PostScript) : family_(f) {}
    zedozo::DeviceFamily family() const override { return family_; }
    bool open(zedozo::EngineState&) override { return true; }
    void vectors(zedozo::EngineState& st, const zedozo::DevVec* v, int n) override
    {
        for (int i = 0; i < n; ++i) vecs.push_back(swapped(st) ? RecVec{v[i].y, v[i].x, v[i].pen} : RecVec{v[i].x, v[i].y, v[i].pen});
        ++batches;
    }
    void colour(zedozo::EngineState&, int value, zedozo::Rgb) override
    {
        colours.push_back(value);
        colourAt.push_back(vecs.size());
    }
    void polygon(zedozo::EngineState&, const zedozo::DevVec*, int) override {}
    void rect(zedozo::EngineState& st, float x1, float y1, float x2, float y2, int value, zedozo::Rgb) override
    {
        if (swapped(st)) rects.push_back({y1, x1, y2, x2, value, vecs.size()});
        else rects.push_back({x1, y1, x2, y2, value, vecs.size()});
    }
    void character(zedozo::EngineState&, int code, float x, float y, float w, const zedozo::CharParams& p) override
    {
        chars.push_back({code, x, y, w, p});
    }
    void font(zedozo::EngineState&, const char* name, float h, int ref, bool select) override
    {
        fonts.push_back({name ? name : "", h, ref, select});
    }
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
        fonts.clear();
    }

    std::vector<RecVec> vecs;
    std::vector<RecChar> chars;
    std::vector<RecRect> rects;
    std::vector<int> colours;
    std::vector<std::size_t> colourAt;
    std::vector<RecFont> fonts;
    int batches = 0;

private:
    static bool swapped(const zedozo::EngineState& st)
    {
        return zedozo::familyOf(st.cycle.devcode) == zedozo::DeviceFamily::PostScript && st.page.npagx > st.page.npagy;
    }
    zedozo::DeviceFamily family_;
};

// Fresh engine, reproducible clock, working directory in a temporary folder.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
        zedozo::resetEngineForTests();
        oldCwd_ = fs::current_path();
        fs::current_path(dir.path());
    }
    void TearDown() override
    {
        fs::current_path(oldCwd_);
        zedozo::resetEngineForTests();
    }
    zedozo::EngineState& st() { return zedozo::engineState(); }

    // A cycle on the device keyword and file, DELETE mode.
    void open(const char* device, const std::string& file)
    {
        zedozo::metafl(device);
        zedozo::setfil(file);
        zedozo::filmod("DELETE");
        zedozo::disini();
    }

    // A cycle whose primitives go to `rec` at one device unit per plot unit;
    // console output of the opening is swallowed.
    void openRecorded(const char* device, zedozo::DeviceFamily family = zedozo::DeviceFamily::PostScript)
    {
        rec = std::make_unique<Recorder>(family);
        captureStdout([&] { open(device, dir.file("out")); });
        st().device = rec.get();
        st().cycle.drawNothing = false;
        st().cycle.devscl = 1.0f;
    }

    TempDir dir;
    std::unique_ptr<Recorder> rec;

private:
    fs::path oldCwd_;
};

} // namespace zedozotest
