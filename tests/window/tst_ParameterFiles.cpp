// Parameter file export and import through the buttons, the file choice with
// its typed-path fallback, and damaged or unwritable files.

#include "FileMod.h"
#include "OutputPicture.h"
#include "TextField.h"
#include "WindowTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QTimer>

using namespace zvtest;
using zv::FileDialogResult;
using zv::MessageButtons;
using zv::MessageIcon;
using zv::MessageResult;

Q_DECLARE_METATYPE(zv::FileDialogResult)

namespace {

// Records the window can show as they are: allowed draw modes, 2 to 8 points.
zv::FractalParameters showable() {
    zv::FractalParameters r;
    r.CantorSet = {3, {{{12, 14}, {180, 14}}}, 21, 4};
    r.Cross = {0, {{40, 60}, {150, 65}, {155, 180}, {45, 185}, {100, 120}}, true, 0.375};
    r.SierpinskyGadget = {1, {{{90, 20}, {10, 230}, {190, 225}}}};
    r.KochCurve = {0, {{30, 80}, {170, 85}, {100, 200}}, false};
    r.LSystem = {{{{100, 240}, {105, 190}}}, "FX", "F[+F]F[-F]F", 0.25, 22.5};
    return r;
}

void selectType(FormFixture& f, int type) {
    f.form->FractalType_cmb->setCurrentIndex(type);
    f.form->FractalType_cmb_Click();
    QTRY_VERIFY(!f.form->Unload_tmr->isActive());
}

FileDialogResult chosen(const QString& path) {
    FileDialogResult r;
    r.path = path;
    return r;
}

FileDialogResult failing(int number, const QString& text = {}) {
    FileDialogResult r;
    r.failed = true;
    r.errorNumber = number;
    r.errorText = text;
    return r;
}

QString callText(const DialogCall& c) {
    switch (c.kind) {
    case DialogCall::Message:
        return QStringLiteral("box %1 %2").arg(c.title, c.text);
    case DialogCall::Input:
        return QStringLiteral("input %1 %2").arg(c.title, c.text);
    case DialogCall::OpenFile:
        return QStringLiteral("open %1").arg(c.title);
    case DialogCall::SaveFile:
        return QStringLiteral("save %1").arg(c.title);
    default:
        return QStringLiteral("colour");
    }
}

const QString OpenFailure = QStringLiteral(
    "box Fehler: Der 'Datei laden'-Dialog konnte wegen eines globalen "
    "Betriebssystemfehlers nicht geladen werden.\r\nSie können nun immer noch den Pfad der "
    "Datei manuell angeben.\r\nAlternativ benutzen Sie Datei-Drag&Drop vom Explorer.");
const QString SaveFailure =
    QStringLiteral("box Fehler: Der 'Datei speichern'-Dialog konnte wegen eines globalen "
                   "Betriebssystemfehlers nicht geladen werden.\r\nSie können nun immer noch "
                   "den Pfad manuell angeben.");
const QString PictureFailure =
    QStringLiteral("box Fehler: Der 'Bild speichern'-Dialog konnte wegen eines globalen "
                   "Betriebssystemfehlers nicht geladen werden.\r\nSie können nun immer noch "
                   "den Pfad manuell angeben.");
const QString OpenInput = QStringLiteral(
    "input Datei laden: Bitte tippen sie den vollständigen Pfad der Datei manuell ein.");
const QString SaveInput = QStringLiteral(
    "input Datei speichern: Bitte tippen sie den vollständigen Speicher-Pfad manuell ein.");
const QString PictureInput = QStringLiteral(
    "input Bild speichern: Bitte tippen sie den vollständigen Speicher-Pfad manuell ein.");
const QString Missing = QStringLiteral("box Error: Dieser Dateipfad existiert nicht!");
const QString Fatal = QStringLiteral("box Fataler Fehler: 4711\r\nno dialog today");
const QString Choice =
    QStringLiteral("box Auswahl: Wiederholen - Versuchen die normale Programmausführung wieder "
                   "aufzunehmen\r\nAbbrechen - Programm beenden");

} // namespace

class tst_ParameterFiles : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void damagedFile_data();
    void damagedFile();
    void cancelledImportKeepsEdits();
    void dialogRequests_data();
    void dialogRequests();
    void fileChoice_data();
    void fileChoice();
    void exportFailure_data();
    void exportFailure();
};

void tst_ParameterFiles::roundTrip_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("commandLine"); // the file named at start instead of chosen
    for (int t = 0; t < zv::FractalTypeCount; ++t) {
        QTest::newRow(qPrintable(QStringLiteral("type %1").arg(t))) << t << false;
    }
    QTest::newRow("type 3 named on the command line") << 3 << true;
}

// Export writes what the window shows; importing it after other changes brings
// the window and that type's record back, and leaves the other records alone.
void tst_ParameterFiles::roundTrip() {
    QFETCH(int, type);
    QFETCH(bool, commandLine);

    FormFixture f;
    QVERIFY(f.open());
    zv::MainForm& w = *f.form;
    static_cast<zv::FractalParameters&>(f.model) = showable();
    selectType(f, type);
    w.CalcDepth_txt->setText(QStringLiteral("8"));
    f.dialogs.colorAnswers << 0x204060;
    w.BackColor_pic_Click();
    w.Pause_chk->setChecked(true);

    const QString file = f.path("Saved Parameter/round trip.prm");
    f.dialogs.fileAnswers << chosen(file);
    w.Export_btn->click();
    const zv::GeneralValues exported = w.GeneralValuesFromControls();
    QVERIFY(f.model == showable());
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readLine(), QByteArray::number(type) + "\r\n");
    written.close();

    // Another type, other common values, another record of the exported type.
    selectType(f, (type + 1) % zv::FractalTypeCount);
    w.CalcDepth_txt->setText(QStringLiteral("2"));
    w.Pause_chk->setChecked(false);
    w.Params_btn->click();
    zv::FractalParameters changed = showable();
    changed.CantorSet.StepHeight = 5;
    changed.Cross.DecreaseFactor = 0.75;
    changed.SierpinskyGadget.FixPoints[1].X = 1;
    changed.KochCurve.FixPoints.pop_back();
    changed.LSystem.InitiatorString = std::string(1, 'F');
    static_cast<zv::FractalParameters&>(f.model) = changed;

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
    // Only the imported type's record comes back from the file.
    const zv::FractalParameters source = showable();
    zv::FractalParameters expected = changed;
    expected.CantorSet = type == zv::CantorSetType ? source.CantorSet : changed.CantorSet;
    expected.Cross = type == zv::CrossType ? source.Cross : changed.Cross;
    expected.SierpinskyGadget =
        type == zv::SierpinskyGadgetType ? source.SierpinskyGadget : changed.SierpinskyGadget;
    expected.KochCurve = type == zv::KochCurveType ? source.KochCurve : changed.KochCurve;
    expected.LSystem = type == zv::LSystemType ? source.LSystem : changed.LSystem;
    QVERIFY(f.model == expected);
    // The imported file is closed: exporting over it at once works.
    f.dialogs.fileAnswers << chosen(file);
    w.Export_btn->click();
    QCOMPARE(f.dialogs.calls.size(), commandLine ? 1 : 2);
}

void tst_ParameterFiles::damagedFile_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("line"); // 0: cut the file after that many lines instead
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("keepLines");
    QTest::newRow("type 7") << 0 << 1 << QByteArray("7") << -1;
    QTest::newRow("colour line holds a word") << 2 << 7 << QByteArray("blue") << -1;
    QTest::newRow("elements count 256") << 0 << 18 << QByteArray("256") << -1;
    QTest::newRow("negative count line") << 1 << 13 << QByteArray("-1") << -1;
    QTest::newRow("ends inside the type section") << 3 << 0 << QByteArray() << 15;
    QTest::newRow("empty file") << 4 << 0 << QByteArray() << 0;
}

// Nothing of a damaged file reaches the window or the model, and no refresh
// overwrites the fields.
void tst_ParameterFiles::damagedFile() {
    QFETCH(int, type);
    QFETCH(int, line);
    QFETCH(QByteArray, text);
    QFETCH(int, keepLines);

    zv::GeneralValues general;
    general.FractalType = std::uint8_t(type);
    general.ParamBarTag = QStringLiteral("0");
    general.BackColor = 0x0000FF;
    general.CalcDepth = QStringLiteral("3");
    QList<QByteArray> lines = zv::WriteParameters(general, showable()).split('\n');
    lines.removeLast();
    if (line > 0) {
        lines[line - 1] = text + '\r';
    } else {
        lines.resize(keepLines);
    }
    FormFixture f;
    QVERIFY(f.open());
    const QString file = f.path("damaged.prm");
    {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        for (const QByteArray& l : lines) {
            out.write(l + '\n');
        }
    }
    zv::MainForm& w = *f.form;
    const zv::GeneralValues before = w.GeneralValuesFromControls();
    const zv::FractalParameters records = f.model;
    f.dialogs.calls.clear();
    f.dialogs.fileAnswers << chosen(file);

    w.Import_btn->click();
    QCOMPARE(f.dialogs.calls.size(), 2);
    QCOMPARE(f.dialogs.calls[1].title, QStringLiteral("Error:"));
    QCOMPARE(f.dialogs.calls[1].text, QStringLiteral("Parameter-File is damaged!"));
    QCOMPARE(f.dialogs.calls[1].icon, MessageIcon::Critical);
    QCOMPARE(f.dialogs.calls[1].buttons, MessageButtons::Ok);
    QVERIFY(!w.Unload_tmr->isActive());
    QVERIFY(w.GeneralValuesFromControls() == before);
    QVERIFY(f.model == records);
}

void tst_ParameterFiles::cancelledImportKeepsEdits() {
    FormFixture f;
    QVERIFY(f.open());
    zv::MainForm& w = *f.form;
    w.CalcDepth_txt->setText(QStringLiteral("13"));
    w.StepHeight_txt->setText(QStringLiteral("31"));
    f.dialogs.calls.clear();
    w.Import_btn->click();
    QCOMPARE(f.dialogs.calls.size(), 1);
    QVERIFY(!w.Unload_tmr->isActive());
    QCoreApplication::processEvents();
    QCOMPARE(w.CalcDepth_txt->text(), QStringLiteral("13"));
    QCOMPARE(w.StepHeight_txt->text(), QStringLiteral("31"));
}

void tst_ParameterFiles::dialogRequests_data() {
    QTest::addColumn<QString>("member");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("folder"); // below the program folder
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("import") << "open" << int(DialogCall::OpenFile) << "Paramaterdatei laden:"
                            << "Saved Parameter/"
                            << "Parameter-Dateien (*.prm)"
                            << "";
    QTest::newRow("export") << "save" << int(DialogCall::SaveFile) << "Paramaterdatei speichern:"
                            << "Saved Parameter/"
                            << "Parameter-Dateien (*.prm)"
                            << "prm";
    QTest::newRow("picture") << "picture" << int(DialogCall::SaveFile) << "Bild speichern:"
                             << ""
                             << "Bitmap-Dateien (*.bmp)"
                             << "bmp";
}

void tst_ParameterFiles::dialogRequests() {
    QFETCH(QString, member);
    QFETCH(int, kind);
    QFETCH(QString, title);
    QFETCH(QString, folder);
    QFETCH(QString, filter);
    QFETCH(QString, suffix);

    FormFixture f;
    QVERIFY(f.open());
    f.dialogs.calls.clear();
    const QString got = member == "open"   ? f.form->AskParameterFileToOpen()
                        : member == "save" ? f.form->AskParameterFileToSave()
                                           : f.form->AskPictureFileToSave();
    QCOMPARE(got, QString());
    QCOMPARE(f.dialogs.calls.size(), 1);
    const DialogCall& c = f.dialogs.calls[0];
    QCOMPARE(int(c.kind), kind);
    QCOMPARE(c.file.title, title);
    // The picture starts in the program folder itself, without a separator.
    if (folder.isEmpty()) {
        QCOMPARE(c.file.initialFolder + '/', zv::MainForm::ProgramFolder());
    } else {
        QCOMPARE(c.file.initialFolder, zv::MainForm::ProgramFolder() + folder);
    }
    QCOMPARE(c.file.filter, filter);
    QCOMPARE(c.file.defaultSuffix, suffix);
    QVERIFY(c.file.confirmOverwrite);
}

void tst_ParameterFiles::fileChoice_data() {
    QTest::addColumn<QString>("member");
    QTest::addColumn<int>("state");
    QTest::addColumn<FileDialogResult>("dialog");
    QTest::addColumn<QList<int>>("answers"); // MessageResult of the boxes
    QTest::addColumn<QStringList>("typed");  // "-" cancels the input box
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QString>("result"); // "<folder>" stands for the temporary folder
    QTest::addColumn<bool>("closed");

    const QString existing = QStringLiteral("<folder>/exists.prm");
    const QString missing = QStringLiteral("<folder>/missing.prm");
    const int ok = int(MessageResult::Ok);
    QTest::newRow("open: chosen in the dialog")
        << "open" << 0 << chosen(existing) << QList<int>{} << QStringList{}
        << QStringList{"open Paramaterdatei laden:"} << existing << false;
    QTest::newRow("open: dialog cancelled")
        << "open" << 0 << FileDialogResult{} << QList<int>{} << QStringList{}
        << QStringList{"open Paramaterdatei laden:"} << "" << false;
    QTest::newRow("open: no dialog, typed a missing file, then an existing one")
        << "open" << 0 << failing(FileDialogResult::CannotInitialize) << QList<int>{ok, ok}
        << QStringList{missing, existing}
        << QStringList{"open Paramaterdatei laden:", OpenFailure, OpenInput, Missing, OpenInput}
        << existing << false;
    QTest::newRow("open: no dialog, a folder typed, then the input cancelled")
        << "open" << 0 << failing(FileDialogResult::CannotInitialize) << QList<int>{ok, ok}
        << QStringList{"<folder>", "-"}
        << QStringList{"open Paramaterdatei laden:", OpenFailure, OpenInput, Missing, OpenInput}
        << "" << false;
    QTest::newRow("save: no dialog, typed without extension")
        << "save" << 0 << failing(FileDialogResult::CannotInitialize) << QList<int>{ok}
        << QStringList{"<folder>/plain"}
        << QStringList{"save Paramaterdatei speichern:", SaveFailure, SaveInput} << "<folder>/plain"
        << false;
    QTest::newRow("save: no dialog, nothing typed")
        << "save" << 0 << failing(FileDialogResult::CannotInitialize) << QList<int>{ok}
        << QStringList{""} << QStringList{"save Paramaterdatei speichern:", SaveFailure, SaveInput}
        << "" << false;
    QTest::newRow("picture: no dialog, typed a missing folder")
        << "picture" << 0 << failing(FileDialogResult::CannotInitialize) << QList<int>{ok}
        << QStringList{"<folder>/nowhere/x"}
        << QStringList{"save Bild speichern:", PictureFailure, PictureInput} << "<folder>/nowhere/x"
        << false;
    QTest::newRow("save: dialog error, retry")
        << "save" << 0 << failing(4711, "no dialog today")
        << QList<int>{ok, int(MessageResult::Retry)} << QStringList{"<folder>/typed.prm"}
        << QStringList{"save Paramaterdatei speichern:", Fatal, Choice, SaveInput}
        << "<folder>/typed.prm" << false;
    QTest::newRow("open: dialog error, cancel ends the program")
        << "open" << 0 << failing(4711, "no dialog today")
        << QList<int>{ok, int(MessageResult::Cancel)} << QStringList{}
        << QStringList{"open Paramaterdatei laden:", Fatal, Choice} << "" << true;
    QTest::newRow("picture during a run: dialog error, cancel refused")
        << "picture" << int(zv::WorkingMode) << failing(4711, "no dialog today")
        << QList<int>{ok, int(MessageResult::Cancel), ok} << QStringList{"<folder>/run.bmp"}
        << QStringList{"save Bild speichern:", Fatal, Choice,
                       "box Not possible: Please abort the current operation first.", PictureInput}
        << "<folder>/run.bmp" << false;
}

void tst_ParameterFiles::fileChoice() {
    QFETCH(QString, member);
    QFETCH(int, state);
    QFETCH(FileDialogResult, dialog);
    QFETCH(QList<int>, answers);
    QFETCH(QStringList, typed);
    QFETCH(QStringList, calls);
    QFETCH(QString, result);
    QFETCH(bool, closed);

    FormFixture f;
    QVERIFY(f.open());
    const QString folder = QDir(f.folder.path()).absolutePath();
    const auto place = [&](QString s) { return s.replace(QStringLiteral("<folder>"), folder); };
    {
        QFile exists(f.path("exists.prm"));
        QVERIFY(exists.open(QIODevice::WriteOnly));
    }
    QVERIFY(QFile::remove(f.path("User.ini")));
    f.form->ManageGlobalStates(std::uint8_t(state));
    dialog.path = place(dialog.path);
    f.dialogs.fileAnswers << dialog;
    for (int a : answers) {
        f.dialogs.messageAnswers << MessageResult(a);
    }
    for (const QString& t : typed) {
        f.dialogs.inputAnswers << (t == "-" ? std::optional<QString>() : place(t));
    }
    f.dialogs.calls.clear();

    const QString got = member == "open"   ? f.form->AskParameterFileToOpen()
                        : member == "save" ? f.form->AskParameterFileToSave()
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

void tst_ParameterFiles::exportFailure_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("makeDirectory");
    QTest::newRow("a folder stands at the path") << "taken.prm" << true;
    QTest::newRow("the folder does not exist") << "nowhere/x.prm" << false;
}

void tst_ParameterFiles::exportFailure() {
    QFETCH(QString, target);
    QFETCH(bool, makeDirectory);

    FormFixture f;
    QVERIFY(f.open());
    if (makeDirectory) {
        QVERIFY(QDir(f.folder.path()).mkdir(target));
    }
    f.dialogs.calls.clear();
    f.dialogs.fileAnswers << chosen(f.path(target));
    f.form->Export_btn->click();
    QCOMPARE(f.dialogs.calls.size(), 2);
    const DialogCall& box = f.dialogs.calls[1];
    QCOMPARE(box.title, QStringLiteral("Error:"));
    QVERIFY2(box.text.startsWith(QStringLiteral("Parameter-File could not be written!\r\n") +
                                 f.path(target)),
             qPrintable(box.text));
    QCOMPARE(box.icon, MessageIcon::Critical);
    QCOMPARE(QFileInfo(f.path(target)).isDir(), makeDirectory);
    QVERIFY(f.form->isVisible());
}

QTEST_MAIN(tst_ParameterFiles)
#include "tst_ParameterFiles.moc"
