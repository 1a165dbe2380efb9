// How the dialog layer's controls show to screen readers. Qt reads a radio
// button that is not auto-exclusive as a check box, and knows nothing of our
// progress bars; these give them their real roles, names and values.
#pragma once

#include <QString>

namespace ombrix::dlg {

// Installs the layer's accessibility factory; once is enough, more is harmless.
void InstallAccessibility();

// A control's text as a name to speak: mnemonic marks gone, blanks folded,
// no colon at the end ("Enter Password       : " -> "Enter Password").
QString SpokenName(const QString& text);

}  // namespace ombrix::dlg
