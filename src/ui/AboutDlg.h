// The About box: icon, version line, credits. A fresh one for each opening.
#pragma once

#include "dlgkit/Dialog.h"

namespace ombrix::ui {

class CAboutDlg : public dlg::Dialog {
    Q_OBJECT
public:
    CAboutDlg();
};

}  // namespace ombrix::ui
