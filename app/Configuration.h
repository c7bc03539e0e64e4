#pragma once
// Start settings from "Quorva.cfg" in the working directory, read once at
// start-up and never written. Lines that begin with a key in lower case set
// one setting each:
//   [path]=FOLDER     input folder of the file selection dialog
//   [output]=FOLDER/  output folder of the plot files (end it with '/')
//   [size]=N          plot size 0..4 ("Extra Small" .. "Extra Large")
//   [update]=N        auto-plot interval in seconds (1..600)
//   [axes]=readable   readable axes on the desktop ("classic" or none: the classic page)
//   [log]=1           a logarithmic y axis on the desktop (with readable axes)
// A folder is one run without white space; write a blank as '|'. Numbers
// are read like scanf's "%i" (0x.. hexadecimal, 0.. octal). Lines that do
// not begin with '[' are comments. The last line that parses wins. Reading
// stops after a line of 240 characters or more.

#include <cstdint>
#include <istream>
#include <optional>
#include <string>

namespace quorva {

struct Configuration {
    std::string inputFolder;
    std::string outputFolder;
    std::optional<std::int32_t> sizeIndex; // unset: no line set it
    std::int32_t updateInterval = 0; // the spin box makes 0 one second
    std::string axes;                // "readable" or "classic"; empty: classic
    std::int32_t logarithmic = 0;    // not 0: a logarithmic y axis
};

inline constexpr char kConfigurationFileName[] = "Quorva.cfg";

// Reads "Quorva.cfg" from the working directory; the start values when it
// does not exist or cannot be opened.
Configuration readConfiguration();
Configuration readConfiguration(const std::string& path);
Configuration readConfiguration(std::istream& in);

} // namespace quorva
