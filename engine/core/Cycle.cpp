// The output cycle: metafl, window, setfil, filmod, winmod, disini, disfin,
// erase, sendbf, winupd, and the existing-file policy chkfil.
#include "engine/Engine.h"
#include "engine/core/EngineInternal.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace zedozo {

namespace {

struct DeviceEntry {
    const char* key; // 4 characters
    int code;
    const char* ext; // nullptr: no file extension
};

constexpr DeviceEntry kDevices[] = {
    {"GKSL", 201, "met"},
    {"CGM ", 211, "cgm"},
    {"KYOC", 301, "kyo"},
    {"HPGL", 401, "hpg"},
    {"HPA4", 402, "hpg"},
    {"HPA3", 403, "hpg"},
    {"HPA2", 404, "hpg"},
    {"HPA1", 405, "hpg"},
    {"CONS", 80, nullptr},
    {"TEKT", 151, "tek"},
    {"VT34", 103, "   "},
    {"LN03", 161, "ln3"},
    {"POST", 501, "psc"},
    {"PSCL", 502, "psc"},
    {"XWIN", 72, nullptr},
    {"XWI1", 72, nullptr},
    {"XWI2", 73, nullptr},
    {"XWI3", 74, nullptr},
    {"XWI4", 75, nullptr},
    {"XWI5", 76, nullptr},
    {"XWI6", 77, nullptr},
    {"XWI7", 78, nullptr},
    {"XWI8", 79, nullptr},
    {"XWND", 80, nullptr},
    {"TIFF", 601, "tif"},
    {"IMAG", 602, "img"},
    {"VIRT", 603, nullptr},
    {"PNG ", 604, "png"},
    {"JAVA", 701, "java"},
    {"WMF ", 221, "wmf"},
    {"PPM ", 605, "ppm"},
    {"PDF ", 511, "pdf"},
    {"EPS ", 503, "eps"},
    {"BMP ", 606, "bmp"},
    {"PS  ", 504, "ps"},
    {"SVG ", 801, "svg"},
    {"GIF ", 607, "gif"},
};
constexpr int kDeviceCount = int(sizeof kDevices / sizeof kDevices[0]);

const std::string& deviceTable()
{
    static const std::string table = [] {
        std::string t;
        for (int i = 0; i < kDeviceCount; ++i) {
            if (i) t += '+';
            t += kDevices[i].key;
        }
        return t;
    }();
    return table;
}

const char* extensionOf(int code)
{
    for (const DeviceEntry& d : kDevices)
        if (d.code == code && d.ext) return d.ext;
    return "   ";
}

bool pathExists(const std::string& name)
{
    struct stat sb;
    return ::lstat(name.c_str(), &sb) == 0;
}

std::size_t baseIndex(const std::string& name)
{
    std::size_t p = name.find_last_of("/\\");
    return p == std::string::npos ? 0 : p + 1;
}

// Whether an existing file can be replaced by a new one of the same name.
bool replaceable(const std::string& name)
{
    struct stat sb;
    if (::stat(name.c_str(), &sb) == 0 && S_ISDIR(sb.st_mode)) return false;
    std::size_t slash = name.find_last_of('/');
    std::string dir = slash == std::string::npos ? std::string(".") : name.substr(0, slash + 1);
    return ::access(dir.c_str(), W_OK | X_OK) == 0;
}

void computeScale(EngineState& st)
{
    CycleState& c = st.cycle;
    const double nx = st.page.npagx, ny = st.page.npagy;
    const bool landscape = st.page.npagx > st.page.npagy;
    const DeviceCaps& caps = deviceKind(c.devcode).caps;
    double s = 1.0;
    if (caps.mapping == DeviceCaps::Mapping::Pixels) {
        const double w1 = c.devRect.w - 1, h1 = c.devRect.h - 1;
        s = std::min(w1 / nx, h1 / ny);
        s = std::min(s, (landscape ? w1 : h1) / 2969.0);
    } else if (caps.mapping == DeviceCaps::Mapping::Paper) {
        const double a = caps.paperShort, b = caps.paperLong;
        s = landscape ? std::min(b / nx, a / ny) : std::min(a / nx, b / ny);
        s = std::min(s, caps.paperLimit);
    }
    c.devscl = float(s);
}

// The writer of a device, made on first use and kept for later cycles.
Device* writerFor(EngineState& st, const DeviceKind& kind)
{
    std::unique_ptr<Device>& w = st.writers[kind.writerSlot];
    if (!w) w = kind.create();
    return w.get();
}

} // namespace

int chkfil(std::string& name, int fileMode, std::string& text)
{
    if (!pathExists(name)) return 0;
    if (fileMode == 1) {
        // Replaced atomically at disfin; here it only has to be replaceable.
        if (replaceable(name)) return 0;
        text = "Plotfile cannot be deleted";
        return 168;
    }
    if (fileMode == 2) {
        text = "Plotfile does exist";
        return 169;
    }
    const std::size_t b = baseIndex(name);
    std::size_t d = name.find_last_of('.');
    std::string ext;
    if (d == std::string::npos || d < b) {
        std::size_t end = name.find_last_not_of(' ');
        d = end == std::string::npos ? 0 : end + 1;
        if (d < b) d = b;
    } else {
        ext = name.substr(d);
    }
    for (int k = 1; k <= 9999; ++k) {
        const std::string t = "_" + std::to_string(k);
        std::size_t cut = d;
        if (b + 8 - t.size() < cut) cut = b + 8 - t.size();
        std::string candidate = name.substr(0, cut) + t + ext;
        if (!pathExists(candidate)) {
            name = std::move(candidate);
            return 0;
        }
    }
    text = "More than 9999 file versions";
    return 170;
}

void metafl(std::string_view device)
{
    EngineState* st = levelCheck(0, 0, "metafl");
    if (!st) return;
    char key[5] = "    ";
    for (std::size_t i = 0; i < 4 && i < device.size(); ++i) key[i] = upperAscii(device[i]);
    int code;
    if (std::strncmp(key, "MET1", 4) >= 0 && std::strncmp(key, "MET9", 4) <= 0) {
        code = 80;
    } else {
        int n = matchKeyword(deviceTable(), kDeviceCount, device);
        if (n == 0) return;
        code = kDevices[n - 1].code;
    }
    st->cycle.devcode = code;
    std::size_t len = device.size() < 4 ? device.size() : 4;
    std::memcpy(st->cycle.devname, key, len);
    st->cycle.devname[len] = '\0';
}

void window(int x, int y, int w, int h)
{
    EngineState* st = levelCheck(0, 3, "window");
    if (!st) return;
    bool ok = true;
    if (x < 0 || y < 0) {
        warnInt(2, x < y ? x : y);
        ok = false;
    }
    if (w <= 0 || h <= 0) {
        warnInt(2, w < h ? w : h);
        ok = false;
    }
    if (!ok) return;
    st->cycle.windowRequest = WindowRequest {true, x, y, w, h};
}

void setfil(std::string_view fileName)
{
    EngineState* st = levelCheck(0, 0, "setfil");
    if (!st) return;
    st->cycle.plotFile.assign(fileName);
    st->cycle.plotFileStatus = 1;
}

void filmod(std::string_view mode)
{
    EngineState* st = levelCheck(0, 3, "filmod");
    if (!st) return;
    int n = matchKeyword("COUN+DELE+BREA", 3, mode);
    if (n) st->cycle.fileMode = n - 1;
}

void winmod(std::string_view mode)
{
    EngineState& st = settingsCheck("winmod");
    int n = matchKeyword("FULL+NOER+NONE+NOHO+DELA+NOMB", 6, mode);
    if (n) st.cycle.windowMode = n - 1;
}

namespace {

// A new cycle's counters and flags, and an empty plot file.
void startCycle(EngineState& st)
{
    CycleState& c = st.cycle;
    st.failure = EngineFailure {};
    st.level = 1;
    c.vectorCount = 0;
    st.warn.warningCount = 0;
    st.poly.count = 0;
    c.drawNothing = false;
    c.fileWritten = false;
    c.errFileWasOpen = false;
    if (!c.out) c.out.reset(new OutputFile);
    c.out->abandon();
    st.device = nullptr;
    if (c.devcode == 0) {
        c.devcode = 201;
        std::strcpy(c.devname, "GKSL");
    }
}

// Page extent and the device rectangle a window starts from (the window
// request, else the default window for the page's orientation).
void setPageAndWindow(EngineState& st)
{
    CycleState& c = st.cycle;
    st.page.npagx = int(st.page.limitX / 1.0f + 0.5f);
    st.page.npagy = int(st.page.limitY / 1.0f + 0.5f);
    c.npagx = st.page.npagx;
    c.npagy = st.page.npagy;
    st.clip = ClipWindow {0.0f, 0.0f, float(st.page.npagx), float(st.page.npagy)};
    if (c.windowRequest.given) {
        c.devRect = DeviceRect {c.windowRequest.x, c.windowRequest.y, c.windowRequest.w, c.windowRequest.h};
    } else if (st.page.npagx > st.page.npagy) {
        c.devRect = DeviceRect {0, 0, 853, 603};
    } else {
        c.devRect = DeviceRect {0, 0, 603, 853};
    }
    c.colourDepth = 8;
}

// A file device: the plot-file name, the existing-file policy, the file
// opened and the writer's set-up; a device without writer fails its open.
void openFileDevice(EngineState& st, const DeviceKind& kind)
{
    CycleState& c = st.cycle;
    // A cycle without setfil reuses the last setfil name.
    if (c.plotFileStatus == 1) {
        c.savedPlotFile = c.plotFile;
        c.plotFileStatus = 2;
    } else if (c.plotFileStatus == 2) {
        c.plotFile = c.savedPlotFile;
    } else {
        c.plotFile = std::string("zedozo.") + extensionOf(c.devcode);
    }
    computeScale(st);
    if (!kind.create) {
        st.unsupported = createUnsupportedDevice(("Device " + std::string(c.devname) + " is not supported").c_str());
        st.device = st.unsupported.get();
        st.device->open(c);
        return;
    }
    c.fileWritten = true;
    std::string text;
    if (const int r = chkfil(c.plotFile, c.fileMode, text); r != 0) {
        raiseFailure(r, text, {});
    } else if (!c.out->open(c.plotFile)) {
        raiseFailure(36, {}, c.out->error());
    } else {
        st.device = writerFor(st, kind);
        st.device->open(c);
    }
}

} // namespace

void disini()
{
    EngineState* stp = levelCheck(0, 0, "disini");
    if (!stp) return;
    EngineState& st = *stp;
    CycleState& c = st.cycle;

    startCycle(st);
    const DeviceKind& kind = deviceKind(c.devcode);
    c.bgmode = kind.caps.paperBackground ? 2 : 0;
    setPageAndWindow(st);

    if (kind.caps.window) {
        st.device = writerFor(st, kind);
        if (st.device->open(c)) computeScale(st);
    } else {
        openFileDevice(st, kind);
    }
    if (c.drawNothing) c.out->abandon();

    coreDefaults(st);

    if (c.firstBgmode == -1) c.firstBgmode = c.bgmode;
    if (kind.caps.window && c.colourDepth > 8 && c.bgmode != c.firstBgmode) erase();
}

void disfin()
{
    EngineState* stp = levelCheck(1, 3, "disfin");
    if (!stp) return;
    EngineState& st = *stp;
    CycleState& c = st.cycle;
    flushPolyline();
    if (st.device && !c.drawNothing) st.device->finish(st.cycle);
    if (c.out && c.out->isOpen()) {
        if (c.drawNothing)
            c.out->abandon();
        else if (!c.out->commit())
            raiseFailure(36, {}, c.out->error());
    }
    st.level = 0;
    writeBanner(st);
}

void erase()
{
    EngineState* st = levelCheck(1, 3, "erase");
    if (!st) return;
    flushPolyline();
    if (st->device && !st->cycle.drawNothing) st->device->erase(st->cycle);
}

void sendbf()
{
    EngineState* st = levelCheck(1, 3, "sendbf");
    if (!st) return;
    flushPolyline();
    if (deviceKind(st->cycle.devcode).caps.window && st->device && !st->cycle.drawNothing)
        st->device->update(st->cycle);
}

void winupd()
{
    EngineState* st = levelCheck(0, 3, "winupd");
    if (!st) return;
    if (deviceKind(st->cycle.devcode).caps.window && st->device && !st->cycle.drawNothing)
        st->device->update(st->cycle);
}

void failNextPlotFileFlushForTests()
{
    EngineState& st = engineState();
    if (st.cycle.out) st.cycle.out->failNextFlush_ = true;
}

} // namespace zedozo
