// The fuzz target fuzz_replot under another name, for fuzz_regression_test.cpp.
#define LLVMFuzzerTestOneInput fuzzReplotOneInput
#include "fuzz/fuzz_replot.cpp"
