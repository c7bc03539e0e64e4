#pragma once
// Files for tests, fuzz targets and benchmarks: a scratch folder that cleans
// up after itself (also when a test made it read-only), whole-file reads and
// writes, folder listings and light-curve file texts. Plain C++, no test
// framework, so that bench/ and fuzz/ can use it too.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace qtest {

namespace fs = std::filesystem;

// A fresh folder below `base`, readable by everyone (so that a child running
// as "nobody" reaches what a test puts there), removed at the end.
class TempDir {
public:
    explicit TempDir(const char* base = "/tmp")
    {
        std::string pattern = std::string(base) + "/quorva-test-XXXXXX";
        if (::mkdtemp(pattern.data())) {
            path_ = pattern;
            fs::permissions(path_,
                fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read
                    | fs::perms::others_exec);
        }
    }
    ~TempDir()
    {
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec))
            if (it->is_directory(ec) && !it->is_symlink(ec))
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
inline bool writeFile(const std::string& path, const std::string& content)
{
    return bool(std::ofstream(path, std::ios::binary | std::ios::trunc) << content << std::flush);
}

// Names in a folder, sorted.
inline std::vector<std::string> listFolder(const std::string& path)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(path, ec)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A light-curve file: a title line, a header line and `samples` data lines
// at 4 samples a second from `startHours`, three noisy channels with a burst
// at 1.6 h (345,600 samples are a full day). `scale` multiplies the values.
inline std::string lightCurveText(
    int samples, double startHours = 0.0, const char* lineEnd = "\r\n", double scale = 1.0)
{
    std::string text = std::string("Tervasol light curve KORB 2026-12-06 calibrated [SFU]") + lineEnd
        + "Time_UT,45.0MHz,150.5MHz,410.0MHz" + lineEnd;
    text.reserve(text.size() + static_cast<std::size_t>(samples) * 40);
    unsigned state = 12345;
    auto noise = [&state] {
        state = state * 1103515245u + 12345u;
        return static_cast<double>((state >> 8) & 0xFFFF) / 65536.0 - 0.5;
    };
    char line[96];
    for (int i = 0; i < samples; ++i) {
        const double t = startHours + i / 14400.0;
        const double b = t > 1.6 && t < 1.8 ? 900.0 * std::exp(-(t - 1.6) * 40) : 0.0;
        std::snprintf(line, sizeof line, "%.6f,%.2f,%.2f,%.2f%s", t, scale * (22 + 3 * noise() + b),
            scale * (35 + 4 * noise() + 1.5 * b), scale * (58 + 2 * noise() + 0.5 * b), lineEnd);
        text += line;
    }
    return text;
}

// The data lines of lightCurveText (no title or header line), to append to a file.
inline std::string dataLines(int samples, double startHours)
{
    const std::string t = lightCurveText(samples, startHours, "\n");
    return t.substr(t.find('\n', t.find('\n') + 1) + 1);
}

} // namespace qtest
