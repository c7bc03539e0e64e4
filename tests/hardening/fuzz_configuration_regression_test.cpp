// The fuzz target fuzz_configuration under another name, for fuzz_regression_test.cpp.
#define LLVMFuzzerTestOneInput fuzzConfigurationOneInput
#include "fuzz/fuzz_configuration.cpp"
