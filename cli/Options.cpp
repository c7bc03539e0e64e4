#include "cli/Options.h"

namespace quorva::cli {

const std::string* Arguments::value(std::string_view name) const noexcept
{
    for (const auto& [n, v] : given) {
        if (n == name) return &v;
    }
    return nullptr;
}

bool readArguments(const std::vector<std::string>& args, std::span<const Option> options, bool stopAtOperand,
    Arguments& parsed, std::string& error)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() < 2 || a[0] != '-') {
            if (stopAtOperand) {
                parsed.operands.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
                return true;
            }
            parsed.operands.push_back(a);
            continue;
        }
        if (a == "--") {
            parsed.operands.insert(
                parsed.operands.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
            return true;
        }
        if (a == "-h" || a == "--help") {
            parsed.help = true;
            continue;
        }
        // "--name=VALUE", "--name VALUE", "-n VALUE" or "-nVALUE".
        const bool isLong = a[1] == '-';
        const std::size_t eq = isLong ? a.find('=') : std::string::npos;
        const std::string name = isLong ? a.substr(0, eq) : a.substr(0, 2);
        const Option* option = nullptr;
        for (const Option& o : options) {
            if ((isLong && name.substr(2) == o.name) || (!isLong && o.shortName != 0 && name[1] == o.shortName)) {
                option = &o;
                break;
            }
        }
        if (!option) {
            error = "unknown option '" + name + "'";
            return false;
        }
        const std::string display = isLong ? name : name + " (--" + option->name + ")";
        std::string value;
        if (!option->takesValue) {
            if (eq != std::string::npos || (!isLong && a.size() > 2)) {
                error = display + " takes no value";
                return false;
            }
        } else if (eq != std::string::npos) {
            value = a.substr(eq + 1);
        } else if (!isLong && a.size() > 2) {
            value = a.substr(2);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            error = "missing value after '" + name + "'";
            return false;
        }
        // The last one wins, as with getopt: an alias's option can be
        // overridden on the command line.
        std::erase_if(parsed.given, [&](const auto& g) { return g.first == option->name; });
        parsed.given.emplace_back(option->name, std::move(value));
    }
    return true;
}

} // namespace quorva::cli
