#include "dialogs/ControlWidths.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>

#include <algorithm>

namespace quorva {
namespace {

constexpr int kGap = 2; // pixels kept free before the next control

// Width the style needs for the whole text (the size hint of these kinds
// follows their texts); 0 for other widgets. A spin box's hint keeps room
// for a blank and the cursor beyond its widest number, so it would widen
// boxes whose numbers fit: the test of every control watches those.
int neededWidth(QWidget* w)
{
    if (qobject_cast<QComboBox*>(w) || qobject_cast<QRadioButton*>(w) || qobject_cast<QCheckBox*>(w))
        return w->sizeHint().width();
    return 0;
}

} // namespace

void growControlsToTheirText(QWidget* window)
{
    for (QWidget* w : window->findChildren<QWidget*>()) {
        QWidget* parent = w->parentWidget();
        if (!parent || w->isWindow() || qobject_cast<QComboBox*>(parent) || qobject_cast<QAbstractSpinBox*>(parent))
            continue;
        const int need = neededWidth(w);
        if (need <= w->width()) continue;
        const QRect g = w->geometry();
        int limit = parent->width();
        for (QWidget* other : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            const QRect o = other->geometry();
            if (other != w && !other->isWindow() && o.left() > g.right() && o.top() <= g.bottom()
                && o.bottom() >= g.top())
                limit = std::min(limit, o.left() - kGap);
        }
        w->resize(std::max(g.width(), std::min(need, limit - g.left())), g.height());
    }
}

} // namespace quorva
