// The one way the pane asks for a folder. Tests switch the hook on and feed
// answers, so no real file dialog is ever opened under test.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace ombrix {

class FolderChooser {
public:
    struct Request {
        QString caption;
        QString startFolder;
    };

    // The chosen folder, or an empty string when the user cancelled.
    static QString choose(QWidget* parent, const QString& caption, const QString& startFolder);

    // Test hook. While it is on, choose() records the request and returns the
    // next queued answer; with the queue empty it answers as a cancel.
    static void setHookEnabled(bool on);
    static bool hookEnabled();
    static void queueAnswer(const QString& folder);
    static QList<Request> requests();
    static void resetHook();  // empties answers and requests, keeps the switch
};

}  // namespace ombrix
