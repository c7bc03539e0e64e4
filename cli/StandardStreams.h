#pragma once
// "-" as a FILE (the light curve from the standard input) and "-o -" (the
// plot to the standard output). The reader reads regular files only and the
// plot is written atomically to a named file, so both go through a private
// scratch folder under TMPDIR (else /tmp) that is removed with this object.

#include "cli/Cli.h"
#include "cli/Options.h"

#include <string>

namespace quorva::cli {

// The name a light curve from the standard input gets when --name gives
// none: the title and the plot file name show it.
inline constexpr char kStandardInputName[] = "stdin";

class ScratchFolder {
public:
    ScratchFolder() = default;
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The standard input copied whole into the folder as `name` (a file name
    // without '/'); its path, or empty with the reason in `error`.
    std::string copyStandardInput(const std::string& name, std::string& error);

    // A path in the folder for a file named `name`, not created; empty with
    // the reason in `error`.
    std::string pathFor(const std::string& name, std::string& error);

    // `message` with the scratch folder's paths told as "standard input".
    std::string shown(std::string message) const;

    // Removes the folder and what it holds now, not at the end: a process
    // that SIGPIPE ends leaves nothing behind.
    void clear() noexcept;

    // Copies the file at `path` (in this folder) to io.out, the folder
    // removed first; false after telling why on io.err (a write failure as
    // writeOut tells it).
    bool sendAndClear(const std::string& path, CommandIo& io);

private:
    bool create(std::string& error);
    std::string folder_; // ends with '/'
    std::string inputPath_;
};

// --name into `name` (kStandardInputName without it): a file name of its
// own ("stdin", "LC20261206_SFU.txt"), and only for FILE '-' (`fromStdin`);
// false with the reason in `error` otherwise.
bool inputNameOption(const Arguments& arguments, bool fromStdin, std::string& name, std::string& error);

} // namespace quorva::cli
