// Byte strings and the widgets' text. The program keeps texts as bytes;
// widgets get UTF-8, and bytes that are not UTF-8 show as Latin-1 so that
// nothing disappears from the screen.
#pragma once

#include <QString>
#include <string>

namespace ombrix::dlg {

QString ToQt(const std::string& bytes);
std::string FromQt(const QString& text);

}  // namespace ombrix::dlg
