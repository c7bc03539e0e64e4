// The level-1 defaults that disini sets once the page extents and the
// device are known.
#include "engine/core/EngineInternal.h"

namespace zedozo {

void coreDefaults(EngineState& st)
{
    st.warn.useErrFile = deviceKind(st.cycle.devcode).caps.errorFile;
    st.warn.warnOn = true;
    st.warn.checkOn = 1;
    st.warn.protocolOn = true;

    st.cycle.windowMode = 0;
    st.cycle.continueKey = 0;
    st.cycle.delay = 10;

    st.clip = ClipWindow {0.0f, 0.0f, float(st.page.npagx), float(st.page.npagy)};
    st.map = UserMapping {};
    st.map.clipRect[2] = st.page.npagx;
    st.map.clipRect[3] = st.page.npagy;

    axisDefaults(st);

    st.curve = CurveState {};
    st.poly.count = 0;
    st.poly.continued = false;
    st.poly.pendingMove = false;
    st.poly.flushing = false;
    st.poly.penX = st.poly.penY = 0.0f;
    colourDefaults(st);

    titleDefaults(st);
    textDefaults(st);
}

} // namespace zedozo
