#pragma once
// The one option reader of the command line, GNU style: options anywhere
// before "--" (or, for the top level, before the command's name),
// "--name VALUE", "--name=VALUE", "-n VALUE" or "-nVALUE", "-h"/"--help"
// known to every command; of an option given twice the last one wins.
// A lone "-" (standard input) and everything after "--" are operands.
// An option table is one line per option; two lines of the same name give
// it two short names (-v and -V).

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorva::cli {

struct Option {
    const char* name;   // long name without the dashes
    char shortName = 0; // 0: none
    bool takesValue = false;
};

struct Arguments {
    bool help = false;
    std::vector<std::pair<std::string, std::string>> given; // name, value ("" for a flag)
    std::vector<std::string> operands;                      // byte for byte

    bool has(std::string_view name) const noexcept { return value(name) != nullptr; }
    const std::string* value(std::string_view name) const noexcept;
};

// False with a one-line reason in `error` for an unknown option, a missing
// value or a value given to a flag. With
// `stopAtOperand` the first operand ends the options (a command's name).
bool readArguments(const std::vector<std::string>& args, std::span<const Option> options, bool stopAtOperand,
    Arguments& parsed, std::string& error);

} // namespace quorva::cli
