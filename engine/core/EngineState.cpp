// Creation and reset of the engine's single state record.
#include "engine/core/EngineInternal.h"

#include <cstdlib>

namespace zedozo {

namespace {

EngineState* g_state = nullptr;

// The record is never destroyed (writers may hold window-system objects that
// must not be torn down after the toolkit is gone), but a plot file still
// open when the process ends must not leave its temporary file behind.
void abandonAtExit()
{
    if (g_state) {
        g_state->cycle.out.reset();
        if (g_state->warn.errFile) std::fclose(g_state->warn.errFile);
        g_state->warn.errFile = nullptr;
    }
}

} // namespace

EngineState::~EngineState()
{
    if (warn.errFile) std::fclose(warn.errFile);
}

EngineState& engineState()
{
    if (!g_state) {
        static bool registered = false;
        if (!registered) {
            std::atexit(abandonAtExit);
            registered = true;
        }
        g_state = new EngineState();
    }
    return *g_state;
}

void resetEngineForTests()
{
    delete g_state; // the plot file's deleter removes an uncommitted temporary file
    g_state = nullptr;
}

const EngineFailure& lastFailure()
{
    return engineState().failure;
}

std::string failureText(const EngineFailure& f)
{
    if (!f.reason.empty()) return f.reason;
    if (!f.text.empty()) return f.text;
    return "warning " + std::to_string(f.warning);
}

void setWarnings(bool on)
{
    engineState().warn.warnOn = on;
}

} // namespace zedozo
