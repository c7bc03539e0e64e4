#include "cli/Desktop.h"

#include "lightcurve/FileNames.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#ifndef QUORVA_DESKTOP_RELPATH
#define QUORVA_DESKTOP_RELPATH "../lib/quorva/quorva-desktop"
#endif

namespace quorva::cli {

std::vector<std::string> desktopCandidates(const std::string& self)
{
    const std::string folder(folderPart(self));
    return {folder + "quorva-desktop", folder + QUORVA_DESKTOP_RELPATH};
}

int runDesktop(CommandIo& io)
{
    char self[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self);
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof self) {
        io.err << "quorva: cannot find the desktop program: cannot read /proc/self/exe: "
               << std::strerror(n < 0 ? errno : ENAMETOOLONG) << "\n";
        return kExitNoDesktop;
    }
    const std::vector<std::string> candidates = desktopCandidates(std::string(self, static_cast<std::size_t>(n)));
    std::string looked;
    for (const std::string& path : candidates) {
        if (::access(path.c_str(), F_OK) == 0) {
            char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
            io.out.flush();
            io.err.flush();
            ::execv(path.c_str(), argv);
            io.err << "quorva: cannot start the desktop program " << path << ": " << std::strerror(errno) << "\n";
            return kExitNoDesktop;
        }
        looked += (looked.empty() ? "" : " and ") + path;
    }
    io.err << "quorva: the desktop program is not installed (looked for " << looked
           << "); the commands stats, plot and watch work without it\n";
    return kExitNoDesktop;
}

} // namespace quorva::cli
