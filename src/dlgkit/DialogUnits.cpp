#include "dlgkit/DialogUnits.h"

#include <QFontMetrics>
#include <cstdlib>

namespace ombrix::dlg {

BaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics fm(font);
    const int width = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // Average over 52 letters, rounded: (w / 26 + 1) / 2.
    return {(width / 26 + 1) / 2, fm.height()};
}

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const long long p = static_cast<long long>(a) * b;
    const long long q = (std::llabs(p) + std::llabs(c) / 2) / std::llabs(c);
    return static_cast<int>(((p < 0) != (c < 0)) ? -q : q);
}

QRect MapDialogRect(const QRect& dlu, const BaseUnits& u) {
    return {MulDiv(dlu.x(), u.x, 4), MulDiv(dlu.y(), u.y, 8), MulDiv(dlu.width(), u.x, 4),
            MulDiv(dlu.height(), u.y, 8)};
}

QSize MapDialogSize(const QSize& dlu, const BaseUnits& u) {
    return {MulDiv(dlu.width(), u.x, 4), MulDiv(dlu.height(), u.y, 8)};
}

}  // namespace ombrix::dlg
