// Generated from Debian package fonts-urw-base35 by `python3 tools/gen_ps_metrics.py`; do not edit.
#pragma once
// The 35 standard PostScript fonts: names, reference heights and the width
// bytes of the codes 32 to 133.

#include <cstdint>

namespace zedozo {

inline constexpr int kPsFontCount = 35;
inline constexpr int kPsMetricSetCount = 25;
inline constexpr int kPsMetricFirstCode = 32;
inline constexpr int kPsMetricLastCode = 133;
inline constexpr int kPsMetricCodes = kPsMetricLastCode - kPsMetricFirstCode + 1;
// Width byte of every code of a font without a metric set (the Couriers).
inline constexpr std::uint8_t kPsFixedWidthByte = 84;

struct PsFontInfo {
    const char* name;          // standard name, as psfont accepts it
    std::int32_t refHeight;    // 1/1000 em
    std::int32_t metricSet;    // index into kPsMetricSets, -1 for none
    const char* clone;         // the URW font the metrics come from
};

// In the standard order: the position of a name is its font index.
extern const PsFontInfo kPsFonts[kPsFontCount];
// A width byte b is the advance b * 0.025 * (1000 / refHeight) * h *
// 0.28346458 plot units at character height h.
extern const std::uint8_t kPsMetricSets[kPsMetricSetCount][kPsMetricCodes];

}  // namespace zedozo
