// Every input the fuzzers ever failed on (tests/hardening/inputs/TARGET/)
// and every seed (fuzz/corpus/TARGET/) run through the fuzz targets' own
// checks, in every build. The targets are compiled into this program under
// other names (fuzz_*_regression_test.cpp); their findings throw here.

#include "fuzz/FuzzSupport.h"
#include "support/Support.h"

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

void silenceStandardOutput() {}

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

TEST(FuzzRegression, ReadersAndKeywords)
{
    runAll("fuzz_light_curve", fuzzLightCurveOneInput, 4);
    runAll("fuzz_configuration", fuzzConfigurationOneInput, 3);
    testing::internal::CaptureStdout(); // the engine's warning lines
    runAll("fuzz_keywords", fuzzKeywordsOneInput, 3);
    testing::internal::GetCapturedStdout();
}

// The whole re-plot to PDF, EPS and PNG. Found under
// UndefinedBehaviorSanitizer (float-to-integer conversions):
//   axis_label_beyond_float_range: values from -1e38 to 3e38 put the y
//     labels' positions beyond the float range part-way through;
//   nan_time_reaches_the_writers: a time "nan" went through the mapping
//     and the clipping into the PostScript writer's integer coordinates.
TEST(FuzzRegression, WholeRePlot)
{
    runAll("fuzz_replot", fuzzReplotOneInput, 7);
}

} // namespace
