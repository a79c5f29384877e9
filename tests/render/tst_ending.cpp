// How a render ends when the world is hostile, as the user runs it: a name
// whose bytes are not UTF-8 or that is as long as a name can be, a signal in
// the middle of writing, too little memory, a standard output on a full disk.
// Whatever happens, the only files in the folder afterwards are the user's
// own, as they were, and the exit status and one line say what went wrong.

#include "DataRows.h"
#include "FileMod.h"
#include "HostileFiles.h"
#include "Renderer.h"

#include <QImage>
#include <QtTest>

#include <dirent.h>
#include <sys/wait.h>

using namespace zv;
using namespace zvtest;

namespace {

// Every entry of a folder as raw bytes, hidden ones included: a name that
// decodes to the same text as another still counts as its own.
QByteArrayList rawEntries(const QByteArray& folder) {
    QByteArrayList names;
    if (DIR* dir = ::opendir(folder.constData())) {
        while (const dirent* entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (name != "." && name != "..") {
                names << name;
            }
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool writeRaw(const QByteArray& path, const QByteArray& content) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool written = fd >= 0 && ::write(fd, content.constData(), content.size()) == content.size();
    return ::close(fd) == 0 && written;
}

// A temporary folder that also removes names QTemporaryDir cannot spell.
struct RawDir {
    QTemporaryDir dir;
    QByteArray folder = QFile::encodeName(dir.path());
    ~RawDir() {
        for (const QByteArray& name : rawEntries(folder)) {
            ::unlink(folder + '/' + name);
        }
    }
};

struct Run {
    bool exitedNormally = false;
    int exitCode = -1;
    QString err;
};

// Runs the renderer (or program) in folder with arguments given as raw bytes
// (a shell passes them on unchanged), standard output to outFile, under a limit
// of the given resource (0: none).
Run renderRaw(const QByteArray& folder, const QByteArrayList& arguments,
              const QString& outFile = {}, const QString& errFile = {},
              const QByteArray& program = ZORVANDINE_RENDER, int resource = RLIMIT_AS,
              rlim_t limit = 0) {
    // Each argument goes through printf's octal escapes, so no byte is decoded.
    const auto raw = [](const QByteArray& bytes) {
        QString escaped;
        for (const char c : bytes) {
            escaped += QStringLiteral("\\0%1").arg(uint(uchar(c)), 3, 8, QChar('0'));
        }
        return QStringLiteral(R"x("$(printf '%b' '%1')")x").arg(escaped);
    };
    QString script = R"(cd "$1" && R=)" + raw(program) + " && set --";
    for (const QByteArray& a : arguments) {
        script += ' ' + raw(a);
    }
    script += R"( && exec "$R" "$@")";
    QProcess p;
    // The window program, without a display, must not get as far as a window.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY"}) {
        environment.remove(name);
    }
    p.setProcessEnvironment(environment);
    if (!outFile.isEmpty()) {
        p.setStandardOutputFile(outFile);
    }
    if (!errFile.isEmpty()) {
        p.setStandardErrorFile(errFile);
    }
    if (limit > 0) { // a write past a file size limit fails as on a full disk
        p.setChildProcessModifier([resource, limit] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit l{limit, limit};
            ::setrlimit(__rlimit_resource_t(resource), &l);
        });
    }
    p.start("/bin/sh", {"-c", script, "sh", QFile::decodeName(folder)});
    Run run;
    run.exitedNormally = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit;
    run.exitCode = p.exitCode();
    if (errFile.isEmpty()) {
        run.err = QString::fromLocal8Bit(p.readAllStandardError());
    }
    return run;
}

QByteArray factorySettings() {
    return fileBytes(QCoreApplication::applicationDirPath() + "/Default.ini");
}

// The factory settings, changed by edit, written to path.
bool writeSettings(const QString& path, auto edit) {
    GeneralValuesCollector general;
    FractalParameters records;
    if (ReadSettings(factorySettings(), general, records)) {
        return false;
    }
    edit(general.Values, records);
    return !WriteSettingsFile(path, general.Values, records);
}

// The size of the file that the process has open in folder (its temporary
// file, named or not), or -1 while it has none.
qint64 openFileSize(qint64 pid, const QByteArray& folder) {
    const QByteArray fds = "/proc/" + QByteArray::number(pid) + "/fd/";
    for (const QByteArray& fd : rawEntries(fds)) {
        char link[4096];
        const ssize_t n = ::readlink(fds + fd, link, sizeof link);
        const QByteArray target(link, std::max<ssize_t>(n, 0));
        struct stat info {};
        if (target.startsWith(folder + '/') && !target.endsWith(".ini") &&
            ::stat(fds + fd, &info) == 0) {
            return info.st_size;
        }
    }
    return -1;
}

} // namespace

class EndingTest : public QObject {
    Q_OBJECT

private slots:
    // A name with a byte that is not UTF-8 is refused with its status, and
    // nothing is written: not the file the decoded name would give (the
    // replacement character's bytes), which holds something unrelated. A name
    // of 255 bytes, the longest a file system takes, renders.
    void names_data() {
        columns<QByteArray, QByteArray, int, QString>("input", "output", "exitCode", "message");
        const QByteArray longest = QByteArray(251, 'n') + ".png";
        row("output not UTF-8", QByteArray("in.ini"), QByteArray("out\xff.png"), 3,
            "cannot write out\uFFFD.png: the name is not valid UTF-8");
        row("input not UTF-8", QByteArray("in\xff.ini"), QByteArray("out.png"), 2,
            "in\uFFFD.ini: the name is not valid UTF-8");
        row("output of 255 bytes", QByteArray("in.ini"), longest, 0, "");
    }

    void names() {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, output);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        RawDir raw;
        const QByteArray folder = raw.folder + '/';
        QVERIFY(writeRaw(folder + input, factorySettings()));
        // What the decoded names would reach: another input, an unrelated file.
        const QByteArray other = "\xef\xbf\xbd";
        if (input.contains('\xff')) {
            QVERIFY(writeRaw(folder + QByteArray(input).replace('\xff', other), "not settings"));
        }
        if (output.contains('\xff')) {
            QVERIFY(writeRaw(folder + QByteArray(output).replace('\xff', other), "unrelated"));
        }
        const QByteArrayList before = rawEntries(folder);

        const Run run = renderRaw(folder, {"--quiet", input, output});
        QVERIFY(run.exitedNormally);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(message) && run.err.count(u'\n') == (exitCode ? 1 : 0),
                 qPrintable(run.err));
        QByteArrayList after = before;
        if (exitCode == 0) {
            after << output;
            std::sort(after.begin(), after.end());
            QVERIFY(fileBytes(QFile::decodeName(folder + output)).size() > 100);
        }
        QCOMPARE(rawEntries(folder), after); // nothing else added, nothing left behind
        if (output.contains('\xff')) {
            QCOMPARE(fileBytes(QFile::decodeName(folder + QByteArray(output).replace('\xff', other))),
                     QByteArray("unrelated"));
        }
    }

    // The window program refuses the same names at its start, with status 2
    // and nothing written: its own folder (where User.ini would go) or a
    // parameter file to open whose name is not UTF-8.
    void windowProgramNames_data() {
        columns<QByteArray, QByteArray, QString>("folder", "argument", "message");
        row("program folder not UTF-8", QByteArray("bin\xff"), QByteArray(),
            "zorvandine: the program's folder ");
        row("parameter file not UTF-8", QByteArray("bin"), QByteArray("a\xff.prm"),
            "zorvandine: bin/a\uFFFD.prm: the name is not valid UTF-8 and cannot be opened exactly\n");
    }

    void windowProgramNames() {
        QFETCH(QByteArray, folder);
        QFETCH(QByteArray, argument);
        QFETCH(QString, message);
        RawDir raw;
        const QByteArray bin = raw.folder + '/' + folder;
        QVERIFY(::mkdir(bin, 0755) == 0);
        QVERIFY(QFile::copy(ZORVANDINE_PROGRAM, QFile::decodeName(raw.folder) + "/program"));
        QVERIFY(::rename(raw.folder + "/program", bin + "/zorvandine") == 0);
        QVERIFY(writeRaw(bin + "/Default.ini", factorySettings()));
        if (!argument.isEmpty()) {
            QVERIFY(writeRaw(bin + '/' + argument, factorySettings()));
        }
        const QByteArrayList before = rawEntries(bin);
        const Run run =
            renderRaw(raw.folder,
                      argument.isEmpty() ? QByteArrayList{} : QByteArrayList{folder + '/' + argument},
                      {}, {}, bin + "/zorvandine");
        QVERIFY(run.exitedNormally);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.startsWith(message) && run.err.count(u'\n') == 1, qPrintable(run.err));
        QCOMPARE(rawEntries(bin), before);
        ::unlink(bin + '/' + argument);
        ::unlink(bin + "/zorvandine");
        ::unlink(bin + "/Default.ini");
        ::rmdir(bin);
    }

    // A standard output or error on a full device loses what the run reports:
    // the status says so, even where the picture was written. Where nothing
    // is reported (--quiet), nothing is lost; a failure keeps its own status.
    void fullStandardStreams_data() {
        columns<QByteArrayList, QString, QString, int>("arguments", "outFile", "errFile",
                                                       "exitCode");
        row("counts to a full disk", QByteArrayList{"in.ini", "out.png"}, "/dev/full", "", 4);
        row("help to a full disk", QByteArrayList{"--help"}, "/dev/full", "", 4);
        row("quiet: nothing to lose", QByteArrayList{"--quiet", "in.ini", "out.png"}, "/dev/full",
            "/dev/full", 0);
        row("wrong arguments, both full", QByteArrayList{"--bogus"}, "/dev/full", "/dev/full", 1);
        row("missing input, message to a full disk", QByteArrayList{"none.ini", "out.png"}, "",
            "/dev/full", 2);
    }

    void fullStandardStreams() {
        QFETCH(QByteArrayList, arguments);
        QFETCH(QString, outFile);
        QFETCH(QString, errFile);
        QFETCH(int, exitCode);
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path());
        QVERIFY(writeRaw(folder + "/in.ini", factorySettings()));
        const Run run = renderRaw(folder, arguments, outFile, errFile);
        QVERIFY(run.exitedNormally);
        QCOMPARE(run.exitCode, exitCode);
        if (exitCode == 4) {
            QCOMPARE(run.err, "zorvandine-render: standard output could not be written: " +
                                  qt_error_string(ENOSPC) + "\n");
        }
    }

    // A signal while the picture is written (its temporary file holding so
    // many bytes) ends the run with 128 + the signal's number and leaves the
    // folder as it was: the old picture, no temporary file.
    void signalsWhileWriting_data() {
        columns<int, qint64>("signal", "written");
        row("SIGTERM at the first bytes", SIGTERM, qint64(1));
        row("SIGINT at 1 MB", SIGINT, qint64(1'000'000));
        row("SIGHUP at 4 MB", SIGHUP, qint64(4'000'000));
    }

    void signalsWhileWriting() {
        QFETCH(int, signal);
        QFETCH(qint64, written);
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path());
        QVERIFY(writeSettings(dir.filePath("in.ini"), [](GeneralValues& g, FractalParameters& r) {
            g.FractalType = KochCurveType;
            r.KochCurve.DrawMode = RecursiveMode;
        }));
        QVERIFY(writeRaw(folder + "/out.svg", "old"));
        const QByteArrayList before = rawEntries(folder);
        QProcess p;
        // Depth 9: some 50 MB of SVG, far more than the signal waits for.
        p.start(ZORVANDINE_RENDER, {"--quiet", "--depth", "9", dir.filePath("in.ini"),
                                    dir.filePath("out.svg")});
        QVERIFY(p.waitForStarted());
        QVERIFY(QTest::qWaitFor(
            [&] {
                return p.state() != QProcess::Running ||
                       openFileSize(p.processId(), folder) >= written;
            },
            120000));
        QVERIFY2(p.state() == QProcess::Running, p.readAllStandardError().constData());
        ::kill(pid_t(p.processId()), signal);
        QVERIFY(p.waitForFinished(120000));
        QCOMPARE(fileBytes(dir.filePath("out.svg")), QByteArray("old"));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 128 + signal);
        QCOMPARE(rawEntries(folder), before);
    }

    // Too little memory or disk ends the run with one line of the program's own
    // (never an abort, nor the message the PNG encoder's library has of its own)
    // and a status: a 60 MB input the memory cannot hold (2), a picture it
    // cannot hold (3), a large noisy PNG on a full disk (3). Nothing is left
    // behind, the old picture is kept.
    void outOfRoom_data() {
        columns<QString, int, QString>("input", "exitCode", "message");
        row("60 MB input, little memory", QString("huge input"), 2,
            QString("not enough memory to read the input; nothing was written"));
        row("picture of 8192 x 8192, little memory", QString("huge picture"), 3,
            QString("cannot write out.png: no memory for a picture of this size"));
        row("large PNG on a full disk", QString("noise"), 3,
            "cannot write out.png: " + qt_error_string(EFBIG));
    }

    void outOfRoom() {
        QFETCH(QString, input);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const bool disk = input == "noise";
        if (!disk && underAddressSanitizer()) {
            QSKIP("AddressSanitizer reserves terabytes of address space: no limit fits under it");
        }
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path());
        QVERIFY(writeSettings(dir.filePath("in.ini"), [&](GeneralValues& g, FractalParameters& r) {
            g.FractalType = disk ? SierpinskyGadgetType : LSystemType;
            g.AreaWidth = g.AreaHeight = input == "huge picture" ? "4096" : "1000";
            g.RandomForeColor = disk; // noise: a PNG far above any buffer
            r.SierpinskyGadget.DrawMode = ChaosGameMode;
            r.LSystem.InitiatorString.assign(input == "huge input" ? 60'000'000 : 1, 'F');
        }));
        const QByteArrayList arguments{"--quiet", "--seed", "1", "--scale", "2", "--depth",
                                       disk ? "1000000" : "1", "in.ini", "out.png"};
        if (disk) { // far more than the writer's buffer: the encoder itself meets the full disk
            QVERIFY(renderRaw(folder, arguments).exitCode == 0);
            QVERIFY(fileBytes(dir.filePath("out.png")).size() > 150'000);
        }
        QVERIFY(writeRaw(folder + "/out.png", "old"));
        // Memory: room for the program and 40 MB more, far less than either needs.
        const Run run = renderRaw(folder, arguments, {}, {}, ZORVANDINE_RENDER,
                                  disk ? RLIMIT_FSIZE : RLIMIT_AS, disk ? 100'000 : rlim_t(150) << 20);
        QVERIFY(run.exitedNormally);
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.err, "zorvandine-render: " + message + "\n");
        QCOMPARE(rawEntries(folder), (QByteArrayList{"in.ini", "out.png"}));
        QCOMPARE(fileBytes(dir.filePath("out.png")), QByteArray("old"));
    }
};

QTEST_GUILESS_MAIN(EndingTest)
#include "tst_ending.moc"
