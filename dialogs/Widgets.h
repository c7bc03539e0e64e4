#pragma once
// Small helpers the desktop's windows build their controls with.

#include <QLabel>
#include <QString>

namespace quorva {

// A label of its text's size at x, y of `parent`.
inline QLabel* label(QWidget* parent, const char* text, int x, int y)
{
    auto* l = new QLabel(QString::fromLatin1(text), parent);
    l->move(x, y);
    l->adjustSize();
    return l;
}

} // namespace quorva
