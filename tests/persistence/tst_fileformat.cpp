// The settings / parameter file format (written layout, reading rules and
// failures, write-then-read over random models in two locales), the guarded
// read and write every file goes through, and where the files live.

#include "../DataRows.h"
#include "../HostileFiles.h"
#include "FileMod.h"
#include "Gallery.h"
#include "GuardedFile.h"
#include "ProgramFiles.h"
#include "ShownText.h"

#include <QRandomGenerator>
#include <QtTest>
#include <cfloat>
#include <sys/file.h>
#include <sys/wait.h>

using namespace zv;
using namespace zvtest;

namespace {

QStringList splitLines(const QByteArray& content) { // content ends in CR LF
    return QString::fromLatin1(content.chopped(2)).split(QStringLiteral("\r\n"));
}

// A typical User.ini: Cross of 4 fix points (count line 20, x0 on line 21,
// ConnectLast 29, DecreaseFactor 30), Koch curve of 3.
const FractalParameters SampleRecords{{0, {{{20, 30}, {180, 30}}}, 20, 3},
                                      {0, {{40, 60}, {160, 60}, {160, 190}, {40, 190}}, true, 0.5},
                                      {1, {{{100, 20}, {15, 230}, {185, 230}}}},
                                      {0, {{20, 80}, {180, 80}, {100, 218.5}}, true},
                                      {{{{100, 240}, {100, 0}}}, "F", "F[+F]F[-F]F", 2.5, 25.7}};
const GeneralValues SampleGeneral{.FractalType = KochCurveType, .Left = 1500};

struct ModelMaker {
    QRandomGenerator random_;
    double coordinate() { // integral, extreme, or fractional and negative
        static constexpr double extremes[] = {DBL_MAX, -DBL_MIN, DBL_TRUE_MIN, 1e15 + 0.5, 0.1};
        const int kind = random_.bounded(6);
        return kind == 0 ? random_.bounded(-1000, 1000)
               : kind == 1
                   ? extremes[random_.bounded(5)]
                   : (random_.generateDouble() - 0.5) * std::pow(10, random_.bounded(-3, 7));
    }
    FixPoint point() { return {coordinate(), coordinate()}; }
    std::vector<FixPoint> points() {
        std::vector<FixPoint> p(static_cast<std::size_t>(random_.bounded(2, 9)));
        std::generate(p.begin(), p.end(), [this] { return point(); });
        return p;
    }
    std::string text() { // the L-system alphabet plus everything that upsets a list field
        std::string t(static_cast<std::size_t>(random_.bounded(14)), ' ');
        std::generate(t.begin(), t.end(),
                      [this] { return "F+-[]f, \t\"'\xe9;0"[random_.bounded(14)]; });
        return t;
    }
    std::uint8_t byte() { return static_cast<std::uint8_t>(random_.bounded(256)); }
    FractalParameters records() {
        return {
            {byte(), {{point(), point()}}, std::int16_t(random_.bounded(-32768, 32768)), byte()},
            {byte(), points(), random_.bounded(2) == 1, coordinate()},
            {byte(), {{point(), point(), point()}}},
            {byte(), points(), random_.bounded(2) == 1},
            {{{point(), point()}}, text(), text(), coordinate(), coordinate()}};
    }
    GeneralValues general() { // Left is a Long: whole twips only
        static const QStringList texts = {"200", " 35", "1,5", "\"x\"", "", "a, b"};
        return {.FractalType = std::uint8_t(random_.bounded(FractalTypeCount)),
                .Left = double(random_.bounded(-100000, 100000)),
                .AreaWidth = texts[random_.bounded(int(texts.size()))],
                .BackColor = random_.bounded(0x1000000)};
    }
};

} // namespace

class FileFormatTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // The sample settings, with lines ended by LF alone, and one line replaced,
    // the file cut before it ("<cut>") or every line in blanks and tabs
    // ("<pad>"): the line that fails (0: none), and that line as the model read
    // writes it again.
    void reading_data() {
        columns<QString, int, QString, int, QString>("locale", "lineNumber", "lineText",
                                                     "failureLine", "rewritten");
        row("count line", "en_US", 20, " 3", 0, " 3");
        row("line field, German", "de_DE", 30, "0,5", 0, "0,5");
        row("0,5 in a line field, English", "en_US", 30, "0,5", 0, "0.5");
        row("comma and quotes", "en_US", 52, R"("""a"", b")", 0, R"("""a"", b")");
        row("leading quote alone: taken as written", "en_US", 51, "\"F", 0, R"("""F")");
        row("text after a closing quote: as written", "en_US", 51, R"("F"F)", 0, R"("""F""F")");
        row("blanks and tabs around every value", "en_US", 52, "<pad>", 0, "F[+F]F[-F]F");
        row("ElementsCount 255 reads", "en_US", 18, "255", 0, "255");
        row("ElementsCount 256 fails", "en_US", 18, "256", 18, "3");
        // An old file's decimal comma in a list field is cut there, as always;
        // what was read before the failing line stays applied.
        row("old decimal-comma coordinate", "de_DE", 21, "12,5", 28, "12");
        row("NaN coordinate fails", "en_US", 21, "nan", 21, "0");
        row("point and comma in a line field", "en_US", 30, "1.000,5", 30, "0.5");
        row("file ends in the cross: unread y1 is 0", "en_US", 24, "<cut>", 24, "0");
    }

    void reading() {
        QFETCH(QString, locale);
        QFETCH(int, lineNumber);
        QFETCH(QString, lineText);
        QStringList lines = splitLines(WriteSettings(SampleGeneral, SampleRecords));
        QLocale::setDefault(QLocale(locale));
        if (lineText == u"<cut>") {
            lines = lines.mid(0, lineNumber - 1);
        } else if (lineText == u"<pad>") {
            lines.replaceInStrings(QRegularExpression("^(.*)$"), " \t\\1\t ");
        } else {
            lines[lineNumber - 1] = lineText;
        }
        FractalParameters r; // differs everywhere, so "stays applied" is visible
        r.Cross.FixPoints.assign(7, FixPoint{-1, -1});
        GeneralValuesCollector target;
        const std::optional<ReadFailure> failure =
            ReadSettings((lines.join(u'\n') + u'\n').toLatin1(), target, r);
        QTEST(failure ? failure->Line : 0, "failureLine");
        QTEST(splitLines(WriteSettings(target.Values, r)).value(lineNumber - 1), "rewritten");
    }

    // Neither a missing file, a FIFO nor a file past the size limit is read (the
    // FIFO is refused unopened).
    void unreadableFiles() {
        QTemporaryDir dir;
        FractalParameters records;
        GeneralValuesCollector target;
        QFile big(dir.filePath("big")); // sparse: it takes no disk space
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(MaxFileBytes));
        QCOMPARE(ReadGuardedFile(big.fileName()).bytes.size(), MaxFileBytes);
        QVERIFY(big.resize(MaxFileBytes + 1));
        FifoWatch fifo(dir.filePath("fifo"));
        for (const QString& bad :
             {dir.filePath("none.ini"), dir.filePath("fifo"), dir.filePath("big")}) {
            const std::optional<ReadFailure> failure = ReadSettingsFile(bad, target, records);
            QVERIFY2(failure && failure->Line == 0, qPrintable(bad));
        }
        QVERIFY(fifo.made() && !fifo.opened());
        QCOMPARE(ReadGuardedFile(dir.filePath("big")).reason, QString("larger than 64 MiB"));
    }

    // Random models, written in English and German alternately, read back as
    // they were. (A parameter file's reading goes through the same sections;
    // which section it holds, the import and the renderer's figures show.)
    void randomModels() {
        ModelMaker maker{QRandomGenerator(1)};
        for (int i = 0; i < 600; ++i) {
            QLocale::setDefault(QLocale(i % 2 ? "de_DE" : "en_US"));
            const FractalParameters written = maker.records();
            const GeneralValues general = maker.general();
            const QByteArray settings = WriteSettings(general, written);
            FractalParameters read;
            GeneralValuesCollector target;
            QVERIFY2(!ReadSettings(settings, target, read) && read == written &&
                         target.Values == general,
                     settings.constData());
        }
    }

    // A stored position is pulled back onto the screen: left edge first, then
    // the right edge; a top above the screen goes to 2, and the bottom keeps
    // 400 twips clear. Screen 19200 x 14400 twips, window 7425 x 5085.
    void keepWindowOnScreen_data() {
        columns<QPoint, QPoint>("stored", "kept");
        row("above and left", QPoint(-500, -10), QPoint(0, 2));
        row("past the bottom", QPoint(1000, 12000), QPoint(1000, 14400 - 5085 - 400));
        row("far away", QPoint(INT_MAX, INT_MIN), QPoint(19200 - 7425, 2));
    }

    void keepWindowOnScreen() {
        QFETCH(QPoint, stored);
        const WindowPosition kept =
            KeepWindowOnScreen({stored.x(), stored.y()}, 7425, 5085, 19200, 14400);
        QTEST(QPoint(kept.Left, kept.Top), "kept");
    }

    // The new content replaces the file whole, keeping its mode.
    void guardedWrite_data() {
        columns<QString, QByteArray>("kind", "linkedAfter");
        row("the old file's mode is kept", "file", QByteArray());
        row("own link beside it is followed", "own link", QByteArray("new"));
        row("someone else's link is replaced", "foreign link", QByteArray("old"));
    }

    void guardedWrite() {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath("User.ini"), linked = dir.filePath("linked.ini");
        QVERIFY(writeBytes(kind == "file" ? path : linked, "old"));
        QVERIFY(kind == "file" || QFile::link(linked, path));
        if (kind == "foreign link" && ::lchown(QFile::encodeName(path), 65534, 65534)) {
            QSKIP("giving a link to another user needs root");
        }
        // Group-writable: neither what the umask leaves nor what a new file gets.
        QVERIFY(::chmod(QFile::encodeName(kind == "file" ? path : linked), 0660) == 0);

        QCOMPARE(WriteGuardedFile(path, "new"), std::nullopt);
        QCOMPARE(fileBytes(path), QByteArray("new"));
        QTEST(fileBytes(linked), "linkedAfter");
        QVERIFY(kind == "foreign link" || QFileInfo(path).permission(QFile::WriteGroup));
    }

    // Controls escaped, and at most 60 characters, never half a pair.
    void shownText() {
        QCOMPARE(ShownText(QStringLiteral("a\u009bb\u202e\r")), QString(R"(a\x9bb\u202e\x0d)"));
        QCOMPARE(ShownText(QString(60, 'a')), QString(60, 'a'));
        QCOMPARE(ShownText(QString(59, 'a') + QStringLiteral("\U0001F600")),
                 QString(59, 'a') + "...");
    }

    // A save of User.ini removes what killed saves of it left behind, and
    // nothing else: not the user's own files whatever they look like, not the
    // leftovers of another target's save, not a folder of that name,
    // not a file some other user owns, not the file of a save still under way.
    void saveLeftovers_data() {
        // form: file, folder, held (a running save's lock), foreign (another owner)
        columns<QByteArray, QString, bool>("name", "form", "removed");
        const QByteArray ours = SaveTemporaryName("User.ini", 0xab12);
        row("killed save of User.ini", ours, "file", true);
        // The user's own files, and what a save of old left (NAME.XXXXXX).
        for (const char* own : {"User.ini.backup", "User.ini.orig01", "User.ini.Ab12Cd"}) {
            row(own, QByteArray(own), "file", false);
        }
        row("another target's leftover", SaveTemporaryName("Default.ini", 0xab12), "file", false);
        row("capital hex digits", QByteArray(ours).replace("ab12", "AB12"), "file", false);
        row("one digit more", QByteArray(ours).replace(".tmp", "0.tmp"), "file", false);
        row("folder of that name", ours, "folder", false);
        row("save under way", ours, "held", false);
        row("another user's", ours, "foreign", false);
    }

    void saveLeftovers() {
        QFETCH(QByteArray, name);
        QFETCH(QString, form);
        QFETCH(bool, removed);
        QTemporaryDir dir;
        const QString path = dir.filePath(QFile::decodeName(name));
        QVERIFY(form == "folder" ? QDir().mkdir(path) : writeBytes(path, "x"));
        const int held = form == "held" ? ::open(QFile::encodeName(path), O_RDONLY) : -1;
        QVERIFY(form != "held" || ::flock(held, LOCK_EX) == 0);
        if (form == "foreign" && ::chown(QFile::encodeName(path), 65534, 65534) != 0) {
            QSKIP("giving a file to another user needs root");
        }
        for (const auto kind : {TemporaryKind::UnnamedWherePossible, TemporaryKind::Named}) {
            QCOMPARE(WriteGuardedFile(dir.filePath("User.ini"), "new", kind), std::nullopt);
        }
        ::close(held);
        QCOMPARE(QFileInfo::exists(path), !removed);
        QCOMPARE(entries(QFile::encodeName(dir.path())).size(), removed ? 1 : 2);
    }

    // A save that ends early, in a child process: an exception such as memory
    // running out, or a signal, which ends the process with 128 + its number
    // and takes the temporary file with it (named or not); the old file stays.
    // SIGKILL, which no handler sees, leaves at most the named temporary file,
    // which the next save of the same file removes. The temporary file lies in
    // the folder while the content is written and fits any name the file
    // system takes (255 bytes).
    void interruptedSave_data() {
        // ending: 0, -1 throws, or a signal; status: the exit status, or minus the killing signal
        columns<QByteArray, bool, int, int>("name", "named", "ending", "status");
        const QByteArray user = "User.ini";
        row("255 bytes, named temporary", QByteArray(251, 'n') + ".png", true, 0, 0);
        row("out of memory, named temporary", user, true, -1, 1);
        row("SIGTERM, named temporary", user, true, int(SIGTERM), 128 + SIGTERM);
        row("SIGINT, named temporary", user, true, int(SIGINT), 128 + SIGINT);
        row("SIGHUP, unnamed temporary", user, false, int(SIGHUP), 128 + SIGHUP);
        row("SIGKILL, named temporary", user, true, int(SIGKILL), -SIGKILL);
    }

    void interruptedSave() {
        QFETCH(QByteArray, name);
        QFETCH(bool, named);
        QFETCH(int, ending);
        QTemporaryDir dir;
        const QString path = dir.filePath(QFile::decodeName(name));
        QVERIFY(writeBytes(path, "old"));
        const auto kind = named ? TemporaryKind::Named : TemporaryKind::UnnamedWherePossible;
        // In the child, exit status 1: thrown, 2: the temporary file not in the folder.
        const auto write = [&](QIODevice& device) -> std::optional<QString> {
            device.write("new");
            if (entries(QFile::encodeName(dir.path())).size() != (named ? 2 : 1)) {
                ::_exit(2);
            }
            if (ending == -1) {
                throw std::bad_alloc();
            }
            ::raise(ending); // 0 sends nothing
            return std::nullopt;
        };
        const pid_t child = ::fork();
        if (child == 0) {
            EndOnSignalsWithoutLeftovers();
            try {
                WriteGuardedFile(path, write, kind);
            } catch (const std::bad_alloc&) {
                ::_exit(1);
            }
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QTEST(WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status), "status");
        QCOMPARE(fileBytes(path), ending ? QByteArray("old") : QByteArray("new"));
        if (ending == SIGKILL) { // its temporary file is left, for the next save to remove
            QCOMPARE(entries(QFile::encodeName(dir.path())).size(), 2);
            QCOMPARE(WriteGuardedFile(path, "newer"), std::nullopt);
        }
        QCOMPARE(entries(QFile::encodeName(dir.path())), QByteArrayList{name});
    }

    // A new "Saved Parameter" folder receives the example files, found beside
    // the program (bin/gallery) before the installed share folder; an existing
    // folder is never filled again.
    void parameterFolder_data() {
        // files: "path=content" below the prefix; expected: "name=content;...", "-": no Examples
        columns<QStringList, QString, bool>("files", "expected", "created");
        const QString near = "bin/gallery/", far = "share/zorvandine/gallery/";
        row("beside the program before installed",
            QStringList{near + "a.prm=near", near + "b.prm=2", near + "n.txt=x", far + "a.prm=far"},
            QString("a.prm=near;b.prm=2"), true);
        row("installed", QStringList{far + "c.prm=3"}, QString("c.prm=3"), true);
        row("folder already there", QStringList{near + "a.prm=1", "bin/Saved Parameter/m.prm=m"},
            QString("-"), true);
        row("a file in the folder's way", QStringList{near + "a.prm=1", "bin/Saved Parameter=f"},
            QString("-"), false);
    }

    void parameterFolder() {
        QFETCH(QStringList, files);
        QFETCH(QString, expected);
        QFETCH(bool, created);
        QTemporaryDir prefix;
        const QDir root(prefix.path());
        QVERIFY(root.mkpath("bin"));
        for (const QString& f : files) {
            const QString path = root.filePath(f.section(u'=', 0, 0));
            QVERIFY(QDir().mkpath(QFileInfo(path).path()) &&
                    writeBytes(path, f.section(u'=', 1).toLatin1()));
        }
        const QString folder = root.filePath("bin/Saved Parameter");
        QCOMPARE(CreateParameterFolder(folder, FindGallery(root.filePath("bin"))), created);
        const QDir examples(folder + "/Examples");
        QStringList found;
        for (const QString& name : examples.entryList(QDir::Files, QDir::Name)) {
            found << name + u'=' + fileBytes(examples.filePath(name));
        }
        QCOMPARE(examples.exists() ? found.join(u';') : QString("-"), expected);
    }

    // Where settings and parameter files go: the folder of the settings read,
    // of those written, of the factory settings and of "Saved Parameter". P: the
    // program folder (prefix/bin), S: prefix/share/zorvandine, C: the user's
    // configuration, D: the user's data.
    void programFiles_data() {
        // first: no User.ini of the user's yet, which is no loss.
        columns<QString, bool, QString, bool>("existing", "writable", "expected", "first");
        row("read-only, User.ini beside it", "P/Default.ini P/User.ini", false, "PCPD", false);
        row("read-only, own User.ini wins", "P/Default.ini P/User.ini C/User.ini", false, "CCPD",
            false);
        row("installed, bin writable by the administrator", "S/Default.ini", true, "CCSD", true);
        row("factory settings beside it first", "P/Default.ini S/Default.ini", true, "PPPP", false);
    }

    void programFiles() {
        QFETCH(QString, existing);
        QFETCH(bool, writable);
        QFETCH(QString, expected);
        QTemporaryDir root;
        const QMap<QChar, QString> folders{{u'P', root.filePath("prefix/bin/")},
                                           {u'S', root.filePath("prefix/share/zorvandine/")},
                                           {u'C', root.filePath("config/")},
                                           {u'D', root.filePath("data/")}};
        for (const QString& f : existing.split(u' ')) {
            QVERIFY(QDir().mkpath(folders[f[0]]) && writeBytes(folders[f[0]] + f.mid(2), ""));
        }
        const ProgramFiles files = programFilesIn(
            {folders[u'P'].chopped(1), writable, folders[u'C'].chopped(1), folders[u'D']});
        QCOMPARE(files.userSettings, folders[expected[0]] + "User.ini");
        QCOMPARE(files.userSettingsWrite, folders[expected[1]] + "User.ini");
        QCOMPARE(files.factorySettings, folders[expected[2]] + "Default.ini");
        QCOMPARE(files.savedParameters, folders[expected[3]] + "Saved Parameter/");
        QTEST(files.firstStart, "first");
    }
};

QTEST_GUILESS_MAIN(FileFormatTest)
#include "tst_fileformat.moc"
