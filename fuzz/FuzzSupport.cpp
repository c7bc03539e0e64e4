#include "FuzzSupport.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <dirent.h>
#include <signal.h>
#include <fcntl.h>
#include <unistd.h>

namespace fuzz {
namespace {

std::string g_folder;

void removeTree(const std::string& path)
{
    if (DIR* d = ::opendir(path.c_str())) {
        while (dirent* e = ::readdir(d)) {
            if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
                continue;
            const std::string child = path + "/" + e->d_name;
            if (::unlink(child.c_str()) != 0)
                removeTree(child);
        }
        ::closedir(d);
    }
    ::rmdir(path.c_str());
}

void removeScratch()
{
    if (!g_folder.empty())
        removeTree(g_folder);
}

// libFuzzer ends a run with _Exit, so the folders of earlier runs are
// still there: remove those whose process has gone.
void removeStaleScratch(const std::string& base)
{
    const std::string prefix = "quorva-fuzz-";
    DIR* d = ::opendir(base.c_str());
    if (!d)
        return;
    std::vector<std::string> stale;
    while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
        if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            stale.push_back(base + "/" + name);
    }
    ::closedir(d);
    for (const std::string& s : stale)
        removeTree(s);
}

} // namespace

const std::string& scratchFolder()
{
    if (g_folder.empty()) {
        // Memory-backed when there is one: rewriting a file thousands of
        // times a second on a disk file system costs a flush each time.
        const char* base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        removeStaleScratch(base);
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
