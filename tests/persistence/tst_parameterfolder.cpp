// A new "Saved Parameter" folder receives the example parameter files, found
// beside the program or in the installed share folder; an existing folder is
// never filled again.

#include "Gallery.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace zv;

class ParameterFolderTest : public QObject {
    Q_OBJECT

private slots:
    void createsFolderWithExamples_data() {
        QTest::addColumn<QStringList>("files"); // "path=content", relative to a prefix
        QTest::addColumn<QString>("expected");  // "name=content;...", "-" for no Examples
        QTest::addColumn<bool>("created");
        const QString portable = QStringLiteral("bin/gallery/");
        const QString installed = QStringLiteral("share/zorvandine/gallery/");
        QTest::newRow("beside the program")
            << QStringList{portable + "a.prm=1", portable + "b.prm=2", portable + "notes.txt=x"}
            << "a.prm=1;b.prm=2" << true;
        QTest::newRow("installed")
            << QStringList{installed + "c.prm=3"} << "c.prm=3" << true;
        QTest::newRow("beside the program before installed")
            << QStringList{portable + "a.prm=near", installed + "a.prm=far"} << "a.prm=near"
            << true;
        QTest::newRow("no gallery") << QStringList{} << "-" << true;
        QTest::newRow("folder already there")
            << QStringList{portable + "a.prm=1", "bin/Saved Parameter/mine.prm=m"} << "-" << true;
        QTest::newRow("a file in the folder's way")
            << QStringList{portable + "a.prm=1", "bin/Saved Parameter=file"} << "-" << false;
    }

    void createsFolderWithExamples() {
        QFETCH(QStringList, files);
        QFETCH(QString, expected);
        QFETCH(bool, created);
        QTemporaryDir prefix;
        const QDir root(prefix.path());
        QVERIFY(root.mkpath(QStringLiteral("bin")));
        for (const QString& f : files) {
            const QString path = root.filePath(f.section(u'=', 0, 0));
            QVERIFY(QDir().mkpath(QFileInfo(path).path()));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(f.section(u'=', 1).toLatin1());
        }
        const QString folder = root.filePath(QStringLiteral("bin/Saved Parameter"));
        QCOMPARE(CreateParameterFolder(folder, FindGallery(root.filePath(QStringLiteral("bin")))),
                 created);

        const QDir examples(folder + QStringLiteral("/Examples"));
        QStringList found;
        for (const QString& name : examples.entryList(QDir::Files, QDir::Name)) {
            QFile file(examples.filePath(name));
            QVERIFY(file.open(QIODevice::ReadWrite)); // the user may overwrite an example
            found << name + u'=' + QString::fromLatin1(file.readAll());
        }
        QCOMPARE(examples.exists() ? found.join(u';') : QStringLiteral("-"), expected);
        QCOMPARE(QFileInfo(folder).isDir(), created);
    }
};

QTEST_GUILESS_MAIN(ParameterFolderTest)
#include "tst_parameterfolder.moc"
