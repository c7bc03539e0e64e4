#pragma once
// Helpers shared by the fuzz targets; FuzzSupport.cpp also silences the
// standard output of every target (LLVMFuzzerInitialize).

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// A private folder for this fuzzing process, created on first use and
// removed at exit ("/dev/shm/quorva-fuzz-PID-XXXXXX/", or under /tmp).
const std::string& scratchFolder();

// Replaces the file at `path` with exactly these bytes. Aborts when the
// file system refuses: a fuzzer that cannot set up its input finds nothing.
void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size);

// A finding: the fuzzer reports the message and aborts (the regression
// tests in tests/hardening/ link a version that throws instead).
[[noreturn]] void fail(const std::string& message);

// fail(what) when `condition` is false.
inline void check(bool condition, const char* what)
{
    if (!condition) fail(std::string("check failed: ") + what);
}

} // namespace fuzz
