// Every input the fuzzers ever failed on (tests/hardening/inputs/TARGET/)
// and every seed (fuzz/corpus/TARGET/) run through the fuzz targets' own
// checks, in every build. The targets are compiled into this program under
// other names (fuzz_*_regression_test.cpp); their findings throw here.

#include "fuzz/FuzzSupport.h"
#include "support/Support.h"

#include <random>
#include <stdexcept>

extern "C" int fuzzLightCurveOneInput(const std::uint8_t* data, std::size_t size);
extern "C" int fuzzConfigurationOneInput(const std::uint8_t* data, std::size_t size);
extern "C" int fuzzKeywordsOneInput(const std::uint8_t* data, std::size_t size);
extern "C" int fuzzReplotOneInput(const std::uint8_t* data, std::size_t size);

namespace fuzz {

struct Finding : std::runtime_error {
    using std::runtime_error::runtime_error;
};

const std::string& scratchFolder()
{
    static qtest::TempDir dir;
    static const std::string folder = dir.path() + "/";
    return folder;
}

void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    if (!qtest::writeFile(path, std::string(reinterpret_cast<const char*>(data), size)))
        throw Finding("cannot write " + path);
}

void fail(const std::string& message)
{
    throw Finding(message);
}

} // namespace fuzz

namespace {

void runAll(const std::string& target, int (*entry)(const std::uint8_t*, std::size_t), std::size_t atLeast)
{
    std::size_t inputs = 0;
    for (const std::string folder : {QUORVA_SOURCE_DIR "/tests/hardening/inputs/", QUORVA_SOURCE_DIR "/fuzz/corpus/"})
        for (const std::string& name : qtest::listFolder(folder + target)) {
            const std::string bytes = qtest::readFile(folder + target + "/" + name);
            ++inputs;
            try {
                entry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
            } catch (const fuzz::Finding& f) {
                ADD_FAILURE() << folder << target << "/" << name << ": " << f.what();
            }
        }
    EXPECT_GE(inputs, atLeast) << target;
}

// Random light-curve files full of the faults such files have: noise,
// headers anywhere, numbers of every form, lines that straddle the reader's
// 179-character pieces, NUL bytes.
std::mt19937 rng(4242);
int pick(int n)
{
    return int(rng() % unsigned(n));
}

std::string randomNumber()
{
    std::string s = pick(6) == 0 ? " " : "";
    if (pick(4) == 0) s += "-+"[pick(2)];
    for (int d = pick(5) == 0 ? pick(22) : 1 + pick(4); d > 0; --d) s += char('0' + pick(10));
    if (pick(2)) {
        s += '.';
        for (int d = pick(5) == 0 ? pick(25) : pick(7); d > 0; --d) s += char('0' + pick(10));
    }
    if (pick(8) == 0) {
        s += "eE"[pick(2)];
        if (pick(2)) s += "+-"[pick(2)];
        if (pick(4) != 0) s += std::to_string(pick(45));
    }
    return s;
}

std::string randomLine()
{
    std::string line;
    switch (pick(12)) {
    case 0:
        break; // blank
    case 1: {  // noise from the characters that numbers and headers use
        static const char alphabet[] = "0123456789.,-+eE \t\rMHzT_";
        for (int n = pick(400); n > 0; --n) line += alphabet[pick(sizeof alphabet - 1)];
        if (pick(3) == 0) line.insert(std::size_t(pick(int(line.size()) + 1)), "Time_UT,");
        break;
    }
    case 2:
        line = "Time_UT," + randomNumber() + "MHz," + randomNumber() + (pick(3) ? "MHz," : " MHz,") + randomNumber()
            + "MHz";
        break;
    case 3: // padded to straddle the 179-character pieces
        line = std::string(std::size_t(150 + pick(60)), ' ') + randomNumber() + "," + randomNumber() + ","
            + randomNumber() + "," + randomNumber();
        break;
    default:
        for (int f = 0, fields = pick(6) == 0 ? pick(4) : 4; f < fields; ++f)
            line += (f == 0 ? "" : pick(30) == 0 ? " ," : ",") + randomNumber();
        if (pick(10) == 0) line += " comment";
    }
    if (pick(40) == 0) line.insert(std::size_t(pick(int(line.size()) + 1)), 1, '\0');
    return line;
}

// Through the light-curve target: read as fgets/sscanf read them.
TEST(FuzzRegression, RandomLightCurveFilesReadLikeFgetsAndSscanf)
{
    for (int file = 0; file < 300; ++file) {
        std::string written;
        const char* end = pick(2) ? "\r\n" : "\n";
        for (int i = 0, lines = pick(120); i < lines; ++i)
            written += randomLine() + (i + 1 < lines || pick(2) ? end : "");
        try {
            fuzzLightCurveOneInput(reinterpret_cast<const std::uint8_t*>(written.data()), written.size());
        } catch (const fuzz::Finding& f) {
            FAIL() << "random file " << file << ": " << f.what();
        }
    }
}

// Found under UndefinedBehaviorSanitizer (float-to-integer conversions) in
// the whole re-plot:
//   axis_label_beyond_float_range: values from -1e38 to 3e38 put the y
//     labels' positions beyond the float range part-way through;
//   nan_time_reaches_the_writers: a time "nan" went through the mapping
//     and the clipping into the PostScript writer's integer coordinates.
TEST(FuzzRegression, EveryCorpusThroughItsTarget)
{
    runAll("fuzz_light_curve", fuzzLightCurveOneInput, 4);
    runAll("fuzz_configuration", fuzzConfigurationOneInput, 7);
    testing::internal::CaptureStdout(); // the engine's warning lines
    runAll("fuzz_keywords", fuzzKeywordsOneInput, 3);
    runAll("fuzz_replot", fuzzReplotOneInput, 7);
    testing::internal::GetCapturedStdout();
}

} // namespace
