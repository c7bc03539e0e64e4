#pragma once
// Helpers for the engine tests: temporary folders, file reading, Ghostscript
// validation, a recording device, captured warning output.

#include "engine/core/Engine.h"
#include "engine/core/EngineInternal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace enginetest {

namespace fs = std::filesystem;

class TempDir {
public:
    TempDir()
    {
        std::string templ = (fs::temp_directory_path() / "zedozo-test-XXXXXX").string();
        char* p = ::mkdtemp(templ.data());
        if (p) path_ = p;
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
    std::ofstream out(name, std::ios::binary);
    out << text;
}

// Ghostscript must render the file without error.
inline void expectGhostscriptAccepts(const std::string& file)
{
    std::string cmd = "gs -dBATCH -dNOPAUSE -dSAFER -dQUIET -sDEVICE=nullpage '" + file + "' 2>&1";
    std::FILE* p = ::popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string out;
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    int rc = ::pclose(p);
    EXPECT_EQ(rc, 0) << "gs failed on " << file << ":\n" << out;
    EXPECT_EQ(out.find("Error"), std::string::npos) << out;
}

// The body of a PostScript file: the lines after the page transformation
// (and after the optional background rectangle).
inline std::vector<std::string> psBodyLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    bool body = false;
    while (std::getline(in, line)) {
        if (body) lines.push_back(line);
        else if (line.find(" scale") != std::string::npos && line.find("translate") != std::string::npos) body = true;
    }
    return lines;
}

inline std::string psBody(const std::string& text)
{
    std::string joined;
    for (const std::string& l : psBodyLines(text)) joined += l;
    return joined;
}

// Records every call the core makes on its device.
class RecordingDevice final : public zedozo::Device {
public:
    zedozo::DeviceFamily family() const override { return zedozo::DeviceFamily::PostScript; }
    bool open(zedozo::EngineState&) override { return true; }
    void vectors(zedozo::EngineState&, const zedozo::DevVec* v, int n) override
    {
        for (int i = 0; i < n; ++i) vecs.push_back(v[i]);
        ++batches;
    }
    void colour(zedozo::EngineState&, int value, zedozo::Rgb) override
    {
        colours.push_back(value);
        colourAt.push_back(vecs.size());
    }
    void polygon(zedozo::EngineState&, const zedozo::DevVec*, int n) override { polygons.push_back(n); }
    void rect(zedozo::EngineState&, float, float, float, float, int, zedozo::Rgb) override { ++rects; }
    void character(zedozo::EngineState&, int, float, float, float, const zedozo::CharParams&) override {}
    void font(zedozo::EngineState&, const char*, float, int, bool) override {}
    void palette(zedozo::EngineState&, const std::uint32_t*) override {}
    void box(zedozo::EngineState&, int, int, int, int) override {}
    void erase(zedozo::EngineState&) override {}
    void finish(zedozo::EngineState&) override {}

    std::vector<zedozo::DevVec> vecs;
    std::vector<int> colours;
    std::vector<std::size_t> colourAt;
    std::vector<int> polygons;
    int rects = 0;
    int batches = 0;
};

// Fresh engine, reproducible clock, working directory in a temp folder.
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

    // An EPS cycle on the given file, DELETE mode.
    void openEps(const std::string& file)
    {
        zedozo::metafl("EPS");
        zedozo::setfil(file);
        zedozo::filmod("DELETE");
        zedozo::disini();
    }

    TempDir dir;

private:
    fs::path oldCwd_;
};

} // namespace enginetest
