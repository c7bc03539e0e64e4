// Atomic, buffered plot-file output.
#include "engine/output/OutputFile.h"

#include "engine/Engine.h"


#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zedozo {
namespace {

const char kTemporaryPattern[] = ".zedozo-%ld-%u.tmp";

// The PID of a name of kTemporaryPattern's form, else 0.
long temporaryFilePid(const char* name)
{
    long pid = 0;
    unsigned n = 0;
    int end = 0;
    if (std::sscanf(name, ".zedozo-%ld-%u.tmp%n", &pid, &n, &end) != 2 || name[end] != '\0' || pid <= 0) return 0;
    char again[64];
    std::snprintf(again, sizeof again, kTemporaryPattern, pid, n);
    return std::strcmp(again, name) == 0 ? pid : 0;
}

} // namespace

int removeStaleTemporaryFiles(const std::string& folder)
{
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return 0;
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const long pid = temporaryFilePid(entry->d_name);
        // ESRCH only: EPERM is a live process of another user.
        if (pid == 0 || pid == long(::getpid()) || ::kill(pid_t(pid), 0) == 0 || errno != ESRCH) continue;
        struct stat st;
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
        if (::unlinkat(::dirfd(dir), entry->d_name, 0) == 0) ++removed;
    }
    ::closedir(dir);
    return removed;
}

OutputFile::~OutputFile()
{
    abandon();
}

bool OutputFile::open(const std::string& finalName)
{
    abandon();
    final_ = finalName;
    error_.clear();
    written_ = 0;
    fill_ = 0;
    failNextFlush_ = false;
    // The temporary file lives in the target folder so that the final
    // rename never crosses file systems.
    std::string dir;
    std::size_t slash = finalName.find_last_of('/');
    if (slash != std::string::npos) dir = finalName.substr(0, slash + 1);
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char tail[64];
        std::snprintf(tail, sizeof tail, kTemporaryPattern, long(::getpid()), counter++);
        std::string candidate = dir + tail;
        int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            buf_ = static_cast<char*>(std::malloc(kBufferSize));
            if (!buf_) {
                ::close(fd);
                ::unlink(candidate.c_str());
                setError("cannot allocate the output buffer", ENOMEM);
                return false;
            }
            fd_ = fd;
            temp_ = candidate;
            return true;
        }
        if (errno != EEXIST) {
            setError("cannot create a file in the folder", errno);
            return false;
        }
    }
    setError("cannot create a file in the folder", EEXIST);
    return false;
}

void OutputFile::setError(const std::string& what, int err)
{
    if (!error_.empty()) return;
    error_ = what;
    if (err) {
        error_ += ": ";
        error_ += std::strerror(err);
    }
}

void OutputFile::flushBuffer()
{
    if (fd_ < 0 || fill_ == 0) {
        fill_ = 0;
        return;
    }
    if (failNextFlush_) {
        failNextFlush_ = false;
        setError("write failed", ENOSPC);
        fill_ = 0;
        return;
    }
    const char* p = buf_;
    std::size_t left = fill_;
    while (left > 0 && error_.empty()) {
        ssize_t n = ::write(fd_, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            setError("write failed", errno);
            break;
        }
        if (n == 0) {
            setError("write failed", EIO);
            break;
        }
        p += n;
        left -= std::size_t(n);
    }
    fill_ = 0;
}

void OutputFile::write(const void* data, std::size_t n)
{
    written_ += n;
    if (fd_ < 0 || !error_.empty()) return;
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        std::size_t room = kBufferSize - fill_;
        if (room == 0) {
            flushBuffer();
            if (!error_.empty()) return;
            room = kBufferSize;
        }
        std::size_t k = n < room ? n : room;
        std::memcpy(buf_ + fill_, p, k);
        fill_ += k;
        p += k;
        n -= k;
    }
}

void OutputFile::printf(const char* fmt, ...)
{
    char small[512];
    std::va_list ap;
    va_start(ap, fmt);
    int n = std::vsnprintf(small, sizeof small, fmt, ap);
    va_end(ap);
    if (n < 0) {
        setError("formatting failed", 0);
        return;
    }
    if (std::size_t(n) < sizeof small) {
        write(small, std::size_t(n));
        return;
    }
    std::string big(std::size_t(n) + 1, '\0');
    va_start(ap, fmt);
    std::vsnprintf(big.data(), big.size(), fmt, ap);
    va_end(ap);
    write(big.data(), std::size_t(n));
}

bool OutputFile::commit()
{
    if (fd_ < 0) {
        if (error_.empty()) setError("no file open", 0);
        return false;
    }
    flushBuffer();
    if (error_.empty() && ::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS) setError("write failed", errno);
    if (::close(fd_) != 0 && error_.empty()) setError("write failed", errno);
    fd_ = -1;
    std::free(buf_);
    buf_ = nullptr;
    if (error_.empty() && ::rename(temp_.c_str(), final_.c_str()) != 0) setError("cannot replace the file", errno);
    if (!error_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
        return false;
    }
    temp_.clear();
    return true;
}

void OutputFile::abandon()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    std::free(buf_);
    buf_ = nullptr;
    fill_ = 0;
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

} // namespace zedozo
