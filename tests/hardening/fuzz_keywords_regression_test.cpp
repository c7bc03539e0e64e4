// The fuzz target fuzz_keywords under another name, for fuzz_regression_test.cpp.
#define LLVMFuzzerTestOneInput fuzzKeywordsOneInput
#include "fuzz/fuzz_keywords.cpp"
