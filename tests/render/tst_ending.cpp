// How a render ends when the world is hostile, as the user runs it: a name
// whose bytes are not UTF-8, a signal in the middle of writing, too little
// memory or disk, a standard output on a full disk. Whatever happens, the only
// files in the folder afterwards are the user's own, as they were, and the
// exit status and one line say what went wrong. What the guarded write
// promises for every program (each signal, the longest names, a writer that
// throws) is tested with it in tst_fileformat; here what the programs decide.

#include "../DataRows.h"
#include "../HostileFiles.h"
#include "FileMod.h"

#include <QtTest>

#include <functional>
#include <sys/wait.h>

using namespace zv;
using namespace zvtest;

namespace {

// A temporary folder whose removal also takes the names QTemporaryDir cannot
// spell (it decodes them, and misses them).
struct RawDir {
    QTemporaryDir dir;
    QByteArray folder = QFile::encodeName(dir.path());
    ~RawDir() { QProcess::execute("rm", {"-rf", dir.path()}); }
};

struct Launch {
    QByteArray program = ZORVANDINE_RENDER;
    QByteArray out = "/dev/null";
    QByteArray err = {}; // empty: read back into Run::err
    int resource = RLIMIT_AS;
    rlim_t limit = RLIM_INFINITY; // a write past a file size limit fails as on a full disk
    std::function<void(pid_t)> during = [](pid_t) {};
};

struct Run {
    int status = -1; // the exit status; -1 when the program ended otherwise
    QString err;
};

// Runs a program in folder with arguments as raw bytes (QProcess would encode
// them from text); `during` acts on it while it runs.
Run run(const QByteArray& folder, const QByteArrayList& arguments, const Launch& how = {}) {
    std::vector<char*> argv{const_cast<char*>(how.program.constData())};
    for (const QByteArray& a : arguments) {
        argv.push_back(const_cast<char*>(a.constData()));
    }
    argv.push_back(nullptr);
    QTemporaryFile err;
    if (!err.open()) {
        return {};
    }
    const pid_t child = ::fork();
    if (child == 0) { // only calls that are safe between fork and exec
        const int errFd = how.err.isEmpty() ? err.handle() : ::open(how.err, O_WRONLY);
        const rlimit limit{how.limit, how.limit};
        std::signal(SIGXFSZ, SIG_IGN);
        const bool limited = ::setrlimit(__rlimit_resource_t(how.resource), &limit) == 0;
        if (::chdir(folder) == 0 && ::dup2(::open(how.out, O_WRONLY), 1) == 1 &&
            ::dup2(errFd, 2) == 2 && (limited || how.limit == RLIM_INFINITY)) {
            ::execv(argv[0], argv.data());
        }
        ::_exit(127);
    }
    how.during(child);
    int status = 0;
    if (!QTest::qWaitFor([&] { return ::waitpid(child, &status, WNOHANG) == child; }, 120000)) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
    }
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return {code, QString::fromLocal8Bit(fileBytes(err.fileName()))};
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

// What the process has written so far, in bytes (with --quiet, only its picture).
qint64 written(pid_t pid) {
    const QByteArray io = fileBytes("/proc/" + QString::number(pid) + "/io");
    return io.mid(io.indexOf("wchar: ") + 7).split('\n').value(0).toLongLong();
}

} // namespace

class EndingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { withoutDisplay(); }

    // A name with a byte that is not UTF-8 is refused with its status and one
    // line, and nothing is written: not the file the decoded name would give
    // (the replacement character's bytes), which holds something unrelated. So
    // does the window program at its start: its own folder (where User.ini
    // would go) or a parameter file to open.
    void names_data() {
        // In folder: files (a decoded name's holds "unrelated", the others the
        // factory settings), and in a folder "bin..." the window program.
        columns<QByteArray, QByteArrayList, QByteArrayList, int, QString>(
            "folder", "files", "arguments", "exitCode", "message");
        const QByteArray other = "\xef\xbf\xbd";
        row("output not UTF-8", QByteArray("w"), QByteArrayList{"in.ini", "out" + other + ".png"},
            QByteArrayList{"--quiet", "in.ini", "out\xff.png"}, 3,
            QString("zorvandine-render: cannot write out\uFFFD.png: the name is not valid"));
        row("input not UTF-8", QByteArray("w"), QByteArrayList{"in\xff.ini", "in" + other + ".ini"},
            QByteArrayList{"--quiet", "in\xff.ini", "out.png"}, 2,
            QString("zorvandine-render: in\uFFFD.ini: the name is not valid UTF-8"));
        row("window program's folder not UTF-8", QByteArray("bin\xff"),
            QByteArrayList{"Default.ini"}, QByteArrayList{}, 2,
            QString("zorvandine: the program's folder "));
        row("window program's parameter file not UTF-8", QByteArray("bin"),
            QByteArrayList{"Default.ini", "a\xff.prm", "a" + other + ".prm"},
            QByteArrayList{"a\xff.prm"}, 2,
            QString("zorvandine: a\uFFFD.prm: the name is not valid UTF-8 and cannot be opened"));
    }

    void names() {
        QFETCH(QByteArray, folder);
        QFETCH(QByteArrayList, files);
        QFETCH(QByteArrayList, arguments);
        QFETCH(QString, message);
        RawDir raw;
        const QByteArray in = raw.folder + '/' + folder + '/', made = raw.folder + "/made";
        QVERIFY(::mkdir(in, 0755) == 0);
        // Each file is made under a name QFile can spell, then renamed byte for byte.
        for (const QByteArray& name : files) {
            const bool decoded = name.contains("\xef\xbf\xbd");
            QVERIFY(writeBytes(made, decoded ? "unrelated" : factorySettings()));
            QVERIFY(::rename(made, in + name) == 0);
        }
        const bool window = folder.startsWith("bin");
        QVERIFY(!window ||
                (QFile::copy(ZORVANDINE_PROGRAM, made) && ::rename(made, in + "zorvandine") == 0));
        const QByteArrayList before = entries(in);
        const Run r = run(in, arguments, {window ? in + "zorvandine" : ZORVANDINE_RENDER});
        QTEST(r.status, "exitCode");
        QVERIFY2(r.err.startsWith(message) && r.err.count(u'\n') == 1, qPrintable(r.err));
        QCOMPARE(entries(in), before); // nothing added, nothing left behind
    }

    // A standard output or error on a full device loses what the run reports:
    // the status says so, even where the picture was written. Where nothing
    // is reported (--quiet), nothing is lost; a failure keeps its own status.
    void fullStandardStreams_data() {
        // Standard output goes to /dev/full, standard error where err says.
        columns<QByteArrayList, QByteArray, int>("arguments", "err", "exitCode");
        row("counts to a full disk", QByteArrayList{"in.ini", "out.png"}, QByteArray(), 4);
        row("wrong arguments, both full", QByteArrayList{"--bogus"}, QByteArray("/dev/full"), 1);
    }

    void fullStandardStreams() {
        QFETCH(QByteArrayList, arguments);
        QFETCH(QByteArray, err);
        QFETCH(int, exitCode);
        QTemporaryDir dir;
        QVERIFY(writeBytes(dir.filePath("in.ini"), factorySettings()));
        const Run r =
            run(QFile::encodeName(dir.path()), arguments, {.out = "/dev/full", .err = err});
        QCOMPARE(r.status, exitCode);
        const QString lost = "standard output could not be written: " + qt_error_string(ENOSPC);
        QCOMPARE(r.err, exitCode == 4 ? "zorvandine-render: " + lost + "\n" : QString());
    }

    // A run cut short ends with one line of the program's own (never an abort,
    // nor the message the PNG encoder's library has of its own) and a status: a
    // 60 MB input the memory cannot hold (2), a picture it cannot hold (3), a
    // large noisy PNG on a full disk (3), a signal once a megabyte of the picture
    // is written (128 + its number; a sanitizer's runtime may write a little at
    // the start). Nothing is left behind, the old picture is kept.
    void cutShort_data() {
        columns<QString, int, QString>("input", "exitCode", "message");
        row("60 MB input, little memory", QString("huge input"), 2,
            QString("not enough memory to read the input; nothing was written"));
        row("picture of 8192 x 8192, little memory", QString("huge picture"), 3,
            QString("cannot write out.png: no memory for a picture of this size"));
        row("large PNG on a full disk", QString("noise"), 3,
            "cannot write out.png: " + qt_error_string(EFBIG));
        row("SIGTERM while the picture is written", QString("signal"), 128 + SIGTERM, QString());
    }

    void cutShort() {
        QFETCH(QString, input);
        QFETCH(QString, message);
        const bool memory = input.startsWith("huge"), disk = input == "noise";
        const bool signal = input == "signal";
        if (memory && underAddressSanitizer()) {
            QSKIP("AddressSanitizer reserves terabytes of address space: no limit fits under it");
        }
        QTemporaryDir dir;
        const QByteArray out = signal ? "out.svg" : "out.png";
        QVERIFY(writeSettings(dir.filePath("in.ini"), [&](GeneralValues& g, FractalParameters& r) {
            g.FractalType = disk ? SierpinskyGadgetType : signal ? KochCurveType : LSystemType;
            g.AreaWidth = g.AreaHeight = input == "huge picture" ? "4096" : "1000";
            g.RandomForeColor = disk; // noise: a PNG far above any buffer
            r.SierpinskyGadget.DrawMode = ChaosGameMode;
            r.KochCurve.DrawMode = RecursiveMode;
            r.LSystem.InitiatorString.assign(input == "huge input" ? 60'000'000 : 1, 'F');
        }));
        // The Koch curve at depth 9: some 50 MB of SVG, far more than the signal waits for.
        const QByteArray depth = disk ? "1000000" : signal ? "9" : "1";
        const QByteArrayList arguments{"--quiet", "--seed", "1",      "--scale", "2",
                                       "--depth", depth,    "in.ini", out};
        QVERIFY(writeBytes(dir.filePath(out), "old"));
        Launch how{.resource = disk ? RLIMIT_FSIZE : RLIMIT_AS};
        // Memory: room for the program and 40 MB more, far less than either needs.
        how.limit = memory ? rlim_t(150) << 20 : disk ? 100'000 : RLIM_INFINITY;
        if (signal) {
            how.during = [&](pid_t pid) {
                QVERIFY(QTest::qWaitFor([&] { return written(pid) > 1'000'000; }, 120000));
                ::kill(pid, SIGTERM);
            };
        }
        const Run r = run(QFile::encodeName(dir.path()), arguments, how);
        QTEST(r.status, "exitCode");
        QCOMPARE(r.err, message.isEmpty() ? message : "zorvandine-render: " + message + "\n");
        QCOMPARE(entries(QFile::encodeName(dir.path())), (QByteArrayList{"in.ini", out}));
        QCOMPARE(fileBytes(dir.filePath(out)), QByteArray("old"));
    }
};

QTEST_GUILESS_MAIN(EndingTest)
#include "tst_ending.moc"
