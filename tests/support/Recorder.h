#pragma once
// A device that records what the engine core sends it, and a fixture with a
// fresh engine, a reproducible clock and a scratch working folder.

#include "engine/TestSeams.h"
#include "engine/Engine.h"
#include "support/Support.h"

#include <memory>

namespace qtest {

inline std::string captureStdout(const std::function<void()>& f)
{
    ::testing::internal::CaptureStdout();
    f();
    std::fflush(stdout);
    return ::testing::internal::GetCapturedStdout();
}

// Records the vectors and characters the core sends its
// device; vectors in plot units (the tests set devscl to 1, and the
// landscape paper's exchange of x and y is undone).
class Recorder final : public zedozo::Device {
public:
    bool open(zedozo::DeviceContext&) override { return true; }
    void vectors(zedozo::DeviceContext& st, const zedozo::DevVec* v, int n) override
    {
        for (int i = 0; i < n; ++i) vecs.push_back(swapped(st) ? zedozo::DevVec {v[i].y, v[i].x, v[i].pen} : v[i]);
    }
    void colour(zedozo::DeviceContext&, int, zedozo::Rgb) override { }
    void polygon(zedozo::DeviceContext&, const zedozo::DevVec*, int) override { }
    void rect(zedozo::DeviceContext&, float, float, float, float, int, zedozo::Rgb) override { }
    void character(zedozo::DeviceContext&, int code, float, float, float, const zedozo::CharParams&) override
    {
        chars.push_back(code);
    }
    void font(zedozo::DeviceContext&, const char*, float, int, bool) override { }
    void palette(zedozo::DeviceContext&, const std::uint32_t*) override { }
    void box(zedozo::DeviceContext&, int, int, int, int) override { }
    void erase(zedozo::DeviceContext&) override { }
    void finish(zedozo::DeviceContext&) override { }

    void clear() { vecs.clear(), chars.clear(); }

    std::vector<zedozo::DevVec> vecs;
    std::vector<int> chars;

private:
    static bool swapped(const zedozo::DeviceContext& st)
    {
        return zedozo::deviceKind(st.devcode).caps.mapping == zedozo::DeviceCaps::Mapping::Paper && st.npagx > st.npagy;
    }
};

// Fresh engine, reproducible clock, working folder in a scratch folder.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
        zedozo::resetEngineForTests();
        oldCwd_ = fs::current_path();
        fs::current_path(dir.path());
    }
    void TearDown() override { fs::current_path(oldCwd_), zedozo::resetEngineForTests(); }
    zedozo::EngineState& st() { return zedozo::engineState(); }

    // A cycle on the device keyword and file, DELETE mode.
    void open(const char* device, const std::string& file)
    {
        zedozo::metafl(device), zedozo::setfil(file), zedozo::filmod("DELETE"), zedozo::disini();
    }

    // A cycle whose primitives go to `rec` at one device unit per plot unit.
    void openRecorded(const char* device)
    {
        rec = std::make_unique<Recorder>();
        captureStdout([&] { open(device, dir / "out"); });
        st().device = rec.get(), st().cycle.drawNothing = false, st().cycle.devscl = 1.0f;
    }

    TempDir dir;
    std::unique_ptr<Recorder> rec;

private:
    fs::path oldCwd_;
};

} // namespace qtest
