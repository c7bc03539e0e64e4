// Levels, keyword matching, range checks, numbered warnings, errmod and the
// end-of-run banner.
#include "engine/Engine.h"
#include "engine/core/EngineInternal.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace zedozo {

namespace {

const char* const kWarningTexts[59] = {
    "",
    "Negative parameter",
    "Incorrect parameter",
    "Incorrect level",
    "X coordinate out of page",
    "Y coordinate out of page",
    "Same tick number as in a call before",
    "First radius greater than second radius",
    "Start angle greater/equal end angle",
    "Step equal zero",
    "Begin and end of scaling are equal",
    "Axis length < 2",
    "Startlabel out of scaling",
    "Linear scaling must be used",
    "Linear interpolation must be used",
    "No call to legini before",
    "Too long string for legend line",
    "Not enough store for the legend buffer",
    "Incorrect character after the eushft operator",
    "The basealphabet cannot be used",
    "No metafile",
    "The routine must be called after disfin",
    "The metafile is deleted before",
    "Non positive minimum for log scaling (set to 0.1)",
    "Non positive maximum for log scaling (set to 1.0)",
    "Minimum equal maximum (added -1 and +1)",
    "Too many intersections",
    "Non positive values for log scaling",
    "Number of bars unequal number of main ticks",
    "Sum of data is zero",
    "Incorrect number of points",
    "Incorrect number of points for spline interpolation",
    "No increasing x coordinates for spline interpolation",
    "Incorrect viewpoint",
    "No call to grfini before",
    "Confusion of graf3d and graf3",
    "File error",
    "Incorrect filename",
    "Singular matrix",
    "Too many pages for CGM file (max. length 327 cm)",
    "File format and output device are incompatible",
    "Incorrect device for HPGL file",
    "More legend lines than calls to curve",
    "Instruction code: incorrect parameter",
    "Instruction code: incorrect tabulator index",
    "Instruction code: no integer value",
    "Instruction code: unknown command",
    "Blanking buffer overflow",
    "No call to psfont",
    "Fileformat is not PostScript",
    "Incorrect sign for step",
    "Non positive parameter",
    "Hiddenline overflow",
    "Not enough memory",
    "No call to imgfin",
    "No call to imgini",
    "Incorrect file format",
    "Control characters must be different",
    "Array is out of screen",
};

constexpr std::size_t kMessageCapacity = 80;

void openErrorFile(EngineState& st)
{
    std::string name = "zedozo.err";
    std::string text;
    if (chkfil(name, st.cycle.fileMode, text) != 0) {
        st.warn.useErrFile = false;
        return;
    }
    std::FILE* f = std::fopen(name.c_str(), "w");
    if (!f) {
        st.warn.useErrFile = false; // warnings stay on the console
        return;
    }
    st.warn.errFile = f;
    st.warn.errFileOpen = true;
    st.warn.errFileUsedName = name;
    st.cycle.errFileWasOpen = true;
}

std::FILE* errorStream(EngineState& st)
{
    if (st.warn.useErrFile && st.level >= 1 && !st.warn.errFileOpen) openErrorFile(st);
    if (st.warn.useErrFile && st.warn.errFileOpen && st.warn.errFile) return st.warn.errFile;
    return stdout;
}

void writeWarningLine(EngineState& st, int number, const char* tail)
{
    std::FILE* f = errorStream(st);
    std::fprintf(f, " <<<< Warning %3d: %s in %s!%s\n", number, st.warn.message.c_str(), st.warn.routine.c_str(), tail);
    std::fflush(f);
}

} // namespace

// ---- levels -------------------------------------------------------------------

EngineState* levelCheck(int lo, int hi, const char* routine)
{
    EngineState& st = engineState();
    st.warn.routine = routine;
    if (st.level >= lo && st.level <= hi) return &st;
    if (st.level == 0) st.warn.useErrFile = false;
    warnInt(3, st.level);
    return nullptr;
}

EngineState& settingsCheck(const char* routine)
{
    EngineState& st = engineState();
    st.warn.routine = routine;
    if (st.level < 1 || st.level > 3) {
        if (st.level == 0) st.warn.useErrFile = false;
        warnInt(3, st.level);
    }
    return st;
}

// ---- arguments ------------------------------------------------------------------

int findKeyword(std::string_view table, int nfields, std::string_view keyword)
{
    char key[4] = {' ', ' ', ' ', ' '};
    for (std::size_t i = 0; i < 4 && i < keyword.size(); ++i) key[i] = upperAscii(keyword[i]);
    for (int n = 0; n < nfields; ++n) {
        std::size_t at = std::size_t(n) * 5;
        if (at + 4 > table.size()) break;
        // A field shorter than four characters is padded with blanks; the
        // padding accepts whatever follows in the keyword, so LOGARITHMIC
        // still selects "LOG " while LI selects nothing.
        int fieldLen = 4;
        while (fieldLen > 0 && table[at + fieldLen - 1] == ' ') --fieldLen;
        bool equal = fieldLen > 0;
        for (int i = 0; i < fieldLen && equal; ++i) equal = upperAscii(table[at + i]) == key[i];
        if (equal) return n + 1;
    }
    return 0;
}

int matchKeyword(std::string_view table, int nfields, std::string_view keyword)
{
    int n = findKeyword(table, nfields, keyword);
    if (n == 0) warnText(2, keyword);
    return n;
}

AxisSelection selectAxes(std::string_view axes)
{
    AxisSelection s;
    for (std::size_t i = 0; i < 3 && i < axes.size(); ++i) {
        const char c = upperAscii(axes[i]);
        if (c == 'X') s.x = true;
        if (c == 'Y') s.y = true;
        if (c == 'Z') s.z = true;
    }
    return s;
}

bool rangeCheck(int value, int lo, int hi)
{
    if (value < lo || (hi >= lo && value > hi)) {
        warnInt(2, value);
        return false;
    }
    return true;
}

// ---- warnings ---------------------------------------------------------------------

const char* warningText(int number)
{
    return number >= 0 && number <= 58 ? kWarningTexts[number] : "";
}

bool errmes(int number)
{
    EngineState& st = engineState();
    ++st.warn.warningCount;
    if (!st.warn.warnOn) return false;
    if (number >= 1 && number <= 58) {
        st.warn.message = kWarningTexts[number];
    } else if (number < 101) {
        std::printf("<<<< Incorrect parameter in errmes! (%4d)\n", number);
        std::fflush(stdout);
        st.warn.message = kWarningTexts[0];
    }
    return true;
}

void warnText(int number, std::string_view arg)
{
    if (!errmes(number)) return;
    std::string tail = "   (";
    tail.append(arg);
    tail += ')';
    writeWarningLine(engineState(), number, tail.c_str());
}

void warnInt(int number, int arg)
{
    if (!errmes(number)) return;
    char tail[32];
    std::snprintf(tail, sizeof tail, "   (%4d)", arg);
    writeWarningLine(engineState(), number, tail);
}

void warnPlain(int number)
{
    if (!errmes(number)) return;
    writeWarningLine(engineState(), number, "");
}

void customText(std::string_view text)
{
    engineState().warn.message.assign(text.substr(0, kMessageCapacity));
}

void errorVPrintf(const char* fmt, std::va_list ap)
{
    std::FILE* f = errorStream(engineState());
    std::vfprintf(f, fmt, ap);
    std::fflush(f);
}

void errorPrintf(const char* fmt, ...)
{
    std::va_list ap;
    va_start(ap, fmt);
    errorVPrintf(fmt, ap);
    va_end(ap);
}

void raiseFailure(int number, std::string_view customTextOrEmpty, std::string_view reason)
{
    EngineState& st = engineState();
    std::string text = customTextOrEmpty.empty() ? std::string(warningText(number)) : std::string(customTextOrEmpty);
    std::string file = st.cycle.fileWritten ? st.cycle.plotFile : std::string();
    if (!customTextOrEmpty.empty()) customText(customTextOrEmpty);
    std::string arg = file;
    if (!reason.empty()) {
        if (!arg.empty()) arg += ": ";
        arg.append(reason);
    }
    if (arg.empty())
        warnPlain(number);
    else
        warnText(number, arg);
    // The first failure of a cycle is the one the caller needs to see.
    if (!st.failure.failed()) {
        st.failure.warning = number;
        st.failure.text = std::move(text);
        st.failure.fileName = std::move(file);
        st.failure.reason.assign(reason);
    }
    st.cycle.drawNothing = true;
}

// ---- errmod -------------------------------------------------------------------------

void errmod(std::string_view option, std::string_view onOff)
{
    EngineState& st = settingsCheck("errmod");
    int opt = matchKeyword("WARN+CHEC+PROT+ALL ", 4, option);
    int sw = matchKeyword("OFF +ON  ", 2, onOff);
    if (opt == 0 || sw == 0) return;
    int v = sw == 2 ? 1 : 0;
    if (opt == 1 || opt == 4) st.warn.warnOn = v != 0;
    if (opt == 2 || opt == 4) st.warn.checkOn = v;
    if (opt == 3 || opt == 4) st.warn.protocolOn = v != 0;
}

// ---- clock ----------------------------------------------------------------------------

std::optional<long long> sourceDateEpoch()
{
    const char* sde = std::getenv("SOURCE_DATE_EPOCH");
    if (!sde || !*sde) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(sde, &end, 10);
    if (errno != 0 || *end != '\0' || v < 0) return std::nullopt;
    return v;
}

EngineTime engineNow()
{
    std::tm tm {};
    bool done = false;
    if (const std::optional<long long> sde = sourceDateEpoch()) {
        const std::time_t t = static_cast<std::time_t>(*sde);
        done = gmtime_r(&t, &tm) != nullptr;
    }
    if (!done) {
        std::time_t t = std::time(nullptr);
        localtime_r(&t, &tm);
    }
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

// ---- banner -----------------------------------------------------------------------------

void closeErrorFile(EngineState& st)
{
    if (st.warn.errFile) std::fclose(st.warn.errFile);
    st.warn.errFile = nullptr;
    st.warn.errFileOpen = false;
}

void writeBanner(EngineState& st)
{
    if (st.warn.warnOn && st.warn.protocolOn) {
        std::FILE* f = errorStream(st);
        static const char kRule[] = " <<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<";
        EngineTime t = engineNow();
        char date[32], time[32], vec[32], wrn[32];
        std::snprintf(date, sizeof date, "%02d.%02d.%4d", t.day, t.month, t.year);
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", t.hour, t.minute, t.second);
        auto squeeze = [](char* s) {
            char* w = s;
            for (char* r = s; *r; ++r)
                if (*r != ' ') *w++ = *r;
            *w = '\0';
        };
        std::snprintf(vec, sizeof vec, "%10lld", st.cycle.vectorCount);
        std::snprintf(wrn, sizeof wrn, "%8d", st.warn.warningCount);
        squeeze(vec);
        squeeze(wrn);
        std::fprintf(f, "\n%s", kRule);
        std::fprintf(
            f, "\n <<                END OF ZEDOZO / VERSION %4.1f %s                <<", double(kEngineVersion), " ");
        std::fprintf(f, "\n <<  Date    : %10s  Time    : %8s  Pageformat: %4s  <<", date, time, st.page.pagfmt);
        std::fprintf(f, "\n <<  Vectors : %-10s  Warnings: %-8s  Fileformat: %4s  <<", vec, wrn, st.cycle.devname);
        if (st.cycle.fileWritten || !st.cycle.errFileWasOpen) {
            std::string line = "Metafile: ";
            // A failed cycle wrote no file (the old one stays): name none.
            if (st.cycle.fileWritten && !st.cycle.drawNothing) line += st.cycle.plotFile.substr(0, 48);
            std::fprintf(f, "\n <<  %-58s  <<", line.c_str());
        }
        if (st.cycle.errFileWasOpen) {
            std::string line = "Err-file: " + st.warn.errFileUsedName.substr(0, 48);
            std::fprintf(f, "\n <<  %-58s  <<", line.c_str());
        }
        std::fprintf(f, "\n%s\n", kRule);
        std::fprintf(f, "\n");
        std::fflush(f);
    }
    closeErrorFile(st);
}

} // namespace zedozo
