// The fuzz target fuzz_replot under another name, for fuzz_regression_test.cpp.
#define LLVMFuzzerTestOneInput fuzzReplotOneInput
#define LLVMFuzzerInitialize fuzzReplotInitialize
#include "fuzz/fuzz_replot.cpp"
