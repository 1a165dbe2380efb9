// The bevelled grey look of the dialogs, the same on every desktop.
#pragma once

namespace ombrix::dlg {

// Sets the application's style and palette. Call once after QApplication.
void ApplyClassicLook();

}  // namespace ombrix::dlg
