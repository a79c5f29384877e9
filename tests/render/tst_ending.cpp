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

// Runs the renderer in folder with arguments given as raw bytes (a shell
// passes them on unchanged), standard output to outFile, under an address
// space limit (0: none).
Run renderRaw(const QByteArray& folder, const QByteArrayList& arguments,
              const QString& outFile = {}, const QString& errFile = {}, rlim_t addressSpace = 0,
              const QByteArray& program = ZORVANDINE_RENDER) {
    // Each argument goes through printf's octal escapes, so no byte is decoded.
    QString script = R"(cd "$1" && R="$2" && set --)";
    for (const QByteArray& a : arguments) {
        QString escaped;
        for (const char c : a) {
            escaped += QStringLiteral("\\0%1").arg(uint(uchar(c)), 3, 8, QChar('0'));
        }
        script += QStringLiteral(R"x( "$(printf '%b' '%1')")x").arg(escaped);
    }
    script += R"( && exec "$R" "$@")";
    // The program's path, too, may hold any byte.
    QString programEscaped;
    for (const char c : program) {
        programEscaped += QStringLiteral("\\0%1").arg(uint(uchar(c)), 3, 8, QChar('0'));
    }
    script.replace(R"(R="$2")", QStringLiteral(R"x(R="$(printf '%b' '%1')")x").arg(programEscaped));
    const QStringList shellArguments{"-c", script, "sh", QFile::decodeName(folder)};
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
    if (addressSpace > 0) {
        p.setChildProcessModifier([addressSpace] {
            const rlimit l{addressSpace, addressSpace};
            ::setrlimit(RLIMIT_AS, &l);
        });
    }
    p.start("/bin/sh", shellArguments);
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

// The factory settings drawing the Koch curve (or, with huge, a 60 MB initiator
// for the L-system).
QByteArray settingsFor(std::uint8_t type, std::size_t initiator = 0) {
    GeneralValuesCollector general;
    FractalParameters records;
    if (ReadSettings(factorySettings(), general, records)) {
        return {};
    }
    general.Values.FractalType = type;
    records.KochCurve.DrawMode = RecursiveMode;
    if (initiator > 0) {
        records.LSystem.InitiatorString.assign(initiator, 'F');
    }
    return WriteSettings(general.Values, records);
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
                      {}, {}, 0, bin + "/zorvandine");
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
        QVERIFY(writeRaw(folder + "/in.ini", settingsFor(KochCurveType)));
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

    // Too little memory ends the run with a message and a status of its own,
    // never an abort: a 60 MB input the memory cannot hold (2, nothing
    // written), a picture it cannot hold (3, the old picture kept).
    void tooLittleMemory_data() {
        columns<std::size_t, QString, int, QString>("initiator", "area", "exitCode", "message");
        row("60 MB input", std::size_t(60'000'000), QString("200"), 2,
            "zorvandine-render: not enough memory to read the input; nothing was written\n");
        row("picture of 8192 x 8192", std::size_t(0), QString("4096"), 3,
            "zorvandine-render: cannot write out.png: no memory for a picture of this size\n");
    }

    void tooLittleMemory() {
        if (underAddressSanitizer()) {
            QSKIP("AddressSanitizer reserves terabytes of address space: no limit fits under it");
        }
        QFETCH(std::size_t, initiator);
        QFETCH(QString, area);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path());
        QByteArray settings = settingsFor(LSystemType, initiator);
        settings.replace("\r\n200\r\n250\r\n", "\r\n" + area.toLatin1() + "\r\n4096\r\n");
        QVERIFY(writeRaw(folder + "/in.ini", settings));
        QVERIFY(writeRaw(folder + "/out.png", "old"));
        const QByteArrayList before = rawEntries(folder);
        // Room for the program and 40 MB more, far less than either needs.
        const Run run = renderRaw(folder, {"--depth", "1", "--scale", "2", "in.ini", "out.png"}, {}, {},
                                  rlim_t(150) << 20);
        QVERIFY(run.exitedNormally);
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.err, message);
        QCOMPARE(rawEntries(folder), before);
        QCOMPARE(fileBytes(dir.filePath("out.png")), QByteArray("old"));
    }

    // A large PNG on a full disk: one line, the program's own, and the old
    // picture as it was. (The encoder's library has a message of its own that
    // must not reach the user.)
    void fullDiskUnderALargePicture() {
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path());
        GeneralValuesCollector general;
        FractalParameters records;
        QVERIFY(!ReadSettings(factorySettings(), general, records));
        general.Values.FractalType = SierpinskyGadgetType;
        general.Values.RandomForeColor = 1; // noise: a PNG far above any buffer
        general.Values.AreaWidth = general.Values.AreaHeight = "1000";
        records.SierpinskyGadget.DrawMode = ChaosGameMode;
        QVERIFY(!WriteSettingsFile(dir.filePath("in.ini"), general.Values, records));
        const QStringList arguments{"--quiet", "--seed", "1", "--scale", "2", "--depth", "1000000",
                                    dir.filePath("in.ini"), dir.filePath("old.png")};
        QProcess p;
        p.start(ZORVANDINE_RENDER, arguments);
        QVERIFY(p.waitForFinished(120000) && p.exitCode() == 0);
        // Far more than the writer's buffer: the encoder itself meets the full disk.
        QVERIFY2(fileBytes(dir.filePath("old.png")).size() > 150'000, QByteArray::number(fileBytes(dir.filePath("old.png")).size()));
        QVERIFY(writeRaw(folder + "/old.png", "old"));
        p.setChildProcessModifier([] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit l{100'000, 100'000};
            ::setrlimit(RLIMIT_FSIZE, &l);
        });
        p.start(ZORVANDINE_RENDER, arguments);
        QVERIFY(p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit);
        QCOMPARE(p.exitCode(), ExitUnwritable);
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        QCOMPARE(err, "zorvandine-render: cannot write " + dir.filePath("old.png") + ": " +
                          qt_error_string(EFBIG) + "\n");
        QCOMPARE(fileBytes(dir.filePath("old.png")), QByteArray("old"));
        QCOMPARE(rawEntries(folder), (QByteArrayList{"in.ini", "old.png"}));
    }
};

QTEST_GUILESS_MAIN(EndingTest)
#include "tst_ending.moc"
