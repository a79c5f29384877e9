// The window's files: the settings read at start and stored at the close,
// parameter files through the import and export buttons, the picture saved by
// Ctrl+P, the file choice with its typed-path fallback, files that fight back
// (FIFOs, huge sparse files, a full disk, a planted link); and the captions.

#include "ColorSwatch.h"
#include "GuardedFile.h"
#include "HostileFiles.h"
#include "KeyedStatusBar.h"
#include "QtDialogs.h"
#include "WindowTestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QtEndian>

using namespace zvtest;
using zv::FileDialogResult;
using zv::MessageResult;

Q_DECLARE_METATYPE(zv::FileDialogResult)

namespace {

struct Picture {
    const char* tag;
    int state;
    bool typed;       // the path typed by hand: no extension appended
    const char* name; // empty: the choice is cancelled
};

const QString BadText = QStringLiteral(
    "User.ini seems to be damaged or lost.\r\nThe default settings will be loaded now.");
const QString FatalText = QStringLiteral("Default.ini seems to be damaged or lost.\r\nPlease "
                                         "reinstall the programm in order to proceed.");

// Two clearly different states; both fit an 800 x 600 screen at 15 twips a pixel.
zv::GeneralValues general(bool user) {
    const auto byte = [](int v) { return static_cast<std::uint8_t>(v); };
    return {byte(user ? zv::KochCurveType : zv::SierpinskyGadgetType),
            user ? "0" : "1",
            user ? 3000.0 : 1500.0,
            user ? 2400.0 : 1200.0,
            user ? "320" : "240",
            user ? "300" : "260",
            user ? 0x00FF00 : 0x102030,
            user ? 0x123456 : 0x0000FF,
            byte(user ? 1 : 0),
            user ? "9" : "6",
            byte(user ? 1 : 0)};
}

// Stored values beyond what the window offers: greyed boxes (state 2), an
// area wider than the window allows.
zv::GeneralValues unusual(int checkState, const QString& areaWidth) {
    zv::GeneralValues g = general(true); // the bar closed, 200 pixels from the left
    g.RandomForeColor = g.Pause = static_cast<std::uint8_t>(checkState);
    g.AreaWidth = areaWidth;
    return g;
}

// Records the window can show as they are: allowed draw modes, 2 to 8 points.
zv::FractalParameters records(int s) {
    zv::FractalParameters r;
    r.CantorSet = {3, {{{12.0 + s, 14}, {180, 14}}}, std::int16_t(21 + s), 4};
    r.Cross = {0, {{40, 60}, {150, 65}, {155, 180.0 + s}, {45, 185}, {100, 120}}, true, 0.375};
    r.SierpinskyGadget = {1, {{{90, 20}, {10, 230}, {190.0 - s, 225}}}};
    r.KochCurve = {0, {{30, 80}, {170, 85}, {100, 200.0 - s}}, s == 0};
    r.LSystem = {{{{100, 240}, {105, 190}}}, s == 0 ? "F" : "FX", "F[+F]F[-F]F", 0.25, 22.5 + s};
    return r;
}

// content with line (from 1) replaced by text, or cut after keep lines (line 0).
QByteArray damaged(const QByteArray& content, int line, const QByteArray& text, int keep = 0) {
    QList<QByteArray> lines = content.split('\n');
    lines.removeLast(); // after the final line end
    if (line > 0) {
        lines[line - 1] = text + '\r';
    } else {
        lines.resize(keep);
    }
    return lines.join('\n') + '\n';
}

// The window position agrees with the stored one to within a pixel's twips;
// everything else exactly.
void compareValues(const zv::MainForm& form, const zv::GeneralValues& expected) {
    zv::GeneralValues got = form.GeneralValuesFromControls();
    QVERIFY(std::abs(got.Left - expected.Left) <= form.Twips().twipsPerPixelX());
    QVERIFY(std::abs(got.Top - expected.Top) <= form.Twips().twipsPerPixelY());
    got.Left = expected.Left;
    got.Top = expected.Top;
    QVERIFY(got == expected);
}

FileDialogResult failing(int number, const QString& text = {}) {
    FileDialogResult r;
    r.failed = true;
    r.errorNumber = number;
    r.errorText = text;
    return r;
}

// A dialog call as kind and title; a message with its first line.
QString callText(const DialogCall& c) {
    const char* kinds[] = {"box", "colour", "open", "save", "input"};
    return kinds[c.kind] + (" " + c.title) +
           (c.kind == DialogCall::Message ? " " + c.text.section("\r\n", 0, 0) : QString());
}

} // namespace

Q_DECLARE_METATYPE(Picture)

class tst_Files : public QObject {
    Q_OBJECT
private slots:
    // A refused User.ini is kept beside it (whatever it is, at no cost in time
    // or memory) before the factory settings take over, and the box says where.
    void startUp_data() {
        QTest::addColumn<QByteArray>("user"); // null: none, or the hostile file
        QTest::addColumn<QString>("hostile"); // FIFO, sparse, leftover, older copy, odd
        QTest::addColumn<QByteArray>("factory");
        QTest::addColumn<QString>("source"); // "user", "factory" or "" (the program ends)
        const QByteArray user = zv::WriteSettings(general(true), records(1));
        const QByteArray factory = zv::WriteSettings(general(false), records(0));
        QTest::newRow("both files good") << user << "" << factory << "user";
        QTest::newRow("first start") << QByteArray() << "" << factory << "factory";
        QTest::newRow("colour above 24 bits")
            << damaged(user, 8, "16777216") << "" << factory << "factory";
        QTest::newRow("a word in a colour line, an older copy replaced")
            << damaged(user, 8, "white") << "older copy" << factory << "factory";
        QTest::newRow("user file cut in its last section")
            << damaged(user, 0, {}, 52) << "" << factory << "factory";
        QTest::newRow("FIFO") << QByteArray() << "FIFO" << factory << "factory";
        QTest::newRow("sparse 1 GB") << QByteArray() << "sparse" << factory << "factory";
        QTest::newRow("leftover of a killed save") << user << "leftover" << factory << "user";
        QTest::newRow("no user file, damaged factory file")
            << QByteArray() << "" << damaged(factory, 11, "3") << "";
        // Greyed boxes stay so and are no tick; an area beyond the limits is cut
        // before the window is placed.
        for (const char* odd : {"odd 2 320", "odd 1 5000", "odd 0 800"}) {
            const QStringList v = QString(odd).split(' ');
            QTest::newRow(odd) << zv::WriteSettings(unusual(v[1].toInt(), v[2]), records(1)) << odd
                               << factory << "user";
        }
    }
    void startUp() {
        QFETCH(QByteArray, user);
        QFETCH(QString, hostile);
        QFETCH(QByteArray, factory);
        QFETCH(QString, source);
        FormFixture f;
        f.folderFilled = true;
        const QString userIni = f.path("User.ini"), kept = userIni + ".damaged";
        std::optional<FifoWatch> fifo;
        if (!user.isNull()) {
            QVERIFY(writeBytes(userIni, user));
        } else if (hostile == "FIFO") {
            fifo.emplace(userIni);
            QVERIFY(fifo->made());
        } else if (hostile == "sparse") {
            QVERIFY(makeSparseFile(userIni, qint64(1) << 30));
        }
        QVERIFY(hostile != "older copy" || writeBytes(kept, "an older copy"));
        QVERIFY(hostile != "leftover" || writeBytes(userIni + ".k1lL3d", "half a User.ini"));
        QVERIFY(writeBytes(f.path("Default.ini"), factory));
        const zv::FractalParameters before = f.model;
        const qint64 read = bytesReadSoFar();
        f.create();
        QVERIFY(bytesReadSoFar() - read < zv::MaxFileBytes);
        QVERIFY(!fifo || !fifo->opened());
        const bool keeps = source == "factory" && (!user.isNull() || !hostile.isEmpty());
        QStringList shown;
        for (const DialogCall& c : f.dialogs.calls) {
            shown << c.title + c.text;
            QCOMPARE(c.icon, zv::MessageIcon::Critical);
        }
        const QStringList boxes{
            "Bad Error:" + BadText +
                (keeps ? "\r\nThe unreadable file was kept as " + kept + "." : QString()),
            "Fatal Error:" + FatalText};
        QCOMPARE(shown, boxes.mid(0, source == "user" ? 0 : source.isEmpty() ? 2 : 1));
        QCOMPARE(f.form->SettingsLoaded(), !source.isEmpty());
        QVERIFY(!QFileInfo::exists(userIni + ".k1lL3d"));
        if (source.isEmpty()) {
            // Nothing of a damaged file is applied, and nothing is stored at the end.
            QVERIFY(static_cast<const zv::FractalParameters&>(f.model) == before);
            f.form->close();
            QVERIFY(!QFile::exists(userIni));
            return;
        }
        const QStringList odd = hostile.split(' ');
        zv::GeneralValues g =
            odd[0] == "odd" ? unusual(odd[1].toInt(), odd[2]) : general(source == "user");
        if (g.AreaWidth.toInt() > 700) { // cut, and the window moved onto the screen
            g.AreaWidth = QStringLiteral("700");
            g.Left = f.form->GeneralValuesFromControls().Left;
        }
        compareValues(*f.form, g);
        QVERIFY(static_cast<const zv::FractalParameters&>(f.model) == records(source == "user"));
        QCOMPARE(f.form->Output_pic->innerWidth(), g.AreaWidth.toInt());
        QCOMPARE(f.form->Output_pic->innerHeight(), g.AreaHeight.toInt());
        QVERIFY(QGuiApplication::primaryScreen()->geometry().contains(f.form->frameGeometry()));
        f.form->TransferControlsToModel();
        QCOMPARE(f.model.ForeColor, g.RandomForeColor == 1 ? -1 : g.ForeColor);
        QCOMPARE(f.model.PauseAfterEachOp, g.Pause == 1);
        QVERIFY(f.form->close()); // stores User.ini anew, the kept file untouched
        QCOMPARE(QFileInfo::exists(kept), keeps);
        QVERIFY(!keeps || hostile == "FIFO" ||
                (hostile == "sparse" ? QFileInfo(kept).size() == qint64(1) << 30
                                     : fileBytes(kept) == user));
    }

    // A close during a run is refused with a message and the run goes on; once
    // it is over the close stores what the next start shows (the bar and the
    // area size: the real window's test).
    void closeAndRestart() {
        FormFixture f;
        QVERIFY(f.open());
        zv::MainForm& w = *f.form;
        f.dialogs.colorAnswers << 0x0000FF << 0x00FFFF;
        QTest::mouseClick(w.BackColor_pic, Qt::LeftButton);
        QTest::mouseClick(w.ForeColor_pic, Qt::LeftButton);
        w.RandomForeColor_chk->click();
        w.Pause_chk->click();
        f.typeAndLeave(w.CalcDepth_txt, QStringLiteral("12"));
        w.move(w.x() + 40, w.y() + 30);
        f.model.LSystem.InitiatorString = "F++F"; // a type never shown
        QCoreApplication::processEvents();
        const zv::GeneralValues before = w.GeneralValuesFromControls();
        const zv::LSystemParams lsystem = f.model.LSystem;
        QVERIFY(QFile::remove(f.path("User.ini")));
        f.dialogs.calls.clear();
        w.ManageGlobalStates(zv::PauseMode);
        QVERIFY(!w.close());
        QVERIFY(w.isVisible() && !QFile::exists(f.path("User.ini")));
        QCOMPARE(w.GlobalState(), zv::PauseMode);
        QCOMPARE(f.dialogs.calls.size(), 1);
        QCOMPARE(callText(f.dialogs.calls[0]),
                 QString("box Not possible: Please abort the current operation first."));
        w.ManageGlobalStates(zv::EditMode);
        QVERIFY(w.close());
        f.form.reset();
        f.model = zv::ParameterModel{};
        f.dialogs.calls.clear();
        QVERIFY(f.open());
        QVERIFY(f.dialogs.calls.isEmpty());
        compareValues(*f.form, before);
        QVERIFY(f.model.LSystem == lsystem);
    }

    // A full disk under a save (here the file size limit) is reported with the
    // system's reason and the old file stays byte for byte; at the close the
    // user may retry (room made while the box shows) or give up and still get
    // out. A link planted as User.ini is replaced, never written through.
    void failedSave_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("box"); // its start; the path and the reason follow
        QTest::addColumn<bool>("freed");
        const QString settings = "Settings not saved:User.ini could not be written (";
        QTest::newRow("User.ini: retried, then given up") << "settings" << settings << false;
        QTest::newRow("User.ini: room made, then retried") << "settings" << settings << true;
        QTest::newRow("exported parameters")
            << "parameters"
            << "Error:Parameter-File could not be written!\r\nPATH\r\n"
            << false;
        QTest::newRow("picture") << "picture"
                                 << "Error:The picture could not be saved!\r\nPATH\r\n"
                                 << false;
        QTest::newRow("User.ini planted as a link out of the folder") << "link"
                                                                      << "" << false;
    }
    void failedSave() {
        QFETCH(QString, what);
        QFETCH(QString, box);
        QFETCH(bool, freed);
        FormFixture f;
        QVERIFY(f.open());
        f.form->CalcDepth_txt->setText(QStringLiteral("5"));
        QTemporaryDir elsewhere;
        const QString victim = elsewhere.filePath("victim");
        const QByteArray old = "old content\r\n";
        const QString path = f.path(what == "parameters" ? "old.prm"
                                    : what == "picture"  ? "old.bmp"
                                                         : "User.ini");
        QVERIFY(writeBytes(path, old));
        QVERIFY(what != "link" || (QFile::rename(path, victim) && QFile::link(victim, path)));
        f.dialogs.calls.clear();
        f.dialogs.fileAnswers << chosen(path);
        std::optional<FileSizeLimit> limit;
        if (what != "link") {
            limit.emplace(rlim_t(20));
        }
        if (what == "settings") {
            f.dialogs.messageAnswers << MessageResult::Retry << MessageResult::Cancel;
        }
        if (freed) {
            f.dialogs.whileMessage = [&] { limit.reset(); };
        }
        if (what == "parameters") {
            f.form->Export_btn->click();
        } else if (what == "picture") {
            f.key(Qt::Key_P, Qt::ControlModifier);
        } else {
            QVERIFY(f.form->close());
        }
        limit.reset();
        QStringList boxes;
        for (const DialogCall& c : f.dialogs.calls) {
            if (c.kind == DialogCall::Message) {
                boxes << c.title + c.text;
                QCOMPARE(c.buttons, what == "settings" ? zv::MessageButtons::RetryCancel
                                                       : zv::MessageButtons::Ok);
            }
        }
        QCOMPARE(boxes.size(), what == "link" ? 0 : what == "settings" && !freed ? 2 : 1);
        for (const QString& b : boxes) {
            QVERIFY2(b.startsWith(QString(box).replace("PATH", path)) &&
                         b.contains(qt_error_string(EFBIG)),
                     qPrintable(b));
        }
        if (freed) {
            QCOMPARE(fileBytes(path).split('\n').value(9), QByteArray("5\r"));
        } else {
            QCOMPARE(fileBytes(what == "link" ? victim : path), old);
        }
        QVERIFY(!QFileInfo(path).isSymLink());
        QCOMPARE(QDir(f.folder.path()).entryList(QDir::Files).filter(QFileInfo(path).fileName()),
                 QStringList{QFileInfo(path).fileName()});
    }

    // Export writes what the window shows; importing it after other changes
    // brings the window and that type's record back, the other records kept.
    void roundTrip_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("commandLine"); // the file named at start instead of chosen
        for (int t = 0; t < zv::FractalTypeCount; ++t) {
            QTest::addRow("type %d", t) << t << false;
        }
        QTest::newRow("type 3 named on the command line") << 3 << true;
    }
    void roundTrip() {
        QFETCH(int, type);
        QFETCH(bool, commandLine);
        FormFixture f;
        QVERIFY(f.open());
        zv::MainForm& w = *f.form;
        static_cast<zv::FractalParameters&>(f.model) = records(0);
        QVERIFY(f.selectType(type));
        w.CalcDepth_txt->setText(QStringLiteral("8"));
        f.dialogs.colorAnswers << 0x204060;
        w.BackColor_pic_Click();
        w.Pause_chk->setChecked(true);
        const QString file = f.path("Saved Parameter/round trip.prm");
        f.dialogs.fileAnswers << chosen(file);
        w.Export_btn->click();
        const zv::GeneralValues exported = w.GeneralValuesFromControls();
        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll().split('\n').mid(11).join('\n'), record(records(0), type));
        written.close();

        QVERIFY(f.selectType((type + 1) % zv::FractalTypeCount));
        w.CalcDepth_txt->setText(QStringLiteral("2"));
        w.Pause_chk->setChecked(false);
        w.Params_btn->click();
        static_cast<zv::FractalParameters&>(f.model) = records(1);
        QVERIFY(f.selectType((type + 1) % zv::FractalTypeCount)); // the window shows them
        f.dialogs.calls.clear();
        if (commandLine) {
            w.OpenParameterFile(file);
        } else {
            f.dialogs.fileAnswers << chosen(file);
            w.Import_btn->click();
        }
        QCOMPARE(f.dialogs.calls.size(), commandLine ? 0 : 1);
        QTRY_VERIFY(!w.Unload_tmr->isActive());
        QCOMPARE(w.FractalType_cmb->currentIndex(), type);
        QVERIFY(w.GeneralValuesFromControls() == exported);
        for (int t = 0; t < zv::FractalTypeCount; ++t) {
            QCOMPARE(record(f.model, t), record(records(t == type ? 0 : 1), t));
        }
    }

    // Nothing of a damaged file reaches the window or the model, and no refresh
    // overwrites the fields; nor after a cancelled choice. A FIFO or a huge file
    // is refused unread.
    void damagedFile_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("line"); // 0: cut the file after keep lines instead
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("keep"); // -1: a FIFO, -2: a sparse file of 1 GB
        QTest::newRow("elements count 256") << 0 << 18 << QByteArray("256") << 0;
        QTest::newRow("ends inside the type section") << 3 << 0 << QByteArray() << 15;
        QTest::newRow("FIFO") << 0 << 0 << QByteArray() << -1;
        QTest::newRow("sparse 1 GB") << 0 << 0 << QByteArray() << -2;
    }
    void damagedFile() {
        QFETCH(int, type);
        QFETCH(int, line);
        QFETCH(QByteArray, text);
        QFETCH(int, keep);
        zv::GeneralValues values = general(false);
        values.FractalType = std::uint8_t(type);
        FormFixture f;
        QVERIFY(f.open());
        const QString path = f.path("damaged.prm");
        std::optional<FifoWatch> fifo;
        if (keep == -1) {
            fifo.emplace(path);
            QVERIFY(fifo->made());
        } else if (keep == -2) {
            QVERIFY(makeSparseFile(path, qint64(1) << 30));
        } else {
            QVERIFY(writeBytes(path,
                               damaged(zv::WriteParameters(values, records(1)), line, text, keep)));
        }
        zv::MainForm& w = *f.form;
        w.StepHeight_txt->setText(QStringLiteral("31")); // an edit not yet in the model
        const zv::GeneralValues before = w.GeneralValuesFromControls();
        const zv::FractalParameters model = f.model;
        f.dialogs.calls.clear();
        f.dialogs.fileAnswers << chosen(path) << FileDialogResult{};
        const qint64 read = bytesReadSoFar();
        w.Import_btn->click();
        w.Import_btn->click();
        QVERIFY(bytesReadSoFar() - read < zv::MaxFileBytes);
        QVERIFY(!fifo || !fifo->opened());
        QCOMPARE(f.dialogs.calls.size(), 3);
        QCOMPARE(callText(f.dialogs.calls[1]), QString("box Error: Parameter-File is damaged!"));
        QCOMPARE(f.dialogs.calls[1].icon, zv::MessageIcon::Critical);
        QVERIFY(!w.Unload_tmr->isActive());
        QVERIFY(w.GeneralValuesFromControls() == before);
        QVERIFY(f.model == model);
        QCOMPARE(w.StepHeight_txt->text(), QStringLiteral("31"));
    }

    // When the dialog cannot be shown the user types the path; a dialog error
    // asks whether to go on or to end the program, which a run refuses.
    void fileChoice_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<int>("state");
        QTest::addColumn<FileDialogResult>("dialog");
        QTest::addColumn<QList<int>>("answers"); // MessageResult of the boxes
        QTest::addColumn<QStringList>("typed");  // "-" cancels the input box
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QString>("result"); // "<folder>" stands for the temporary folder
        const QString existing = QStringLiteral("<folder>/exists.prm");
        const int ok = int(MessageResult::Ok), cancel = int(MessageResult::Cancel);
        const FileDialogResult noDialog = failing(FileDialogResult::CannotInitialize);
        const FileDialogResult error = failing(4711, "no dialog today");
        const QString fatal = "box Fataler Fehler: 4711";
        const QString choice = "box Auswahl: Wiederholen - Versuchen die normale "
                               "Programmausführung wieder aufzunehmen";
        QTest::newRow("open: no dialog, typed a missing file, then an existing one")
            << "open" << 0 << noDialog << QList<int>{ok, ok}
            << QStringList{"<folder>/missing.prm", existing}
            << QStringList{"open Paramaterdatei laden:",
                           "box Fehler: Der 'Datei laden'-Dialog konnte wegen eines globalen "
                           "Betriebssystemfehlers nicht geladen werden.",
                           "input Datei laden:", "box Error: Dieser Dateipfad existiert nicht!",
                           "input Datei laden:"}
            << existing;
        QTest::newRow("open: dialog error, cancel ends the program")
            << "open" << 0 << error << QList<int>{ok, cancel} << QStringList{}
            << QStringList{"open Paramaterdatei laden:", fatal, choice} << "";
        QTest::newRow("save during a run: dialog error, cancel refused")
            << "save" << int(zv::WorkingMode) << error << QList<int>{ok, cancel, ok}
            << QStringList{"-"}
            << QStringList{"save Paramaterdatei speichern:", fatal, choice,
                           "box Not possible: Please abort the current operation first.",
                           "input Datei speichern:"}
            << "";
    }
    void fileChoice() {
        QFETCH(QString, what);
        QFETCH(int, state);
        QFETCH(FileDialogResult, dialog);
        QFETCH(QList<int>, answers);
        QFETCH(QStringList, typed);
        QFETCH(QStringList, calls);
        QFETCH(QString, result);
        const bool closed = calls.last().startsWith("box Auswahl");
        FormFixture f;
        QVERIFY(f.open());
        const QString folder = QDir(f.folder.path()).absolutePath();
        const auto place = [&](QString s) { return s.replace(QStringLiteral("<folder>"), folder); };
        QVERIFY(writeBytes(f.path("exists.prm"), {}));
        QVERIFY(QFile::remove(f.path("User.ini")));
        f.form->ManageGlobalStates(std::uint8_t(state));
        f.dialogs.fileAnswers << dialog;
        for (int a : answers) {
            f.dialogs.messageAnswers << MessageResult(a);
        }
        for (const QString& t : typed) {
            f.dialogs.inputAnswers << (t == "-" ? std::optional<QString>() : place(t));
        }
        f.dialogs.calls.clear();
        const QString got = what == "open"   ? f.form->AskParameterFileToOpen()
                            : what == "save" ? f.form->AskParameterFileToSave()
                                             : f.form->AskPictureFileToSave();
        QStringList made;
        for (const DialogCall& c : f.dialogs.calls) {
            made << callText(c);
        }
        QCOMPARE(made, calls);
        QCOMPARE(got, place(result));
        QCOMPARE(!f.form->isVisible(), closed);
        // Ending the program through the choice is a normal close: the settings are stored.
        QCOMPARE(QFile::exists(f.path("User.ini")), closed);
    }

    // Ctrl+P saves the drawing area as a 24-bit bitmap, pixel for pixel, in
    // every run state; a cancelled choice writes nothing.
    void pictureExport_data() {
        table<Picture>({{"editing", zv::EditMode, false, "edit.bmp"},
                        {"during a run", zv::WorkingMode, false, "run.bmp"},
                        {"typed without extension", zv::EditMode, true, "typed"},
                        {"cancelled", zv::EditMode, false, ""}});
    }
    void pictureExport() {
        QFETCH(Picture, row);
        FormFixture f;
        QVERIFY(f.open());
        zv::ImageCanvas& canvas = f.form->Output_pic->canvas();
        canvas.SetBackColor(0x0A0B0C); // odd low bits that a lossy format would change
        canvas.Clear();
        canvas.Line(0, 0, 150, 120, 0x123457);
        canvas.SetPixelV(7, 200, 0xFEDCBA);
        f.form->ManageGlobalStates(std::uint8_t(row.state));
        const QString path = *row.name ? f.path(row.name) : QString();
        f.dialogs.fileAnswers << (row.typed ? failing(FileDialogResult::CannotInitialize)
                                            : chosen(path));
        f.dialogs.inputAnswers << path;
        f.dialogs.calls.clear();
        f.key(Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(callText(f.dialogs.calls.value(0)), QStringLiteral("save Bild speichern:"));
        QCOMPARE(f.dialogs.calls.size(), row.typed ? 3 : 1); // + failure box, input
        QCOMPARE(int(f.form->GlobalState()), row.state);
        const QByteArray bytes = fileBytes(path);
        QVERIFY(path.isEmpty() ||
                (bytes.size() > 54 && qFromLittleEndian<quint16>(bytes.constData() + 28) == 24));
        QCOMPARE(QImage::fromData(bytes, "BMP").convertToFormat(QImage::Format_RGB32),
                 *row.name ? canvas.image().convertToFormat(QImage::Format_RGB32) : QImage());
    }

    // The save dialog itself refuses a name in a folder that does not exist and
    // says why; the dialog stays open for another name.
    void saveDialogWantsExistingFolder_data() {
        boolRows("exists", "folder that does not exist", "existing folder");
    }
    void saveDialogWantsExistingFolder() {
        QFETCH(bool, exists);
        QTemporaryDir dir;
        zv::FileDialogRequest request;
        request.initialFolder = dir.path();
        request.defaultSuffix = QStringLiteral("prm");
        const std::unique_ptr<QFileDialog> dialog = zv::createFileDialog(nullptr, request, true);
        dialog->selectFile(dir.filePath(exists ? "x.prm" : "nowhere/x.prm"));
        static_cast<QDialog*>(dialog.get())->accept(); // public in QDialog
        QCOMPARE(dialog->result() == QDialog::Accepted, exists);
        const auto* box = dialog->findChild<QMessageBox*>();
        QCOMPARE(box ? box->windowTitle() + box->text() : QString(),
                 exists ? QString() : QStringLiteral("Error:Dieser Dateipfad existiert nicht!"));
    }

    // Captions in the window's own font: a label beside a field shows its whole
    // text and ends before the field; the type list's tip names the whole type;
    // the longest help text is drawn whole in the narrowest window (the bar
    // closed, the area at its minimum): its last ink lies clear of the frame.
    void captionsShownWhole() {
        FormFixture f;
        QVERIFY(f.open());
        for (const char* name : {"AreaWidth", "AreaHeight", "CalcDepth", "StepHeight",
                                 "ElementsCount", "DecreaseFactor", "LineLength", "Delta"}) {
            const auto* l = f.find<QLabel>(QString::fromLatin1(name) + "_lbl");
            const auto* t = f.find<QWidget>(QString::fromLatin1(name) + "_txt");
            QVERIFY(l && t && l->parentWidget() == t->parentWidget());
            // The ink, not the advance: a colon's advance ends in blank space.
            const int ink = l->fontMetrics().tightBoundingRect(l->text()).right() + 1;
            QVERIFY2(ink <= l->contentsRect().width() && l->x() + ink + 2 <= t->x(), name);
        }
        auto* list = f.find<QComboBox>("FractalType_cmb");
        for (int i : {2, 4, 0}) {
            list->setCurrentIndex(i);
            QCOMPARE(list->toolTip(), list->itemText(i));
        }
        if (f.form->Params_btn->property("Tag").toString() == "1") {
            f.form->Params_btn->click();
        }
        f.form->resize(10, f.form->height());
        QCoreApplication::processEvents();
        auto* help = f.find<zv::StatusPanel>("Help");
        QVERIFY(help && help->isVisible() && help->geometry().right() < f.form->width());
        help->setText(QStringLiteral("arrange the Fixpoint on the left to your desire"));
        const QImage image = help->grab().toImage();
        const int background = qGray(image.pixel(image.width() / 2, 1));
        const QRect inside = help->contentsRect();
        int last = -1;
        for (int x = inside.left(); x <= inside.right(); ++x) {
            for (int y = inside.top(); y <= inside.bottom(); ++y) {
                last = qGray(image.pixel(x, y)) < background - 80 ? x : last;
            }
        }
        QVERIFY2(last > inside.left() + inside.width() / 3, "no text drawn");
        QVERIFY2(last < inside.right() - 1, qPrintable(QString::number(last)));
    }
};

QTEST_MAIN(tst_Files)
#include "tst_Files.moc"
