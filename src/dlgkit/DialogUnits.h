// Dialog units: layouts are written in units of the dialog font, so a window
// keeps its proportions whatever font the desktop gives us.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace ombrix::dlg {

struct BaseUnits {
    int x = 0;  // average character width over A-Z a-z, rounded
    int y = 0;  // font height
};

BaseUnits BaseUnitsOf(const QFont& font);

// a * b / c rounded to nearest, halves away from zero.
int MulDiv(int a, int b, int c);

// Dialog units to pixels: x and widths by x/4, y and heights by y/8.
QRect MapDialogRect(const QRect& dlu, const BaseUnits& units);
QSize MapDialogSize(const QSize& dlu, const BaseUnits& units);

}  // namespace ombrix::dlg
