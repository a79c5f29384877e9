// Where the settings and parameter files go for each layout the program can
// be found in: a portable (writable) folder, a read-only folder, an installed
// prefix. Paths in the table: P/ the program folder (prefix/bin), S/ the
// prefix's share/zorvandine, C/ the user's configuration folder, D/ the
// user's data folder.

#include "ProgramFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class ProgramFilesTest : public QObject {
    Q_OBJECT

private slots:
    void locations_data() {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QStringList>("expected"); // read, write, factory, parameters
        const auto row = [](const char* name, QStringList existing, bool writable,
                            QStringList expected) {
            QTest::newRow(name) << existing << writable << expected;
        };
        row("portable", {"P/Default.ini", "P/User.ini"}, true,
            {"P/User.ini", "P/User.ini", "P/Default.ini", "P/Saved Parameter/"});
        row("read-only, first start", {"P/Default.ini"}, false,
            {"C/User.ini", "C/User.ini", "P/Default.ini", "D/Saved Parameter/"});
        row("read-only, a User.ini beside the program starts it", {"P/Default.ini", "P/User.ini"},
            false, {"P/User.ini", "C/User.ini", "P/Default.ini", "D/Saved Parameter/"});
        row("read-only, the user's own file wins once written",
            {"P/Default.ini", "P/User.ini", "C/User.ini"}, false,
            {"C/User.ini", "C/User.ini", "P/Default.ini", "D/Saved Parameter/"});
        row("installed, factory settings from share", {"S/Default.ini"}, false,
            {"C/User.ini", "C/User.ini", "S/Default.ini", "D/Saved Parameter/"});
        row("installed, bin writable by the administrator", {"S/Default.ini"}, true,
            {"C/User.ini", "C/User.ini", "S/Default.ini", "D/Saved Parameter/"});
        row("factory settings beside the program come first", {"P/Default.ini", "S/Default.ini"},
            true, {"P/User.ini", "P/User.ini", "P/Default.ini", "P/Saved Parameter/"});
    }

    void locations() {
        QFETCH(QStringList, existing);
        QFETCH(bool, writable);
        QFETCH(QStringList, expected);
        QTemporaryDir root;
        const QMap<QString, QString> folders{{"P/", root.filePath("prefix/bin/")},
                                             {"S/", root.filePath("prefix/share/zorvandine/")},
                                             {"C/", root.filePath("config/")},
                                             {"D/", root.filePath("data/")}};
        const auto path = [&folders](const QString& short_) {
            return folders[short_.left(2)] + short_.mid(2);
        };
        for (const QString& folder : folders) {
            QVERIFY(QDir().mkpath(folder));
        }
        for (const QString& file : existing) {
            QFile f(path(file));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        const zv::ProgramFiles files = zv::programFilesIn(
            {folders["P/"].chopped(1), writable, folders["C/"].chopped(1), folders["D/"]});
        const QStringList got{files.userSettings, files.userSettingsWrite, files.factorySettings,
                              files.savedParameters};
        QStringList want;
        for (const QString& e : expected) {
            want << path(e);
        }
        QCOMPARE(got, want);
    }
};

QTEST_GUILESS_MAIN(ProgramFilesTest)
#include "tst_programfiles.moc"
