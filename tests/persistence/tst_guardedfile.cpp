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

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System,
                                  QDir::Name);
}

} // namespace

class tst_GuardedFile : public QObject {
    Q_OBJECT
private slots:
    void read_data();
    void read();
    void write_data();
    void write();
    void shownText_data();
    void shownText();
    void saveLeftovers();
};

void tst_GuardedFile::read_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<int>("status");
    QTest::newRow("regular file") << "file" << qint64(5) << int(zv::FileContent::Read);
    QTest::newRow("sparse, at the limit") << "sparse" << zv::MaxFileBytes
                                           << int(zv::FileContent::Read);
    QTest::newRow("sparse, one byte over") << "sparse" << zv::MaxFileBytes + 1
                                            << int(zv::FileContent::Refused);
    QTest::newRow("FIFO") << "fifo" << qint64(0) << int(zv::FileContent::Refused);
    QTest::newRow("device") << "/dev/zero" << qint64(0) << int(zv::FileContent::Refused);
    QTest::newRow("missing") << "missing" << qint64(0) << int(zv::FileContent::Unreadable);
}

// Refused files are refused on their type and size alone: not opened, not read.
void tst_GuardedFile::read() {
    QFETCH(QString, kind);
    QFETCH(qint64, size);
    QFETCH(int, status);
    QTemporaryDir dir;
    QString path = dir.filePath("User.ini");
    std::optional<FifoWatch> fifo;
    if (kind == "file") {
        writeFile(path, "0\r\n1\r\n");
        size = 6;
    } else if (kind == "sparse") {
        QVERIFY(makeSparseFile(path, size));
    } else if (kind == "fifo") {
        fifo.emplace(path);
        QVERIFY(fifo->made());
    } else if (kind.startsWith('/')) {
        path = kind;
    }

    const qint64 before = bytesReadSoFar();
    const zv::FileContent content = zv::ReadGuardedFile(path);
    const qint64 read = bytesReadSoFar() - before;

    QCOMPARE(int(content.status), status);
    QVERIFY(!content.reason.isEmpty() || content);
    if (content) {
        QCOMPARE(content.bytes.size(), size);
        return;
    }
    QVERIFY(content.bytes.isEmpty());
    QVERIFY2(read < 64 * 1024, qPrintable(QStringLiteral("%1 bytes read").arg(read)));
    QVERIFY(!fifo || !fifo->opened());
}

void tst_GuardedFile::write_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("contentBytes");
    QTest::addColumn<int>("limit"); // file size limit in bytes, 0 for none
    QTest::addColumn<QString>("error");
    const QString tooLarge = qt_error_string(EFBIG);
    QTest::newRow("old file replaced") << "file" << 300 << 0 << "";
    QTest::newRow("new file") << "none" << 300 << 0 << "";
    QTest::newRow("limit hit by the last bytes") << "file" << 300 << 100 << tooLarge;
    QTest::newRow("limit hit on the way") << "file" << 300000 << 100000 << tooLarge;
    QTest::newRow("own link beside it") << "link beside" << 300 << 0 << "";
    QTest::newRow("link out of the folder") << "link out" << 300 << 0 << "";
    QTest::newRow("someone else's link") << "foreign link" << 300 << 0 << "";
    QTest::newRow("FIFO") << "fifo" << 300 << 0 << "not a regular file";
}

// What stands at the path afterwards, what a link led to, and that no
// temporary file is left in either folder.
void tst_GuardedFile::write() {
    QFETCH(QString, kind);
    QFETCH(int, contentBytes);
    QFETCH(int, limit);
    QFETCH(QString, error);
    QTemporaryDir dir;
    QTemporaryDir elsewhere;
    const QString path = dir.filePath("User.ini");
    const QByteArray old = "old content\r\n";
    const QString linked =
        kind == "link out" ? elsewhere.filePath("victim") : dir.filePath("linked.ini");
    std::optional<FifoWatch> fifo;
    if (kind == "file") {
        writeFile(path, old);
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    } else if (kind == "fifo") {
        fifo.emplace(path);
    } else if (kind != "none") {
        writeFile(linked, old);
        QVERIFY(QFile::link(linked, path));
        if (kind == "foreign link") {
            if (::geteuid() != 0) {
                QSKIP("giving a link to another user needs root");
            }
            QVERIFY(::lchown(QFile::encodeName(path).constData(), 65534, 65534) == 0);
        }
    }
    const QStringList before = entries(dir.path());
    const QByteArray content(contentBytes, 'x');

    std::optional<QString> result;
    {
        std::optional<FileSizeLimit> limited;
        if (limit > 0) {
            limited.emplace(rlim_t(limit));
        }
        result = zv::WriteGuardedFile(path, content);
    }

    QCOMPARE(result.value_or(QString()), error);
    QVERIFY(!fifo || !fifo->opened());
    QCOMPARE(entries(elsewhere.path()), kind == "link out" ? QStringList{"victim"} : QStringList{});
    QStringList after = before;
    if (kind == "none") {
        after << "User.ini";
    }
    QCOMPARE(entries(dir.path()), after);
    if (fifo) {
        QVERIFY(!QFileInfo(path).isFile());
        return;
    }
    if (!error.isEmpty()) {
        QCOMPARE(fileBytes(path), old);
        return;
    }
    QCOMPARE(fileBytes(path), content);
    const bool followed = kind == "link beside";
    QCOMPARE(QFileInfo(path).isSymLink(), followed);
    if (kind.contains("link")) {
        QCOMPARE(fileBytes(linked), followed ? content : old);
    }
    struct stat info {};
    QVERIFY(::stat(QFile::encodeName(path).constData(), &info) == 0);
    if (kind == "file") {
        QCOMPARE(info.st_mode & 0777, 0600u); // the old file's mode
    }
}

void tst_GuardedFile::shownText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    const QString sixty(60, 'a');
    QTest::newRow("plain") << "red" << "red";
    QTest::newRow("escape sequence") << "\x1b[31mred\r" << "\\x1b[31mred\\x0d";
    QTest::newRow("C1 control, bidi override") << QString::fromUtf16(u"a\u009bb\u202e") << "a\\x9bb\\u202e";
    QTest::newRow("60 characters") << sixty << sixty;
    QTest::newRow("10 MB") << QString(10'000'000, 'a') << sixty + "...";
    QTest::newRow("pair at the cut") << QString(59, 'a') + QString::fromUtf16(u"\U0001F600")
                                     << QString(59, 'a') + "...";
}

void tst_GuardedFile::shownText() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(zv::ShownText(text), shown);
}

// Only the temporary files of a save of User.ini go, and only the user's own.
void tst_GuardedFile::saveLeftovers() {
    QTemporaryDir dir;
    QStringList kept{"Default.ini.Ab12Cd", "User.ini",        "User.ini.Ab12C",
                     "User.ini.Ab12Cd7",   "User.ini.Ab-2Cd", "User.ini.damaged",
                     "User.ini.dir123",    "User.ini.link12"};
    if (::geteuid() == 0) {
        kept << "User.ini.other1"; // given to another user below
    }
    for (const QString& name : kept) {
        if (name == "User.ini.dir123") {
            QVERIFY(QDir(dir.path()).mkdir(name));
        } else if (name == "User.ini.link12") {
            QVERIFY(QFile::link(dir.filePath("User.ini"), dir.filePath(name)));
        } else {
            writeFile(dir.filePath(name), "x");
        }
    }
    if (kept.contains("User.ini.other1")) {
        QVERIFY(::chown(QFile::encodeName(dir.filePath("User.ini.other1")).constData(), 65534,
                        65534) == 0);
    }
    writeFile(dir.filePath("User.ini.Ab12Cd"), "x");
    writeFile(dir.filePath("User.ini.zzzzzz"), "x");

    QCOMPARE(zv::RemoveSaveLeftovers(dir.path(), "User.ini"), 2);
    QStringList expected = kept;
    expected.sort();
    QCOMPARE(entries(dir.path()), expected);
}

QTEST_GUILESS_MAIN(tst_GuardedFile)
#include "tst_guardedfile.moc"
