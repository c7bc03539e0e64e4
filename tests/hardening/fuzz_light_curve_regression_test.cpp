// The fuzz target fuzz_light_curve under another name, for fuzz_regression_test.cpp.
#define LLVMFuzzerTestOneInput fuzzLightCurveOneInput
#include "fuzz/fuzz_light_curve.cpp"
