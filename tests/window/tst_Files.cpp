// The window's files: the settings read at start and stored at the close,
// parameter files through the import and export buttons, the picture saved by
// Ctrl+P, the file choice with its typed-path fallback, and files that fight
// back (a FIFO, a full disk, a planted link); and the captions.

#include "DataRows.h"
#include "GuardedFile.h"
#include "HostileFiles.h"
#include "KeyedStatusBar.h"
#include "WindowTestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QtEndian>

#include <sys/wait.h>

using namespace zvtest;
using zv::FileDialogResult;
using zv::MessageResult;

Q_DECLARE_METATYPE(zv::FileDialogResult)
Q_DECLARE_METATYPE(zv::MessageResult)

namespace {

struct Save {
    const char* tag;
    const char* what; // settings, parameters, picture or link (User.ini planted as a link)
    const char* box;  // its start; the path and the reason follow
    bool freed;       // room is made while the box shows
};

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

FileDialogResult failing(int number, const QString& text = {}) {
    return {{}, true, number, text};
}

// The dialogs shown, each as kind and title; a message with its first line.
QStringList shown(const FakeDialogs& dialogs) {
    const char* kinds[] = {"box", "colour", "open", "save", "input"};
    QStringList calls;
    for (const DialogCall& c : dialogs.calls) {
        calls << kinds[c.kind] + (" " + c.title) +
                     (c.kind == DialogCall::Message ? " " + c.text.section("\r\n", 0, 0) : "");
    }
    return calls;
}

} // namespace

Q_DECLARE_METATYPE(Save)

class tst_Files : public QObject {
    Q_OBJECT
private slots:
    // A refused User.ini is kept beside it, unopened when it is a FIFO, before
    // the factory settings take over, and the box says where; an older kept
    // copy gives way. Where no copy can be made (a folder in its way), the box
    // says so and the close leaves the damaged file as it is. The user's own
    // files that merely look like leftovers of a save survive; greyed boxes
    // stay greyed.
    void startUp_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("good, look-alikes of leftovers beside it") << "good";
        QTest::newRow("a word in a colour line, an older copy") << "damaged";
        QTest::newRow("damaged, no copy possible") << "uncopied";
        QTest::newRow("FIFO") << "FIFO";
        QTest::newRow("greyed boxes") << "greyed";
    }
    void startUp() {
        QFETCH(QString, kind);
        const bool factory = kind == "damaged" || kind == "FIFO" || kind == "uncopied";
        zv::GeneralValues g = general(!factory);
        if (kind == "greyed") {
            g.RandomForeColor = g.Pause = 2;
        }
        FormFixture f;
        f.folderFilled = true;
        const QString userIni = f.path("User.ini"), kept = userIni + ".damaged";
        const QByteArray user = zv::WriteSettings(kind == "greyed" ? g : general(true), records(1));
        const QByteArray written = kind == "good" || kind == "greyed" ? user : damaged(user, 8, "white");
        std::optional<FifoWatch> fifo;
        if (kind == "FIFO") {
            fifo.emplace(userIni);
            QVERIFY(fifo->made());
        } else {
            QVERIFY(writeBytes(userIni, written));
        }
        if (kind == "uncopied") {
            QVERIFY(QDir().mkpath(kept + "/in the way"));
        } else {
            QVERIFY(writeBytes(kept, "an older copy"));
        }
        const QStringList own{"User.ini.backup", "User.ini.before", "User.ini.orig01",
                              "User.ini.k1lL3d"};
        for (const QString& name : own) {
            QVERIFY(writeBytes(f.path(name), name.toLatin1()));
        }
        QVERIFY(writeBytes(f.path("Default.ini"), zv::WriteSettings(general(false), records(0))));
        f.create();
        QVERIFY(!fifo || !fifo->opened());
        QString bad = "Bad Error:User.ini seems to be damaged or lost.\r\nThe default "
                      "settings will be loaded now.\r\n";
        bad += kind == "uncopied" ? "It could not be kept as " + kept + " (" +
                                        qt_error_string(EISDIR) +
                                        "), so it stays as it is and the settings are not "
                                        "saved at close."
                                  : "The unreadable file was kept as " + kept + ".";
        QCOMPARE(f.dialogs.calls.size(), factory ? 1 : 0);
        QVERIFY(!factory || f.dialogs.calls[0].title + f.dialogs.calls[0].text == bad);
        QVERIFY(f.form->GeneralValuesFromControls() == g);
        QVERIFY(static_cast<const zv::FractalParameters&>(f.model) == records(!factory));
        f.form->TransferControlsToModel();
        QCOMPARE(f.model.ForeColor, g.RandomForeColor == 1 ? -1 : g.ForeColor);
        QCOMPARE(f.model.PauseAfterEachOp, g.Pause == 1);
        QVERIFY(f.form->close()); // stores User.ini anew unless the damaged one stayed
        QCOMPARE(f.dialogs.calls.size(), factory ? 1 : 0);
        if (kind == "uncopied") {
            QCOMPARE(fileBytes(userIni), written);
        } else {
            QVERIFY(kind == "FIFO" || fileBytes(kept) == (factory ? written : "an older copy"));
            QVERIFY(QFileInfo(userIni).isFile() && fileBytes(userIni) != written);
        }
        for (const QString& name : own) {
            QCOMPARE(fileBytes(f.path(name)), name.toLatin1());
        }
    }

    // Memory that runs out at the start (User.ini too big to be read under the
    // limit) or at the close (the settings too big to be written) gives a box
    // and a program that goes on; User.ini stays byte for byte. Run in a child
    // process under an address space limit.
    void tooLittleMemory_data() {
        columns<bool, QString>("atClose", "box");
        row("start", false,
            QString("Bad Error:User.ini could not be read: there is not enough memory.\r\nThe default "
                    "settings will be loaded now; User.ini stays as it is and is not replaced at "
                    "close.\n"));
        row("close", true,
            QString("Settings not saved:User.ini could not be written (there is not enough memory)."));
    }
    void tooLittleMemory() {
        if (underAddressSanitizer()) {
            QSKIP("AddressSanitizer reserves terabytes of address space: no limit fits under it");
        }
        QFETCH(bool, atClose);
        QFETCH(QString, box);
        FormFixture f;
        f.folderFilled = true;
        zv::FractalParameters big = records(1);
        big.LSystem.InitiatorString.assign(atClose ? 1 : 60'000'000, 'F');
        const QByteArray user = zv::WriteSettings(general(true), big);
        QVERIFY(writeBytes(f.path("User.ini"), user));
        QVERIFY(writeBytes(f.path("Default.ini"), zv::WriteSettings(general(false), records(0))));
        big = {};
        QTemporaryFile report;
        QVERIFY(report.open());
        const pid_t child = ::fork();
        if (child == 0) {
            // An abort is the child's end, not the test program's crash report.
            for (const int signal : {SIGABRT, SIGSEGV, SIGBUS}) {
                std::signal(signal, SIG_DFL);
            }
            // The limit: what the child holds now and 30 MiB more at the start
            // (less than the 60 MB file), 8 MiB at the close.
            const auto limit = [](rlim_t more) {
                long pages = 0;
                if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
                    pages = std::fscanf(statm, "%ld", &pages) == 1 ? pages : 0;
                    std::fclose(statm);
                }
                const rlimit l{rlim_t(pages) * rlim_t(::sysconf(_SC_PAGESIZE)) + more, RLIM_INFINITY};
                ::setrlimit(RLIMIT_AS, &l);
            };
            if (!atClose) {
                limit(rlim_t(30) << 20);
            }
            f.create();
            if (atClose) {
                // A record far too big for the limit (not the shown type's, which
                // the close takes from the window): its file cannot be made.
                f.model.LSystem.InitiatorString.assign(30'000'000, 'F');
                limit(rlim_t(8) << 20);
                f.form->close();
            }
            QFile out;
            if (out.open(report.handle(), QIODevice::WriteOnly)) {
                for (const DialogCall& c : f.dialogs.calls) {
                    out.write((c.title + c.text + "\n").toUtf8());
                }
                out.close();
            }
            ::_exit(0);
        }
        int status = 0;
        if (!QTest::qWaitFor([&] { return ::waitpid(child, &status, WNOHANG) == child; }, 60000)) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            QFAIL("the child hung");
        }
        QVERIFY2(WIFEXITED(status), "the child ended by a signal");
        const QString said = QString::fromUtf8(fileBytes(report.fileName()));
        QVERIFY2(atClose ? said.startsWith(box) : said == box, qPrintable(said));
        QCOMPARE(fileBytes(f.path("User.ini")), user);
        QCOMPARE(QDir(f.folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    // A start that found no settings file at all has nothing to keep: were the
    // window closed, it must not store its unset fields as the user's settings.
    void closeAfterFailedStart() {
        FormFixture f;
        f.folderFilled = true; // and left empty
        f.create();
        QVERIFY(f.form->close() && !QFile::exists(f.path("User.ini")));
        QCOMPARE(f.dialogs.calls.size(), 2); // nothing was kept: the plain boxes
        QCOMPARE(f.dialogs.calls[0].title + f.dialogs.calls[0].text,
                 "Bad Error:User.ini seems to be damaged or lost.\r\nThe default settings will "
                 "be loaded now.");
        QCOMPARE(f.dialogs.calls[1].title + f.dialogs.calls[1].text,
                 "Fatal Error:Default.ini seems to be damaged or lost.\r\nPlease reinstall the "
                 "programm in order to proceed.");
    }

    // A full disk under a save (here the file size limit) is reported with the
    // system's reason and the old file stays byte for byte; at the close the
    // user may retry (room made while the box shows) or give up and still get
    // out. A link planted as User.ini is replaced, never written through.
    void failedSave_data() {
        const char* settings = "Settings not saved:User.ini could not be written (";
        table<Save>(
            {{"User.ini: retried, then given up", "settings", settings, false},
             {"User.ini: room made, then retried", "settings", settings, true},
             {"parameters", "parameters", "Error:Parameter-File could not be written!", false},
             {"picture", "picture", "Error:The picture could not be saved!", false},
             {"User.ini planted as a link out of the folder", "link", "", false}});
    }
    void failedSave() {
        QFETCH(Save, row);
        const QString what = row.what;
        FormFixture f;
        QVERIFY(f.open());
        f.typeAndLeave("CalcDepth_txt", QStringLiteral("5"));
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
        f.dialogs.messageAnswers << MessageResult::Retry << MessageResult::Cancel;
        std::optional<FileSizeLimit> limit;
        if (what != "link") {
            limit.emplace(rlim_t(20));
        }
        if (row.freed) {
            f.dialogs.whileMessage = [&] { limit.reset(); };
        }
        if (what == "parameters") {
            f.button("Export_btn")->click();
        } else if (what == "picture") {
            f.key(Qt::Key_P, Qt::ControlModifier);
        } else {
            QVERIFY(f.form->close());
        }
        limit.reset();
        const bool settings = what == "settings";
        const QList<DialogCall> boxes = f.dialogs.calls.mid(settings || what == "link" ? 0 : 1);
        QCOMPARE(boxes.size(), what == "link" ? 0 : settings && !row.freed ? 2 : 1);
        const QString start = QString(row.box) + (settings ? "" : "\r\n" + path + "\r\n");
        for (const DialogCall& b : boxes) {
            QVERIFY2((b.title + b.text).startsWith(start), qPrintable(b.text));
            QVERIFY(b.text.contains(qt_error_string(EFBIG)));
            QCOMPARE(b.buttons,
                     settings ? zv::MessageButtons::RetryCancel : zv::MessageButtons::Ok);
        }
        if (row.freed) {
            QCOMPARE(fileBytes(path).split('\n').value(9), QByteArray("5\r"));
        } else {
            QCOMPARE(fileBytes(what == "link" ? victim : path), old);
        }
        QCOMPARE(QDir(f.folder.path()).entryList(QDir::Files).filter(QFileInfo(path).fileName()),
                 QStringList{QFileInfo(path).fileName()});
    }

    // Export writes what the window shows; importing it after other changes
    // brings the window and that type's record back, the other records kept.
    void roundTrip_data() { boolRows("commandLine", "chosen", "named on the command line"); }
    void roundTrip() {
        QFETCH(bool, commandLine); // the file named at start instead of chosen
        const int type = commandLine ? zv::KochCurveType : zv::CrossType;
        FormFixture f;
        QVERIFY(f.open());
        zv::MainForm& w = *f.form;
        QVERIFY(f.selectType(type, [&] { static_cast<zv::FractalParameters&>(f.model) = records(0); }));
        f.typeAndLeave("CalcDepth_txt", QStringLiteral("8"));
        f.typeAndLeave(f.at("XPos_txt", 0), QStringLiteral("41")); // not yet in the record
        zv::FractalParameters edited = records(0);
        (type == zv::CrossType ? edited.Cross.FixPoints : edited.KochCurve.FixPoints)[0].X = 41;
        const QString file = f.path("Saved Parameter/round trip.prm");
        f.dialogs.fileAnswers << chosen(file);
        f.button("Export_btn")->click();
        const zv::GeneralValues exported = w.GeneralValuesFromControls();
        QCOMPARE(fileBytes(file).split('\n').mid(11).join('\n'), record(edited, type));

        QVERIFY(f.selectType((type + 1) % zv::FractalTypeCount));
        f.typeAndLeave("CalcDepth_txt", QStringLiteral("2"));
        QVERIFY(f.selectType((type + 1) % zv::FractalTypeCount, [&] {
            static_cast<zv::FractalParameters&>(f.model) = records(1); // the window shows them
        }));
        if (commandLine) {
            w.OpenParameterFile(file);
        } else {
            f.dialogs.fileAnswers << chosen(file);
            f.button("Import_btn")->click();
        }
        QVERIFY(f.refreshed());
        QCOMPARE(f.find<QComboBox>("FractalType_cmb")->currentIndex(), type);
        QVERIFY(w.GeneralValuesFromControls() == exported);
        for (int t = 0; t < zv::FractalTypeCount; ++t) {
            QCOMPARE(record(f.model, t), record(t == type ? edited : records(1), t));
        }
    }

    // Nothing of a refused file reaches the window or the model, no refresh
    // overwrites the fields, nothing is written; nor after a cancelled choice.
    // A FIFO is refused unopened. A name the dialog gives back with a
    // replacement character stands for bytes that are not UTF-8: the file it
    // spells is another one, neither imported nor overwritten.
    void refusedFile_data() {
        columns<QString, QString, QString>("action", "file", "box"); // "<path>": the file's
        const QString inexact = "Error:The file name is not valid UTF-8 and cannot be used "
                                "exactly:\r\n<path>",
                      damagedBox = "Error:Parameter-File is damaged!";
        row("import, elements count 256", QString("import"), QString("damaged.prm"), damagedBox);
        row("import, FIFO", QString("import"), QString("fifo"), damagedBox);
        row("import, name not UTF-8", QString("import"), QString("x\uFFFD.prm"), inexact);
        row("export, name not UTF-8", QString("export"), QString("x\uFFFD.prm"), inexact);
        row("picture, name not UTF-8", QString("picture"), QString("x\uFFFD.bmp"), inexact);
    }
    void refusedFile() {
        QFETCH(QString, action);
        QFETCH(QString, file);
        QFETCH(QString, box);
        FormFixture f;
        QVERIFY(f.open());
        const QString path = f.path(file);
        std::optional<FifoWatch> watch;
        const QByteArray content =
            damaged(zv::WriteParameters(general(false), records(1)), 18, "256");
        if (file == "fifo") {
            watch.emplace(path);
            QVERIFY(watch->made());
        } else {
            QVERIFY(writeBytes(path, content));
        }
        zv::MainForm& w = *f.form;
        f.field("StepHeight_txt")->setText(QStringLiteral("31")); // an edit not yet in the model
        const zv::GeneralValues before = w.GeneralValuesFromControls();
        const zv::FractalParameters model = f.model;
        f.dialogs.calls.clear();
        f.dialogs.fileAnswers << chosen(path) << FileDialogResult{};
        for (int i = 0; i < 2; ++i) {
            if (action == "import") {
                f.button("Import_btn")->click();
            } else if (action == "export") {
                f.button("Export_btn")->click();
            } else {
                f.key(Qt::Key_P, Qt::ControlModifier);
            }
        }
        QVERIFY(!watch || !watch->opened());
        QCOMPARE(f.dialogs.calls.size(), 3);
        QCOMPARE(f.dialogs.calls[1].title + f.dialogs.calls[1].text, box.replace("<path>", path));
        QVERIFY(watch || fileBytes(path) == content);
        QVERIFY(!f.find<QTimer>("Unload_tmr")->isActive());
        QVERIFY(w.GeneralValuesFromControls() == before);
        QVERIFY(f.model == model);
        QCOMPARE(f.field("StepHeight_txt")->text(), QStringLiteral("31"));
    }

    // When the dialog cannot be shown the user types the path; a dialog error
    // asks whether to go on or to end the program, which a run refuses.
    void fileChoice_data() {
        QTest::addColumn<bool>("save"); // the parameter file to save, else to open
        QTest::addColumn<FileDialogResult>("dialog");
        QTest::addColumn<QList<MessageResult>>("answers");
        QTest::addColumn<QStringList>("typed"); // then cancelled; "<folder>": the temporary one
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QString>("result");
        const FileDialogResult error = failing(4711, "no dialog today");
        const MessageResult ok = MessageResult::Ok, cancel = MessageResult::Cancel;
        const QString existing = "<folder>/exists.prm", fatal = "box Fataler Fehler: 4711";
        const QString choice = "box Auswahl: Wiederholen - Versuchen die normale "
                               "Programmausführung wieder aufzunehmen";
        QTest::newRow("open: no dialog, typed a missing file, then an existing one")
            << false << failing(FileDialogResult::CannotInitialize) << QList{ok, ok}
            << QStringList{"<folder>/missing.prm", existing}
            << QStringList{"open Paramaterdatei laden:",
                           "box Fehler: Der 'Datei laden'-Dialog konnte wegen eines globalen "
                           "Betriebssystemfehlers nicht geladen werden.",
                           "input Datei laden:", "box Error: Dieser Dateipfad existiert nicht!",
                           "input Datei laden:"}
            << existing;
        QTest::newRow("open: dialog error, cancel ends the program")
            << false << error << QList{ok, cancel} << QStringList{}
            << QStringList{"open Paramaterdatei laden:", fatal, choice} << QString();
        QTest::newRow("save during a run: dialog error, cancel refused")
            << true << error << QList{ok, cancel, ok} << QStringList{}
            << QStringList{"save Paramaterdatei speichern:", fatal, choice,
                           "box Not possible: Please abort the current operation first.",
                           "input Datei speichern:"}
            << QString();
    }
    void fileChoice() {
        QFETCH(bool, save);
        QFETCH(FileDialogResult, dialog);
        QFETCH(QList<MessageResult>, answers);
        QFETCH(QStringList, typed);
        QFETCH(QStringList, calls);
        QFETCH(QString, result);
        const bool closed = calls.last().startsWith("box Auswahl");
        FormFixture f;
        QVERIFY(f.open());
        QVERIFY(writeBytes(f.path("exists.prm"), {}));
        QVERIFY(QFile::remove(f.path("User.ini")));
        f.dialogs.fileAnswers << dialog;
        f.dialogs.messageAnswers << answers;
        for (QString t : typed) {
            f.dialogs.inputAnswers << t.replace("<folder>", f.folder.path());
        }
        QString got;
        const auto choose = [&] {
            f.dialogs.calls.clear();
            got = save ? f.form->AskParameterFileToSave() : f.form->AskParameterFileToOpen();
        };
        QVERIFY(f.whilePaused(choose, save));
        QCOMPARE(shown(f.dialogs), calls);
        QCOMPARE(got, result.replace("<folder>", f.folder.path()));
        QCOMPARE(!f.form->isVisible(), closed);
        // Ending the program through the choice is a normal close: the settings are stored.
        QCOMPARE(QFile::exists(f.path("User.ini")), closed);
    }

    // Ctrl+P saves the drawing area as a 24-bit bitmap, pixel for pixel, also
    // during a run and to a path typed by hand (no extension appended); a
    // cancelled choice writes nothing.
    void pictureExport_data() { boolRows("saved", "cancelled", "typed during a run"); }
    void pictureExport() {
        QFETCH(bool, saved);
        FormFixture f;
        QVERIFY(f.open());
        const QString path = saved ? f.path("typed") : QString();
        f.dialogs.fileAnswers << (saved ? failing(FileDialogResult::CannotInitialize) : chosen(""));
        f.dialogs.inputAnswers << path;
        zv::ImageCanvas& canvas = f.canvas();
        QImage atPress;
        int stateAfter = -1;
        const auto press = [&] {
            canvas.SetBackColor(0x0A0B0C); // odd low bits that a lossy format would change
            canvas.Clear();
            canvas.Line(0, 0, 150, 120, 0x123457);
            atPress = canvas.image().convertToFormat(QImage::Format_RGB32);
            f.dialogs.calls.clear();
            f.key(Qt::Key_P, Qt::ControlModifier);
            stateAfter = f.model.GlobalState;
        };
        QVERIFY(f.whilePaused(press, saved));
        QCOMPARE(shown(f.dialogs).value(0), QStringLiteral("save Bild speichern:"));
        QCOMPARE(f.dialogs.calls.size(), saved ? 3 : 1); // + failure box, input
        QCOMPARE(stateAfter, saved ? int(zv::PauseMode) : int(zv::EditMode));
        const QByteArray bytes = fileBytes(path);
        QVERIFY(path.isEmpty() ||
                (bytes.size() > 54 && qFromLittleEndian<quint16>(bytes.constData() + 28) == 24));
        QCOMPARE(QImage::fromData(bytes, "BMP").convertToFormat(QImage::Format_RGB32),
                 saved ? atPress : QImage());
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
        list->setCurrentIndex((list->currentIndex() + 2) % zv::FractalTypeCount);
        QCOMPARE(list->toolTip(), list->currentText());
        if (f.button("Params_btn")->property("Tag").toString() == "1") {
            f.button("Params_btn")->click();
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
