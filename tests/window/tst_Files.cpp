// The window's files: the settings read at start and stored at the close,
// parameter files through the import and export buttons, the picture saved by
// Ctrl+P, the file choice with its typed-path fallback, and files that fight
// back (a full disk, a planted link, too little memory); and the captions.

#include "DataRows.h"
#include "HostileFiles.h"
#include "KeyedStatusBar.h"
#include "WindowTestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QtEndian>

using namespace zvtest;
using zv::FileDialogResult;

namespace {

// Two clearly different states whose two check boxes differ too; both fit an
// 800 x 600 screen at 15 twips a pixel.
zv::GeneralValues general(bool user) {
    if (user) {
        return {zv::KochCurveType, "0", 3000, 2400, "320", "300", 0x00FF00, 0x123456, 1, "9", 0};
    }
    return {zv::CantorSetType, "1", 1500, 1200, "240", "260", 0x102030, 0x0000FF, 0, "6", 1};
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

// content with its line (from 1) replaced by text.
QByteArray damaged(const QByteArray& content, int line, const QByteArray& text) {
    QList<QByteArray> lines = content.split('\n');
    lines[line - 1] = text + '\r';
    return lines.join('\n');
}

const QString NoMemory = "there is not enough memory";

// The choice a dialog error offers, as shown() lists it.
const QString Choice = "box Auswahl: Wiederholen - Versuchen die normale Programmausführung wieder "
                       "aufzunehmen\r\nAbbrechen - Programm beenden";

// This process's address space held to what it uses now and `more` bytes
// beyond (no limit for RLIM_INFINITY), as long as the object lives.
struct AddressSpaceLimit {
    explicit AddressSpaceLimit(rlim_t more) {
        ::getrlimit(RLIMIT_AS, &old_);
        QFile statm("/proc/self/statm"); // its first number: the pages in use
        const rlim_t pages = statm.open(QIODevice::ReadOnly)
                                 ? statm.readLine().split(' ').value(0).toULongLong()
                                 : 0;
        const rlimit limit{more == RLIM_INFINITY ? old_.rlim_cur
                                                 : pages * rlim_t(::sysconf(_SC_PAGESIZE)) + more,
                           old_.rlim_max};
        ::setrlimit(RLIMIT_AS, &limit);
    }
    ~AddressSpaceLimit() { ::setrlimit(RLIMIT_AS, &old_); }
    rlimit old_{};
};

} // namespace

class tst_Files : public QObject {
    Q_OBJECT
private slots:
    // A refused User.ini is kept beside it before the factory settings take
    // over, and the box says where; an older kept copy gives way. Where no
    // copy can be made (a folder in its way), the box says so and the close
    // leaves the damaged file as it is, as it leaves one too big to be read in
    // the memory left. A start that read no settings at all stores nothing at
    // the close. Greyed boxes stay greyed.
    void startUp_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("good") << "good";
        QTest::newRow("a word in a colour line, an older copy") << "damaged";
        QTest::newRow("damaged, no copy possible") << "uncopied";
        QTest::newRow("too big for the memory left") << "memory";
        QTest::newRow("greyed boxes") << "greyed";
        QTest::newRow("User.ini lost, Default.ini damaged") << "none";
    }
    void startUp() {
        QFETCH(QString, kind);
        if (kind == "memory" && underAddressSanitizer()) {
            QSKIP("AddressSanitizer reserves terabytes of address space: no limit fits under it");
        }
        const bool factory = kind != "good" && kind != "greyed", none = kind == "none";
        zv::GeneralValues g = general(!factory);
        if (kind == "greyed") {
            g.RandomForeColor = g.Pause = 2;
        }
        FormFixture f;
        const QString userIni = f.path("User.ini"), kept = userIni + ".damaged";
        zv::FractalParameters mine = records(1);
        mine.LSystem.InitiatorString.resize(kind == "memory" ? 60'000'000 : 2, 'F');
        const QByteArray user = zv::WriteSettings(kind == "greyed" ? g : general(true), mine);
        const QByteArray written = factory && kind != "memory" ? damaged(user, 8, "white") : user;
        QVERIFY(none || writeBytes(userIni, written));
        if (kind == "uncopied") {
            QVERIFY(QDir().mkpath(kept + "/in the way"));
        } else {
            QVERIFY(writeBytes(kept, "an older copy"));
        }
        const QByteArray defaults = zv::WriteSettings(general(false), records(0));
        QVERIFY(writeBytes(f.path("Default.ini"), none ? damaged(defaults, 8, "white") : defaults));
        {
            // Less than the 60 MB file needs.
            const AddressSpaceLimit limit(kind == "memory" ? rlim_t(30) << 20 : RLIM_INFINITY);
            f.create(f.folder.path()); // as the test filled it
        }
        const QString lost = "box Bad Error: User.ini seems to be damaged or lost.\r\nThe default "
                             "settings will be loaded now.";
        QStringList said;
        if (kind == "memory") {
            said << "box Bad Error: User.ini could not be read: " + NoMemory +
                        ".\r\nThe default settings will be loaded now; User.ini stays as it is "
                        "and is not replaced at close.";
        } else if (none) {
            said << lost
                 << "box Fatal Error: Default.ini seems to be damaged or lost.\r\nPlease "
                    "reinstall the programm in order to proceed.";
        } else if (kind == "uncopied") {
            said << lost + "\r\nIt could not be kept as " + kept + " (" + qt_error_string(EISDIR) +
                        "), so it stays as it is and the settings are not saved at close.";
        } else if (factory) {
            said << lost + "\r\nThe unreadable file was kept as " + kept + ".";
        }
        QCOMPARE(f.dialogs.shown(), said);
        if (!none) {
            QVERIFY(f.form->GeneralValuesFromControls() == g);
            QVERIFY(static_cast<const zv::FractalParameters&>(f.model) == records(!factory));
            f.form->TransferControlsToModel();
            QCOMPARE(f.model.ForeColor, g.RandomForeColor == 1 ? -1 : g.ForeColor);
            QCOMPARE(f.model.PauseAfterEachOp, g.Pause == 1);
        }
        QVERIFY(f.form->close()); // stores User.ini anew unless it is to stay as it is
        if (kind == "uncopied" || kind == "memory" || none) {
            QCOMPARE(fileBytes(userIni), none ? QByteArray() : written);
        } else {
            QCOMPARE(fileBytes(kept), factory ? written : QByteArray("an older copy"));
            QVERIFY(QFileInfo(userIni).isFile() && fileBytes(userIni) != written);
        }
    }

    // At the close a full disk (here the file size limit) or memory that runs
    // out is reported with the reason, and the user may retry (room made while
    // the box shows) or give up and still get out; the old User.ini stays byte
    // for byte. A link planted as User.ini is replaced, never written through.
    void failedClose_data() {
        QTest::addColumn<QString>("what");
        QTest::newRow("disk full: retried, then given up") << "full";
        QTest::newRow("disk full: room made, then retried") << "freed";
        QTest::newRow("memory runs out") << "memory";
        QTest::newRow("User.ini planted as a link out of the folder") << "link";
    }
    void failedClose() {
        QFETCH(QString, what);
        if (what == "memory" && underAddressSanitizer()) {
            QSKIP("AddressSanitizer reserves terabytes of address space: no limit fits under it");
        }
        FormFixture f;
        QVERIFY(f.open());
        f.typeAndLeave("CalcDepth_txt", QStringLiteral("5"));
        QTemporaryDir elsewhere;
        const QString path = f.path("User.ini"), victim = elsewhere.filePath("victim");
        const QByteArray old = "old content\r\n";
        QVERIFY(writeBytes(path, old));
        QVERIFY(what != "link" || (QFile::rename(path, victim) && QFile::link(victim, path)));
        f.dialogs.calls.clear();
        f.dialogs.messageAnswers << zv::MessageResult::Retry << zv::MessageResult::Cancel;
        std::optional<FileSizeLimit> limit;
        std::optional<AddressSpaceLimit> memory;
        if (what == "memory") {
            // A record far too big for the limit (not the shown type's, which
            // the close takes from the window): its file cannot be made.
            f.model.LSystem.InitiatorString.assign(30'000'000, 'F');
            memory.emplace(rlim_t(8) << 20);
        } else if (what != "link") {
            limit.emplace(rlim_t(20));
        }
        if (what == "freed") {
            f.dialogs.whileMessage = [&] { limit.reset(); };
        }
        QVERIFY(f.form->close());
        limit.reset();
        memory.reset();
        const QString start = "Settings not saved:User.ini could not be written (" +
                              (what == "memory" ? NoMemory : qt_error_string(EFBIG));
        QCOMPARE(f.dialogs.calls.size(), what == "link" ? 0 : what == "freed" ? 1 : 2);
        for (const DialogCall& b : f.dialogs.calls) {
            QVERIFY2((b.title + b.text).startsWith(start), qPrintable(b.text));
            QCOMPARE(b.buttons, zv::MessageButtons::RetryCancel);
        }
        if (what == "freed") {
            QCOMPARE(fileBytes(path).split('\n').value(9), QByteArray("5\r"));
        } else {
            QCOMPARE(fileBytes(what == "link" ? victim : path), old);
        }
    }

    // Export writes what the window shows; importing it after other changes
    // brings the window and that type's record back, the other records kept.
    void roundTrip_data() { boolRows("commandLine", "chosen", "named on the command line"); }
    void roundTrip() {
        QFETCH(bool, commandLine); // the file named at start instead of chosen
        const int type = commandLine ? zv::KochCurveType : zv::CrossType;
        FormFixture f;
        QVERIFY(f.open());
        QVERIFY(
            f.selectType(type, [&] { static_cast<zv::FractalParameters&>(f.model) = records(0); }));
        f.typeAndLeave("CalcDepth_txt", QStringLiteral("8"));
        f.typeAndLeave(f.at("XPos_txt", 0), QStringLiteral("41")); // not yet in the record
        zv::FractalParameters edited = records(0);
        (type == zv::CrossType ? edited.Cross.FixPoints : edited.KochCurve.FixPoints)[0].X = 41;
        const QString file = f.path("Saved Parameter/round trip.prm");
        f.dialogs.fileAnswers << chosen(file);
        f.button("Export_btn")->click();
        const zv::GeneralValues exported = f.form->GeneralValuesFromControls();

        QVERIFY(f.selectType((type + 1) % zv::FractalTypeCount, [&] {
            static_cast<zv::FractalParameters&>(f.model) = records(1); // the window shows them
        }));
        f.typeAndLeave("CalcDepth_txt", QStringLiteral("2"));
        if (commandLine) {
            f.form->OpenParameterFile(file);
        } else {
            f.dialogs.fileAnswers << chosen(file);
            f.button("Import_btn")->click();
        }
        QVERIFY(f.refreshed());
        const auto* list = f.find<QComboBox>("FractalType_cmb");
        QCOMPARE(list->currentIndex(), type);
        QCOMPARE(list->toolTip(), list->currentText()); // the whole name, however narrow the list
        QCOMPARE(f.at<QLineEdit>("XPos_txt", 0)->text(), QStringLiteral("41")); // refreshed
        QVERIFY(f.form->GeneralValuesFromControls() == exported);
        for (int t = 0; t < zv::FractalTypeCount; ++t) {
            QCOMPARE(record(f.model, t), record(t == type ? edited : records(1), t));
        }
    }

    // Nothing of a refused file reaches the window or the model, no refresh
    // overwrites the fields, the file stays byte for byte; nor after a
    // cancelled choice. A name the dialog gives back with a replacement
    // character stands for bytes that are not UTF-8: the file it spells is
    // another one, neither imported nor overwritten. A full disk (here the file
    // size limit) is reported with the system's reason.
    void refusedFile_data() {
        columns<QString, QString, QString>("action", "file", "box"); // "<path>": the file's
        const QString inexact = "Error: The file name is not valid UTF-8 and cannot be used "
                                "exactly:\r\n<path>",
                      full = "\r\n<path>\r\n" + qt_error_string(EFBIG);
        row("import, elements count 256", QString("import"), QString("damaged.prm"),
            QString("Error: Parameter-File is damaged!"));
        row("import, name not UTF-8", QString("import"), QString("x\uFFFD.prm"), inexact);
        row("export, name not UTF-8", QString("export"), QString("x\uFFFD.prm"), inexact);
        row("picture, name not UTF-8", QString("picture"), QString("x\uFFFD.bmp"), inexact);
        row("export, disk full", QString("export"), QString("old.prm"),
            "Error: Parameter-File could not be written!" + full);
        row("picture, disk full", QString("picture"), QString("old.bmp"),
            "Error: The picture could not be saved!" + full);
    }
    void refusedFile() {
        QFETCH(QString, action);
        QFETCH(QString, file);
        QFETCH(QString, box);
        FormFixture f;
        QVERIFY(f.open());
        const QString path = f.path(file);
        const QByteArray content =
            damaged(zv::WriteParameters(general(false), records(1)), 18, "256");
        QVERIFY(writeBytes(path, content));
        f.field("StepHeight_txt")->setText(QStringLiteral("31")); // an edit not yet in the model
        const zv::GeneralValues before = f.form->GeneralValuesFromControls();
        const zv::FractalParameters model = f.model;
        f.dialogs.calls.clear();
        f.dialogs.fileAnswers << chosen(path) << FileDialogResult{};
        std::optional<FileSizeLimit> limit(std::in_place, rlim_t(20)); // reading goes on
        for (int i = 0; i < 2; ++i) {
            if (action == "import") {
                f.button("Import_btn")->click();
            } else if (action == "export") {
                f.button("Export_btn")->click();
            } else {
                f.key(Qt::Key_P, Qt::ControlModifier);
            }
        }
        limit.reset();
        QCOMPARE(f.dialogs.calls.size(), 3);
        QCOMPARE(f.dialogs.shown().value(1), "box " + box.replace("<path>", path));
        QCOMPARE(fileBytes(path), content);
        QVERIFY(!f.find<QTimer>("Unload_tmr")->isActive());
        QVERIFY(f.form->GeneralValuesFromControls() == before);
        QVERIFY(action == "export" || f.model == model); // an export stores the fields first
        QCOMPARE(f.field("StepHeight_txt")->text(), QStringLiteral("31"));
    }

    // The file choice. During a run the choice to end the program that a
    // dialog error offers is refused, and the user types the path: Ctrl+P
    // saves the drawing area there (no extension appended) as a 24-bit bitmap,
    // pixel for pixel, and the run stays paused. Where the dialog cannot be
    // shown, a typed path must name a file to open. Ending the program after a
    // dialog error is a normal close: the settings are stored.
    void fileChoice() {
        FormFixture f;
        QVERIFY(f.open());
        const QString picture = f.path("typed"), existing = f.path("exists.prm");
        QVERIFY(writeBytes(existing, {}));
        QVERIFY(QFile::remove(f.path("User.ini")));
        const FileDialogResult error{{}, true, 4711, "no dialog today"},
            none{{}, true, FileDialogResult::CannotInitialize, {}}; // none shown at all
        f.dialogs.fileAnswers << error << none << error;
        f.dialogs.inputAnswers << picture << f.path("missing.prm") << existing;
        zv::ImageCanvas& canvas = f.canvas();
        QImage atPress;
        int stateAfter = -1;
        QVERIFY(f.during(zv::PauseMode, [&] {
            canvas.SetBackColor(0x0A0B0C); // odd low bits that a lossy format would change
            canvas.Clear();
            canvas.Line(0, 0, 150, 120, 0x123457);
            atPress = canvas.image().convertToFormat(QImage::Format_RGB32);
            f.dialogs.calls.clear();
            f.key(Qt::Key_P, Qt::ControlModifier);
            stateAfter = f.model.GlobalState;
        }));
        QCOMPARE(stateAfter, int(zv::PauseMode));
        const QByteArray bytes = fileBytes(picture);
        QVERIFY(bytes.size() > 54 && qFromLittleEndian<quint16>(bytes.constData() + 28) == 24);
        QCOMPARE(QImage::fromData(bytes, "BMP").convertToFormat(QImage::Format_RGB32), atPress);
        QCOMPARE(f.form->AskParameterFileToOpen(), existing);
        QVERIFY(f.form->isVisible() && !QFile::exists(f.path("User.ini")));
        QCOMPARE(f.form->AskParameterFileToOpen(), QString()); // the choice: end the program
        QVERIFY(!f.form->isVisible() && QFile::exists(f.path("User.ini")));
        const QString fatal = "box Fataler Fehler: 4711\r\nno dialog today";
        QCOMPARE(f.dialogs.shown(),
                 QStringList({"save Bild speichern:", fatal, Choice,
                              "box Not possible: Please abort the current operation first.",
                              "input Bild speichern:", "open Paramaterdatei laden:",
                              "box Fehler: Der 'Datei laden'-Dialog konnte wegen eines globalen "
                              "Betriebssystemfehlers nicht geladen werden.\r\nSie können nun immer "
                              "noch den Pfad der Datei manuell angeben.\r\nAlternativ benutzen Sie "
                              "Datei-Drag&Drop vom Explorer.",
                              "input Datei laden:", "box Error: Dieser Dateipfad existiert nicht!",
                              "input Datei laden:", "open Paramaterdatei laden:", fatal, Choice}));
    }

    // Captions in the window's own font: a label beside a field shows its whole
    // text and ends before the field; the longest help text is drawn whole in
    // the narrowest window (the bar closed, the area at its minimum): its last
    // ink lies clear of the frame.
    void captionsShownWhole() {
        FormFixture f;
        QVERIFY(f.open());
        for (const char* name : {"AreaWidth", "AreaHeight", "CalcDepth", "StepHeight",
                                 "ElementsCount", "DecreaseFactor", "LineLength", "Delta"}) {
            const auto* l = f.find<QLabel>(QString::fromLatin1(name) + "_lbl");
            const auto* t = f.find<QWidget>(QString::fromLatin1(name) + "_txt");
            // The ink, not the advance: a colon's advance ends in blank space.
            const int ink = l->fontMetrics().tightBoundingRect(l->text()).right() + 1;
            QVERIFY2(ink <= l->contentsRect().width() && l->x() + ink + 2 <= t->x(), name);
        }
        f.showBar(false);
        f.form->resize(10, f.form->height());
        QCoreApplication::processEvents();
        auto* help = f.find<zv::StatusPanel>("Help");
        QVERIFY(help && help->isVisible() && help->geometry().right() < f.form->width());
        help->setText(QStringLiteral("arrange the Fixpoint on the left to your desire"));
        const QImage inside = help->grab(help->contentsRect()).toImage();
        const int background = qGray(inside.pixel(0, 0)); // the indent before the text
        // The last column with ink.
        int last = -1;
        for (int x = 0; x < inside.width(); ++x) {
            for (int y = 0; y < inside.height(); ++y) {
                last = qGray(inside.pixel(x, y)) < background - 80 ? x : last;
            }
        }
        QVERIFY2(last > inside.width() / 3 && last < inside.width() - 2,
                 qPrintable(QString::number(last)));
    }
};

QTEST_MAIN(tst_Files)
#include "tst_Files.moc"
