// The devices by code range: what each can do, and its writer if this
// system has one. Codes below 101 are screen windows, 101-200 terminals,
// 201-300 metafiles (221 WMF), 301-400 Kyocera, 401-500 HPGL, 501-600 the
// PostScript family and PDF (511), 601-700 raster images, 701-800 applet
// text, 801 and above SVG.
#include "engine/output/Device.h"

namespace zedozo {
namespace {

using Mapping = DeviceCaps::Mapping;

struct DeviceRange {
    int first, last;
    DeviceKind kind;
};

constexpr DeviceCaps kScreen {.mapping = Mapping::Pixels, .window = true, .windowFonts = true};
constexpr DeviceCaps kRaster {.mapping = Mapping::Pixels};
// PostScript: 1/720 inch, at most 2 units per plot unit (0.1 mm).
constexpr DeviceCaps kPostScript {
    .mapping = Mapping::Paper, .paperShort = 3900.0, .paperLong = 5600.0, .paperLimit = 2.0, .hardwareFonts = true};
// PDF: points, the PostScript page at 72/254 points per plot unit.
constexpr DeviceCaps kPdf {.mapping = Mapping::Paper,
    .paperShort = 3900.0 * 0.5 * 72.0 / 254.0,
    .paperLong = 5600.0 * 0.5 * 72.0 / 254.0,
    .paperLimit = 72.0 / 254.0,
    .oneContentStream = true,
    .paperBackground = true};

DeviceCaps paperBackground(DeviceCaps c)
{
    c.paperBackground = true;
    return c;
}

const DeviceRange kDevices[] = {
    {1, 100, {kScreen, createScreenWriter, 0}},                        // XWIN, XWI1..8, XWND, CONS
    {101, 200, {{.errorFile = true}}},                                 // terminals
    {221, 221, {{.windowFonts = true}}},                               // WMF
    {501, 502, {kPostScript, createPsWriter, 1}},                      // POST, PSCL
    {503, 504, {paperBackground(kPostScript), createPsWriter, 1}},     // EPS, PS
    {511, 511, {kPdf, createPdfWriter, 2}},                            // PDF
    {505, 600, {kPostScript}},                                         // the rest of the PostScript family
    {604, 604, {kRaster, createRasterWriter, 3}},                      // PNG
    {601, 700, {kRaster}},                                             // other raster images
    {801, 2147483647, {{.paperBackground = true}}},                    // SVG
};

} // namespace

const DeviceKind& deviceKind(int devcode)
{
    static const DeviceKind none;
    for (const DeviceRange& d : kDevices)
        if (devcode >= d.first && devcode <= d.last) return d.kind;
    return none;
}

} // namespace zedozo
