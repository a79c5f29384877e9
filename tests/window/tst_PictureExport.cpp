// Ctrl+P: the drawing area saved as a 24-bit bitmap, in every run state, and
// the failures a user can run into.

#include "OutputPicture.h"
#include "WindowTestSupport.h"

#include <QDir>
#include <QImage>
#include <QtEndian>

using namespace zvtest;
using zv::FileDialogResult;
using zv::MessageIcon;

namespace {

FileDialogResult chosen(const QString& path) {
    FileDialogResult r;
    r.path = path;
    return r;
}

// Colours that a lossy or 16-bit format would change: odd low bits in every channel.
void drawSample(zv::ImageCanvas& canvas) {
    canvas.SetBackColor(0x0A0B0C);
    canvas.Clear();
    canvas.Line(0, 0, 150, 120, 0x123457);
    canvas.Box(20, 30, 60, 90, 0xFEDCBA);
    canvas.Circle(100, 100, 40, 0x010203);
    for (int i = 0; i < 64; ++i) {
        canvas.SetPixelV(i, 200, (i * 4 + 1) | ((255 - i) << 8) | ((i * 3 + 7) << 16));
    }
}

// Every pixel of the file equals the canvas, and the file is a 24-bit bitmap.
void compareWithCanvas(const QString& path, const QImage& canvas) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.size() > 54);
    QCOMPARE(bytes.left(2), QByteArray("BM"));
    QCOMPARE(qFromLittleEndian<quint16>(bytes.constData() + 28), quint16(24));
    QImage saved;
    QVERIFY(saved.loadFromData(bytes, "BMP"));
    QCOMPARE(saved.size(), canvas.size());
    const QImage a = saved.convertToFormat(QImage::Format_RGB32);
    const QImage b = canvas.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) {
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) is %3, the canvas has %4")
                                     .arg(x)
                                     .arg(y)
                                     .arg(a.pixel(x, y), 8, 16)
                                     .arg(b.pixel(x, y), 8, 16)));
            }
        }
    }
}

// Presses Ctrl+P again while the save dialog is open, as an impatient user would.
class ImpatientDialogs : public FakeDialogs {
public:
    FormFixture* fixture = nullptr;
    zv::FileDialogResult saveFile(const zv::FileDialogRequest& request) override {
        if (fixture != nullptr) {
            fixture->key(Qt::Key_P, Qt::ControlModifier);
        }
        return FakeDialogs::saveFile(request);
    }
};

} // namespace

class tst_PictureExport : public QObject {
    Q_OBJECT
private slots:
    void savesTheCanvas_data();
    void savesTheCanvas();
    void cancelWritesNothing();
    void writeFailure_data();
    void writeFailure();
    void secondCtrlPWhileAsking();
};

void tst_PictureExport::savesTheCanvas_data() {
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("drawn"); // a sample drawn, or the area as start-up left it
    QTest::addColumn<bool>("typed"); // the path typed by hand: no extension appended
    QTest::addColumn<QString>("name");
    QTest::newRow("after start-up") << int(zv::EditMode) << false << false << "start.bmp";
    QTest::newRow("editing") << int(zv::EditMode) << true << false << "edit.bmp";
    QTest::newRow("during a run") << int(zv::WorkingMode) << true << false << "run.bmp";
    QTest::newRow("typed without extension") << int(zv::EditMode) << true << true << "typed";
    QTest::newRow("over an existing file") << int(zv::EditMode) << true << false << "User.ini";
}

void tst_PictureExport::savesTheCanvas() {
    QFETCH(int, state);
    QFETCH(bool, drawn);
    QFETCH(bool, typed);
    QFETCH(QString, name);

    FormFixture f;
    QVERIFY(f.open());
    zv::ImageCanvas& canvas = f.form->Output_pic->canvas();
    if (drawn) {
        drawSample(canvas);
    }
    f.form->ManageGlobalStates(std::uint8_t(state));
    const QString path = f.path(name);
    if (typed) {
        FileDialogResult failed;
        failed.failed = true;
        f.dialogs.fileAnswers << failed;
        f.dialogs.inputAnswers << path;
    } else {
        f.dialogs.fileAnswers << chosen(path);
    }
    f.dialogs.calls.clear();

    f.key(Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(f.dialogs.calls.value(0).kind, DialogCall::SaveFile);
    QCOMPARE(f.dialogs.calls.value(0).title, QStringLiteral("Bild speichern:"));
    QCOMPARE(f.dialogs.calls.size(), typed ? 3 : 1); // the failure box and the input
    compareWithCanvas(path, canvas.image());
    QCOMPARE(int(f.form->GlobalState()), state);
}

void tst_PictureExport::cancelWritesNothing() {
    FormFixture f;
    QVERIFY(f.open());
    const QStringList before = QDir(f.folder.path()).entryList(QDir::Files);
    f.key(Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(f.dialogs.calls.size(), 1);
    QCOMPARE(QDir(f.folder.path()).entryList(QDir::Files), before);
}

void tst_PictureExport::writeFailure_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("makeDirectory");
    QTest::newRow("a folder stands at the path") << "taken.bmp" << true;
    QTest::newRow("the folder does not exist") << "nowhere/x.bmp" << false;
}

void tst_PictureExport::writeFailure() {
    QFETCH(QString, target);
    QFETCH(bool, makeDirectory);

    FormFixture f;
    QVERIFY(f.open());
    if (makeDirectory) {
        QVERIFY(QDir(f.folder.path()).mkdir(target));
    }
    f.dialogs.fileAnswers << chosen(f.path(target));
    f.dialogs.calls.clear();
    f.key(Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(f.dialogs.calls.size(), 2);
    const DialogCall& box = f.dialogs.calls[1];
    QCOMPARE(box.title, QStringLiteral("Error:"));
    QVERIFY2(
        box.text.startsWith(QStringLiteral("The picture could not be saved!\r\n") + f.path(target)),
        qPrintable(box.text));
    QCOMPARE(box.icon, MessageIcon::Critical);
    QCOMPARE(QFileInfo(f.path(target)).isDir(), makeDirectory);
    QVERIFY(f.form->isVisible());
}

void tst_PictureExport::secondCtrlPWhileAsking() {
    // The fixture's own dialogs are replaced by a window on the impatient ones.
    QTemporaryDir folder;
    QVERIFY(QFile::copy(FormFixture::factorySettingsPath(), folder.filePath("Default.ini")));
    QVERIFY(QFile::copy(FormFixture::factorySettingsPath(), folder.filePath("User.ini")));
    zv::MainForm::SetProgramFolder(folder.path());
    zv::ParameterModel model;
    ImpatientDialogs dialogs;
    FormFixture keys;
    keys.form = std::make_unique<zv::MainForm>(model, dialogs);
    keys.form->show();
    QVERIFY(QTest::qWaitForWindowActive(keys.form.get()));
    dialogs.fixture = &keys;
    dialogs.fileAnswers << chosen(folder.filePath("once.bmp"));

    keys.key(Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(dialogs.calls.size(), 1);
    QVERIFY(QFile::exists(folder.filePath("once.bmp")));
    // Afterwards Ctrl+P works again.
    dialogs.fixture = nullptr;
    keys.key(Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(dialogs.calls.size(), 2);
}

QTEST_MAIN(tst_PictureExport)
#include "tst_PictureExport.moc"
