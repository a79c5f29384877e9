// Parameter file import and export, the picture export on Ctrl+P, and the file
// choice they share: the platform's file dialog, or a path typed by hand when
// the dialog cannot be shown. The texts of the choice are German, as the
// dialogs around them are.

#include "MainForm.h"

#include "BuildUp.h"
#include "Dialogs.h"
#include "FileMod.h"
#include "Gallery.h"
#include "GuardedFile.h"
#include "Logging.h"
#include "OutputPicture.h"
#include "ShownText.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <chrono>

namespace zv {

// One member of the file-choice family: the dialog's settings and the texts of
// its fallback. The open member takes only a typed path that names a file.
struct FileChoice {
    bool save;
    bool parameterFolder; // "Saved Parameter/", else the folder for pictures
    const char* title;
    const char* filter;
    const char* defaultSuffix;
    const char* failureText; // the dialog could not be shown
    const char* prompt;      // the manual input
    const char* inputTitle;
};

namespace {

const FileChoice OpenParameterChoice{
    false,
    true,
    "Paramaterdatei laden:",
    "Parameter-Dateien (*.prm)",
    "",
    "Der 'Datei laden'-Dialog konnte wegen eines globalen Betriebssystemfehlers nicht geladen "
    "werden.\r\nSie können nun immer noch den Pfad der Datei manuell angeben.\r\n"
    "Alternativ benutzen Sie Datei-Drag&Drop vom Explorer.",
    "Bitte tippen sie den vollständigen Pfad der Datei manuell ein.",
    "Datei laden:"};

const FileChoice SaveParameterChoice{
    true,
    true,
    "Paramaterdatei speichern:",
    "Parameter-Dateien (*.prm)",
    "prm",
    "Der 'Datei speichern'-Dialog konnte wegen eines globalen Betriebssystemfehlers nicht "
    "geladen werden.\r\nSie können nun immer noch den Pfad manuell angeben.",
    "Bitte tippen sie den vollständigen Speicher-Pfad manuell ein.",
    "Datei speichern:"};

const FileChoice SavePictureChoice{
    true,
    false,
    "Bild speichern:",
    "Bitmap-Dateien (*.bmp)",
    "bmp",
    "Der 'Bild speichern'-Dialog konnte wegen eines globalen Betriebssystemfehlers nicht "
    "geladen werden.\r\nSie können nun immer noch den Pfad manuell angeben.",
    "Bitte tippen sie den vollständigen Speicher-Pfad manuell ein.",
    "Bild speichern:"};

const FileChoice SaveAnimationChoice{
    true,
    false,
    "Animation speichern:",
    "GIF-Animationen (*.gif);;WebP-Animationen (*.webp)",
    "gif",
    "Der 'Animation speichern'-Dialog konnte wegen eines globalen Betriebssystemfehlers nicht "
    "geladen werden.\r\nSie können nun immer noch den Pfad manuell angeben.",
    "Bitte tippen sie den vollständigen Speicher-Pfad manuell ein.",
    "Animation speichern:"};

// Shows the build-up's progress: at once, then at most every 50 ms (a
// clock read every 64 elements), so the window stays responsive without
// spending the drawing's time on its events.
class BuildUpProgress : public BuildUpObserver {
public:
    explicit BuildUpProgress(ProgressReport& report) : report_(report) {}
    // A new stage (counting, then drawing) shows itself at once.
    void NewStage() { calls_ = 0; }
    bool Progress(std::int64_t done, std::int64_t total) override {
        if (calls_++ % 64 != 0) {
            return true;
        }
        const auto now = std::chrono::steady_clock::now();
        if (calls_ > 1 && now - shown_ < std::chrono::milliseconds(50)) {
            return true;
        }
        shown_ = now;
        return report_.Show(done, total);
    }

private:
    ProgressReport& report_;
    std::uint64_t calls_ = 0;
    std::chrono::steady_clock::time_point shown_;
};

// The picture as a 24-bit bitmap; every RGB colour of the canvas survives.
std::optional<QString> writeBitmap(const QImage& image, const QString& path) {
    return WriteGuardedFile(path, [&](QIODevice& device) -> std::optional<QString> {
        QImageWriter writer(&device, "bmp");
        if (!writer.write(image.convertToFormat(QImage::Format_RGB888))) {
            return writer.errorString();
        }
        return std::nullopt;
    });
}

// "TITLE could not be ...!", the path and the reason, each on its own line.
QString fileFailureText(const char* what, const QString& path, const QString& reason) {
    return QString::fromUtf8(what) + QStringLiteral("\r\n") + ShownText(path, ShownPathChars) +
           QStringLiteral("\r\n") + ShownText(reason);
}

// Clears a flag when the scope ends, also by an early return.
class FlagGuard {
public:
    explicit FlagGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagGuard() { flag_ = false; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& flag_;
};

} // namespace

QString MainForm::askFile(const FileChoice& choice) {
    FileDialogRequest request;
    request.title = QString::fromUtf8(choice.title);
    request.filter = QString::fromUtf8(choice.filter);
    request.defaultSuffix = QString::fromUtf8(choice.defaultSuffix);
    request.confirmOverwrite = true;
    const ProgramFiles files = Files();
    request.initialFolder = choice.parameterFolder ? files.savedParameters : files.pictures;
    // The parameter folder comes with the program; where it went missing the
    // next choice brings it back, with the examples, so the dialog opens there.
    if (choice.parameterFolder) {
        CreateParameterFolder(request.initialFolder,
                              FindGallery(QCoreApplication::applicationDirPath()));
    }
    const FileDialogResult result =
        choice.save ? dialogs_.saveFile(request) : dialogs_.openFile(request);
    if (!result.failed) {
        // The dialog shows a name whose bytes are not UTF-8 with replacement
        // characters, and gives it back so: those name another file, which
        // must neither be read in its place nor overwritten.
        if (result.path.contains(QChar::ReplacementCharacter)) {
            dialogs_.message(QStringLiteral("Error:"),
                             QStringLiteral("The file name is not valid UTF-8 and cannot be used "
                                            "exactly:\r\n") +
                                 ShownText(result.path, ShownPathChars),
                             MessageIcon::Critical, MessageButtons::Ok);
            return {};
        }
        return result.path;
    }

    if (result.errorNumber == FileDialogResult::CannotInitialize) {
        dialogs_.message(QStringLiteral("Fehler:"), QString::fromUtf8(choice.failureText),
                         MessageIcon::Critical, MessageButtons::Ok);
    } else {
        dialogs_.message(QStringLiteral("Fataler Fehler:"),
                         QString::number(result.errorNumber) + QStringLiteral("\r\n") +
                             result.errorText,
                         MessageIcon::Critical, MessageButtons::Ok);
        const MessageResult choiceMade = dialogs_.message(
            QStringLiteral("Auswahl:"),
            QStringLiteral("Wiederholen - Versuchen die normale Programmausführung wieder "
                           "aufzunehmen\r\nAbbrechen - Programm beenden"),
            MessageIcon::None, MessageButtons::RetryCancel);
        // Cancel ends the program as the close button would; during a run
        // that close is refused and the choice goes on by hand.
        if (choiceMade == MessageResult::Cancel && close()) {
            return {};
        }
    }

    for (;;) {
        const std::optional<QString> typed = dialogs_.inputText(
            QString::fromUtf8(choice.inputTitle), QString::fromUtf8(choice.prompt), {});
        if (!typed || typed->isEmpty()) {
            return {};
        }
        if (choice.save || QFileInfo(*typed).isFile()) {
            return *typed;
        }
        dialogs_.message(QStringLiteral("Error:"),
                         QStringLiteral("Dieser Dateipfad existiert nicht!"),
                         MessageIcon::Exclamation, MessageButtons::Ok);
    }
}

QString MainForm::AskParameterFileToOpen() {
    return askFile(OpenParameterChoice);
}

QString MainForm::AskParameterFileToSave() {
    return askFile(SaveParameterChoice);
}

QString MainForm::AskPictureFileToSave() {
    return askFile(SavePictureChoice);
}

QString MainForm::AskAnimationFileToSave() {
    return askFile(SaveAnimationChoice);
}

void MainForm::Import_btn_Click() {
    // The button is locked during a run; a file must not change the model
    // the run draws from.
    if (model_.GlobalState != EditMode) {
        return;
    }
    // Only an applied file refreshes the panels: after a cancelled choice or a
    // damaged file the refresh would overwrite the user's unsaved edits with
    // the model's values.
    if (ImportParameterFile()) {
        FractalType_cmb_Click();
    }
}

bool MainForm::ImportParameterFile() {
    const QString path = AskParameterFileToOpen();
    if (path.isEmpty()) {
        return false;
    }
    return ImportParameterFileFrom(path);
}

void MainForm::OpenParameterFile(const QString& path) {
    if (model_.GlobalState == EditMode && ImportParameterFileFrom(path)) {
        FractalType_cmb_Click();
    }
}

bool MainForm::ImportParameterFileFrom(const QString& path) {
    FileContent content;
    bool applied = false;
    try {
        content = ReadGuardedFile(path);
        applied = content && readIntoWindow(content.bytes, false);
    } catch (const std::bad_alloc&) {
        content = {FileContent::Unreadable, {}, NoMemoryReason};
    }
    if (content.status == FileContent::Unreadable) {
        dialogs_.message(QStringLiteral("Error:"),
                         fileFailureText("Parameter-File could not be read!", path, content.reason),
                         MessageIcon::Critical, MessageButtons::Ok);
        return false;
    }
    // A FIFO, a device or a file far too big for a parameter file is no
    // parameter file either.
    if (!applied) {
        dialogs_.message(QStringLiteral("Error:"), QStringLiteral("Parameter-File is damaged!"),
                         MessageIcon::Critical, MessageButtons::Ok);
        return false;
    }
    qCDebug(windowLog, "imported type %d", FractalType_cmb->currentIndex());
    return true;
}

void MainForm::Export_btn_Click() {
    ExportParameterFile();
}

void MainForm::ExportParameterFile() {
    const QString path = AskParameterFileToSave();
    if (path.isEmpty()) {
        return;
    }
    // The file holds what the window shows: the shown type's fields reach its
    // record first. During a run the fields are locked and the record is the
    // one being drawn, which must not change under the run.
    if (model_.GlobalState == EditMode) {
        TransferControlsToModel();
    }
    std::optional<QString> error;
    try {
        error = WriteParameterFile(path, GeneralValuesFromControls(), model_);
    } catch (const std::bad_alloc&) {
        error = NoMemoryReason; // the guarded write left any old file as it was
    }
    if (error) {
        dialogs_.message(QStringLiteral("Error:"),
                         fileFailureText("Parameter-File could not be written!", path, *error),
                         MessageIcon::Critical, MessageButtons::Ok);
    }
}

void MainForm::SavePicture() {
    qCDebug(windowLog, "SavePicture");
    // Ctrl+P reaches the window during a run too, from inside the run's event
    // processing; a second one while the dialog is open is dropped.
    if (savingPicture_) {
        return;
    }
    FlagGuard guard(savingPicture_);
    const QString path = AskPictureFileToSave();
    if (path.isEmpty()) {
        return;
    }
    // The run, if any, waits below this call: the picture is the one drawn so far.
    std::optional<QString> error;
    try {
        error = writeBitmap(Output_pic->canvas().image(), path);
    } catch (const std::bad_alloc&) {
        error = NoMemoryReason;
    }
    if (error) {
        dialogs_.message(QStringLiteral("Error:"),
                         fileFailureText("The picture could not be saved!", path, *error),
                         MessageIcon::Critical, MessageButtons::Ok);
    }
}

void MainForm::SaveBuildUp() {
    if (savingBuildUp_) {
        return;
    }
    FlagGuard guard(savingBuildUp_);
    const QString path = AskAnimationFileToSave();
    if (path.isEmpty()) {
        return;
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != u"gif" && suffix != u"webp") {
        dialogs_.message(QStringLiteral("Error:"),
                         fileFailureText("The animation could not be saved!", path,
                                         QStringLiteral("The name must end in .gif or .webp.")),
                         MessageIcon::Critical, MessageButtons::Ok);
        return;
    }
    // The figure as the controls hold it. During a run they are locked and
    // the model holds them already; the run keeps drawing from the model,
    // the build-up from its own copy.
    if (model_.GlobalState == EditMode) {
        TransferControlsToModel();
    }
    ParameterModel figure = model_;
    figure.Canvas = nullptr;
    const int type = FractalType_cmb->currentIndex();
    if (type < 0 || type >= FractalTypeCount) {
        return;
    }
    const ImageCanvas& shown = Output_pic->canvas();
    const CanvasSetup setup{shown.width(), shown.height(), 1, shown.BackColor(),
                            shown.ForeColor()};
    // Its own random numbers: the window's run, if any, goes on with its own.
    RandomSource random(static_cast<std::uint64_t>(
        std::chrono::system_clock::now().time_since_epoch().count()));
    const std::unique_ptr<ProgressReport> report = dialogs_.progress(
        QStringLiteral("Animation speichern:"), QStringLiteral("Die Animation wird gezeichnet."));
    BuildUpProgress progress(*report);
    const FigureCensus census =
        TakeCensus(figure, static_cast<std::uint8_t>(type), setup, random, progress);
    if (census.cancelled) {
        return;
    }
    progress.NewStage();
    bool cancelled = false;
    const std::optional<QString> error = WriteGuardedFile(path, [&](QIODevice& device) {
        const BuildUpResult result = WriteBuildUp(
            device, figure, static_cast<std::uint8_t>(type), setup,
            suffix == u"gif" ? AnimationFormat::Gif : AnimationFormat::WebP, AnimationTiming{},
            census, random, progress);
        cancelled = result.cancelled;
        return result.error;
    });
    if (error && !cancelled) {
        dialogs_.message(QStringLiteral("Error:"),
                         fileFailureText("The animation could not be saved!", path, *error),
                         MessageIcon::Critical, MessageButtons::Ok);
    }
}

} // namespace zv
