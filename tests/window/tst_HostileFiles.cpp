// The window against files that fight back: FIFOs and huge sparse files as
// User.ini or as an import, a damaged User.ini that must be kept, a full disk
// under every save, and a User.ini planted as a link out of the folder.

#include "GuardedFile.h"
#include "HostileFiles.h"
#include "WindowTestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>

using namespace zvtest;

namespace {

const QString BadText = QStringLiteral(
    "User.ini seems to be damaged or lost.\r\nThe default settings will be loaded now.");

QByteArray factoryBytes() {
    return fileBytes(FormFixture::factorySettingsPath());
}

// The file dialog as a user closes it on a path.
zv::FileDialogResult fileDialogAnswer(const QString& path) {
    zv::FileDialogResult r;
    r.path = path;
    return r;
}

} // namespace

class tst_HostileFiles : public QObject {
    Q_OBJECT
private slots:
    void startUp_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<bool>("box");
        QTest::addColumn<bool>("kept"); // as User.ini.damaged
        QTest::newRow("missing") << "missing" << true << false;
        QTest::newRow("a word in a colour line") << "damaged" << true << true;
        QTest::newRow("an older copy is replaced") << "damaged twice" << true << true;
        QTest::newRow("FIFO") << "FIFO" << true << true;
        QTest::newRow("sparse 1 GB") << "sparse" << true << true;
        QTest::newRow("leftover of a killed save") << "leftover" << false << false;
    }

    // Refused files cost no wait and no memory; whatever User.ini held is kept
    // before the factory settings take over, and the box says where.
    void startUp() {
        QFETCH(QString, user);
        QFETCH(bool, box);
        QFETCH(bool, kept);
        FormFixture f;
        f.folderFilled = true;
        QVERIFY(QFile::copy(FormFixture::factorySettingsPath(), f.path("Default.ini")));
        const QString userIni = f.path("User.ini");
        QByteArray old = factoryBytes().replace("16777215", "white");
        std::optional<FifoWatch> fifo;
        if (user.startsWith("damaged")) {
            QVERIFY(writeBytes(userIni, old));
            if (user == "damaged twice") {
                QVERIFY(writeBytes(userIni + ".damaged", "an older copy"));
            }
        } else if (user == "FIFO") {
            fifo.emplace(userIni);
            QVERIFY(fifo->made());
        } else if (user == "sparse") {
            QVERIFY(makeSparseFile(userIni, qint64(1) << 30));
        } else if (user == "leftover") {
            QVERIFY(QFile::copy(FormFixture::factorySettingsPath(), userIni));
            QVERIFY(writeBytes(userIni + ".k1lL3d", "half a User.ini"));
        }

        const qint64 before = bytesReadSoFar();
        f.create();
        QVERIFY(bytesReadSoFar() - before < zv::MaxFileBytes);

        QVERIFY(f.form->SettingsLoaded());
        QVERIFY(!fifo || !fifo->opened());
        QCOMPARE(f.dialogs.calls.size(), box ? 1 : 0);
        const QString damaged = userIni + ".damaged";
        if (box) {
            QCOMPARE(f.dialogs.calls[0].title, QStringLiteral("Bad Error:"));
            QCOMPARE(f.dialogs.calls[0].text,
                     kept ? BadText + "\r\nThe unreadable file was kept as " + damaged + "."
                          : BadText);
        }
        QCOMPARE(QFileInfo::exists(damaged), kept);
        if (kept && !fifo) {
            QCOMPARE(QFileInfo(damaged).size(), user == "sparse" ? qint64(1) << 30 : old.size());
        }
        QVERIFY(!QFileInfo::exists(userIni + ".k1lL3d"));
        QVERIFY(f.form->close());
        QVERIFY(zv::ReadGuardedFile(userIni)); // the settings of this use
        if (user.startsWith("damaged")) {
            QCOMPARE(fileBytes(damaged), old);
        }
    }

    void hostileImport_data() {
        QTest::addColumn<bool>("fifo"); // else a sparse file of 1 GB
        QTest::newRow("FIFO") << true;
        QTest::newRow("sparse 1 GB") << false;
    }

    void hostileImport() {
        QFETCH(bool, fifo);
        FormFixture f;
        QVERIFY(f.open());
        const QString path = f.path("hostile.prm");
        std::optional<FifoWatch> watch;
        if (fifo) {
            watch.emplace(path);
            QVERIFY(watch->made());
        } else {
            QVERIFY(makeSparseFile(path, qint64(1) << 30));
        }
        f.dialogs.calls.clear();
        f.dialogs.fileAnswers << fileDialogAnswer(path);

        const qint64 before = bytesReadSoFar();
        f.form->Import_btn->click();
        QVERIFY(bytesReadSoFar() - before < zv::MaxFileBytes);

        QVERIFY(!watch || !watch->opened());
        QCOMPARE(f.dialogs.calls.size(), 2);
        QCOMPARE(f.dialogs.calls[1].title, QStringLiteral("Error:"));
        QCOMPARE(f.dialogs.calls[1].text, QStringLiteral("Parameter-File is damaged!"));
    }

    void failedSave_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text"); // the start of the box's text; the reason follows
        QTest::newRow("User.ini at the close") << "settings"
                                               << "Settings not saved:"
                                               << "User.ini could not be written (";
        QTest::newRow("exported parameters") << "parameters"
                                             << "Error:"
                                             << "Parameter-File could not be written!\r\nPATH\r\n";
        QTest::newRow("picture") << "picture"
                                 << "Error:"
                                 << "The picture could not be saved!\r\nPATH\r\n";
        QTest::newRow("User.ini planted as a link out of the folder") << "link"
                                                                      << ""
                                                                      << "";
    }

    // A full disk under a save (here the file size limit) is reported with the
    // system's reason, and the old file stays byte for byte. A link planted as
    // User.ini is replaced, never written through.
    void failedSave() {
        QFETCH(QString, what);
        QFETCH(QString, title);
        QFETCH(QString, text);
        FormFixture f;
        QVERIFY(f.open());
        QTemporaryDir elsewhere;
        const QString victim = elsewhere.filePath("victim");
        const QByteArray old = "old content\r\n";
        const QString path = what == "parameters" ? f.path("old.prm")
                             : what == "picture"  ? f.path("old.bmp")
                                                  : f.path("User.ini");
        QVERIFY(!QFile::exists(path) || QFile::remove(path));
        QVERIFY(writeBytes(path, old));
        if (what == "link") {
            QVERIFY(QFile::rename(path, victim) && QFile::link(victim, path));
        }
        f.dialogs.calls.clear();
        f.dialogs.fileAnswers << fileDialogAnswer(path);
        {
            std::optional<FileSizeLimit> limit;
            if (what != "link") {
                limit.emplace(rlim_t(20));
            }
            if (what == "parameters") {
                f.form->Export_btn->click();
            } else if (what == "picture") {
                f.key(Qt::Key_P, Qt::ControlModifier);
            } else {
                QVERIFY(f.form->close());
            }
        }

        QStringList boxes;
        for (const DialogCall& c : f.dialogs.calls) {
            if (c.kind == DialogCall::Message) {
                boxes << c.title + '|' + c.text;
            }
        }
        if (what == "link") {
            QCOMPARE(boxes, QStringList{});
            QCOMPARE(fileBytes(victim), old);
            QVERIFY(!QFileInfo(path).isSymLink());
            QVERIFY(zv::ReadGuardedFile(path));
            return;
        }
        QCOMPARE(boxes.size(), 1);
        const QString start = title + '|' + QString(text).replace("PATH", path);
        QVERIFY2(boxes[0].startsWith(start) && boxes[0].contains(qt_error_string(EFBIG)),
                 qPrintable(boxes[0]));
        QCOMPARE(fileBytes(path), old);
        QCOMPARE(QDir(f.folder.path()).entryList(QDir::Files).filter(QFileInfo(path).fileName()),
                 QStringList{QFileInfo(path).fileName()});
    }
};

QTEST_MAIN(tst_HostileFiles)
#include "tst_HostileFiles.moc"
