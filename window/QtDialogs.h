#pragma once
// The real dialogs, modal to the given parent window.

#include "Dialogs.h"

#include <QFileDialog>
#include <memory>

class QWidget;

namespace zv {

// The file dialog as the program shows it: the desktop's own where its
// platform theme or portal offers one, Qt's own otherwise. It must stay a
// plain QFileDialog: Qt hands a subclass of its own class name never to the
// desktop. An open dialog takes only existing files; a save dialog asks before
// it overwrites unless the request says otherwise. That the folder of a saved
// name exists is checked once the dialog has closed (runFileDialog), since
// the desktop's dialog cannot be kept open from here.
std::unique_ptr<QFileDialog> createFileDialog(QWidget* parent, const FileDialogRequest& request,
                                              bool save);

class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    MessageResult message(const QString& title, const QString& text, MessageIcon icon,
                          MessageButtons buttons) override;
    std::optional<std::int32_t> chooseColor(std::int32_t initialColor) override;
    FileDialogResult openFile(const FileDialogRequest& request) override;
    FileDialogResult saveFile(const FileDialogRequest& request) override;
    std::optional<QString> inputText(const QString& title, const QString& prompt,
                                     const QString& initialText) override;
    std::unique_ptr<ProgressReport> progress(const QString& title, const QString& text) override;

private:
    FileDialogResult runFileDialog(const FileDialogRequest& request, bool save);

    QWidget* parent_;
};

} // namespace zv
