#include "QtDialogs.h"

#include "CanvasColor.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

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

FileDialogResult QtDialogs::openFile(const FileDialogRequest& request) {
    return runFileDialog(request, QFileDialog::AcceptOpen, QFileDialog::ExistingFile);
}

FileDialogResult QtDialogs::saveFile(const FileDialogRequest& request) {
    return runFileDialog(request, QFileDialog::AcceptSave, QFileDialog::AnyFile);
}

FileDialogResult QtDialogs::runFileDialog(const FileDialogRequest& request,
                                          QFileDialog::AcceptMode acceptMode,
                                          QFileDialog::FileMode fileMode) {
    QFileDialog dialog(parent_, request.title, request.initialFolder, request.filter);
    dialog.setAcceptMode(acceptMode);
    dialog.setFileMode(fileMode);
    dialog.setOptions(fileOptions(request));
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    FileDialogResult result;
    result.path = dialog.selectedFiles().constFirst();
    return result;
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
