#pragma once
// Light-curve files for the benchmarks: a title line, a header line and
// `samples` data lines at 4 samples a second (345,600 lines are a full
// day), three noisy channels with one burst. Each size is written once per
// process into a temporary folder that is removed at exit.

#include <string>

namespace quorva::bench {

const std::string& lightCurveFile(int samples);

// A folder for the plot files, removed with its contents at exit.
const std::string& outputFolder();

} // namespace quorva::bench
