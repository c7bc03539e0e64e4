// Title lines: titlin stores up to four lines, title draws them centred (or
// justified) above the axis system.
#include "engine/core/AxisInternal.h"
#include "engine/Engine.h"
#include "engine/core/EngineInternal.h"
#include "engine/core/Text.h"

#include <cstdlib>

namespace zedozo {

void titleDefaults(EngineState& st)
{
    st.title = TitleState {};
}

void titlin(std::string_view line, int n)
{
    EngineState& st = settingsCheck("titlin");
    const int k = std::abs(n);
    if (!rangeCheck(k, 1, kTitleLines)) return;
    st.title.lines[k - 1].assign(line.substr(0, kTitleChars));
    st.title.underline[k - 1] = n < 0 ? '1' : '0';
}

void title()
{
    EngineState* stp = levelCheck(2, 3, "title");
    if (!stp) return;
    EngineState& st = *stp;
    const TitleState& t = st.title;
    const int savedHeight = st.text.height;
    if (t.height > 0) setTextHeight(st, t.height);

    const int h = st.text.height;
    const int xp = st.axis.posX, yp = st.axis.posY;
    const int nx = st.axis.lenX, ny = st.axis.lenY;
    const int d = t.distance;
    const float s = t.spacing;
    for (int k = 1; k <= kTitleLines; ++k) {
        const std::string& line = t.lines[k - 1];
        const int w = textWidth(line);
        if (w == 0) continue;
        int x = xp + (nx - w) / 2;
        if (t.justification == 1)
            x = xp;
        else if (t.justification == 2)
            x = xp + nx - w;
        int y;
        if (t.position == 1)
            y = static_cast<int>((k - 1) * s * h + (yp - d) + 4 * h);
        else
            y = static_cast<int>((yp - ny - d) - (4 - k) * s * h - 3 * h);
        drawText(line, x, y, 0, h);
        if (t.underline[k - 1] == '1') {
            const float yu = static_cast<float>(static_cast<int>(y + 1.2 * h));
            drawLine(static_cast<float>(x - h / 2), yu, static_cast<float>(x + w + h / 2), yu);
        }
    }
    setTextHeight(st, savedHeight);
}

} // namespace zedozo
