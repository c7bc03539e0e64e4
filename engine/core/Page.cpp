// Page decoration: the border (pagera), the page fill (pagfll) and the page
// header with date, time and engine version (paghdr).
#include "engine/core/AxisInternal.h"
#include "engine/Engine.h"
#include "engine/core/EngineInternal.h"
#include "engine/core/Text.h"

#include <cstdio>
#include <string>

namespace zedozo {

namespace {

constexpr std::size_t kHeaderChars = 132;
constexpr std::size_t kHeaderBeforeChars = 100;

} // namespace

void pagera()
{
    EngineState* st = levelCheck(1, 3, "pagera");
    if (!st) return;
    const float pw = static_cast<float>(st->page.npagx);
    const float ph = static_cast<float>(st->page.npagy);
    flushPolyline();
    penMove(0.0f, 0.0f);
    penDraw(0.0f, ph);
    penDraw(pw, ph);
    penDraw(pw, 0.0f);
    penDraw(0.0f, 0.0f);
}

void pagfll(int colour)
{
    EngineState* st = levelCheck(1, 3, "pagfll");
    if (!st || !rangeCheck(colour, 0, -1)) return;
    const int saved = st->colour.current;
    // What was drawn before belongs under the fill.
    flushPolyline();
    fillPage(colour);
    devcol(saved);
}

std::string pageHeaderText(std::string_view before, std::string_view after)
{
    const EngineTime t = engineNow();
    char info[96];
    std::snprintf(info, sizeof info, "%02d.%02d.%4d, %02d:%02d:%02d, ZEDOZO %3.1f ", t.day, t.month, t.year, t.hour,
        t.minute, t.second, static_cast<double>(kEngineVersion));
    std::string header(before.substr(0, kHeaderBeforeChars));
    header += ' ';
    header += info;
    if (header.size() > kHeaderChars) header.resize(kHeaderChars);
    header.append(after.substr(0, kHeaderChars - header.size()));
    return header;
}

void paghdr(std::string_view before, std::string_view after, int position, int direction)
{
    EngineState* stp = levelCheck(1, 3, "paghdr");
    if (!stp) return;
    EngineState& st = *stp;
    if (!rangeCheck(position, 1, 4)) position = 1;
    if (!rangeCheck(direction, 0, 1)) direction = 1;

    const std::string header = pageHeaderText(before, after);
    int angle = 0;
    if (direction == 1) angle = (position == 1 || position == 4) ? 90 : 270;

    const int savedHeight = st.text.height;
    setTextHeight(st, static_cast<int>(0.6 * savedHeight));
    const int hh = st.text.height;
    const int w = textWidth(header);
    const int pw = st.page.npagx, ph = st.page.npagy;
    int x = 0, y = 0;
    if (direction == 0) {
        x = (position == 1 || position == 4) ? 100 : pw - 100 - w;
        y = (position == 3 || position == 4) ? 15 : ph - 15 - hh;
    } else {
        switch (position) {
        case 1:
            x = 15;
            y = ph - 100;
            break;
        case 2:
            x = pw - 15;
            y = ph - w - 100;
            break;
        case 3:
            x = pw - 15;
            y = 100;
            break;
        default:
            x = 15;
            y = w + 100;
            break;
        }
    }
    drawText(header, x, y, angle, hh);
    setTextHeight(st, savedHeight);
}

} // namespace zedozo
