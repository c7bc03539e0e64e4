// PostScript/EPS writer: header, token buffer, path batches, colour, fill,
// polygon, character and font tokens; every file goes through Ghostscript.
#include "EngineTestSupport.h"

#include <cmath>

using namespace zedozo;
using namespace enginetest;

namespace {

class PostScript : public EngineTest {};

// Device units of a plot point on the landscape page: x and y exchanged.
int dev(float v) { return int(std::floor(double(v) * 3900.0 / 2099.0 + 0.5)); }
std::string pt(float x, float y) { return std::to_string(dev(y)) + " " + std::to_string(dev(x)); }

} // namespace

TEST_F(PostScript, HeaderPrologAndPageTransformation)
{
    const std::string f = dir.file("h.eps");
    open("EPS", f);
    disfin();
    const std::string text = readFile(f);
    std::istringstream in(text);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    ASSERT_EQ(lines.size(), 87u);
    EXPECT_EQ(lines[0], "%!PS-Adobe-3.0 EPSF-3.0");
    EXPECT_EQ(lines[1], "%%BoundingBox:  21 28 575 811");
    EXPECT_EQ(lines[2], "%%Creator: ZEDOZO   9.1 L");
    EXPECT_EQ(lines[3], "%%CreationDate: 14.11.2023 , 22:13:20");
    EXPECT_EQ(lines[4], "%%EndComments");
    EXPECT_EQ(lines[5], "%%Page: 1 1");
    EXPECT_EQ(lines[6], "2 setlinecap 2 setlinejoin");
    EXPECT_EQ(lines[84], " 8#271 /exclamdown 8#272 /questiondown ] def");
    EXPECT_EQ(lines[85], "  150 cm   200 cm translate 5 cm setlinewidth   1.000000  1.000000 scale");
    // EPS on paper background: no black page rectangle; the foreground
    // colour (index 255, black after the exchange) is set at disini.
    EXPECT_EQ(lines[86], "0 0 0 f showpage ");
    EXPECT_EQ(text.back(), '\n');
    expectGhostscriptAccepts(f);
}

TEST_F(PostScript, PsclPaintsTheBackgroundBlackAndPlainPostScriptUsesTheGreyTable)
{
    const std::string f = dir.file("p.psc");
    metafl("PSCL");
    setfil(f);
    disini();
    EXPECT_EQ(st().cycle.bgmode, 0);
    disfin();
    const std::string text = readFile(f);
    EXPECT_EQ(text.rfind("%!PS-Adobe-2.0\n", 0), 0u);
    EXPECT_NE(text.find("scale\n0 0 3900 5516 0 0 0 e \n"), std::string::npos);
    // Dark background: index 255 stays white.
    EXPECT_EQ(psBodyLines(text).back(), "255 255 255 f showpage ");
    expectGhostscriptAccepts(f);

    const std::string g = dir.file("q.ps");
    metafl("PS");
    setfil(g);
    disini();
    disfin();
    EXPECT_EQ(readFile(g).find(" e \n"), std::string::npos);
    expectGhostscriptAccepts(g);
}

TEST_F(PostScript, TwoPointLineAndColourChangeInsideAPolyline)
{
    const std::string f = dir.file("l.eps");
    open("EPS", f);
    drawLine(100, 200, 300, 400);
    disfin();
    EXPECT_EQ(psBodyLines(readFile(f)),
              std::vector<std::string>{"0 0 0 f " + pt(100, 200) + " u " + pt(300, 400) + " d p showpage "});
    expectGhostscriptAccepts(f);

    // The path so far is stroked, the colour follows, and the next draw
    // starts again at the last point.
    open("EPS", f);
    penMove(100, 200);
    penDraw(300, 400);
    color("red");
    penDraw(500, 450);
    color("BLUE");
    disfin();
    EXPECT_EQ(psBody(readFile(f)), "0 0 0 f " + pt(100, 200) + " u " + pt(300, 400) + " d p 255 0 0 f " +
                                       pt(300, 400) + " u " + pt(500, 450) + " d p 0 0 255 f showpage ");
    expectGhostscriptAccepts(f);
}

TEST_F(PostScript, A120PointPolylineGoesOutInThreeBatches)
{
    const std::string f = dir.file("b.eps");
    open("EPS", f);
    std::vector<std::pair<float, float>> p;
    for (int i = 0; i < 120; ++i) p.push_back({100.0f + 20.0f * i, 300.0f + float(i % 7) * 50.0f});
    devvec(p[0].first, p[0].second, 3);
    for (int i = 1; i < 120; ++i) devvec(p[i].first, p[i].second, 2);
    disfin();
    // Batches 1..50, 50..99, 99..120 (1-based), each "u", "d"s, "p".
    std::string want = "0 0 0 f ";
    for (auto [from, to] : {std::pair{1, 50}, {50, 99}, {99, 120}}) {
        for (int i = from; i <= to; ++i) want += pt(p[i - 1].first, p[i - 1].second) + (i == from ? " u " : " d ");
        want += "p ";
    }
    std::istringstream in(psBody(readFile(f)));
    std::string got;
    for (std::string t; in >> t;) got += t + " ";
    EXPECT_EQ(got, want + "showpage ");
    EXPECT_EQ(st().cycle.vectorCount, 120);
    expectGhostscriptAccepts(f);
}

TEST_F(PostScript, TokenBufferLineRule)
{
    const std::string f = dir.file("t.eps");
    open("EPS", f);
    unsigned seed = 12345;
    auto next = [&] {
        seed = seed * 1103515245u + 12345u;
        return float((seed >> 8) % 2969u);
    };
    for (int i = 0; i < 400; ++i) {
        drawLine(next(), next() * 0.7f, next(), next() * 0.7f);
        if (i % 37 == 0) devcol(i % 2 ? 0x010000FF : 17);
        if (i % 91 == 0) devrec(10, 10, float(i), 500, 3);
    }
    disfin();
    const std::vector<std::string> lines = psBodyLines(readFile(f));
    ASSERT_GT(lines.size(), 50u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        ASSERT_LE(l.size(), 80u) << l;
        ASSERT_FALSE(l.empty());
        EXPECT_EQ(l.back(), ' ') << l;
        EXPECT_NE(l.front(), ' ') << l;
        EXPECT_EQ(l.find("  "), std::string::npos) << l;
        if (i + 1 < lines.size()) {
            // A line ends only when the next token would not fit.
            std::string first = lines[i + 1].substr(0, lines[i + 1].find(' ') + 1);
            EXPECT_GT(l.size() + first.size(), 80u) << l << "|" << first;
        }
    }
    expectGhostscriptAccepts(f);
}

TEST_F(PostScript, PageFillPolygonCharacterAndFontTokens)
{
    const std::string f = dir.file("x.eps");
    open("EPS", f);
    devrec(0, 0, 2969, 2099, 0);   // the plot job's page fill on EPS: index 0 is white here
    float px[3] = {100, 500, 300}, py[3] = {100, 100, 400};
    devpol(px, py, 3);
    devfnt("Times-Roman", 50, 683, true);
    CharParams cp;
    cp.height = 50;
    devchr(65, 1000, 1000, 40, cp);
    devfnt(nullptr, 100, 683, false);
    disfin();
    const std::string body = psBody(readFile(f));
    EXPECT_NE(body.find("0 0 0 f 0 0 3900 5516 255 255 255 e "), std::string::npos) << body;
    EXPECT_NE(body.find(pt(100, 100) + " u " + pt(500, 100) + " d " + pt(300, 400) + " d " + pt(100, 100) +
                        " d eofill "),
              std::string::npos)
        << body;
    // Font size in points: 50 * devscl * 0.28346458 * 1000/683 * 0.5.
    EXPECT_NE(body.find("(Times-Roman) (Times-Roman-German) GermanVec ReEncodeSmall (Times-Roman-German) 19.3 font "),
              std::string::npos)
        << body;
    // Character centred on its advance: baseline point (1020, 1000), angle 0 + 90 on the turned page.
    EXPECT_NE(body.find("65 " + pt(1020, 1000) + " 90 c "), std::string::npos) << body;
    EXPECT_NE(body.find("(Times-Roman-German) 38.6 font "), std::string::npos) << body;
    expectGhostscriptAccepts(f);
}
