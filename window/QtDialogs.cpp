#include "QtDialogs.h"

#include "CanvasColor.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <algorithm>

namespace zv {

namespace {

QMessageBox::Icon qtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons qtButtons(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok:
        return QMessageBox::Ok;
    case MessageButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QFileDialog::Options fileOptions(const FileDialogRequest& request) {
    QFileDialog::Options options;
    if (!request.confirmOverwrite) {
        options |= QFileDialog::DontConfirmOverwrite;
    }
    return options;
}

} // namespace

MessageResult QtDialogs::message(const QString& title, const QString& text, MessageIcon icon,
                                 MessageButtons buttons) {
    QMessageBox box(qtIcon(icon), title, QString(text).replace(QLatin1String("\r\n"), "\n"),
                    qtButtons(buttons), parent_);
    // Never rich text: the line breaks must stay line breaks.
    box.setTextFormat(Qt::PlainText);
    switch (box.exec()) {
    case QMessageBox::Ok:
        return MessageResult::Ok;
    case QMessageBox::Retry:
        return MessageResult::Retry;
    default:
        return MessageResult::Cancel;
    }
}

std::optional<std::int32_t> QtDialogs::chooseColor(std::int32_t initialColor) {
    const QColor chosen = QColorDialog::getColor(colorFromLong(initialColor), parent_);
    if (!chosen.isValid()) {
        return std::nullopt;
    }
    return longFromColor(chosen);
}

std::unique_ptr<QFileDialog> createFileDialog(QWidget* parent, const FileDialogRequest& request,
                                              bool save) {
    auto dialog =
        std::make_unique<QFileDialog>(parent, request.title, request.initialFolder, request.filter);
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog->setOptions(fileOptions(request));
    dialog->setDefaultSuffix(request.defaultSuffix);
    return dialog;
}

FileDialogResult QtDialogs::openFile(const FileDialogRequest& request) {
    return runFileDialog(request, false);
}

FileDialogResult QtDialogs::saveFile(const FileDialogRequest& request) {
    return runFileDialog(request, true);
}

FileDialogResult QtDialogs::runFileDialog(const FileDialogRequest& request, bool save) {
    const std::unique_ptr<QFileDialog> dialog = createFileDialog(parent_, request, save);
    for (;;) {
        if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
            return {};
        }
        const QString path = dialog->selectedFiles().constFirst();
        // A name typed into Qt's own save dialog may lie in a folder that does
        // not exist; the user is told and asked again, in the same dialog.
        if (!save || QFileInfo(QFileInfo(path).absolutePath()).isDir()) {
            FileDialogResult result;
            result.path = path;
            return result;
        }
        message(QStringLiteral("Error:"), QStringLiteral("Dieser Dateipfad existiert nicht!"),
                MessageIcon::Exclamation, MessageButtons::Ok);
    }
}

namespace {

// The box appears only for a task that lasts; a quick one never flickers.
constexpr int ProgressShownAfterMs = 400;
constexpr int ProgressSteps = 1000;

class QtProgress : public ProgressReport {
public:
    QtProgress(QWidget* parent, const QString& title, const QString& text)
        : dialog_(text, QStringLiteral("Abbrechen"), 0, ProgressSteps, parent) {
        dialog_.setWindowTitle(title);
        dialog_.setWindowModality(Qt::ApplicationModal);
        dialog_.setAutoReset(false);
        dialog_.setAutoClose(false);
        dialog_.setMinimumDuration(ProgressShownAfterMs);
        dialog_.setValue(0);
    }
    bool Show(std::int64_t done, std::int64_t total) override {
        if (total <= 0) {
            dialog_.setMaximum(0); // a busy bar until the total is known
        } else {
            dialog_.setMaximum(ProgressSteps);
            const double share = std::clamp(double(done) / double(total), 0.0, 1.0);
            dialog_.setValue(static_cast<int>(share * ProgressSteps));
        }
        // setValue handles events only when its value changes; the cancel
        // button must work between those too.
        QCoreApplication::processEvents();
        return !dialog_.wasCanceled();
    }

private:
    QProgressDialog dialog_;
};

} // namespace

std::unique_ptr<ProgressReport> QtDialogs::progress(const QString& title, const QString& text) {
    return std::make_unique<QtProgress>(parent_, title, text);
}

std::optional<QString> QtDialogs::inputText(const QString& title, const QString& prompt,
                                            const QString& initialText) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(parent_, title, prompt, QLineEdit::Normal, initialText, &ok);
    if (!ok) {
        return std::nullopt;
    }
    return text;
}

} // namespace zv
