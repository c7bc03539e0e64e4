#include "cli/StandardStreams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <ostream>

namespace quorva::cli {

ScratchFolder::~ScratchFolder()
{
    clear();
}

void ScratchFolder::clear() noexcept
{
    if (folder_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
    folder_.clear();
}

bool ScratchFolder::create(std::string& error)
{
    if (!folder_.empty()) return true;
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = (tmp && *tmp ? std::string(tmp) : std::string("/tmp"));
    if (pattern.back() != '/') pattern += '/';
    pattern += "quorva-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        error = "cannot create a scratch folder " + pattern + ": " + std::strerror(errno);
        return false;
    }
    folder_ = pattern + "/";
    return true;
}

std::string ScratchFolder::pathFor(const std::string& name, std::string& error)
{
    return create(error) ? folder_ + name : std::string();
}

std::string ScratchFolder::copyStandardInput(const std::string& name, std::string& error)
{
    const std::string path = pathFor(name, error);
    if (path.empty()) return {};
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = "cannot create " + path + ": " + std::strerror(errno);
        return {};
    }
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = std::string("cannot read the standard input: ") + std::strerror(errno);
            ::close(fd);
            return {};
        }
        if (n == 0) break;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(fd, buffer + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) {
                error = "cannot write " + path + ": " + std::strerror(w < 0 ? errno : EIO);
                ::close(fd);
                return {};
            }
            done += w;
        }
    }
    if (::close(fd) != 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return {};
    }
    inputPath_ = path;
    return path;
}

std::string ScratchFolder::shown(std::string message) const
{
    if (inputPath_.empty()) return message;
    for (std::size_t at; (at = message.find(inputPath_)) != std::string::npos;)
        message.replace(at, inputPath_.size(), "standard input");
    return message;
}

bool ScratchFolder::sendAndClear(const std::string& path, CommandIo& io)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        io.err << "quorva: cannot read " << path << ": " << std::strerror(errno) << std::endl;
        return false;
    }
    clear();
    char buffer[1 << 16];
    bool sent = true;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            io.err << "quorva: cannot read " << path << ": " << std::strerror(errno) << std::endl;
            sent = false;
            break;
        }
        if (n == 0 || !(sent = writeOut(io, std::string_view(buffer, static_cast<std::size_t>(n))))) break;
    }
    ::close(fd);
    return sent;
}

bool inputNameOption(const Arguments& arguments, bool fromStdin, std::string& name, std::string& error)
{
    const std::string* given = arguments.value("name");
    if (given && !fromStdin) {
        error = "--name is for FILE '-' (the standard input)";
        return false;
    }
    name = given ? *given : kStandardInputName;
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos
        || name.find('\0') != std::string::npos) {
        error = "--name must be a file name without '/', not '" + name + "'";
        return false;
    }
    return true;
}

} // namespace quorva::cli
