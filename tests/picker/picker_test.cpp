// The picker pane driven through its real widgets, in temporary folders.
#include "AccessLog.h"
#include "dlgkit/Modal.h"
#include "picker/PickerPaneWidget.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using ombrix::PickerPaneWidget;

namespace {

// Creates a file by raw bytes, so names that are not UTF-8 can be made too.
void makeFile(const QByteArray& path, const QByteArray& content = "x") {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY2(fd >= 0, path.constData());
    QCOMPARE(::write(fd, content.constData(), size_t(content.size())), ssize_t(content.size()));
    ::close(fd);
}

QByteArray bytes(const QString& s) { return QFile::encodeName(s); }

std::string str(const QString& s) { return bytes(s).toStdString(); }

}  // namespace

class PickerTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_tmp;
    std::unique_ptr<PickerPaneWidget> m_pane;
    std::unique_ptr<ombrix::dlg::ModalHook> m_hook;

    QString dir(const QString& rel = {}) const { return rel.isEmpty() ? m_tmp->path() : m_tmp->path() + '/' + rel; }
    void mkdir(const QString& rel) { QVERIFY(QDir().mkpath(dir(rel))); }
    void touch(const QString& rel, const QByteArray& content = "x") { makeFile(bytes(dir(rel)), content); }

    template <class W>
    W* part(const char* name) {
        W* w = m_pane->findChild<W*>(name);
        if (!w) qFatal("pane has no %s", name);
        return w;
    }
    QTreeView* listing() { return part<QTreeView>("listing"); }
    QListWidget* pickList() { return part<QListWidget>("picks"); }

    QStringList listed() {
        QStringList names;
        auto* model = listing()->model();
        for (int r = 0; r < model->rowCount(); ++r) names << model->index(r, 0).data().toString();
        return names;
    }
    std::vector<std::string> sources() {
        std::vector<std::string> out;
        const std::int32_t n = m_pane->TotalFiles();
        for (std::int32_t i = 0; i < n; ++i) {
            std::int32_t index = i;
            out.push_back(m_pane->FileSource(index));
            if (index != i) qFatal("FileSource changed the index");
        }
        return out;
    }
    // Each row's path as shown: the folder after the name.
    QStringList shownPicks() {
        QStringList out;
        for (int r = 0; r < pickList()->count(); ++r) {
            const QListWidgetItem* item = pickList()->item(r);
            const QString folder = item->data(PickerPaneWidget::FolderRole).toString();
            out << (folder.endsWith('/') ? folder : folder + '/') + item->text();
        }
        return out;
    }
    void typeLocation(const QString& path) {
        QLineEdit* loc = part<QLineEdit>("location");
        loc->clear();
        QTest::keyClicks(loc, path);
        QTest::keyClick(loc, Qt::Key_Return);
    }
    void selectNames(const QStringList& names) {
        auto* sel = listing()->selectionModel();
        sel->clearSelection();
        for (const QString& n : names) {
            const int row = listed().indexOf(n);
            QVERIFY2(row >= 0, qPrintable(n));
            sel->select(listing()->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    void click(const char* button) { QTest::mouseClick(part<QToolButton>(button), Qt::LeftButton); }
    void dropUrls(QWidget* target, const QList<QUrl>& urls) {
        QMimeData mime;
        mime.setUrls(urls);
        const QPointF at(5, 5);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        QVERIFY(drop.isAccepted());
    }
    void saveShot(QWidget* w, const QString& name) {
        QDir().mkpath(OMBRIX_SHOT_DIR);
        QVERIFY(w->grab().save(QString(OMBRIX_SHOT_DIR) + '/' + name));
    }

private slots:
    void initTestCase() {
        QVERIFY(m_home.isValid());
        qputenv("HOME", bytes(m_home.path()));
    }
    void init() {
        m_hook.reset();                                       // hooks nest: the old one goes before the new one comes
        m_hook = std::make_unique<ombrix::dlg::ModalHook>();  // no real dialog ever opens
        m_tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tmp->isValid());
        m_pane = std::make_unique<PickerPaneWidget>();
        m_pane->resize(330, 460);
    }
    void cleanup() {
        m_pane.reset();
        m_tmp.reset();
    }

    void startsAtHomeInEncryptModeWithDestination() {
        const QString home = QDir::cleanPath(m_home.path());
        QCOMPARE(m_pane->currentFolder(), home);
        QCOMPARE(part<QLineEdit>("location")->text(), home);
        QVERIFY(!m_pane->isDecryptMode());
        QVERIFY(part<QLabel>("mode")->text().contains("Encrypt"));
        QVERIFY(part<QLineEdit>("destination")->isEnabled());
        QCOMPARE(m_pane->FileDestination(), str(home));
        QCOMPARE(m_pane->TotalFiles(), 0);
        std::int32_t index = 0;
        QCOMPARE(m_pane->FileSource(index), std::string());
    }

    void picksFromTwoFoldersKeepTheirShownOrder() {
        mkdir("one");
        mkdir("two");
        touch("one/b.txt");
        touch("one/a.txt");
        touch("two/c.txt");
        typeLocation(dir("one"));
        QCOMPARE(m_pane->currentFolder(), dir("one"));
        selectNames({"a.txt", "b.txt"});
        click("add");
        typeLocation(dir("two"));
        selectNames({"c.txt"});
        click("add");
        // Back in the first folder, picking again adds nothing twice.
        typeLocation(dir("one"));
        selectNames({"b.txt"});
        click("add");

        const std::vector<std::string> expected{str(dir("one/a.txt")), str(dir("one/b.txt")), str(dir("two/c.txt"))};
        QCOMPARE(m_pane->TotalFiles(), 3);
        QCOMPARE(sources(), expected);
        QCOMPARE(shownPicks(), (QStringList{dir("one/a.txt"), dir("one/b.txt"), dir("two/c.txt")}));
        QCOMPARE(part<QLabel>("pickCount")->text(), QString("3 files picked"));
    }

    void onePathIsNeverPickedTwice_data() {
        QTest::addColumn<QString>("second");
        QTest::newRow("same") << "a.txt";
        QTest::newRow("dot") << "./a.txt";
        QTest::newRow("dotdot") << "sub/../a.txt";
        QTest::newRow("double slash") << "/a.txt";
        QTest::newRow("symlink") << "link.txt";
    }
    void onePathIsNeverPickedTwice() {
        QFETCH(QString, second);
        mkdir("sub");
        touch("a.txt");
        QVERIFY(QFile::link(dir("a.txt"), dir("link.txt")));
        QCOMPARE(m_pane->addPicks({bytes(dir("a.txt"))}), 1);
        QCOMPARE(m_pane->addPicks({bytes(dir(second))}), 0);
        QCOMPARE(m_pane->TotalFiles(), 1);
    }

    void onlyRegularFilesArePicked() {
        mkdir("sub");
        QVERIFY(::mkfifo(bytes(dir("fifo")).constData(), 0644) == 0);
        QCOMPARE(m_pane->addPicks({bytes(dir("sub")), bytes(dir("fifo")), bytes(dir("missing")), "relative.txt"}), 0);
        QCOMPARE(m_pane->TotalFiles(), 0);
        m_pane->openFolder(dir());
        QCOMPARE(listed(), QStringList{"sub"});  // a FIFO would hang the batch
    }

    void decryptModeListsContainersInAnyCase() {
        mkdir("box.kvr");
        for (const char* n : {"a.kvr", "B.KVR", "c.Kvr", "plain.txt", "kvr", "d.kvr.txt", "ekvr", ".kvr"}) touch(n);
        m_pane->openFolder(dir());
        QCOMPARE(listed(),
                 (QStringList{"box.kvr", "a.kvr", "B.KVR", "c.Kvr", "d.kvr.txt", "ekvr", "kvr", "plain.txt"}));
        m_pane->DecryptTypes();
        QVERIFY(m_pane->isDecryptMode());
        QVERIFY(part<QLabel>("mode")->text().contains("Decrypt"));
        QCOMPARE(listed(), (QStringList{"box.kvr", "a.kvr", "B.KVR", "c.Kvr"}));
        // End of an encryption batch: the mode named last is the one kept.
        m_pane->DecryptTypes();
        m_pane->EncryptTypes();
        QVERIFY(!m_pane->isDecryptMode());
        QVERIFY(part<QLabel>("mode")->text().contains("Encrypt"));
        QCOMPARE(listed().size(), 8);
        m_pane->EncryptTypes();
        m_pane->DecryptTypes();
        QCOMPARE(listed().size(), 4);
    }

    void destinationFollowsEnableDisableAndBrowse() {
        auto* field = part<QLineEdit>("destination");
        auto* browse = part<QToolButton>("browse");
        m_pane->DisableDestination();
        QVERIFY(!field->isEnabled());
        QVERIFY(!browse->isEnabled());
        m_pane->EnableDestination();
        QVERIFY(field->isEnabled());
        QVERIFY(browse->isEnabled());

        mkdir("out");
        m_hook->AnswerFolder(str(dir("out")));
        click("browse");
        QCOMPARE(m_hook->Log().size(), std::size_t(1));
        QCOMPARE(m_hook->Log()[0].kind, ombrix::dlg::Asked::Kind::Folder);
        QCOMPARE(QString::fromStdString(m_hook->Log()[0].text), QDir::cleanPath(m_home.path()));
        QCOMPARE(m_pane->FileDestination(), str(dir("out")));
        // A cancelled dialog keeps the folder.
        click("browse");
        QCOMPARE(m_hook->Log().size(), std::size_t(2));
        QVERIFY(!m_hook->Log()[1].scripted);  // nothing queued: a cancel
        QCOMPARE(QString::fromStdString(m_hook->Log()[1].text), dir("out"));
        QCOMPARE(m_pane->FileDestination(), str(dir("out")));
    }

    void destinationIsNeverEmptyOrRelative_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");  // "@" stands for the test folder
        QTest::newRow("plain") << "@/out"
                               << "@/out";
        QTest::newRow("trailing slash") << "@/out/"
                                        << "@/out";
        QTest::newRow("empty") << ""
                               << "@/out";
        QTest::newRow("blanks") << "   "
                                << "@/out";
        QTest::newRow("home") << "~"
                              << "HOME";
        QTest::newRow("relative to the listed folder") << "rel"
                                                       << "@/rel";
    }
    void destinationIsNeverEmptyOrRelative() {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        m_pane->openFolder(dir());
        auto* field = part<QLineEdit>("destination");
        field->setText(dir("out"));
        emit field->editingFinished();
        field->setText(typed.replace("@", dir()));
        emit field->editingFinished();
        expected.replace("@", dir()).replace("HOME", QDir::cleanPath(m_home.path()));
        QCOMPARE(m_pane->FileDestination(), str(expected));
        QVERIFY(!field->text().trimmed().isEmpty());
    }

    void droppedFilesArePickedAndFoldersOpened() {
        mkdir("drop");
        touch("drop/one.txt");
        touch("two.bin");
        mkdir("other");
        touch("other/inside.txt");
        const QList<QUrl> urls{QUrl::fromLocalFile(dir("drop/one.txt")), QUrl("https://example.org/x.txt"),
                               QUrl::fromLocalFile(dir("other")), QUrl::fromLocalFile(dir("two.bin")),
                               QUrl::fromLocalFile(dir("drop/one.txt"))};
        // Onto the listing: the drop reaches the pane through its parents.
        dropUrls(listing()->viewport(), urls);
        QCOMPARE(sources(), (std::vector<std::string>{str(dir("drop/one.txt")), str(dir("two.bin"))}));
        QCOMPARE(m_pane->currentFolder(), dir("other"));
        QCOMPARE(listed(), QStringList{"inside.txt"});
        // Onto the location field, which must not swallow it as text.
        dropUrls(part<QLineEdit>("location"), {QUrl::fromLocalFile(dir("other/inside.txt"))});
        QCOMPARE(m_pane->TotalFiles(), 3);
        QCOMPARE(part<QLineEdit>("location")->text(), dir("other"));
    }

    void namesThatAreNotUtf8ComeBackByteForByte() {
        const QByteArray name("caf\xe9.txt");
        const QByteArray path = bytes(dir()) + '/' + name;
        makeFile(path);
        m_pane->openFolder(dir());
        QCOMPARE(listed().size(), 1);
        listing()->setFocus();
        QTest::keyClick(listing(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(sources(), std::vector<std::string>{path.toStdString()});

        m_pane->clearPicks();
        dropUrls(m_pane.get(), {QUrl::fromEncoded("file://" + path.toPercentEncoding("/"))});
        QCOMPARE(sources(), std::vector<std::string>{path.toStdString()});
        ::unlink(path.constData());  // QTemporaryDir cannot remove such a name
    }

    void processOverRefreshesListingAndClearsPicks() {
        touch("report.txt");
        touch("keep.txt");
        m_pane->openFolder(dir());
        selectNames({"report.txt"});
        click("add");
        QCOMPARE(m_pane->TotalFiles(), 1);
        // What a batch does: a container appears, the original is deleted.
        touch("report.kvr");
        QVERIFY(QFile::remove(dir("report.txt")));
        QSignalSpy spy(m_pane.get(), &PickerPaneWidget::picksChanged);
        m_pane->ProcessOver();
        QCOMPARE(listed(), (QStringList{"keep.txt", "report.kvr"}));
        QCOMPARE(m_pane->TotalFiles(), 0);
        QCOMPARE(pickList()->count(), 0);
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.last().at(0).toInt(), 0);
        QCOMPARE(part<QLabel>("pickCount")->text(), QString("No files picked"));
    }

    void refreshDropsPicksWhoseFilesVanished() {
        touch("a");
        touch("b");
        touch("c");
        m_pane->addPicks({bytes(dir("a")), bytes(dir("b")), bytes(dir("c"))});
        QVERIFY(QFile::remove(dir("b")));
        m_pane->refresh();
        QCOMPARE(sources(), (std::vector<std::string>{str(dir("a")), str(dir("c"))}));
        QCOMPARE(shownPicks(), (QStringList{dir("a"), dir("c")}));
    }

    void removeAndClearKeepListAndSourcesInStep() {
        for (const char* n : {"1", "2", "3", "4"}) touch(n);
        m_pane->addPicks({bytes(dir("1")), bytes(dir("2")), bytes(dir("3")), bytes(dir("4"))});
        pickList()->item(1)->setSelected(true);
        pickList()->item(3)->setSelected(true);
        click("remove");
        QCOMPARE(sources(), (std::vector<std::string>{str(dir("1")), str(dir("3"))}));
        QCOMPARE(shownPicks(), (QStringList{dir("1"), dir("3")}));
        // A removed file can be picked again.
        QCOMPARE(m_pane->addPicks({bytes(dir("2"))}), 1);
        pickList()->setCurrentRow(0);
        pickList()->setFocus();
        QTest::keyClick(pickList(), Qt::Key_Delete);
        QCOMPARE(shownPicks(), (QStringList{dir("3"), dir("2")}));
        click("clear");
        QCOMPARE(m_pane->TotalFiles(), 0);
        QVERIFY(!part<QToolButton>("clear")->isEnabled());
    }

    void ctrlAPicksEveryListedFile() {
        mkdir("folder");
        for (const char* n : {"x.txt", "y.kvr", "Z.KVR", ".hidden.kvr"}) touch(n);
        m_pane->openFolder(dir());
        m_pane->DecryptTypes();
        listing()->setFocus();
        QTest::keyClick(listing(), Qt::Key_A, Qt::ControlModifier);
        // Listed files only: no folder, nothing hidden, nothing filtered out.
        QCOMPARE(sources(), (std::vector<std::string>{str(dir("y.kvr")), str(dir("Z.KVR"))}));
        m_pane->EncryptTypes();
        QTest::keyClick(listing(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(m_pane->TotalFiles(), 3);
    }

    void enterOpensFoldersAndPicksFiles() {
        mkdir("sub");
        touch("sub/f.txt");
        m_pane->openFolder(dir());
        listing()->setFocus();
        listing()->setCurrentIndex(listing()->model()->index(0, 0));
        QTest::keyClick(listing(), Qt::Key_Return);
        QCOMPARE(m_pane->currentFolder(), dir("sub"));
        listing()->setCurrentIndex(listing()->model()->index(0, 0));
        QTest::keyClick(listing(), Qt::Key_Return);
        QCOMPARE(sources(), std::vector<std::string>{str(dir("sub/f.txt"))});
        QTest::keyClick(listing(), Qt::Key_Backspace);
        QCOMPARE(m_pane->currentFolder(), dir());
        // Coming up, the folder we left is the current row.
        QCOMPARE(listing()->currentIndex().data().toString(), QString("sub"));
    }

    void locationTakesFilesHomeAndCompletesFolders() {
        mkdir("alpha");
        mkdir("alps");
        mkdir("beta");
        mkdir(".alhidden");
        touch("alfile");
        typeLocation(dir("alfile"));
        QCOMPARE(m_pane->currentFolder(), dir());
        QCOMPARE(listing()->currentIndex().data().toString(), QString("alfile"));
        typeLocation("~");
        QCOMPARE(m_pane->currentFolder(), QDir::cleanPath(m_home.path()));

        auto* loc = part<QLineEdit>("location");
        loc->clear();
        QTest::keyClicks(loc, dir() + "/al");
        QCompleter* c = loc->completer();
        QStringList offered;
        for (int i = 0; c->setCurrentRow(i); ++i) offered << c->currentCompletion();
        QCOMPARE(offered, (QStringList{dir("alpha"), dir("alps")}));
    }

    void unreadableFolderShowsWhyAndKeepsTheListing_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "@/gone"
                                 << "does not exist";
        QTest::newRow("through a file") << "@/file.txt/sub"
                                        << "not a folder";
        QTest::newRow("name too long") << "@/" + QString(300, 'n') << "too long";
        QTest::newRow("no permission") << "@/locked"
                                       << "Permission denied";
    }
    void unreadableFolderShowsWhyAndKeepsTheListing() {
        QFETCH(QString, target);
        QFETCH(QString, reason);
        touch("file.txt");
        mkdir("locked");
        QVERIFY(QFile::setPermissions(dir("locked"), {}));
        if (QString(QTest::currentDataTag()) == "no permission" && ::geteuid() == 0) QSKIP("root reads any folder");
        m_pane->openFolder(dir());
        QVERIFY(m_pane->errorText().isEmpty());
        typeLocation(target.replace("@", dir()));
        QVERIFY2(m_pane->errorText().contains(reason, Qt::CaseInsensitive), qPrintable(m_pane->errorText()));
        QVERIFY(part<QLabel>("error")->isVisibleTo(m_pane.get()));
        QCOMPARE(m_pane->currentFolder(), dir());
        QCOMPARE(listed(), (QStringList{"locked", "file.txt"}));
        QCOMPARE(part<QLineEdit>("location")->text(), target);  // left to be corrected
        QFile::setPermissions(dir("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        typeLocation(dir());
        QVERIFY(m_pane->errorText().isEmpty());
    }

    void currentFolderRemovedIsReportedOnRefresh() {
        mkdir("a/b/c");
        touch("a/b/c/f.txt");
        m_pane->openFolder(dir("a/b/c"));
        QVERIFY(QDir(dir("a/b")).removeRecursively());
        m_pane->ProcessOver();
        QVERIFY(m_pane->errorText().contains("does not exist"));
        QVERIFY(listed().isEmpty());
        // Up climbs to the nearest folder that still exists.
        click("up");
        QCOMPARE(m_pane->currentFolder(), dir("a"));
        QVERIFY(m_pane->errorText().isEmpty());
    }

    void sortingBySizeKeepsFoldersFirstAndSelection() {
        mkdir("zdir");
        touch("big", QByteArray(5000, 'b'));
        touch("small", "s");
        touch("mid", QByteArray(300, 'm'));
        m_pane->openFolder(dir());
        QCOMPARE(listed(), (QStringList{"zdir", "big", "mid", "small"}));
        selectNames({"mid"});
        listing()->sortByColumn(1, Qt::AscendingOrder);
        QCOMPARE(listed(), (QStringList{"zdir", "small", "mid", "big"}));
        listing()->sortByColumn(1, Qt::DescendingOrder);
        QCOMPARE(listed(), (QStringList{"zdir", "big", "mid", "small"}));
        click("add");
        QCOMPARE(sources(), std::vector<std::string>{str(dir("mid"))});
    }

    void everyPartIsReachedByTabStartingAtTheLocation() {
        QWidget host;
        auto* layout = new QVBoxLayout(&host);
        auto* before = new QPushButton("before", &host);
        layout->addWidget(before);
        auto* pane = new PickerPaneWidget(&host);
        layout->addWidget(pane);
        auto* after = new QPushButton("after", &host);
        layout->addWidget(after);
        touch("f");
        pane->addPicks({bytes(dir("f"))});  // Remove and Clear are off without picks
        host.show();
        host.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&host));
        before->setFocus();

        QStringList order;
        for (int i = 0; i < 20 && QApplication::focusWidget() != after; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->objectName();
        }

        QCOMPARE(order, (QStringList{"location", "up", "listing", "add", "picks", "remove", "clear", "format",
                                     "destination", "browse", ""}));
        pane->setFocus();
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("location"));
    }

    void enterInThePaneNeverPressesTheDialogDefault() {
        mkdir("sub");
        QDialog dialog;
        auto* layout = new QVBoxLayout(&dialog);
        auto* pane = new PickerPaneWidget(&dialog);
        layout->addWidget(pane);
        auto* start = new QPushButton("Start", &dialog);
        start->setDefault(true);
        layout->addWidget(start);
        QSignalSpy clicked(start, &QPushButton::clicked);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* loc = pane->findChild<QLineEdit*>("location");
        loc->setText(dir());
        QTest::keyClick(loc, Qt::Key_Return);
        QCOMPARE(pane->currentFolder(), dir());
        auto* view = pane->findChild<QTreeView*>("listing");
        view->setCurrentIndex(view->model()->index(0, 0));
        QTest::keyClick(view, Qt::Key_Return);
        QCOMPARE(pane->currentFolder(), dir("sub"));
        QCOMPARE(clicked.size(), 0);
        QVERIFY(dialog.isVisible());
    }

    void picksShowTheNameFirstAndTheFolderAfterIt() {
        const QString folder = "a folder with a rather long name/and another one below it/and a third";
        mkdir(folder);
        touch(folder + "/report-2023.txt");
        touch(folder + "/report-2024.txt");
        m_pane->addPicks({bytes(dir(folder + "/report-2023.txt")), bytes(dir(folder + "/report-2024.txt"))});
        QCOMPARE(pickList()->item(0)->text(), QString("report-2023.txt"));
        QCOMPARE(pickList()->item(1)->text(), QString("report-2024.txt"));
        for (int r = 0; r < 2; ++r) {
            const QListWidgetItem* item = pickList()->item(r);
            QCOMPARE(item->data(PickerPaneWidget::FolderRole).toString(), dir(folder));
            QCOMPARE(item->toolTip(), dir(folder) + '/' + item->text());
            QVERIFY(item->data(Qt::AccessibleTextRole).toString().startsWith(item->text() + ", in /"));
        }
        // Drawn narrow, the two rows still differ.
        m_pane->resize(330, 460);
        m_pane->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pane.get()));
        const QRect row0 = pickList()->visualItemRect(pickList()->item(0));
        const QRect row1 = pickList()->visualItemRect(pickList()->item(1));
        const QImage shot = pickList()->viewport()->grab().toImage();
        QVERIFY(shot.copy(row0) != shot.copy(row1));
        saveShot(m_pane.get(), "picker-picks-name-first.png");
    }

    void decryptModeGreysPlainPicksButKeepsThem() {
        for (const char* n : {"a.kvr", "plain.txt", "B.KVR", "x.kvr.txt"}) touch(n);
        m_pane->addPicks({bytes(dir("a.kvr")), bytes(dir("plain.txt"))});
        const auto marked = [&] {
            QList<bool> out;
            for (int r = 0; r < pickList()->count(); ++r)
                out << pickList()->item(r)->data(PickerPaneWidget::NotContainerRole).toBool();
            return out;
        };
        QCOMPARE(marked(), (QList<bool>{false, false}));
        m_pane->DecryptTypes();
        QCOMPARE(marked(), (QList<bool>{false, true}));
        // Picked while in Decrypt mode: marked at once.
        m_pane->addPicks({bytes(dir("B.KVR")), bytes(dir("x.kvr.txt"))});
        QCOMPARE(marked(), (QList<bool>{false, true, false, true}));
        QVERIFY(pickList()->item(1)->data(Qt::AccessibleTextRole).toString().contains("not a container"));
        QVERIFY(pickList()->item(1)->toolTip().contains("Not a container"));
        // The batch still gets every pick, in order.
        QCOMPARE(sources(), (std::vector<std::string>{str(dir("a.kvr")), str(dir("plain.txt")), str(dir("B.KVR")),
                                                      str(dir("x.kvr.txt"))}));
        m_pane->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pane.get()));
        saveShot(m_pane.get(), "picker-decrypt-not-a-container.png");
        m_pane->EncryptTypes();
        QCOMPARE(marked(), (QList<bool>{false, false, false, false}));
        QVERIFY(!pickList()->item(1)->toolTip().contains("Not a container"));
    }

    // Both container formats are listed and taken, by name, in any case;
    // only other files are marked.
    void decryptModeListsAndMarksBothFormats() {
        const char* names[] = {"a.kvr", "b.KVX", "c.txt.kvx", "d.Kvx", "plain.txt", "e.kvx.txt", "kvx", ".kvx"};
        for (const char* n : names) touch(n);
        m_pane->openFolder(dir());
        m_pane->addPicks({bytes(dir("c.txt.kvx")), bytes(dir("plain.txt")), bytes(dir("a.kvr")), bytes(dir("b.KVX"))});
        m_pane->DecryptTypes();
        QVERIFY(part<QLabel>("mode")->text().contains(".kvr and .kvx containers"));
        QCOMPARE(listed(), (QStringList{"a.kvr", "b.KVX", "c.txt.kvx", "d.Kvx"}));
        QList<bool> marked;
        for (int r = 0; r < pickList()->count(); ++r)
            marked << pickList()->item(r)->data(PickerPaneWidget::NotContainerRole).toBool();
        QCOMPARE(marked, (QList<bool>{false, true, false, false}));
        m_pane->resize(330, 460);
        m_pane->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pane.get()));
        saveShot(m_pane.get(), "picker-decrypt-both-formats.png");
    }

    // The format of new containers: .kvr first and chosen at start, each
    // labelled for what it protects, offered in Encrypt mode only, and kept
    // as chosen through mode changes and the end of a batch.
    void formatChoiceShowsInEncryptModeOnly() {
        auto* format = part<QComboBox>("format");
        m_pane->resize(330, 460);
        m_pane->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pane.get()));
        QCOMPARE(format->count(), 2);
        QCOMPARE(format->itemText(0), QString(".kvr \u2013 compatible, not protected"));
        QCOMPARE(format->itemText(1), QString(".kvx \u2013 encrypted (Argon2id, XChaCha20-Poly1305)"));
        QCOMPARE(m_pane->ChosenFormat(), std::string(".kvr"));
        QVERIFY(format->isVisible());
        QCOMPARE(format->accessibleName(), QString("Container format"));

        format->setFocus();
        QTest::keyClick(format, Qt::Key_Down);
        QCOMPARE(m_pane->ChosenFormat(), std::string(".kvx"));
        saveShot(m_pane.get(), "picker-encrypt-format-kvx.png");

        m_pane->EncryptTypes();
        m_pane->DecryptTypes();
        QVERIFY(!format->isVisible());
        m_pane->ProcessOver();
        m_pane->DecryptTypes();
        m_pane->EncryptTypes();
        QVERIFY(format->isVisible());
        QCOMPARE(m_pane->ChosenFormat(), std::string(".kvx"));
        // A fresh pane starts at .kvr again: nothing persists.
        PickerPaneWidget fresh;
        QCOMPARE(fresh.ChosenFormat(), std::string(".kvr"));
    }

    void errorsAndThePickCountAreAnnounced() {
        touch("a");
        touch("b");
        QLabel* error = part<QLabel>("error");
        QLabel* count = part<QLabel>("pickCount");
        QCOMPARE(QAccessible::queryAccessibleInterface(error)->role(), QAccessible::AlertMessage);
        QCOMPARE(QAccessible::queryAccessibleInterface(count)->role(), QAccessible::StatusBar);
        ombrix::test::AccessLog log;
        m_pane->openFolder(dir("missing"));
        const auto alerts = log.Of(error, QAccessible::Alert);
        QCOMPARE(alerts.size(), size_t(1));
        QCOMPARE(alerts[0].name, m_pane->errorText());
        QVERIFY(alerts[0].name.startsWith("Cannot open"));
        m_pane->addPicks({bytes(dir("a"))});
        m_pane->addPicks({bytes(dir("a"))});  // nothing new: nothing said
        m_pane->addPicks({bytes(dir("b"))});
        m_pane->clearPicks();
        QStringList said;
        for (const auto& e : log.Of(count, QAccessible::Alert)) said << e.name;
        QCOMPARE(said, (QStringList{"1 file picked", "2 files picked", "No files picked"}));
        // A folder that opens clears the error without a word.
        m_pane->openFolder(dir());
        QCOMPARE(log.Of(error, QAccessible::Alert).size(), size_t(1));
        QVERIFY(m_pane->errorText().isEmpty());
    }

    void layoutFitsTheWindowRectangle_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("small") << QSize(320, 440);
        QTest::newRow("dialog units") << QSize(330, 460);
        QTest::newRow("large") << QSize(360, 500);
    }
    void layoutFitsTheWindowRectangle() {
        QFETCH(QSize, size);
        mkdir("Documents");
        touch("a rather long file name for the listing column.txt", QByteArray(2048, 'a'));
        touch("notes.kvr");
        m_pane->openFolder(dir());
        m_pane->addPicks({bytes(dir("notes.kvr"))});
        m_pane->resize(size);
        m_pane->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pane.get()));
        QVERIFY(m_pane->minimumSizeHint().width() <= size.width());
        QVERIFY(m_pane->minimumSizeHint().height() <= size.height());
        for (QWidget* w : m_pane->findChildren<QWidget*>()) {
            if (!w->isVisibleTo(m_pane.get()) || w->parentWidget() != m_pane.get()) continue;
            QVERIFY2(w->width() >= w->minimumSizeHint().width(), qPrintable(w->objectName()));
            QVERIFY2(m_pane->rect().contains(w->geometry()), qPrintable(w->objectName()));
        }
        QString tag = QTest::currentDataTag();
        saveShot(m_pane.get(), "picker-encrypt-" + tag.replace(' ', '-') + ".png");
        m_pane->DecryptTypes();
        m_pane->DisableDestination();
        m_pane->openFolder(dir("gone"));  // shows the error line too
        saveShot(m_pane.get(), "picker-decrypt-" + tag + ".png");
    }
};

QTEST_MAIN(PickerTest)
#include "picker_test.moc"
