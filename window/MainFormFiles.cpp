// Parameter file import and export, the picture export on Ctrl+P, and the file
// choice they share: the platform's file dialog, or a path typed by hand when
// the dialog cannot be shown. The texts of the choice are German, as the
// dialogs around them are.

#include "MainForm.h"

#include "Dialogs.h"
#include "FileMod.h"
#include "Gallery.h"
#include "OutputPicture.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

namespace zv {

struct MainForm::FileChoice {
    bool save = false;
    QString folder;
    QString title;
    QString filter;
    QString defaultSuffix;
    QString failureText; // the dialog could not be shown
    QString prompt;      // the manual input
    QString inputTitle;
    bool mustExist = false; // a typed path must name an existing file
};

namespace {

// The picture as a 24-bit bitmap; every RGB colour of the canvas survives.
// Written beside the target first, so a failed write leaves an old file whole.
std::optional<QString> writeBitmap(const QImage& image, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.errorString();
    }
    QImageWriter writer(&file, "bmp");
    if (!writer.write(image.convertToFormat(QImage::Format_RGB888))) {
        const QString error = writer.errorString();
        file.cancelWriting();
        return error;
    }
    if (!file.commit()) {
        return file.errorString();
    }
    return std::nullopt;
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
    request.title = choice.title;
    request.initialFolder = choice.folder;
    request.filter = choice.filter;
    request.defaultSuffix = choice.defaultSuffix;
    request.confirmOverwrite = true;
    const FileDialogResult result =
        choice.save ? dialogs_.saveFile(request) : dialogs_.openFile(request);
    if (!result.failed) {
        return result.path;
    }

    if (result.errorNumber == FileDialogResult::CannotInitialize) {
        dialogs_.message(QStringLiteral("Fehler:"), choice.failureText, MessageIcon::Critical,
                         MessageButtons::Ok);
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
        const std::optional<QString> typed =
            dialogs_.inputText(choice.inputTitle, choice.prompt, {});
        if (!typed || typed->isEmpty()) {
            return {};
        }
        if (!choice.mustExist || QFileInfo(*typed).isFile()) {
            return *typed;
        }
        dialogs_.message(QStringLiteral("Error:"),
                         QStringLiteral("Dieser Dateipfad existiert nicht!"),
                         MessageIcon::Exclamation, MessageButtons::Ok);
    }
}

QString MainForm::AskParameterFileToOpen() {
    FileChoice c;
    c.save = false;
    c.folder = Files().savedParameters;
    CreateParameterFolder(c.folder, FindGallery(QCoreApplication::applicationDirPath()));
    c.title = QStringLiteral("Paramaterdatei laden:");
    c.filter = QStringLiteral("Parameter-Dateien (*.prm)");
    c.failureText = QStringLiteral(
        "Der 'Datei laden'-Dialog konnte wegen eines globalen Betriebssystemfehlers nicht geladen "
        "werden.\r\nSie können nun immer noch den Pfad der Datei manuell angeben.\r\n"
        "Alternativ benutzen Sie Datei-Drag&Drop vom Explorer.");
    c.prompt = QStringLiteral("Bitte tippen sie den vollständigen Pfad der Datei manuell ein.");
    c.inputTitle = QStringLiteral("Datei laden:");
    c.mustExist = true;
    return askFile(c);
}

QString MainForm::AskParameterFileToSave() {
    FileChoice c;
    c.save = true;
    c.folder = Files().savedParameters;
    // The parameter folder comes with the program; where it went missing the
    // first export brings it back, so the dialog opens there next time too.
    CreateParameterFolder(c.folder, FindGallery(QCoreApplication::applicationDirPath()));
    c.title = QStringLiteral("Paramaterdatei speichern:");
    c.filter = QStringLiteral("Parameter-Dateien (*.prm)");
    c.defaultSuffix = QStringLiteral("prm");
    c.failureText = QStringLiteral(
        "Der 'Datei speichern'-Dialog konnte wegen eines globalen Betriebssystemfehlers nicht "
        "geladen werden.\r\nSie können nun immer noch den Pfad manuell angeben.");
    c.prompt = QStringLiteral("Bitte tippen sie den vollständigen Speicher-Pfad manuell ein.");
    c.inputTitle = QStringLiteral("Datei speichern:");
    return askFile(c);
}

QString MainForm::AskPictureFileToSave() {
    FileChoice c;
    c.save = true;
    c.folder = Files().pictures;
    c.title = QStringLiteral("Bild speichern:");
    c.filter = QStringLiteral("Bitmap-Dateien (*.bmp)");
    c.defaultSuffix = QStringLiteral("bmp");
    c.failureText = QStringLiteral(
        "Der 'Bild speichern'-Dialog konnte wegen eines globalen Betriebssystemfehlers nicht "
        "geladen werden.\r\nSie können nun immer noch den Pfad manuell angeben.");
    c.prompt = QStringLiteral("Bitte tippen sie den vollständigen Speicher-Pfad manuell ein.");
    c.inputTitle = QStringLiteral("Bild speichern:");
    return askFile(c);
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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        dialogs_.message(QStringLiteral("Error:"),
                         QStringLiteral("Parameter-File could not be read!\r\n") + path +
                             QStringLiteral("\r\n") + file.errorString(),
                         MessageIcon::Critical, MessageButtons::Ok);
        return false;
    }
    const QByteArray content = file.readAll();
    file.close();
    if (!readIntoWindow(content, false)) {
        dialogs_.message(QStringLiteral("Error:"), QStringLiteral("Parameter-File is damaged!"),
                         MessageIcon::Critical, MessageButtons::Ok);
        return false;
    }
    e2eLog(QStringLiteral("imported type %1").arg(FractalType_cmb->currentIndex()));
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
    if (const std::optional<QString> error =
            WriteParameterFile(path, GeneralValuesFromControls(), model_)) {
        dialogs_.message(QStringLiteral("Error:"),
                         QStringLiteral("Parameter-File could not be written!\r\n") + path +
                             QStringLiteral("\r\n") + *error,
                         MessageIcon::Critical, MessageButtons::Ok);
    }
}

void MainForm::SavePicture() {
    e2eLog(QStringLiteral("SavePicture"));
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
    if (const std::optional<QString> error = writeBitmap(Output_pic->canvas().image(), path)) {
        dialogs_.message(QStringLiteral("Error:"),
                         QStringLiteral("The picture could not be saved!\r\n") + path +
                             QStringLiteral("\r\n") + *error,
                         MessageIcon::Critical, MessageButtons::Ok);
    }
}

} // namespace zv
