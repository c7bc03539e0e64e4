#include "FuzzSupport.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace fuzz {
namespace {

std::string g_folder;

void removeScratch()
{
    if (g_folder.empty())
        return;
    if (DIR* d = ::opendir(g_folder.c_str())) {
        while (dirent* e = ::readdir(d)) {
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                ::unlink((g_folder + e->d_name).c_str());
        }
        ::closedir(d);
    }
    ::rmdir(g_folder.c_str());
}

} // namespace

const std::string& scratchFolder()
{
    if (g_folder.empty()) {
        // Memory-backed when there is one: rewriting a file thousands of
        // times a second on a disk file system costs a flush each time.
        const char* base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/quorva-fuzz-" + std::to_string(::getpid()) + "-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            std::fprintf(stderr, "fuzz: cannot create a scratch folder: %s\n", std::strerror(errno));
            std::abort();
        }
        g_folder = pattern + "/";
        std::atexit(removeScratch);
    }
    return g_folder;
}

void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        std::fprintf(stderr, "fuzz: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        std::abort();
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0 && errno != EINTR) {
            std::fprintf(stderr, "fuzz: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
            std::abort();
        }
        if (n > 0)
            done += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

void silenceStandardOutput()
{
    std::fflush(stdout);
    const int fd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::dup2(fd, STDOUT_FILENO);
        ::close(fd);
    }
}

void fail(const std::string& message)
{
    std::fprintf(stderr, "fuzz: %s\n", message.c_str());
    std::abort();
}

} // namespace fuzz
