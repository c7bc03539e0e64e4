#pragma once
// The windows place their controls at fixed sizes. With the fonts and the
// style of a Linux desktop some of those sizes leave no room for the whole
// text (the unit list of the file dialog read "ADL"); such a control grows.

class QWidget;

namespace quorva {

// Widens every drop-down list, radio button and check box below
// `window` whose width is less than the style needs for its text (its size
// hint), but no further than the next control to its right (or its
// parent's edge) allows. Heights stay.
void growControlsToTheirText(QWidget* window);

} // namespace quorva
