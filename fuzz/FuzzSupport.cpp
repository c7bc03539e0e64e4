#include "FuzzSupport.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <signal.h>
#include <unistd.h>

namespace fuzz {
namespace fs = std::filesystem;
namespace {

std::string g_folder;

// libFuzzer ends a run with _Exit, so the folders of earlier runs may still
// be there: remove those whose process has gone.
void removeStaleScratch(const fs::path& base)
{
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(base, ec)) {
        const std::string name = e.path().filename().string();
        const long pid = name.rfind("quorva-fuzz-", 0) == 0 ? std::strtol(name.c_str() + 12, nullptr, 10) : 0;
        if (pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH) fs::remove_all(e.path(), ec);
    }
}

} // namespace

const std::string& scratchFolder()
{
    if (g_folder.empty()) {
        // Memory-backed when there is one: rewriting a file thousands of
        // times a second on a disk costs a flush each time.
        const char* base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        removeStaleScratch(base);
        std::string pattern = std::string(base) + "/quorva-fuzz-" + std::to_string(::getpid()) + "-XXXXXX";
        if (!::mkdtemp(pattern.data())) fail(std::string("cannot create a scratch folder: ") + std::strerror(errno));
        g_folder = pattern + "/";
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(g_folder, ec);
        });
    }
    return g_folder;
}

void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    if (!out.flush()) fail("cannot write " + path + ": " + std::strerror(errno));
}

void fail(const std::string& message)
{
    std::fprintf(stderr, "fuzz: %s\n", message.c_str());
    std::abort();
}

} // namespace fuzz

// The engine writes its warnings to standard output; a fuzzer run would
// drown in them. Standard error (libFuzzer's own reports) stays.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::fflush(stdout);
    if (!std::freopen("/dev/null", "w", stdout)) fuzz::fail("cannot silence the standard output");
    return 0;
}
