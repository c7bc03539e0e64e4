// Every input the fuzzers ever failed on (tests/hardening/inputs/TARGET/)
// and every seed (tests/fuzz/corpus/TARGET/) run through the fuzz targets'
// own checks, in the normal and in the sanitizer build. The fuzz targets
// are compiled into this program under other names
// (fuzz_*_regression_test.cpp); their findings throw here instead of
// aborting.

#include "HardeningSupport.h"
#include "fuzz/FuzzSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

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
    static const std::string folder = [] {
        std::string pattern = "/tmp/quorva-fuzz-regression-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            throw Finding("cannot create a scratch folder");
        static const std::string made = pattern;
        std::atexit([] { hardening::removeTree(made); });
        return pattern + "/";
    }();
    return folder;
}

void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out)
        throw Finding("cannot write " + path);
}

void silenceStandardOutput() {}

void fail(const std::string& message)
{
    throw Finding(message);
}

} // namespace fuzz

namespace {

std::vector<std::string> inputsOf(const std::string& target)
{
    std::vector<std::string> files;
    for (const std::string& folder : {std::string(QUORVA_SOURCE_DIR "/tests/hardening/inputs/") + target,
                                      std::string(QUORVA_SOURCE_DIR "/tests/fuzz/corpus/") + target}) {
        if (DIR* d = ::opendir(folder.c_str())) {
            while (dirent* e = ::readdir(d)) {
                if (e->d_name[0] != '.')
                    files.push_back(folder + "/" + e->d_name);
            }
            ::closedir(d);
        }
    }
    return files;
}

void runAll(const std::string& target, int (*entry)(const std::uint8_t*, std::size_t), std::size_t atLeast)
{
    const std::vector<std::string> files = inputsOf(target);
    EXPECT_GE(files.size(), atLeast) << target;
    for (const std::string& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        try {
            entry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        } catch (const fuzz::Finding& f) {
            ADD_FAILURE() << file << ": " << f.what();
        }
    }
}

TEST(FuzzRegression, LightCurveReader)
{
    runAll("fuzz_light_curve", fuzzLightCurveOneInput, 4);
}

TEST(FuzzRegression, ConfigurationReader)
{
    runAll("fuzz_configuration", fuzzConfigurationOneInput, 3);
}

TEST(FuzzRegression, KeywordMatching)
{
    // The engine writes its warnings to standard output; keep them out of
    // the test log.
    testing::internal::CaptureStdout();
    runAll("fuzz_keywords", fuzzKeywordsOneInput, 3);
    testing::internal::GetCapturedStdout();
}

// The whole re-plot to PDF, EPS and PNG. Found under
// UndefinedBehaviorSanitizer (which the sanitizer build enables for
// float-to-integer conversions):
//   axis_label_beyond_float_range: values from -1e38 to 3e38 put the y
//     labels' positions beyond the float range part-way through their
//     computation;
//   nan_time_reaches_the_writers: a time "nan" went through the mapping
//     and the clipping into the PostScript writer's integer coordinates.
TEST(FuzzRegression, WholeRePlot)
{
    runAll("fuzz_replot", fuzzReplotOneInput, 5);
}

} // namespace
