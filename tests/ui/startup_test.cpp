// Start-up from the command line: the files named there ("Open with") are
// picked in the pane while the window starts as usual; and where the help
// text is looked for once the program is installed.
#include "Support.h"

#include "app/CommandLine.h"
#include "dlgkit/Look.h"
#include "dlgkit/Modal.h"
#include "picker/PickerPaneWidget.h"
#include "ui/HelpFile.h"
#include "ui/OmbrixDlg.h"
#include "ui/Resource.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using namespace ombrix;
using namespace ombrix::ui;

Q_DECLARE_METATYPE(std::vector<std::string>)

namespace {

// The program's start-up up to the modal run: the command line read, the
// window made with the pane the program gives it, then opened.
struct Started {
    explicit Started(std::vector<std::string> args) {
        args.insert(args.begin(), "ombrix");
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        const app::CommandLine line = app::ParseCommandLine(int(argv.size()), argv.data());
        dlg = std::make_unique<COmbrixDlg>(app::StartPicker(line.files));
        dlg::SetMainWindow(dlg.get());
        dlg->Open();
        pane = dynamic_cast<PickerPaneWidget*>(dlg->GetDlgItem(IDC_PICKERPANE1));
    }
    ~Started() { dlg::SetMainWindow(nullptr); }

    std::vector<std::string> Picks() const {
        std::vector<std::string> picks;
        for (std::int32_t i = 0; i < pane->TotalFiles(); ++i) picks.push_back(pane->FileSource(i));
        return picks;
    }

    std::unique_ptr<COmbrixDlg> dlg;
    PickerPaneWidget* pane = nullptr;
};

// Runs the body with the current folder set to dir, and puts it back.
struct InFolder {
    explicit InFolder(const QString& dir) : old(QDir::currentPath()) { QDir::setCurrent(dir); }
    ~InFolder() { QDir::setCurrent(old); }
    QString old;
};

}  // namespace

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void commandLine_data();
    void commandLine();
    void openWithPicksTheFiles();
    void openWithFoldersDuplicatesAndManyMisses();
    void helpLookupOrder();

private:
    QTemporaryDir home_;
};

void StartupTest::initTestCase() { qputenv("HOME", QFile::encodeName(home_.path())); }

void StartupTest::commandLine_data() {
    QTest::addColumn<std::vector<std::string>>("args");
    QTest::addColumn<std::vector<std::string>>("files");
    QTest::addColumn<bool>("help");
    QTest::addColumn<bool>("version");
    QTest::addColumn<QString>("error");
    using V = std::vector<std::string>;
    QTest::newRow("none") << V{} << V{} << false << false << "";
    QTest::newRow("files") << V{"a.txt", "/x/b c.kvr"} << V{"a.txt", "/x/b c.kvr"} << false << false << "";
    QTest::newRow("dash is a file") << V{"-", "a"} << V{"-", "a"} << false << false << "";
    QTest::newRow("after --") << V{"--", "-x", "--help", "--"} << V{"-x", "--help", "--"} << false << false << "";
    QTest::newRow("help") << V{"a", "--help"} << V{"a"} << true << false << "";
    QTest::newRow("short help") << V{"-h"} << V{} << true << false << "";
    QTest::newRow("version") << V{"--version"} << V{} << false << true << "";
    QTest::newRow("unknown") << V{"-x", "a", "--y"} << V{"a"} << false << false << "unknown option '-x'";
}

void StartupTest::commandLine() {
    QFETCH(std::vector<std::string>, args);
    args.insert(args.begin(), "ombrix");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    const app::CommandLine line = app::ParseCommandLine(int(argv.size()), argv.data());
    QTEST(line.files, "files");
    QTEST(line.help, "help");
    QTEST(line.version, "version");
    QTEST(QString::fromStdString(line.error), "error");
}

void StartupTest::openWithPicksTheFiles() {
    QTemporaryDir tmp;
    const std::string dir = tmp.path().toStdString();
    test::WriteBytes(dir + "/a.txt", "a");
    test::WriteBytes(dir + "/b.txt", "b");
    InFolder in(tmp.path());
    dlg::ModalHook hook;

    // A relative name, an absolute one and one that does not exist.
    Started s({"a.txt", dir + "/b.txt", "missing.txt"});
    QVERIFY(s.pane);
    QCOMPARE(s.Picks(), (std::vector<std::string>{dir + "/a.txt", dir + "/b.txt"}));
    QCOMPARE(s.pane->errorText(),
             QString("Cannot pick \u201c%1/missing.txt\u201d: The file does not exist.").arg(tmp.path()));
    QCOMPARE(s.pane->currentFolder(), tmp.path());

    // The rest of the window starts as it always does.
    COmbrixDlg& d = *s.dlg;
    QVERIFY(d.Item<QAbstractButton>(IDC_ENCRYPT_RADIO)->isChecked());
    QVERIFY(!s.pane->isDecryptMode());
    QVERIFY(!d.IsItemEnabled(IDC_MAIN_BUTTON));
    QCOMPARE(d.GetDlgItemText(IDC_MAIN_BUTTON), std::string("E&ncrypt"));
    QVERIFY(hook.Log().empty());
    test::Screenshot(d, "open_with_two_files");
}

void StartupTest::openWithFoldersDuplicatesAndManyMisses() {
    QTemporaryDir tmp;
    const std::string dir = tmp.path().toStdString();
    QDir(tmp.path()).mkpath("sub");
    test::WriteBytes(dir + "/a.txt", "a");
    QCOMPARE(::mkfifo((dir + "/fifo").c_str(), 0600), 0);
    InFolder in(tmp.path());

    // The listing goes to the named folder, one file is picked once however
    // it is spelt, and a FIFO is no file to encrypt.
    Started s({"./a.txt", "sub", dir + "/a.txt", "fifo", "m1", "m2", "m3", "m4", "sub/../a.txt"});
    QCOMPARE(s.Picks(), std::vector<std::string>{dir + "/a.txt"});
    QCOMPARE(s.pane->currentFolder(), tmp.path() + "/sub");
    const QStringList lines = s.pane->errorText().split('\n');
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[0], QString("Cannot pick \u201c%1/fifo\u201d: Only regular files can be picked.").arg(tmp.path()));
    QCOMPARE(lines[1], QString("Cannot pick \u201c%1/m1\u201d: The file does not exist.").arg(tmp.path()));
    QCOMPARE(lines[3], QString("\u2026 and 2 more that could not be picked."));

    // Nothing named: the pane starts as usual, in the home folder.
    Started plain({});
    QCOMPARE(plain.pane->TotalFiles(), 0);
    QCOMPARE(plain.pane->currentFolder(), home_.path());
    QVERIFY(plain.pane->errorText().isEmpty());
}

void StartupTest::helpLookupOrder() {
    // An installed tree: <root>/bin/ombrix and <root>/share/ombrix/help.sh, in
    // the layout the install rules use.
    QTemporaryDir root, cwd;
    QDir(root.path()).mkpath(OMBRIX_INSTALL_BINDIR);
    QDir(root.path()).mkpath(OMBRIX_INSTALL_DATADIR);
    const std::string program = root.path().toStdString() + "/" OMBRIX_INSTALL_BINDIR "/ombrix";
    const std::string installed = root.path().toStdString() + "/" OMBRIX_INSTALL_DATADIR "/help.sh";
    QCOMPARE(QDir::cleanPath(QString::fromStdString(InstalledHelpFile(program))), QString::fromStdString(installed));
    InFolder in(cwd.path());

    const auto read = [&](bool expectFound) {
        std::string text;
        const bool found = ReadHelpText(InstalledHelpFile(program), text);
        if (found != expectFound) return std::string("found: ") + (found ? "yes" : "no");
        return text;
    };
    QCOMPARE(read(false), std::string());  // neither: the viewer shows the not-located text
    test::WriteBytes(installed, "installed\r\ncopy");
    QCOMPARE(read(true), std::string("installed\ncopy"));
    test::WriteBytes("help.sh", "current folder");
    QCOMPARE(read(true), std::string("current folder"));
    QFile::remove("help.sh");
    QDir().mkdir("help.sh");  // a folder of that name is no help file
    QCOMPARE(read(true), std::string("installed\ncopy"));
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ombrix::dlg::ApplyClassicLook();
    StartupTest t;
    return QTest::qExec(&t, argc, argv);
}
#include "startup_test.moc"
