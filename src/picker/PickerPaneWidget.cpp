#include "picker/PickerPaneWidget.h"

#include "container/Formats.h"

#include "dlgkit/Access.h"
#include "dlgkit/Controls.h"
#include "dlgkit/Modal.h"
#include "picker/DirListing.h"
#include "picker/ListingModel.h"
#include "picker/Texts.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPainter>
#include <QStringListModel>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace ombrix {

namespace {

QByteArray homeBytes() { return cleanPath(QFile::encodeName(QDir::homePath())); }

QString shown(const QByteArray& path) { return QFile::decodeName(path); }

// The file the path names, with links and "..", so two spellings of one file
// count as one pick.
QByteArray resolvedKey(const QByteArray& path) {
    char buf[PATH_MAX];
    if (::realpath(path.constData(), buf)) return QByteArray(buf);
    return path;
}

QByteArray parentOf(const QByteArray& dir) { return cleanPath(dir + "/.."); }

QByteArray lastPart(const QByteArray& path) { return path.mid(path.lastIndexOf('/') + 1); }

// The raw bytes of a local file URL: a name that is not UTF-8 arrives
// percent-encoded and must not be squeezed through QString.
QByteArray localPathBytes(const QUrl& url) {
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
}

// Why a named path cannot be picked.
QString unpickableReason(const QByteArray& path) {
    struct stat st {};
    if (::stat(path.constData(), &st) != 0)
        return errno == ENOENT ? Said<PickerText::FileMissing>()
                               : Said<PickerText::SystemReason>(QString::fromLocal8Bit(std::strerror(errno)));
    return Said<PickerText::OnlyRegularFiles>();
}

QByteArray workingFolder() {
    char buf[PATH_MAX];
    return ::getcwd(buf, sizeof buf) ? QByteArray(buf) : QByteArray("/");
}

// A pick as "name  folder": the name whole, then the folder it is in,
// shortened in its middle, so picks from one long folder still differ where
// it matters. A pick that Decrypt cannot take is greyed, "not a container".
class PickDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem opt(option);
        initStyleOption(&opt, index);
        const QString name = opt.text;
        opt.text.clear();
        const QWidget* view = opt.widget;
        QStyle* style = view ? view->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, p, view);

        const QRect r = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, view).adjusted(2, 0, -2, 0);
        const bool enabled = opt.state & QStyle::State_Enabled;
        const bool selected = opt.state & QStyle::State_Selected;
        const bool off = index.data(PickerPaneWidget::NotContainerRole).toBool();
        const QPalette& pal = opt.palette;
        const QColor text = pal.color(enabled ? QPalette::Normal : QPalette::Disabled,
                                      selected ? QPalette::HighlightedText : QPalette::Text);
        QColor grey = pal.color(QPalette::Disabled, QPalette::Text);
        if (selected) grey = text;
        const QColor folderColour = selected ? text : pal.color(QPalette::Dark);

        p->save();
        p->setClipRect(r);
        const QFontMetrics fm(opt.font);
        const int gap = fm.horizontalAdvance(QStringLiteral("  "));
        int x = r.left();
        const auto put = [&](const QString& s, const QColor& c, const QFont& f) {
            const QFontMetrics m(f);
            const QString shown = m.elidedText(s, Qt::ElideMiddle, r.right() + 1 - x);
            p->setFont(f);
            p->setPen(c);
            p->drawText(QRect(x, r.top(), r.right() + 1 - x, r.height()), Qt::AlignLeft | Qt::AlignVCenter, shown);
            x += m.horizontalAdvance(shown) + gap;
        };
        put(name, off ? grey : text, opt.font);
        if (off) {
            QFont note = opt.font;
            note.setItalic(true);
            put(Said<PickerText::NotContainerNote>(), grey, note);
        }
        if (x < r.right()) put(index.data(PickerPaneWidget::FolderRole).toString(), folderColour, opt.font);
        p->restore();
    }
};

QToolButton* smallButton(const QString& text, const QString& tip, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setText(text);
    b->setToolTip(tip);
    b->setAutoRaise(false);
    return b;
}

}  // namespace

PickerPaneWidget::PickerPaneWidget(QWidget* parent) : QWidget(parent) {
    dlg::InstallAccessibility();
    buildUi();
    m_lastDest = shown(homeBytes());
    m_dest->setText(m_lastDest);
    updateModeLabel();
    picksUpdated();
    readInto(homeBytes(), false);
}

PickerPaneWidget::~PickerPaneWidget() = default;

void PickerPaneWidget::buildUi() {
    setAcceptDrops(true);

    // Created first so that focus entering the pane lands here.
    m_location = new QLineEdit(this);
    m_location->setObjectName("location");
    m_location->setPlaceholderText("Folder");
    m_location->setToolTip("Type or paste a folder and press Enter");
    m_location->setAccessibleName("Folder");
    m_location->setAcceptDrops(false);
    m_completions = new QStringListModel(this);
    m_completer = new QCompleter(m_completions, this);
    m_completer->setCaseSensitivity(Qt::CaseSensitive);
    m_completer->setModelSorting(QCompleter::CaseSensitivelySortedModel);
    m_completer->setCompletionMode(QCompleter::PopupCompletion);
    m_location->setCompleter(m_completer);
    setFocusProxy(m_location);

    m_up = new QToolButton(this);
    m_up->setObjectName("up");
    m_up->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
    m_up->setToolTip("Up one folder (Backspace)");
    m_up->setAccessibleName("Up one folder");

    m_mode = new QLabel(this);
    m_mode->setObjectName("mode");

    m_error = new dlg::LiveLabel(dlg::LiveLabel::Tone::Alert, this);
    m_error->setObjectName("error");
    m_error->setWordWrap(true);
    m_error->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_error->setStyleSheet("QLabel { color: #a00000; }");
    m_error->hide();

    m_model = new ListingModel(this);
    m_listing = new QTreeView(this);
    m_listing->setObjectName("listing");
    m_listing->setModel(m_model);
    m_listing->setRootIsDecorated(false);
    m_listing->setItemsExpandable(false);
    m_listing->setUniformRowHeights(true);
    m_listing->setAllColumnsShowFocus(true);
    m_listing->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_listing->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listing->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_listing->setSortingEnabled(true);
    m_listing->sortByColumn(ListingModel::NameColumn, Qt::AscendingOrder);
    m_listing->setTextElideMode(Qt::ElideMiddle);
    QHeaderView* header = m_listing->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(ListingModel::NameColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(ListingModel::SizeColumn, QHeaderView::Fixed);
    header->resizeSection(ListingModel::SizeColumn, fontMetrics().horizontalAdvance("9999 MB") + 16);
    m_listing->setAccessibleName("Folder contents");
    m_listing->installEventFilter(this);

    auto* pickAction = new QAction("Pick selected files", m_listing);
    auto* hiddenAction = new QAction("Show hidden files", m_listing);
    hiddenAction->setCheckable(true);
    hiddenAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    hiddenAction->setShortcutContext(Qt::WidgetShortcut);
    auto* refreshAction = new QAction("Refresh", m_listing);
    refreshAction->setShortcut(QKeySequence::Refresh);
    refreshAction->setShortcutContext(Qt::WidgetShortcut);
    m_listing->addActions({pickAction, hiddenAction, refreshAction});
    m_listing->setContextMenuPolicy(Qt::ActionsContextMenu);

    m_add = smallButton("Add", "Add the selected files to the picks (Enter; Ctrl+A adds every listed file)", this);
    m_add->setObjectName("add");
    m_count = new dlg::LiveLabel(dlg::LiveLabel::Tone::Status, this);
    m_count->setObjectName("pickCount");
    m_remove = smallButton("Remove", "Remove the selected picks (Delete)", this);
    m_remove->setObjectName("remove");
    m_clear = smallButton("Clear", "Remove every pick", this);
    m_clear->setObjectName("clear");

    m_pickList = new QListWidget(this);
    m_pickList->setObjectName("picks");
    m_pickList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pickList->setTextElideMode(Qt::ElideMiddle);
    m_pickList->setUniformItemSizes(true);
    m_pickList->setItemDelegate(new PickDelegate(m_pickList));
    m_pickList->setAccessibleName("Picked files");
    m_pickList->installEventFilter(this);

    // The format of new containers: what each protects, said plainly.
    m_formatLabel = new QLabel("Container f&ormat:", this);
    m_format = new QComboBox(this);
    m_format->setObjectName("format");
    m_format->setAccessibleName("Container format");
    m_format->setToolTip("The container each encrypted file is written in");
    for (const container::Format* f : container::Formats()) {
        const QString suffix = QString::fromUtf8(f->suffix.data(), qsizetype(f->suffix.size()));
        m_format->addItem(suffix + " \u2013 " + QString::fromUtf8(f->label.data(), qsizetype(f->label.size())), suffix);
    }
    m_format->setCurrentIndex(0);
    // Narrow panes cut the label, not the layout; the open list shows it whole.
    m_format->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_format->setMinimumContentsLength(12);
    m_formatLabel->setBuddy(m_format);

    m_destLabel = new QLabel("Destination folder:", this);
    m_dest = new QLineEdit(this);
    m_dest->setObjectName("destination");
    m_dest->setAcceptDrops(false);
    m_destLabel->setBuddy(m_dest);
    m_browse = smallButton("Browse...", "Choose the destination folder", this);
    m_browse->setObjectName("browse");

    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(4);
    top->addWidget(m_mode);
    auto* nav = new QHBoxLayout;
    nav->setSpacing(3);
    nav->addWidget(m_up);
    nav->addWidget(m_location, 1);
    top->addLayout(nav);
    top->addWidget(m_error);
    top->addWidget(m_listing, 3);
    auto* pickBar = new QHBoxLayout;
    pickBar->setSpacing(3);
    pickBar->addWidget(m_add);
    pickBar->addWidget(m_count, 1);
    pickBar->addWidget(m_remove);
    pickBar->addWidget(m_clear);
    top->addLayout(pickBar);
    top->addWidget(m_pickList, 1);
    top->addWidget(m_formatLabel);
    top->addWidget(m_format);
    top->addWidget(m_destLabel);
    auto* destRow = new QHBoxLayout;
    destRow->setSpacing(3);
    destRow->addWidget(m_dest, 1);
    destRow->addWidget(m_browse);
    top->addLayout(destRow);

    QWidget::setTabOrder(m_location, m_up);
    QWidget::setTabOrder(m_up, m_listing);
    QWidget::setTabOrder(m_listing, m_add);
    QWidget::setTabOrder(m_add, m_pickList);
    QWidget::setTabOrder(m_pickList, m_remove);
    QWidget::setTabOrder(m_remove, m_clear);
    QWidget::setTabOrder(m_clear, m_format);
    QWidget::setTabOrder(m_format, m_dest);
    QWidget::setTabOrder(m_dest, m_browse);

    connect(m_location, &QLineEdit::returnPressed, this, &PickerPaneWidget::goToLocation);
    connect(m_location, &QLineEdit::textEdited, this, &PickerPaneWidget::updateCompletions);
    connect(m_up, &QToolButton::clicked, this, &PickerPaneWidget::goUp);
    connect(m_listing, &QTreeView::activated, this, &PickerPaneWidget::activate);
    connect(pickAction, &QAction::triggered, this, &PickerPaneWidget::pickSelected);
    connect(hiddenAction, &QAction::toggled, this, [this](bool on) { m_model->setShowHidden(on); });
    connect(refreshAction, &QAction::triggered, this, &PickerPaneWidget::refresh);
    connect(m_add, &QToolButton::clicked, this, &PickerPaneWidget::pickSelected);
    connect(m_remove, &QToolButton::clicked, this, &PickerPaneWidget::removeSelectedPicks);
    connect(m_clear, &QToolButton::clicked, this, &PickerPaneWidget::clearPicks);
    connect(m_dest, &QLineEdit::editingFinished, this, &PickerPaneWidget::restoreDestinationIfEmpty);
    connect(m_browse, &QToolButton::clicked, this, &PickerPaneWidget::browseDestination);
}

QSize PickerPaneWidget::sizeHint() const { return {330, 460}; }

// ---- the job's interface ---------------------------------------------------

std::string PickerPaneWidget::FileSource(std::int32_t& index) {
    if (index < 0 || size_t(index) >= m_picks.size()) return {};
    const QByteArray& p = m_picks[size_t(index)].path;
    return std::string(p.constData(), size_t(p.size()));
}

std::string PickerPaneWidget::FileDestination() {
    const QByteArray d = pathFromInput(m_dest->text());
    return std::string(d.constData(), size_t(d.size()));
}

std::int32_t PickerPaneWidget::TotalFiles() { return std::int32_t(m_picks.size()); }

void PickerPaneWidget::DecryptTypes() {
    m_decrypt = true;
    m_model->setContainersOnly(true);
    updateModeLabel();
    markPicks();
}

void PickerPaneWidget::EncryptTypes() {
    m_decrypt = false;
    m_model->setContainersOnly(false);
    updateModeLabel();
    markPicks();
}

std::string PickerPaneWidget::ChosenFormat() const { return m_format->currentData().toString().toStdString(); }

void PickerPaneWidget::DisableDestination() { setDestinationEnabled(false); }

void PickerPaneWidget::EnableDestination() { setDestinationEnabled(true); }

void PickerPaneWidget::setDestinationEnabled(bool on) {
    m_destLabel->setEnabled(on);
    m_dest->setEnabled(on);
    m_browse->setEnabled(on);
}

void PickerPaneWidget::ProcessOver() {
    clearPicks();
    refresh();
}

// ---- browsing --------------------------------------------------------------

QString PickerPaneWidget::currentFolder() const { return shown(m_dir); }

QString PickerPaneWidget::errorText() const { return m_error->isHidden() ? QString() : m_error->text(); }

bool PickerPaneWidget::openFolder(const QString& path) { return readInto(pathFromInput(path), true); }

// Reads dir into the listing. With keepOnFailure the old folder stays listed
// (a mistyped path should not lose the user's place); otherwise the listing
// empties, as when the current folder itself has gone.
bool PickerPaneWidget::readInto(const QByteArray& dir, bool keepOnFailure) {
    DirReadResult r = readFolder(dir);
    if (r.error != 0) {
        showError(Said<PickerText::CannotOpen>(shown(dir), folderErrorText(r.error)));
        if (!keepOnFailure) {
            m_dir = dir;
            m_model->setEntries({});
            m_location->setText(shown(dir));
            m_up->setEnabled(dir != "/");
        }
        return false;
    }
    showError({});
    const bool sameFolder = dir == m_dir;
    m_dir = dir;
    m_model->setEntries(std::move(r.entries));
    if (!sameFolder) m_listing->scrollToTop();
    m_location->setText(shown(dir));
    m_up->setEnabled(dir != "/");
    return true;
}

void PickerPaneWidget::showError(const QString& text) {
    m_error->setVisible(!text.isEmpty());
    m_error->Announce(text);
}

void PickerPaneWidget::refresh() {
    QSet<QByteArray> selected;
    for (const QModelIndex& i : m_listing->selectionModel()->selectedRows())
        selected.insert(m_model->entryAt(i.row()).nameBytes);
    const QModelIndex cur = m_listing->currentIndex();
    const QByteArray current = cur.isValid() ? m_model->entryAt(cur.row()).nameBytes : QByteArray();

    readInto(m_dir, false);

    QItemSelection keep;
    for (int row = 0; row < m_model->rowCount(); ++row)
        if (selected.contains(m_model->entryAt(row).nameBytes))
            keep.select(m_model->index(row, 0), m_model->index(row, ListingModel::ColumnCount - 1));
    m_listing->selectionModel()->select(keep, QItemSelectionModel::ClearAndSelect);
    const int curRow = current.isEmpty() ? -1 : m_model->rowOfName(current);
    if (curRow >= 0)
        m_listing->selectionModel()->setCurrentIndex(m_model->index(curRow, 0), QItemSelectionModel::NoUpdate);
    prunePicks();
}

void PickerPaneWidget::goUp() {
    if (m_dir == "/") return;
    const QByteArray from = lastPart(m_dir);
    // Climb past folders that have gone, to the nearest one that opens.
    QByteArray target = parentOf(m_dir);
    while (!readInto(target, true) && target != "/") target = parentOf(target);
    const int row = m_model->rowOfName(from);
    if (row >= 0 && currentFolder() == shown(target)) {
        m_listing->setCurrentIndex(m_model->index(row, 0));
        m_listing->scrollTo(m_model->index(row, 0));
    }
}

QByteArray PickerPaneWidget::pathFromInput(const QString& input) const {
    QString text = input.trimmed();
    if (text.isEmpty()) return homeBytes();
    if (text == "~" || text.startsWith("~/")) text = QDir::homePath() + text.mid(1);
    QByteArray bytes = QFile::encodeName(text);
    // The field shows the current folder decoded; pressing Enter on it must
    // find the folder again even when its name is not valid UTF-8.
    if (text == shown(m_dir)) bytes = m_dir;
    if (!bytes.startsWith('/')) bytes = joinPath(m_dir.isEmpty() ? homeBytes() : m_dir, bytes);
    return cleanPath(bytes);
}

void PickerPaneWidget::goToLocation() {
    const QByteArray path = pathFromInput(m_location->text());
    if (isRegularFile(path)) {
        // A pasted file path: open its folder and point at the file.
        if (readInto(parentOf(path), true)) {
            const int row = m_model->rowOfName(lastPart(path));
            if (row >= 0) m_listing->setCurrentIndex(m_model->index(row, 0));
        }
        return;
    }
    const QString typed = m_location->text();
    if (!readInto(path, true)) m_location->setText(typed);  // leave the mistake there to be corrected
}

void PickerPaneWidget::updateCompletions(const QString& text) {
    const int slash = text.lastIndexOf('/');
    if (slash < 0) return;
    const QString base = text.left(slash + 1);
    const bool hidden = text.mid(slash + 1).startsWith('.');
    const QString cacheKey = base + (hidden ? "\n." : "\n");
    if (cacheKey == m_completionBase) return;
    m_completionBase = cacheKey;
    QString dirText = base;
    if (dirText.startsWith("~/")) dirText = QDir::homePath() + dirText.mid(1);
    QStringList entries;
    if (dirText.startsWith('/')) {
        const QByteArray dir = cleanPath(QFile::encodeName(dirText));
        for (const QString& name : subfolderNames(dir, hidden ? "." : "")) entries << base + name;
    }
    m_completions->setStringList(entries);
}

// ---- picking ---------------------------------------------------------------

QList<QByteArray> PickerPaneWidget::selectedFilePaths() const {
    QModelIndexList rows = m_listing->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QList<QByteArray> paths;
    for (const QModelIndex& i : rows) {
        const DirEntry& e = m_model->entryAt(i.row());
        if (!e.isDir) paths << joinPath(m_dir, e.nameBytes);
    }
    return paths;
}

void PickerPaneWidget::activate(const QModelIndex& index) {
    if (!index.isValid()) return;
    const DirEntry& e = m_model->entryAt(index.row());
    if (e.isDir) {
        readInto(joinPath(m_dir, e.nameBytes), true);
        return;
    }
    QList<QByteArray> paths = selectedFilePaths();
    const QByteArray path = joinPath(m_dir, e.nameBytes);
    if (!paths.contains(path)) paths << path;
    addPicks(paths);
}

void PickerPaneWidget::pickSelected() { addPicks(selectedFilePaths()); }

void PickerPaneWidget::pickAllListed() {
    m_listing->selectAll();
    QList<QByteArray> paths;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const DirEntry& e = m_model->entryAt(row);
        if (!e.isDir) paths << joinPath(m_dir, e.nameBytes);
    }
    addPicks(paths);
}

int PickerPaneWidget::addPicks(const QList<QByteArray>& paths) {
    int added = 0;
    m_pickList->setUpdatesEnabled(false);
    for (const QByteArray& raw : paths) {
        const QByteArray path = raw.startsWith('/') ? cleanPath(raw) : raw;
        if (!path.startsWith('/') || !isRegularFile(path)) continue;
        const QByteArray key = resolvedKey(path);
        if (m_pickKeys.contains(key)) continue;
        m_pickKeys.insert(key);
        m_picks.push_back({path, key});
        markPick(new QListWidgetItem(m_pickList), path);
        ++added;
    }
    m_pickList->setUpdatesEnabled(true);
    if (added > 0) picksUpdated();
    return added;
}

int PickerPaneWidget::pickGivenFiles(const QList<QByteArray>& paths) {
    if (paths.isEmpty()) return 0;
    const QByteArray cwd = workingFolder();
    QList<QByteArray> files;
    QByteArray folder;
    QStringList problems;
    for (const QByteArray& raw : paths) {
        const QByteArray path = cleanPath(raw.startsWith('/') ? raw : joinPath(cwd, raw));
        if (isRegularFile(path)) {
            files << path;
        } else if (isFolder(path)) {
            if (folder.isEmpty()) folder = path;
        } else {
            problems << Said<PickerText::CannotPick>(shown(path), unpickableReason(path));
        }
    }
    if (folder.isEmpty() && !files.isEmpty()) folder = parentOf(files.first());
    if (!folder.isEmpty()) readInto(folder, true);
    const int added = addPicks(files);
    // A long list of misses would push the listing out of the pane.
    constexpr int kShown = 3;
    if (problems.size() > kShown + 1) {
        const qsizetype more = problems.size() - kShown;
        problems.erase(problems.begin() + kShown, problems.end());
        problems << Said<PickerText::AndMore>(QString::number(more));
    }
    if (!problems.isEmpty()) {
        // After readInto, which clears the area or leaves its own line there.
        if (!errorText().isEmpty()) problems.prepend(errorText());
        showError(problems.join('\n'));
    }
    return added;
}

void PickerPaneWidget::removeSelectedPicks() {
    QList<int> rows;
    for (const QModelIndex& i : m_pickList->selectionModel()->selectedIndexes()) rows << i.row();
    if (rows.isEmpty()) return;
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    for (int row : rows) dropPickAt(row);
    picksUpdated();
}

void PickerPaneWidget::clearPicks() {
    const bool had = !m_picks.empty();
    m_picks.clear();
    m_pickKeys.clear();
    m_pickList->clear();
    if (had) picksUpdated();
}

void PickerPaneWidget::prunePicks() {
    bool changed = false;
    for (int row = int(m_picks.size()) - 1; row >= 0; --row) {
        if (isRegularFile(m_picks[size_t(row)].path)) continue;
        dropPickAt(row);
        changed = true;
    }
    if (changed) picksUpdated();
}

void PickerPaneWidget::dropPickAt(int row) {
    m_pickKeys.remove(m_picks[size_t(row)].key);
    m_picks.erase(m_picks.begin() + row);
    delete m_pickList->takeItem(row);
}

void PickerPaneWidget::markPick(QListWidgetItem* item, const QByteArray& path) {
    const QString name = shown(lastPart(path));
    const QString folder = shown(path.left(std::max<qsizetype>(path.lastIndexOf('/'), 1)));
    // Kept picked: the batch reports and skips it, as it always has.
    const bool off = m_decrypt && !ListingModel::isContainerName(lastPart(path));
    item->setText(name);
    item->setData(FolderRole, folder);
    item->setData(NotContainerRole, off);
    item->setToolTip(off ? Said<PickerText::NotContainerTip>(shown(path)) : shown(path));
    item->setData(Qt::AccessibleTextRole,
                  off ? Said<PickerText::PickNotContainer>(name, folder) : Said<PickerText::Pick>(name, folder));
}

void PickerPaneWidget::markPicks() {
    for (int row = 0; row < m_pickList->count(); ++row) markPick(m_pickList->item(row), m_picks[size_t(row)].path);
}

void PickerPaneWidget::picksUpdated() {
    const int n = int(m_picks.size());
    m_count->Announce(n == 0   ? Said<PickerText::NoPicks>()
                      : n == 1 ? Said<PickerText::OnePick>()
                               : Said<PickerText::Picks>(QString("%L1").arg(n)));
    m_remove->setEnabled(n > 0);
    m_clear->setEnabled(n > 0);
    emit picksChanged(n);
}

// ---- mode and destination --------------------------------------------------

void PickerPaneWidget::updateModeLabel() {
    if (m_decrypt) {
        m_mode->setText(Said<PickerText::DecryptMode>(QString::fromStdString(container::SuffixList())));
        m_mode->setStyleSheet("QLabel { background: #fbe9d0; color: #5a3300; padding: 2px 4px; }");
    } else {
        m_mode->setText(Said<PickerText::EncryptMode>());
        m_mode->setStyleSheet("QLabel { background: #dbe8f6; color: #10325a; padding: 2px 4px; }");
    }
    // Decrypting takes each container's format from its name.
    m_formatLabel->setVisible(!m_decrypt);
    m_format->setVisible(!m_decrypt);
}

void PickerPaneWidget::restoreDestinationIfEmpty() {
    // The destination is never left empty: an empty field would send the
    // outputs to the root folder.
    if (m_dest->text().trimmed().isEmpty()) m_dest->setText(m_lastDest);
    else m_lastDest = m_dest->text();
}

void PickerPaneWidget::browseDestination() {
    const QString chosen =
        dlg::ChooseFolder(this, "Choose the destination folder", shown(pathFromInput(m_dest->text())));
    if (chosen.isEmpty()) return;
    m_dest->setText(chosen);
    m_lastDest = chosen;
}

// ---- keys and drops ---------------------------------------------------------

bool PickerPaneWidget::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == m_listing) {
        if (key->matches(QKeySequence::SelectAll)) {
            pickAllListed();
            return true;
        }
        if (key->key() == Qt::Key_Backspace || (key->key() == Qt::Key_Up && key->modifiers() == Qt::AltModifier)) {
            goUp();
            return true;
        }
    } else if (watched == m_pickList && key->matches(QKeySequence::Delete)) {
        removeSelectedPicks();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PickerPaneWidget::keyPressEvent(QKeyEvent* event) {
    // Enter belongs to the pane (open, pick, go to the typed folder); it must
    // not reach a dialog's default button and start a batch.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PickerPaneWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (!event->mimeData()->hasUrls()) return;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            return;
        }
    }
}

void PickerPaneWidget::dragMoveEvent(QDragMoveEvent* event) { event->acceptProposedAction(); }

void PickerPaneWidget::dropEvent(QDropEvent* event) {
    QList<QByteArray> files;
    QByteArray folder;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (!url.isLocalFile()) continue;
        const QByteArray path = cleanPath(localPathBytes(url));
        if (isFolder(path)) {
            if (folder.isEmpty()) folder = path;
        } else {
            files << path;
        }
    }
    addPicks(files);
    if (!folder.isEmpty()) readInto(folder, true);
    event->acceptProposedAction();
}

}  // namespace ombrix
