// The settings at start and exit: which file the window starts from, the boxes
// when files are missing or damaged, the close that is refused during a run,
// and what a close stores for the next start.

#include "FileMod.h"
#include "OutputPicture.h"
#include "QtDialogs.h"
#include "TextField.h"
#include "WindowTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

using namespace zvtest;
using zv::MessageButtons;
using zv::MessageIcon;
using zv::MessageResult;

namespace {

const QString BadTitle = QStringLiteral("Bad Error:");
const QString BadText = QStringLiteral(
    "User.ini seems to be damaged or lost.\r\nThe default settings will be loaded now.");
const QString FatalTitle = QStringLiteral("Fatal Error:");
const QString FatalText = QStringLiteral(
    "Default.ini seems to be damaged or lost.\r\nPlease reinstall the programm in order to "
    "proceed.");

// Two clearly different states; both fit an 800 x 600 screen at 15 twips a pixel.
zv::GeneralValues userGeneral() {
    zv::GeneralValues g;
    g.FractalType = zv::KochCurveType;
    g.ParamBarTag = QStringLiteral("0");
    g.Left = 3000;
    g.Top = 2400;
    g.AreaWidth = QStringLiteral("320");
    g.AreaHeight = QStringLiteral("300");
    g.BackColor = 0x00FF00;
    g.ForeColor = 0x123456;
    g.RandomForeColor = 1;
    g.CalcDepth = QStringLiteral("9");
    g.Pause = 1;
    return g;
}

zv::GeneralValues factoryGeneral() {
    zv::GeneralValues g;
    g.FractalType = zv::SierpinskyGadgetType;
    g.ParamBarTag = QStringLiteral("1");
    g.Left = 1500;
    g.Top = 1200;
    g.AreaWidth = QStringLiteral("240");
    g.AreaHeight = QStringLiteral("260");
    g.BackColor = 0x102030;
    g.ForeColor = 0x0000FF;
    g.RandomForeColor = 0;
    g.CalcDepth = QStringLiteral("6");
    g.Pause = 0;
    return g;
}

zv::FractalParameters records(int s) {
    zv::FractalParameters r;
    r.CantorSet = {0, {{{10.0 + s, 10}, {190, 10.0 + s}}}, std::int16_t(20 + s), 3};
    r.Cross = {0, {{40, 65}, {160, 65.0 + s}, {160, 185}, {40.0 + s, 185}}, true, 0.25 + s};
    r.SierpinskyGadget = {1, {{{100, 15.0 + s}, {5, 235}, {195.0 - s, 235}}}};
    r.KochCurve = {
        2,
        {{30, 80}, {170.0 - s, 80}, {100, 201}},
        s % 2 == 0,
    };
    r.LSystem = {{{{100, 245}, {100, 200.0 - s}}},
                 s == 0 ? "F" : "FX",
                 "F[+F]F[-F]F",
                 0.1 * (s + 1),
                 50.0 + s};
    return r;
}

QByteArray replaceLine(QByteArray content, int line, const QByteArray& text) {
    QList<QByteArray> lines = content.split('\n');
    lines[line - 1] = text + '\r';
    return lines.join('\n');
}

QByteArray withoutLastLines(const QByteArray& content, int count) {
    QList<QByteArray> lines = content.split('\n');
    lines.removeLast(); // after the final line end
    lines.resize(lines.size() - count);
    return lines.join('\n') + '\n';
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// The window position agrees with the stored one to within a pixel's twips;
// everything else exactly.
void compareValues(const zv::MainForm& form, const zv::GeneralValues& expected) {
    zv::GeneralValues got = form.GeneralValuesFromControls();
    QVERIFY2(std::abs(got.Left - expected.Left) <= form.Twips().twipsPerPixelX(),
             qPrintable(QStringLiteral("left %1, expected %2").arg(got.Left).arg(expected.Left)));
    QVERIFY2(std::abs(got.Top - expected.Top) <= form.Twips().twipsPerPixelY(),
             qPrintable(QStringLiteral("top %1, expected %2").arg(got.Top).arg(expected.Top)));
    got.Left = expected.Left;
    got.Top = expected.Top;
    QVERIFY(got == expected);
}

QStringList messageTitles(const FakeDialogs& d) {
    QStringList titles;
    for (const DialogCall& c : d.calls) {
        if (c.kind == DialogCall::Message) {
            titles << c.title;
        }
    }
    return titles;
}

} // namespace

class tst_Settings : public QObject {
    Q_OBJECT
private slots:
    void startUp_data();
    void startUp();
    void closeSequence_data();
    void closeSequence();
    void editsSurviveRestart_data();
    void editsSurviveRestart();
    void failedSave_data();
    void failedSave();
    void failedSaveRetried();
    void realBoxesShowTwoLines();
};

void tst_Settings::startUp_data() {
    QTest::addColumn<QByteArray>("user"); // null: no such file
    QTest::addColumn<QByteArray>("factory");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QString>("source"); // "user", "factory" or "" (program ends)

    const QByteArray user = zv::WriteSettings(userGeneral(), records(1));
    const QByteArray factory = zv::WriteSettings(factoryGeneral(), records(0));
    const QStringList bad{BadTitle};
    const QStringList both{BadTitle, FatalTitle};
    QTest::newRow("both files good") << user << factory << QStringList{} << "user";
    QTest::newRow("user file good, no factory file")
        << user << QByteArray() << QStringList{} << "user";
    QTest::newRow("first start") << QByteArray() << factory << bad << "factory";
    QTest::newRow("colour line holds a word")
        << replaceLine(user, 7, "red") << factory << bad << "factory";
    QTest::newRow("user file cut in its last section")
        << withoutLastLines(user, 2) << factory << bad << "factory";
    QTest::newRow("colour above 24 bits")
        << replaceLine(user, 8, "16777216") << factory << bad << "factory";
    QTest::newRow("neither file") << QByteArray() << QByteArray() << both << "";
    QTest::newRow("no user file, damaged factory file")
        << QByteArray() << replaceLine(factory, 11, "3") << both << "";
}

void tst_Settings::startUp() {
    QFETCH(QByteArray, user);
    QFETCH(QByteArray, factory);
    QFETCH(QStringList, titles);
    QFETCH(QString, source);

    FormFixture f;
    f.folderFilled = true;
    if (!user.isNull()) {
        writeFile(f.path("User.ini"), user);
    }
    if (!factory.isNull()) {
        writeFile(f.path("Default.ini"), factory);
    }
    const zv::FractalParameters before = static_cast<const zv::FractalParameters&>(f.model);
    f.create();

    QCOMPARE(messageTitles(f.dialogs), titles);
    for (const DialogCall& c : f.dialogs.calls) {
        // A damaged User.ini adds where it was kept (tst_HostileFiles).
        QVERIFY(c.text.startsWith(c.title == BadTitle ? BadText : FatalText));
        QCOMPARE(c.icon, MessageIcon::Critical);
        QCOMPARE(c.buttons, MessageButtons::Ok);
    }
    QCOMPARE(f.form->SettingsLoaded(), !source.isEmpty());
    if (source.isEmpty()) {
        // Nothing of a damaged file is applied, and nothing is stored at the end.
        QVERIFY(static_cast<const zv::FractalParameters&>(f.model) == before);
        QVERIFY(f.form->windowTitle().isEmpty());
        f.form->close();
        QVERIFY(!QFile::exists(f.path("User.ini")));
        return;
    }
    const zv::GeneralValues expected = source == "user" ? userGeneral() : factoryGeneral();
    compareValues(*f.form, expected);
    QVERIFY(static_cast<const zv::FractalParameters&>(f.model) ==
            (source == "user" ? records(1) : records(0)));
    QCOMPARE(f.form->windowTitle(), QStringLiteral("Zorvandine v1.0b"));
    // The stored drawing area size is the real one.
    QCOMPARE(f.form->Output_pic->innerWidth(), expected.AreaWidth.toInt());
    QCOMPARE(f.form->Output_pic->innerHeight(), expected.AreaHeight.toInt());
}

void tst_Settings::closeSequence_data() {
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("closes");
    QTest::newRow("editing") << int(zv::EditMode) << true;
    QTest::newRow("a run draws") << int(zv::WorkingMode) << false;
    QTest::newRow("a run is paused") << int(zv::PauseMode) << false;
}

void tst_Settings::closeSequence() {
    QFETCH(int, state);
    QFETCH(bool, closes);

    FormFixture f;
    QVERIFY(f.open());
    QVERIFY(QFile::remove(f.path("User.ini")));
    f.form->CalcDepth_txt->setText(QStringLiteral("7"));
    f.form->ManageGlobalStates(std::uint8_t(state));
    f.dialogs.calls.clear();

    QCOMPARE(f.form->close(), closes);
    QCOMPARE(QFile::exists(f.path("User.ini")), closes);
    if (closes) {
        QVERIFY(f.dialogs.calls.isEmpty());
        return;
    }
    QCOMPARE(f.dialogs.calls.size(), 1);
    QCOMPARE(f.dialogs.calls[0].title, QStringLiteral("Not possible:"));
    QCOMPARE(f.dialogs.calls[0].text, QStringLiteral("Please abort the current operation first."));
    QCOMPARE(f.dialogs.calls[0].icon, MessageIcon::Exclamation);
    QCOMPARE(f.dialogs.calls[0].buttons, MessageButtons::Ok);
    // The run goes on as it was.
    QCOMPARE(int(f.form->GlobalState()), state);
    QVERIFY(f.form->isVisible());

    // Once the run is over the same close stores the edit.
    f.form->ManageGlobalStates(zv::EditMode);
    QVERIFY(f.form->close());
    zv::ParameterModel model;
    FakeDialogs dialogs;
    zv::MainForm again(model, dialogs);
    QVERIFY(dialogs.calls.isEmpty());
    QCOMPARE(again.CalcDepth_txt->text(), QStringLiteral("7"));
}

void tst_Settings::editsSurviveRestart_data() {
    QTest::addColumn<QString>("edit");
    QTest::newRow("depth") << "depth";
    QTest::newRow("colours") << "colours";
    QTest::newRow("bar closed") << "bar";
    QTest::newRow("drawing area size") << "area";
    QTest::newRow("check boxes") << "checks";
    QTest::newRow("window position") << "position";
    QTest::newRow("record of a type never shown") << "record";
}

void tst_Settings::editsSurviveRestart() {
    QFETCH(QString, edit);

    FormFixture f;
    QVERIFY(f.open());
    zv::MainForm& w = *f.form;
    if (edit == "depth") {
        f.typeAndLeave(w.CalcDepth_txt, QStringLiteral("12"), w.Pause_chk);
    } else if (edit == "colours") {
        f.dialogs.colorAnswers << 0x0000FF << 0x00FFFF;
        w.BackColor_pic_Click();
        w.ForeColor_pic_Click();
    } else if (edit == "bar") {
        w.Params_btn->click();
    } else if (edit == "area") {
        f.typeAndLeave(w.AreaWidth_txt, QStringLiteral("333"), w.AreaHeight_txt);
        f.typeAndLeave(w.AreaHeight_txt, QStringLiteral("444"), w.CalcDepth_txt);
    } else if (edit == "checks") {
        w.RandomForeColor_chk->click();
        w.Pause_chk->click();
    } else if (edit == "position") {
        w.move(w.x() + 40, w.y() + 30);
    } else if (edit == "record") {
        f.model.LSystem.InitiatorString = "F++F";
        f.model.LSystem.Delta = 33.5;
    }
    QCoreApplication::processEvents();
    const zv::GeneralValues before = w.GeneralValuesFromControls();
    const zv::LSystemParams lsystem = f.model.LSystem;
    QVERIFY(w.close());

    f.form.reset();
    f.model = zv::ParameterModel{};
    f.dialogs.calls.clear();
    QVERIFY(f.open());
    QVERIFY(f.dialogs.calls.isEmpty());
    compareValues(*f.form, before);
    QVERIFY(f.model.LSystem == lsystem);
}

void tst_Settings::failedSave_data() {
    QTest::addColumn<int>("retries");
    QTest::newRow("given up at once") << 0;
    QTest::newRow("retried once") << 1;
}

// A directory where User.ini should be: every write fails, the user is told
// each time and still gets out.
void tst_Settings::failedSave() {
    QFETCH(int, retries);

    FormFixture f;
    QVERIFY(f.open());
    QVERIFY(QFile::remove(f.path("User.ini")));
    QVERIFY(QDir(f.folder.path()).mkdir(QStringLiteral("User.ini")));
    f.dialogs.calls.clear();
    for (int i = 0; i < retries; ++i) {
        f.dialogs.messageAnswers << MessageResult::Retry;
    }
    f.dialogs.messageAnswers << MessageResult::Cancel;

    QVERIFY(f.form->close());
    QCOMPARE(f.dialogs.calls.size(), retries + 1);
    for (const DialogCall& c : f.dialogs.calls) {
        QCOMPARE(c.title, QStringLiteral("Settings not saved:"));
        QVERIFY2(c.text.startsWith(QStringLiteral("User.ini could not be written")),
                 qPrintable(c.text));
        QCOMPARE(c.icon, MessageIcon::Critical);
        QCOMPARE(c.buttons, MessageButtons::RetryCancel);
    }
    QVERIFY(QFileInfo(f.path("User.ini")).isDir());
}

namespace {
// Clears the obstacle while the user reads the first failure box.
class FixingDialogs : public FakeDialogs {
public:
    QString obstacle;
    MessageResult message(const QString& title, const QString& text, MessageIcon icon,
                          MessageButtons buttons) override {
        QDir(obstacle).removeRecursively();
        return FakeDialogs::message(title, text, icon, buttons);
    }
};
} // namespace

void tst_Settings::failedSaveRetried() {
    QTemporaryDir folder;
    QVERIFY(QFile::copy(FormFixture::factorySettingsPath(), folder.filePath("Default.ini")));
    QVERIFY(QFile::copy(FormFixture::factorySettingsPath(), folder.filePath("User.ini")));
    zv::MainForm::SetProgramFolder(folder.path());
    zv::ParameterModel model;
    FixingDialogs dialogs;
    zv::MainForm form(model, dialogs);
    form.CalcDepth_txt->setText(QStringLiteral("5"));
    QVERIFY(QFile::remove(folder.filePath("User.ini")));
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("User.ini")));
    dialogs.obstacle = folder.filePath("User.ini");
    dialogs.messageAnswers << MessageResult::Retry;

    QVERIFY(form.close());
    QCOMPARE(dialogs.calls.size(), 1);
    QFile written(folder.filePath("User.ini"));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll().split('\n').value(9), QByteArray("5\r"));
    zv::MainForm::SetProgramFolder({});
}

// The real message boxes break the two sentences into two lines, whatever
// the platform makes of a CR LF.
void tst_Settings::realBoxesShowTwoLines() {
    QTemporaryDir folder;
    zv::MainForm::SetProgramFolder(folder.path());
    QStringList shown;
    QTimer answer;
    connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            QCOMPARE(box->textFormat(), Qt::PlainText);
            shown << box->windowTitle() + QLatin1Char('|') + box->text();
            box->accept();
        }
    });
    answer.start(10);
    zv::ParameterModel model;
    zv::QtDialogs dialogs;
    zv::MainForm form(model, dialogs);
    answer.stop();
    zv::MainForm::SetProgramFolder({});

    QCOMPARE(form.SettingsLoaded(), false);
    const QStringList expected{BadTitle + '|' + QString(BadText).replace("\r\n", "\n"),
                               FatalTitle + '|' + QString(FatalText).replace("\r\n", "\n")};
    QCOMPARE(shown, expected);
}

QTEST_MAIN(tst_Settings)
#include "tst_Settings.moc"
