// The screen writer against the in-memory window backend: set-up, colours,
// the 50-point polylines, fills, titles, window lifetime, fonts, the window
// update and the waiting window modes.
#include "engine/TestSeams.h"
#include "engine/core/EngineInternal.h"
#include "engine/core/EngineState.h"
#include "engine/output/Device.h"
#include "engine/output/MemoryWindowBackend.h"
#include "engine/output/ScreenWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace zedozo;

namespace {

constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;
constexpr int kExplicitRed = 0x010000FF, kExplicitGreen = 0x0100FF00, kExplicitBlue = 0x01FF0000;

class ScreenWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetScreenForTests();
        resetEngineForTests();
        scope_ = std::make_unique<WindowBackendScope>(&backend);
    }
    void TearDown() override {
        scope_.reset();
        resetScreenForTests();
        resetEngineForTests();
    }

    EngineState& request(int x, int y, int w, int h, int devcode = 72) {
        EngineState& st = engineState();
        st.cycle.devcode = devcode;
        st.cycle.bgmode = 0;
        st.cycle.windowRequest = {true, x, y, w, h};
        return st;
    }

    // A screen device opened on a 200 x 100 window request.
    std::unique_ptr<Device> open(int w = 200, int h = 100) {
        EngineState& st = request(10, 20, w, h);
        auto dev = createScreenWriter(st);
        EXPECT_TRUE(dev->open(st));
        return dev;
    }

    static void send(Device& dev, std::vector<DevVec> v) {
        dev.vectors(engineState(), v.data(), static_cast<int>(v.size()));
    }

    MemoryWindowBackend backend;
    std::unique_ptr<WindowBackendScope> scope_;
};

TEST_F(ScreenWriterTest, SetUpTakesTheWindowRequestOrTheDefaultCorner) {
    EngineState& st = request(100, 50, 960, 679);
    auto dev = createScreenWriter(st);
    ASSERT_TRUE(dev->open(st));
    // Client area one pixel below the request and one pixel smaller; the
    // image and the device rectangle are the full request.
    ASSERT_EQ(backend.log().front(), "create 1 100 51 959 678");
    MemoryWindow* w = backend.window();
    EXPECT_EQ(w->imageWidth(), 960);
    EXPECT_EQ(w->imageHeight(), 679);
    EXPECT_EQ(st.cycle.devRect.w, 960);
    EXPECT_EQ(st.cycle.colourDepth, 32);
    EXPECT_EQ(w->title(), "ZEDOZO 1 / Working");
    EXPECT_FALSE(w->closeEnabled());
    EXPECT_EQ(w->countPixels(0x000000), 960 * 679);  // colour index 0: black

    // Without a request: two thirds of the desktop width, the page's aspect
    // ratio, bottom right corner.
    st.cycle.windowMode = 2;
    dev->finish(st);
    backend.setDesktop({1280, 1024, 24});
    st.cycle.windowRequest = {};
    auto dev2 = createScreenWriter(st);
    ASSERT_TRUE(dev2->open(st));
    EXPECT_EQ(backend.log().back(), "title 2 ZEDOZO 1 / Working");
    EXPECT_NE(std::find(backend.log().begin(), backend.log().end(), "create 2 427 422 852 602"),
              backend.log().end());
    EXPECT_EQ(st.cycle.devRect.w, 853);
    EXPECT_EQ(st.cycle.devRect.h, 603);
    EXPECT_EQ(st.cycle.colourDepth, 24);
}

TEST_F(ScreenWriterTest, ColoursFollowTheTrueColourModelAndTheTable) {
    auto dev = open();
    EngineState& st = engineState();
    std::uint32_t table[256];
    for (int i = 0; i < 256; ++i) table[i] = static_cast<std::uint32_t>(i * 0x010101);
    table[7] = 0x123456;
    dev->palette(st, table);
    MemoryWindow* w = backend.window();
    dev->colour(st, kExplicitGreen, {});
    EXPECT_EQ(w->colour(), kGreen);
    dev->colour(st, 7, {});
    EXPECT_EQ(w->colour(), 0x123456u);
    dev->colour(st, 256 + 7, {});  // the low 8 bits index the table
    EXPECT_EQ(w->colour(), 0x123456u);
    dev->erase(st);
    EXPECT_EQ(w->countPixels(0x000000), 200 * 100);

    // On an 8-bit display an explicit colour becomes a table entry.
    resetScreenForTests();
    backend.setDesktop({1024, 768, 8});
    dev = open();
    w = backend.window();
    for (int i = 0; i < 256; ++i) table[i] = 0x808080;
    table[0] = 0x000000;
    table[255] = 0xFFFFFF;
    table[128] = 0xF00000;
    dev->palette(st, table);
    dev->colour(st, kExplicitRed, {});
    EXPECT_EQ(w->colour(), 0xF00000u);
    dev->colour(st, 255, {});
    EXPECT_EQ(w->colour(), 0xFFFFFFu);
}

TEST_F(ScreenWriterTest, PolylinesAreCollectedFiftyPointsAtATime) {
    auto dev = open();
    MemoryWindow* w = backend.window();
    std::vector<DevVec> v;
    v.push_back({0, 0, 3});
    for (int i = 1; i <= 120; ++i) {
        v.push_back({float(i), float(i % 2), 2});
        v.push_back({float(i), float(i % 2), 2});  // repeated points are dropped
    }
    send(*dev, v);
    // 50 and 50 points, flushed as they fill, sharing their end points.
    ASSERT_EQ(w->polylines().size(), 2u);
    EXPECT_EQ(w->polylines()[0].size(), 50u);
    EXPECT_EQ(w->polylines()[1].size(), 50u);
    EXPECT_EQ(w->polylines()[0].back().x, w->polylines()[1].front().x);
    EXPECT_EQ(w->polylines()[1].front().x, 49);
    // A colour change sends the rest first, in the old colour.
    dev->colour(engineState(), kExplicitRed, {});
    ASSERT_EQ(w->polylines().size(), 3u);
    EXPECT_EQ(w->polylines()[2].size(), 23u);  // points 98 .. 120
    EXPECT_EQ(w->polylines()[2].back().x, 120);
    EXPECT_EQ(w->pixel(120, 0), 0xFFFFFFu);
    EXPECT_EQ(w->pixel(60, 0), 0xFFFFFFu);

    // The list goes on from the last point after the flush: one more draw
    // joins it in the new colour.
    send(*dev, {{150, 50, 2}, {150, 60, 3}});
    ASSERT_EQ(w->polylines().size(), 4u);
    EXPECT_EQ(w->polylines()[3].front().x, 120);
    EXPECT_EQ(w->pixel(150, 50), kRed);

    // A draw to where the pen is sets one pixel; a move alone sets nothing;
    // a draw without any point before it is dropped.
    int pixels = w->pixelCalls();
    send(*dev, {{30, 70, 3}, {30, 70, 2}, {40, 80, 3}, {50, 90, 3}});
    EXPECT_EQ(w->pixelCalls(), pixels + 1);
    EXPECT_EQ(w->pixel(30, 70), kRed);
    EXPECT_EQ(w->pixel(40, 80), 0u);
}

TEST_F(ScreenWriterTest, RectanglesAndPolygonsAreFilled) {
    auto dev = open();
    EngineState& st = engineState();
    MemoryWindow* w = backend.window();
    dev->colour(st, kExplicitBlue, {});
    dev->rect(st, 10, 20, 19, 24, kExplicitGreen, {});
    EXPECT_EQ(w->countPixels(kGreen), 10 * 5);  // corners inclusive
    EXPECT_EQ(w->pixel(10, 20), kGreen);
    EXPECT_EQ(w->pixel(19, 24), kGreen);
    EXPECT_EQ(w->pixel(20, 24), 0u);
    EXPECT_EQ(w->colour(), kBlue);  // the current colour stays
    dev->rect(st, 30, 30, 29, 40, kExplicitGreen, {});  // empty
    EXPECT_EQ(w->countPixels(kGreen), 50);

    // A pending polyline is drawn before the fill that follows it.
    send(*dev, {{100, 5, 3}, {140, 5, 2}});
    dev->rect(st, 100, 0, 140, 10, kExplicitGreen, {});
    EXPECT_EQ(w->pixel(120, 5), kGreen);

    std::vector<DevVec> tri = {{50, 50, 0}, {90, 50, 0}, {50, 90, 0}};
    dev->polygon(st, tri.data(), 3);
    EXPECT_EQ(w->pixel(55, 55), kBlue);
    EXPECT_EQ(w->pixel(85, 85), 0u);
    EXPECT_GT(w->countPixels(kBlue), 700);
    EXPECT_LT(w->countPixels(kBlue), 900);
}

TEST_F(ScreenWriterTest, TitlesWhileDrawingAndAfterEachWindowMode) {
    auto dev = open();
    EngineState& st = engineState();
    MemoryWindow* w = backend.window();
    EXPECT_EQ(w->title(), "ZEDOZO 1 / Working");
    EXPECT_FALSE(w->userClose());  // no closing while the page is drawn
    st.cycle.windowMode = 2;
    dev->finish(st);
    EXPECT_EQ(w->title(), "ZEDOZO 1");
    EXPECT_TRUE(w->closeEnabled());
    EXPECT_GE(w->presents(), 1);
    EXPECT_EQ(backend.windows().size(), 1u);  // NONE: the window stays

    // Slot 3 (XWI3): its own window; slot 1's keeps its title.
    EngineState& st3 = request(0, 0, 100, 100, 74);
    auto dev3 = createScreenWriter(st3);
    ASSERT_TRUE(dev3->open(st3));
    EXPECT_EQ(backend.window()->title(), "ZEDOZO 3 / Working");
    EXPECT_EQ(backend.windows().size(), 2u);
    st3.cycle.windowMode = 4;
    st3.cycle.delay = 0;
    dev3->finish(st3);
    // The delay mode shows its title, waits and destroys the windows.
    EXPECT_TRUE(backend.windows().empty());
    EXPECT_EQ(backend.log()[backend.log().size() - 3], "title 2 ZEDOZO 3 / Delay time 0 seconds");
}

TEST_F(ScreenWriterTest, WaitingModesEndOnTheirInput) {
    EngineState& st = engineState();
    // Mode 1 (no erase), Return key: a right click continues, the window stays.
    auto dev = open();
    st.cycle.windowMode = 1;
    st.cycle.continueKey = 1;
    int dispatches = 0;
    backend.setEventHook([&] {
        if (++dispatches == 3) backend.window()->userInput(WindowInput::Escape);  // not the key
        if (dispatches == 5) backend.window()->userInput(WindowInput::Return);
        return false;
    });
    dev->finish(st);
    EXPECT_EQ(dispatches, 5);
    ASSERT_EQ(backend.windows().size(), 1u);
    EXPECT_EQ(backend.window()->title(), "ZEDOZO 1 / Click MB2 or RETURN to continue ...");

    // Mode 0 (full): the right click destroys the windows.
    dev = open();
    st.cycle.windowMode = 0;
    st.cycle.continueKey = 0;
    backend.setEventHook([&] {
        backend.window()->userInput(WindowInput::RightButton);
        return false;
    });
    dev->finish(st);
    EXPECT_TRUE(backend.windows().empty());

    // Mode 5 ignores clicks; closing the window ends the wait.
    dev = open();
    st.cycle.windowMode = 5;
    dispatches = 0;
    backend.setEventHook([&] {
        MemoryWindow* w = backend.window();
        w->userInput(WindowInput::RightButton);
        if (++dispatches == 4) w->userClose();
        return false;
    });
    dev->finish(st);
    EXPECT_EQ(dispatches, 4);
    EXPECT_TRUE(backend.windows().empty());

    // Mode 3 (no hold) destroys the window at once.
    backend.setEventHook({});
    dev = open();
    st.cycle.windowMode = 3;
    dev->finish(st);
    EXPECT_TRUE(backend.windows().empty());
}

TEST_F(ScreenWriterTest, NextSetUpReplacesTheWindowAndAClosedOneIsMadeAnew) {
    EngineState& st = engineState();
    auto dev = open();
    st.cycle.windowMode = 2;
    dev->finish(st);
    dev = open();
    // The old window goes before the new one comes; only one at a time.
    std::vector<std::string> expect = {"create 1 10 21 199 99", "title 1 ZEDOZO 1 / Working",
                                       "title 1 ZEDOZO 1", "destroy 1", "create 2 10 21 199 99",
                                       "title 2 ZEDOZO 1 / Working"};
    EXPECT_EQ(backend.log(), expect);
    EXPECT_EQ(backend.windows().size(), 1u);
    dev->finish(st);

    // The user closes the finished window; the next plot opens a new one.
    ASSERT_TRUE(backend.window()->userClose());
    dev = open();
    ASSERT_NE(screenWindow(1), nullptr);
    EXPECT_EQ(backend.windowsCreated(), 3);
    EXPECT_EQ(backend.windows().size(), 1u);
    EXPECT_TRUE(screenWindow(1)->isOpen());
    send(*dev, {{1, 1, 3}, {5, 1, 2}});
    dev->finish(st);
    EXPECT_EQ(backend.window()->pixel(3, 1), 0xFFFFFFu);
}

TEST_F(ScreenWriterTest, WindowUpdateDispatchesEventsAndShowsThePicture) {
    auto dev = open();
    EngineState& st = engineState();
    MemoryWindow* w = backend.window();
    bool painted = false;
    int seenPolylines = -1;
    backend.setEventHook([&] {
        seenPolylines = static_cast<int>(w->polylines().size());
        return painted;
    });
    send(*dev, {{1, 1, 3}, {50, 1, 2}});
    dev->update(st);
    EXPECT_EQ(seenPolylines, 1);  // the collected points were drawn first
    EXPECT_EQ(w->presents(), 1);
    painted = true;  // a repaint during the dispatch has shown the image already
    dev->update(st);
    EXPECT_EQ(backend.dispatches(), 2);
    EXPECT_EQ(w->presents(), 1);

    // A handler that takes the backend away during the dispatch: the rest of
    // the cycle draws nothing and does not fail.
    backend.setEventHook([&] {
        setWindowBackend(nullptr);
        return false;
    });
    dev->update(st);
    send(*dev, {{1, 5, 3}, {50, 5, 2}});
    dev->finish(st);
    EXPECT_TRUE(backend.windows().empty());
}

TEST_F(ScreenWriterTest, FailuresAreReportedNotFatal) {
    EngineState& st = request(0, 0, 100, 100);
    {
        WindowBackendScope none(nullptr);
        auto dev = createScreenWriter(st);
        EXPECT_FALSE(dev->open(st));
        EXPECT_EQ(lastFailure().warning, 101);
        EXPECT_EQ(lastFailure().text, "Cannot open the screen window");
    }
    resetEngineForTests();
    EngineState& st1 = request(0, 0, 100, 100);
    backend.setNoDisplay();
    EXPECT_FALSE(createScreenWriter(st1)->open(st1));
    EXPECT_EQ(lastFailure().reason, "No display");

    resetEngineForTests();
    EngineState& st2 = request(0, 0, 100, 100);
    backend.setDesktop({800, 600, 32});
    backend.setImagesFail(true);
    EXPECT_FALSE(createScreenWriter(st2)->open(st2));
    EXPECT_EQ(lastFailure().text, "Cannot create Bitmap");
    EXPECT_TRUE(backend.windows().empty());  // no window without a surface

    backend.setImagesFail(false);
    resetEngineForTests();
    EngineState& st3 = request(0, 0, 100, 100);
    EXPECT_TRUE(createScreenWriter(st3)->open(st3));
}

TEST_F(ScreenWriterTest, WindowFontsAreMeasuredAndCharactersPlacedByTheirCell) {
    std::uint16_t widths[kScreenFontCodes] = {};
    EXPECT_EQ(screenWindowFont("Times New Roman", 20, 0, widths), 1);  // no window yet
    auto dev = open();
    EngineState& st = engineState();
    MemoryWindow* w = backend.window();
    ASSERT_EQ(screenWindowFont("Arial Bold Italic", 20, 90, widths), 0);
    EXPECT_EQ(w->font().face, "Arial");
    EXPECT_EQ(w->font().weight, 700);
    EXPECT_TRUE(w->font().italic);
    EXPECT_EQ(w->font().escapement, 900);
    ASSERT_EQ(screenWindowFont("Times New Roman", 20, 0, widths), 0);
    EXPECT_EQ(w->font().face, "Times New Roman");
    EXPECT_EQ(w->font().weight, 0);
    EXPECT_EQ(widths['A' - 32], 140);
    EXPECT_EQ(widths[262 - 32], 50);   // beyond the character set: a blank (20 * 0.25 pixels, in tenths)

    // Character origin (100, 200) plot units, height 50, scale 0.5, leading
    // 20 / 8 = 2 pixels: the cell's top left at rnd(100 * .5), rnd(150 * .5) - 2.
    st.cycle.devscl = 0.5f;
    CharParams p;
    p.height = 50;
    dev->character(st, 'H', 100, 200, 0, p);
    ASSERT_EQ(w->chars().size(), 1u);
    EXPECT_EQ(w->chars()[0].x, 50);
    EXPECT_EQ(w->chars()[0].y, 73);
    EXPECT_EQ(w->chars()[0].ch, U'H');
    // Upward text (90 degrees): the cell lies to the left of the baseline.
    p.angle = 90;
    p.sinA = 1;
    p.cosA = 0;
    dev->character(st, 0xE4, 100, 200, 0, p);
    EXPECT_EQ(w->chars()[1].x, 23);  // rnd(50 * .5) - 2
    EXPECT_EQ(w->chars()[1].y, 100);
    EXPECT_EQ(w->chars()[1].ch, U'\u00E4');
}

}  // namespace
