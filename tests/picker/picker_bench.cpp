// Listing a folder of 10,000 files in the pane, against QDir's own sorted
// listing of the same folder as the baseline. Run: picker_bench (offscreen).
#include "picker/PickerPaneWidget.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

using ombrix::PickerPaneWidget;

class PickerBench : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        for (int i = 0; i < 10000; ++i) {
            QFile f(m_dir.path() + QString("/file%1%2").arg(i).arg(i % 10 == 0 ? ".kvr" : ".txt"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(i % 97, 'x'));
        }
    }
    void baselineQDirSortedListing() {
        QBENCHMARK {
            const auto list = QDir(m_dir.path())
                                  .entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                                                 QDir::Name | QDir::DirsFirst | QDir::IgnoreCase);
            QCOMPARE(list.size(), 10000);
        }
    }
    void paneOpensFolder() {
        PickerPaneWidget pane;
        QBENCHMARK { QVERIFY(pane.openFolder(m_dir.path())); }
    }
    void paneSortsBySize() {
        PickerPaneWidget pane;
        QVERIFY(pane.openFolder(m_dir.path()));
        auto* view = pane.findChild<QTreeView*>("listing");
        int order = 0;
        QBENCHMARK { view->sortByColumn(1, (order++ % 2) ? Qt::AscendingOrder : Qt::DescendingOrder); }
    }
    void panePicksEveryListedFile() {
        PickerPaneWidget pane;
        QVERIFY(pane.openFolder(m_dir.path()));
        auto* view = pane.findChild<QTreeView*>("listing");
        QBENCHMARK {
            pane.clearPicks();
            QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
        }
        QCOMPARE(pane.TotalFiles(), 10000);
    }
    void paneSwitchesMode() {
        PickerPaneWidget pane;
        QVERIFY(pane.openFolder(m_dir.path()));
        QBENCHMARK {
            pane.DecryptTypes();
            pane.EncryptTypes();
        }
    }
};

QTEST_MAIN(PickerBench)
#include "picker_bench.moc"
