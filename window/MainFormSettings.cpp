// The settings files at start and exit, the general section of every file as
// the window applies and reports it, and the close sequence.
//
// A file is checked completely before anything of it is applied: a damaged
// file never leaves the window or the model half changed, and the fallback to
// Default.ini starts from the state the window had before.

#include "MainForm.h"

#include "ColorSwatch.h"
#include "Dialogs.h"
#include "FileMod.h"
#include "GuardedFile.h"
#include "Logging.h"
#include "OutputPicture.h"
#include "ShownText.h"
#include "TextField.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace zv {

namespace {

// Twips of a pixel count, within the range of a Long.
std::int32_t twipsOf(int pixels, double twipsPerPixel) {
    const double twips = std::round(pixels * twipsPerPixel);
    return static_cast<std::int32_t>(std::clamp(twips, -2147483648.0, 2147483647.0));
}

// Pixels of a twips value; every Long fits an int after the division.
int pixelsOf(std::int32_t twips, double twipsPerPixel) {
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

Qt::CheckState checkStateOf(std::uint8_t state) {
    switch (state) {
    case 1:
        return Qt::Checked;
    case 2:
        return Qt::PartiallyChecked;
    default:
        return Qt::Unchecked;
    }
}

} // namespace

// The general section applied to the window, in file order and with the side
// effects each value has there. With apply false it only checks what the
// window would refuse, so a file can be tried before it changes anything.
class MainForm::WindowGeneralSection : public GeneralSectionTarget {
public:
    WindowGeneralSection(MainForm& form, bool apply) : form_(form), apply_(apply) {}

    bool SetFractalType(std::uint8_t index) override {
        if (index >= form_.FractalType_cmb->count()) {
            return false;
        }
        if (apply_) {
            // The selection's own handling runs once the whole file is in (at
            // start-up or after an import), not for each value read.
            const bool ignore = form_.IgnoreTypeClick;
            form_.IgnoreTypeClick = true;
            form_.FractalType_cmb->setCurrentIndex(index);
            form_.FractalType_cmb_Click();
            form_.IgnoreTypeClick = ignore;
        }
        return true;
    }
    bool SetParamBarOpen(bool open) override {
        if (apply_) {
            // The tag is set to the opposite state, and the button's own
            // handling toggles it back with the width and caption that go with it.
            form_.SetParams_btn_Tag(open ? QStringLiteral("0") : QStringLiteral("1"));
            form_.Params_btn_Click();
        }
        return true;
    }
    bool SetLeft(std::int32_t twips) override {
        left_ = twips;
        return true;
    }
    bool SetTop(std::int32_t twips) override {
        top_ = twips;
        return true;
    }
    bool SetAreaWidthText(const QString& text) override {
        if (apply_) {
            form_.AreaWidth_txt->setText(text);
        }
        return true;
    }
    bool SetAreaHeightText(const QString& text) override {
        if (apply_) {
            form_.AreaHeight_txt->setText(text);
        }
        return true;
    }
    void SizeWindowAndKeepOnScreen() override {
        if (!apply_) {
            return;
        }
        form_.SetFormSize();
        const TwipsScale& t = form_.Twips();
        WindowPosition position{left_, top_};
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QSize outer = form_.outerSize();
            const QRect whole = screen->geometry();
            position = KeepWindowOnScreen(position, twipsOf(outer.width(), t.twipsPerPixelX()),
                                          twipsOf(outer.height(), t.twipsPerPixelY()),
                                          twipsOf(whole.width(), t.twipsPerPixelX()),
                                          twipsOf(whole.height(), t.twipsPerPixelY()));
        }
        form_.move(pixelsOf(position.Left, t.twipsPerPixelX()),
                   pixelsOf(position.Top, t.twipsPerPixelY()));
    }
    bool SetBackColor(std::int32_t color) override {
        return setSwatchColor(form_.BackColor_pic, color);
    }
    bool SetForeColor(std::int32_t color) override {
        return setSwatchColor(form_.ForeColor_pic, color);
    }
    bool SetRandomForeColor(std::uint8_t checkState) override {
        if (apply_) {
            form_.RandomForeColor_chk->setCheckState(checkStateOf(checkState));
        }
        return true;
    }
    bool SetCalcDepthText(const QString& text) override {
        if (apply_) {
            form_.CalcDepth_txt->setText(text);
        }
        return true;
    }
    bool SetPause(std::uint8_t checkState) override {
        if (apply_) {
            form_.Pause_chk->setCheckState(checkStateOf(checkState));
        }
        return true;
    }

private:
    bool setSwatchColor(ColorSwatch* swatch, std::int32_t color) {
        if (!isRgbColor(color)) {
            return false;
        }
        if (apply_) {
            // With its caption again: an imported file would otherwise leave
            // the swatch unnamed until it is clicked.
            form_.applySwatchColor(swatch, color);
        }
        return true;
    }

    MainForm& form_;
    bool apply_;
    std::int32_t left_ = 0; // twips
    std::int32_t top_ = 0;
};

std::uint8_t MainForm::checkStateValue(const QCheckBox* box) {
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

QString MainForm::ProgramFolder() const {
    return programFolder_;
}

GeneralValues MainForm::GeneralValuesFromControls() const {
    GeneralValues v;
    v.FractalType = static_cast<std::uint8_t>(
        std::clamp(FractalType_cmb->currentIndex(), 0, FractalTypeCount - 1));
    v.ParamBarTag = Params_btn_Tag();
    // The outer window's position, as the reader's SetLeft and SetTop expect it.
    v.Left = twipsOf(x(), twips_.twipsPerPixelX());
    v.Top = twipsOf(y(), twips_.twipsPerPixelY());
    v.AreaWidth = AreaWidth_txt->text();
    v.AreaHeight = AreaHeight_txt->text();
    v.BackColor = BackColor_pic->color();
    v.ForeColor = ForeColor_pic->color();
    v.RandomForeColor = checkStateValue(RandomForeColor_chk);
    v.CalcDepth = CalcDepth_txt->text();
    v.Pause = checkStateValue(Pause_chk);
    return v;
}

bool MainForm::readIntoWindow(const QByteArray& content, bool settingsFile) {
    const auto read = [&](GeneralSectionTarget& target, FractalParameters& records) {
        return settingsFile ? ReadSettings(content, target, records)
                            : ReadParameters(content, target, records);
    };
    WindowGeneralSection check(*this, false);
    FractalParameters scratch = model_;
    if (read(check, scratch)) {
        return false;
    }
    // The records just read are the ones a second read would give: they are
    // taken over, so a file's long texts are never held three times.
    WindowGeneralSection window(*this, true);
    FieldReader general(content);
    if (!ReadGeneralSection(general, window)) {
        return false;
    }
    static_cast<FractalParameters&>(model_) = std::move(scratch);
    return true;
}

bool MainForm::applySettingsFile(const QString& path) {
    const FileContent content = ReadGuardedFile(path);
    return content && readIntoWindow(content.bytes, true);
}

ProgramFiles MainForm::Files() const {
    return programFilesIn(programFoldersFor(ProgramFolder()));
}

namespace {

// The user's own User.ini that is there but cannot be read is moved aside
// before the factory settings take over, since the next close would overwrite
// it. The result is the line the "Bad Error:" box gains, and whether the close
// may write User.ini: not when the damaged file could not be moved, as it
// would then be the user's only copy that the close replaces.
std::pair<QString, bool> keepDamagedSettings(const ProgramFiles& files) {
    if (files.userSettings != files.userSettingsWrite) {
        return {{}, true}; // a User.ini placed beside the program; the close writes elsewhere
    }
    const DamagedFileCopy copy = KeepDamagedFile(files.userSettings);
    switch (copy.status) {
    case DamagedFileCopy::Kept:
        return {QStringLiteral("\r\nThe unreadable file was kept as %1.")
                    .arg(ShownText(copy.keptAs, ShownPathChars)),
                true};
    case DamagedFileCopy::Failed:
        return {QStringLiteral("\r\nIt could not be kept as %1 (%2), so it stays as it is and "
                               "the settings are not saved at close.")
                    .arg(ShownText(copy.keptAs, ShownPathChars), ShownText(copy.reason)),
                false};
    case DamagedFileCopy::NothingToKeep:
        break;
    }
    return {{}, true};
}

} // namespace

bool MainForm::LoadSettings() {
    const ProgramFiles files = Files();
    bool userRead = false;
    bool memoryShort = false;
    try {
        userRead = applySettingsFile(files.userSettings);
    } catch (const std::bad_alloc&) {
        memoryShort = true;
    }
    if (userRead) {
        settingsLoaded_ = true;
        return true;
    }
    if (memoryShort) {
        // Nothing is wrong with the file: it is neither moved nor replaced.
        saveSettingsAtClose_ = false;
        dialogs_.message(QStringLiteral("Bad Error:"),
                         QStringLiteral("User.ini could not be read: %1.\r\n"
                                        "The default settings will be loaded now; User.ini stays "
                                        "as it is and is not replaced at close.")
                             .arg(NoMemoryReason),
                         MessageIcon::Critical, MessageButtons::Ok);
    } else if (files.firstStart) {
        // An installed program's first start for this user: the factory
        // settings are the start, not a stand-in for something lost.
        saveSettingsAtClose_ = true;
    } else {
        const auto [keptLine, mayReplace] = keepDamagedSettings(files);
        saveSettingsAtClose_ = mayReplace;
        dialogs_.message(QStringLiteral("Bad Error:"),
                         QStringLiteral("User.ini seems to be damaged or lost.\r\n"
                                        "The default settings will be loaded now.") +
                             keptLine,
                         MessageIcon::Critical, MessageButtons::Ok);
    }
    bool factoryRead = false;
    try {
        factoryRead = applySettingsFile(files.factorySettings);
    } catch (const std::bad_alloc&) {
        dialogs_.message(QStringLiteral("Fatal Error:"),
                         QStringLiteral("Default.ini could not be read: %1.").arg(NoMemoryReason),
                         MessageIcon::Critical, MessageButtons::Ok);
        settingsLoaded_ = false;
        return false;
    }
    if (factoryRead) {
        settingsLoaded_ = true;
        return true;
    }
    dialogs_.message(QStringLiteral("Fatal Error:"),
                     QStringLiteral("Default.ini seems to be damaged or lost.\r\n"
                                    "Please reinstall the programm in order to proceed."),
                     MessageIcon::Critical, MessageButtons::Ok);
    settingsLoaded_ = false;
    return false;
}

std::optional<QString> MainForm::SaveSettings() {
    const QString path = Files().userSettingsWrite;
    // The user's configuration folder may not exist before the first exit.
    QDir().mkpath(QFileInfo(path).absolutePath());
    try {
        return WriteSettingsFile(path, GeneralValuesFromControls(), model_);
    } catch (const std::bad_alloc&) {
        return NoMemoryReason; // the guarded write left the old file as it was
    }
}

void MainForm::closeEvent(QCloseEvent* event) {
    if (!settingsLoaded_) {
        // Start-up ended at the settings: there is nothing to keep.
        event->accept();
        return;
    }
    if (model_.GlobalState != EditMode) {
        dialogs_.message(QStringLiteral("Not possible:"),
                         QStringLiteral("Please abort the current operation first."),
                         MessageIcon::Exclamation, MessageButtons::Ok);
        event->ignore();
        return;
    }
    if (!saveSettingsAtClose_) {
        // The start-up box said why User.ini is left as it is.
        qCDebug(windowLog, "closed");
        event->accept();
        return;
    }
    std::optional<QString> error;
    try {
        TransferControlsToModel();
        error = SaveSettings();
    } catch (const std::bad_alloc&) {
        error = NoMemoryReason;
    }
    // A settings file that cannot be written must not cost the user's work
    // silently: say so, and let the user free the disk or the folder and retry.
    while (error) {
        const MessageResult choice =
            dialogs_.message(QStringLiteral("Settings not saved:"),
                             QStringLiteral("User.ini could not be written (%1).\r\n"
                                            "Retry - write it again\r\n"
                                            "Cancel - end the program without saving the settings")
                                 .arg(ShownText(*error)),
                             MessageIcon::Critical, MessageButtons::RetryCancel);
        if (choice != MessageResult::Retry) {
            break;
        }
        error = SaveSettings();
    }
    qCDebug(windowLog, "closed");
    event->accept();
}

} // namespace zv
