#include "picker/FolderChooser.h"

#include <QFileDialog>

namespace ombrix {

namespace {

struct Hook {
    bool enabled = false;
    QStringList answers;
    QList<FolderChooser::Request> requests;
};

Hook& hook() {
    static Hook h;
    return h;
}

}  // namespace

QString FolderChooser::choose(QWidget* parent, const QString& caption, const QString& startFolder) {
    Hook& h = hook();
    if (h.enabled) {
        h.requests.append({caption, startFolder});
        return h.answers.isEmpty() ? QString() : h.answers.takeFirst();
    }
    return QFileDialog::getExistingDirectory(parent, caption, startFolder,
                                             QFileDialog::ShowDirsOnly);
}

void FolderChooser::setHookEnabled(bool on) { hook().enabled = on; }
bool FolderChooser::hookEnabled() { return hook().enabled; }
void FolderChooser::queueAnswer(const QString& folder) { hook().answers.append(folder); }
QList<FolderChooser::Request> FolderChooser::requests() { return hook().requests; }

void FolderChooser::resetHook() {
    hook().answers.clear();
    hook().requests.clear();
}

}  // namespace ombrix
