#pragma once
// Engine tests: the shared helpers, and the body of a PostScript file.

#include "support/EngineAreaSupport.h"

#include <sstream>
#include <string>
#include <vector>

namespace enginetest {

using namespace zedozotest;

// The lines after the page transformation (and the optional background).
inline std::vector<std::string> psBodyLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    bool body = false;
    for (std::string line; std::getline(in, line);) {
        if (body) lines.push_back(line);
        else body = line.find(" scale") != std::string::npos && line.find("translate") != std::string::npos;
    }
    return lines;
}

inline std::string psBody(const std::string& text)
{
    std::string joined;
    for (const std::string& l : psBodyLines(text)) joined += l;
    return joined;
}

} // namespace enginetest
