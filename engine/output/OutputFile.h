#pragma once
// Atomic, buffered plot-file output shared by every file writer.
//
// The plot is written to a temporary file next to the final name and only
// renamed onto it when the cycle finishes cleanly, so a reader never sees a
// half-written plot and a failed cycle leaves the previous file untouched.
// Every write error is remembered (first one wins) and makes commit() fail.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zedozo {

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile(); // abandons an uncommitted file
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the temporary file in the folder of finalName. False on
    // failure; error() then holds the system's reason.
    bool open(const std::string& finalName);
    bool isOpen() const { return fd_ >= 0; }

    void write(const void* data, std::size_t n);
    void write(std::string_view s) { write(s.data(), s.size()); }
    void put(char c)
    {
        if (buf_ && fill_ < kBufferSize) {
            buf_[fill_++] = c;
            ++written_;
        } else {
            write(&c, 1);
        }
    }
    // printf-style formatted write (short texts: header lines, tokens).
    void printf(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

    // Bytes handed to write()/put() so far (the PDF writer's offsets).
    std::uint64_t bytesWritten() const { return written_; }
    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; } // system reason
    const std::string& finalName() const { return final_; }

    // Flushes, syncs, closes and renames onto the final name. False (and
    // the temporary file removed, the final name untouched) on any error.
    bool commit();
    // Closes and removes the temporary file; the final name is untouched.
    void abandon();

private:
    friend void failNextPlotFileFlushForTests();
    static constexpr std::size_t kBufferSize = 1 << 20;
    void flushBuffer();
    void setError(const std::string& what, int err);

    int fd_ = -1;
    std::string final_;
    std::string temp_;
    std::string error_;
    char* buf_ = nullptr;
    std::size_t fill_ = 0;
    std::uint64_t written_ = 0;
    bool failNextFlush_ = false;
};

} // namespace zedozo
