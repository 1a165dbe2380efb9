// The file picker pane of the main window: browse folders, collect picks from
// several of them, and choose the destination folder.
#pragma once

#include "picker/FormatChoice.h"
#include "picker/PickerPane.h"

#include <QByteArray>
#include <QSet>
#include <QWidget>
#include <vector>

class QComboBox;
class QCompleter;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QStringListModel;
class QToolButton;
class QTreeView;
class QModelIndex;

namespace ombrix {

namespace dlg {
class LiveLabel;
}
class ListingModel;

class PickerPaneWidget : public QWidget, public C_PickerPane, public FormatChoice {
    Q_OBJECT
public:
    explicit PickerPaneWidget(QWidget* parent = nullptr);
    ~PickerPaneWidget() override;

    // C_PickerPane
    std::string FileSource(std::int32_t& index) override;
    std::string FileDestination() override;
    std::int32_t TotalFiles() override;
    void DecryptTypes() override;
    void EncryptTypes() override;
    void DisableDestination() override;
    void EnableDestination() override;
    void ProcessOver() override;

    // FormatChoice: shown in Encrypt mode only; the first format of the list
    // at start-up.
    std::string ChosenFormat() const override;

    // Opens a folder; on failure the reason shows in the pane, the current
    // listing stays and false is returned.
    bool openFolder(const QString& path);
    QString currentFolder() const;
    // Reads the current folder again and drops picks whose files are gone.
    void refresh();
    bool isDecryptMode() const { return m_decrypt; }
    QString errorText() const;

    // Adds regular files not yet picked, in the given order; returns how many.
    int addPicks(const QList<QByteArray>& paths);
    // Picks files named from outside the pane (the command line, "Open
    // with"); relative paths count from the current folder. The listing moves
    // to the first named folder, else to the first file's folder; a path that
    // names no regular file is left out with a line in the error area.
    int pickGivenFiles(const QList<QByteArray>& paths);
    // Roles of a pick in the picks list beside its name (the display text)
    // and its full path (the tooltip).
    enum PickRole { FolderRole = Qt::UserRole + 1, NotContainerRole };
    void clearPicks();

    QSize sizeHint() const override;

signals:
    void picksChanged(int count);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct Pick {
        QByteArray path;  // as FileSource gives it
        QByteArray key;   // resolved path, so one file is never picked twice
    };

    void buildUi();
    bool readInto(const QByteArray& dir, bool keepOnFailure);
    void showError(const QString& text);
    void goUp();
    void goToLocation();
    void updateCompletions(const QString& text);
    void activate(const QModelIndex& index);
    void pickSelected();
    void pickAllListed();
    void removeSelectedPicks();
    void prunePicks();
    void dropPickAt(int row);
    void picksUpdated();
    void markPick(QListWidgetItem* item, const QByteArray& path);
    void markPicks();
    void updateModeLabel();
    void setDestinationEnabled(bool on);
    void restoreDestinationIfEmpty();
    void browseDestination();
    QByteArray pathFromInput(const QString& text) const;
    QList<QByteArray> selectedFilePaths() const;

    QLabel* m_mode = nullptr;
    QLineEdit* m_location = nullptr;
    QCompleter* m_completer = nullptr;
    QStringListModel* m_completions = nullptr;
    QString m_completionBase;
    QToolButton* m_up = nullptr;
    dlg::LiveLabel* m_error = nullptr;
    QTreeView* m_listing = nullptr;
    ListingModel* m_model = nullptr;
    QToolButton* m_add = nullptr;
    dlg::LiveLabel* m_count = nullptr;
    QToolButton* m_remove = nullptr;
    QToolButton* m_clear = nullptr;
    QListWidget* m_pickList = nullptr;
    QLabel* m_formatLabel = nullptr;
    QComboBox* m_format = nullptr;
    QLabel* m_destLabel = nullptr;
    QLineEdit* m_dest = nullptr;
    QToolButton* m_browse = nullptr;

    QByteArray m_dir;
    QString m_lastDest;
    bool m_decrypt = false;
    std::vector<Pick> m_picks;
    QSet<QByteArray> m_pickKeys;
};

}  // namespace ombrix
