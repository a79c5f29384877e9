// The guarded read and write every file goes through, the texts shown of
// values from files, and the clean-up of interrupted saves.

#include "GuardedFile.h"
#include "HostileFiles.h"
#include "ShownText.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace zvtest;

namespace {

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System,
                                  QDir::Name);
}

} // namespace

class tst_GuardedFile : public QObject {
    Q_OBJECT
private slots:
    // FIFOs, sparse giants and full disks meet these routines in the window's and
    // the renderer's tests; here are the edges those do not reach.
    void sizeLimit() {
        QTemporaryDir dir;
        for (const qint64 size : {zv::MaxFileBytes, zv::MaxFileBytes + 1}) {
            QVERIFY(makeSparseFile(dir.filePath("file"), size));
            const zv::FileContent content = zv::ReadGuardedFile(dir.filePath("file"));
            QCOMPARE(content.bytes.size(), size == zv::MaxFileBytes ? size : 0);
            QCOMPARE(content.status,
                     size == zv::MaxFileBytes ? zv::FileContent::Read : zv::FileContent::Refused);
        }
    }

    void write_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("the old file's mode is kept") << "file";
        QTest::newRow("own link beside it is followed") << "own link";
        QTest::newRow("someone else's link is replaced") << "foreign link";
    }

    void write() {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath("User.ini");
        const QString linked = dir.filePath("linked.ini");
        QVERIFY(writeBytes(kind == "file" ? path : linked, "old"));
        QVERIFY(kind == "file" || QFile::link(linked, path));
        if (kind == "foreign link" && ::lchown(QFile::encodeName(path).constData(), 65534, 65534)) {
            QSKIP("giving a link to another user needs root");
        }
        // Writable for all: more than the umask leaves to a new file.
        const auto all = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                         QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
        QVERIFY(QFile::setPermissions(kind == "file" ? path : linked, all));

        QCOMPARE(zv::WriteGuardedFile(path, "new"), std::nullopt);
        QCOMPARE(fileBytes(path), QByteArray("new"));
        QCOMPARE(fileBytes(linked), QByteArray(kind == "own link" ? "new"
                                               : kind == "file"   ? ""
                                                                  : "old"));
        QCOMPARE(QFileInfo(path).isSymLink(), kind == "own link");
        QCOMPARE(entries(dir.path()).size(), kind == "file" ? 1 : 2);
        struct stat info {};
        QVERIFY(::stat(QFile::encodeName(path).constData(), &info) == 0);
        QVERIFY(kind == "foreign link" || (info.st_mode & 0777) == 0666);
    }

    void shownText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        const QString sixty(60, 'a');
        QTest::newRow("C1 control, bidi override")
            << QString::fromUtf16(u"a\u009bb\u202e\r") << "a\\x9bb\\u202e\\x0d";
        QTest::newRow("60 characters") << sixty << sixty;
        QTest::newRow("pair at the cut")
            << QString(59, 'a') + QString::fromUtf16(u"\U0001F600") << QString(59, 'a') + "...";
    }

    void shownText() {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(zv::ShownText(text), shown);
    }

    // Only the temporary files of a save of User.ini go, and only the user's own.
    void saveLeftovers() {
        QTemporaryDir dir;
        QStringList kept{"Default.ini.Ab12Cd", "User.ini",        "User.ini.Ab12C",
                         "User.ini.Ab12Cd7",   "User.ini.Ab-2Cd", "User.ini.damaged"};
        for (const QString& name : kept + QStringList{"User.ini.Ab12Cd", "User.ini.other1"}) {
            QVERIFY(writeBytes(dir.filePath(name), "x"));
        }
        QVERIFY(QDir(dir.path()).mkdir("User.ini.dir123"));
        QVERIFY(QFile::link(dir.filePath("User.ini"), dir.filePath("User.ini.link12")));
        kept << "User.ini.dir123"
             << "User.ini.link12";
        const bool foreign = ::chown(QFile::encodeName(dir.filePath("User.ini.other1")).constData(),
                                     65534, 65534) == 0;
        if (foreign) {
            kept << "User.ini.other1";
        }
        QCOMPARE(zv::RemoveSaveLeftovers(dir.path(), "User.ini"), foreign ? 1 : 2);
        kept.sort();
        QCOMPARE(entries(dir.path()), kept);
    }
};

QTEST_GUILESS_MAIN(tst_GuardedFile)
#include "tst_guardedfile.moc"
