// Plot size, plot position, interval and the coalescing of re-plot requests.

#include "app/AutoPlot.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace quorva;

namespace {

PlotGeometry sized(int index)
{
    PlotGeometry g;
    EXPECT_TRUE(applyPlotSize(index, g));
    return g;
}

} // namespace

TEST(PlotSize, EntriesDivisorsAndWindowSizesFromTheDesktopWidth)
{
    const char* names[] = {"Extra Small", "Small", "Medium", "Large", "Extra Large"};
    const int widths[] = {480, 640, 960, 1920, 3840};
    const int heights[] = {339, 452, 678, 1357, 2715};
    for (int i = 0; i < kPlotSizeCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_STREQ(plotSizeName(i), names[i]);
        const WindowSize s = windowSize(1920, sized(i));
        EXPECT_EQ(s.width, widths[i]);
        EXPECT_EQ(s.height, heights[i]);
    }
    EXPECT_EQ(plotSizeName(5), nullptr);

    // Outside the list nothing changes; the start values are "Medium".
    PlotGeometry g;
    EXPECT_FALSE(applyPlotSize(8, g));
    EXPECT_FALSE(applyPlotSize(-1, g));
    EXPECT_EQ(windowSize(1920, g).width, 960);
    EXPECT_EQ(windowSize(1920, g).height, 678);

    // Medium on a desktop 1280 wide: h=452 px, w=640 px.
    const WindowSize m = windowSize(1280, sized(2));
    EXPECT_EQ(heightText(m.height), "h=452 px");
    EXPECT_EQ(widthText(m.width), "w=640 px");
}

TEST(PlotPosition, StartStepsMovesAndLimits)
{
    EXPECT_EQ(positionStep(1280, false), 6);
    EXPECT_EQ(positionStep(1024, true), 51);

    const DesktopSize fullHd{1920, 1080};
    PlotGeometry g = sized(2);
    startPosition(g, fullHd);
    EXPECT_EQ(g.plotLeft, 960);
    EXPECT_EQ(g.plotTop, 401);

    // At the right and bottom limits the moves keep the limits; up and left
    // go by the step, held at 0; exactly onto the limit is a plain step.
    movePosition(g, Move::Right, 9, fullHd);
    EXPECT_EQ(g.plotLeft, 960);
    movePosition(g, Move::Down, 9, fullHd);
    EXPECT_EQ(g.plotTop, 401);
    movePosition(g, Move::Up, 9, fullHd);
    EXPECT_EQ(g.plotTop, 392);
    movePosition(g, Move::Down, 9, fullHd);
    EXPECT_EQ(g.plotTop, 401);
    g.plotLeft = 5;
    movePosition(g, Move::Left, 9, fullHd);
    EXPECT_EQ(g.plotLeft, 0);

    // A larger size keeps the position until a move: down then jumps to the
    // bottom limit of "Large", which lies above the desktop (-277.85 -> -277).
    applyPlotSize(3, g);
    g.plotTop = 401;
    movePosition(g, Move::Down, 9, fullHd);
    EXPECT_EQ(g.plotTop, -277);
    g.plotLeft = 500;
    movePosition(g, Move::Right, 9, fullHd);
    EXPECT_EQ(g.plotLeft, 0);
    // From a negative position up is held at 0.
    g.plotTop = -277;
    movePosition(g, Move::Up, 9, fullHd);
    EXPECT_EQ(g.plotTop, 0);

    PlotGeometry large = sized(4);
    startPosition(large, fullHd);
    EXPECT_EQ(large.plotLeft, -1920);
    EXPECT_EQ(large.plotTop, 1080 - 2715); // 1080 - 2715.6 cut toward zero
}

TEST(AutoPlotState, IntervalClampingAndRunStop)
{
    EXPECT_EQ(clampInterval(-7), 1);
    EXPECT_EQ(clampInterval(10), 10);
    EXPECT_EQ(clampInterval(std::int64_t{1} << 40), 600);

    AutoPlot a(0);
    EXPECT_EQ(a.intervalMilliseconds(), 1000);
    EXPECT_EQ(a.setIntervalSeconds(900), 600);
    EXPECT_EQ(a.intervalMilliseconds(), 600000);
    EXPECT_FALSE(a.running());
    EXPECT_STREQ(a.buttonCaption(), "Run");
    a.toggle();
    EXPECT_TRUE(a.running());
    EXPECT_STREQ(a.buttonCaption(), "Stop");
}

TEST(RePlotGate, RequestsDuringARePlotRunOnceAfterIt)
{
    int depth = 0, maxDepth = 0, calls = 0;
    RePlotGate* self = nullptr;
    int nestedPerCall = 0;
    RePlotGate gate([&] {
        ++calls;
        maxDepth = std::max(maxDepth, ++depth);
        // Requests arriving while this one runs (as events dispatched by
        // the screen window would): remembered, not run inside.
        for (int i = 0; i < nestedPerCall; ++i)
            EXPECT_FALSE(self->request());
        nestedPerCall = 0; // the deferred run brings no new requests
        --depth;
    });
    self = &gate;

    EXPECT_TRUE(gate.request());
    EXPECT_EQ(calls, 1);

    nestedPerCall = 3;
    EXPECT_TRUE(gate.request());
    EXPECT_EQ(calls, 3); // this one and ONE for the three that came meanwhile
    EXPECT_EQ(maxDepth, 1);
    EXPECT_FALSE(gate.running());
    EXPECT_FALSE(gate.pending());
    EXPECT_EQ(gate.runs(), 3u);
}

TEST(RePlotGate, AThrowingRePlotLeavesTheGateUsable)
{
    int calls = 0;
    RePlotGate* self = nullptr;
    RePlotGate gate([&] {
        if (++calls == 1) {
            self->request(); // remembered ...
            throw std::runtime_error("plot failed");
        }
    });
    self = &gate;
    EXPECT_THROW(gate.request(), std::runtime_error);
    EXPECT_EQ(calls, 1); // ... and dropped with the failed one
    EXPECT_FALSE(gate.running());
    EXPECT_FALSE(gate.pending());
    EXPECT_TRUE(gate.request());
    EXPECT_EQ(calls, 2);
}
