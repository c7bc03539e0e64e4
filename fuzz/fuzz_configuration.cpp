// The configuration reader on arbitrary file content, read through the
// stream interface and through the file interface (the same bytes on disk).
//
// The result is compared with a reference made of the C library's own
// scanning ("[path]=%239s", "[size]=%lli" held to 32 bits) over lines cut
// the way a 240-byte line buffer cuts them.

#include "FuzzSupport.h"

#include "app/Configuration.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>

namespace {

quorva::Configuration reference(const char* data, std::size_t size)
{
    quorva::Configuration c;
    std::size_t pos = 0;
    while (pos < size) {
        // At most 239 characters up to the next line feed; a longer line is
        // taken up to there and ends the reading.
        std::size_t len = 0;
        while (pos + len < size && len < 239 && data[pos + len] != '\n') ++len;
        const bool lineFeed = pos + len < size && data[pos + len] == '\n';
        const bool overlong = !lineFeed && pos + len < size;
        char line[240];
        std::memcpy(line, data + pos, len);
        line[len] = '\0';
        pos += len + (lineFeed ? 1 : 0);

        if (line[0] == '[') {
            char lower[240] = {}, text[240];
            for (std::size_t i = 0; line[i]; ++i)
                lower[i] = line[i] >= 'A' && line[i] <= 'Z' ? char(line[i] + 32) : line[i];
            long long number = 0;
            const auto held = [&] { return std::int32_t(std::clamp<long long>(number, INT32_MIN, INT32_MAX)); };
            if (std::strstr(lower, "[path]=") && std::sscanf(line, "[path]=%239s", text) == 1) c.inputFolder = text;
            if (std::strstr(lower, "[output]=") && std::sscanf(line, "[output]=%239s", text) == 1)
                c.outputFolder = text;
            if (std::strstr(lower, "[size]=") && std::sscanf(line, "[size]=%lli", &number) == 1) c.sizeIndex = held();
            if (std::strstr(lower, "[update]=") && std::sscanf(line, "[update]=%lli", &number) == 1)
                c.updateInterval = held();
        }
        if (overlong) break;
    }
    std::replace(c.inputFolder.begin(), c.inputFolder.end(), '|', ' ');
    std::replace(c.outputFolder.begin(), c.outputFolder.end(), '|', ' ');
    return c;
}

// scanf's "%i" consumes "0x" even when no hexadecimal digit follows and
// then fails, where strtoll takes the "0"; a value written that way is not
// compared.
bool hasBareHexPrefix(const char* data, std::size_t size)
{
    for (std::size_t i = 0; i + 1 < size; ++i)
        if (data[i] == '0' && (data[i + 1] | 0x20) == 'x'
            && !(i + 2 < size && std::isxdigit(static_cast<unsigned char>(data[i + 2]))))
            return true;
    return false;
}

void checkFolder(const std::string& folder)
{
    fuzz::check(folder.size() <= 239, "a folder holds at most 239 characters");
    fuzz::check(folder.find_first_of(std::string("|\n\t\r\0", 5)) == std::string::npos, "a folder is one run");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::istringstream in(bytes);
    const quorva::Configuration c = quorva::readConfiguration(in);
    checkFolder(c.inputFolder);
    checkFolder(c.outputFolder);

    static const std::string path = fuzz::scratchFolder() + "Quorva.cfg";
    fuzz::writeFile(path, data, size);
    // The settings one to a line (a folder holds no line feed).
    const auto text = [](const quorva::Configuration& k) {
        return "\n" + k.inputFolder + "\n" + k.outputFolder + "\n"
            + (k.sizeIndex ? std::to_string(*k.sizeIndex) : "none") + "\n" + std::to_string(k.updateInterval) + "\n";
    };
    fuzz::check(text(quorva::readConfiguration(path)) == text(c), "file and stream give the same settings");
    quorva::Configuration ref = reference(bytes.data(), bytes.size());
    if (hasBareHexPrefix(bytes.data(), bytes.size())) // numbers not compared
        ref.sizeIndex = c.sizeIndex, ref.updateInterval = c.updateInterval;
    if (text(c) != text(ref)) fuzz::fail("reader:" + text(c) + "sscanf:" + text(ref));
    return 0;
}
