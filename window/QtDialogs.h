#pragma once
// The real dialogs, modal to the given parent window.

#include "Dialogs.h"

#include <QFileDialog>

class QWidget;

namespace zv {

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

private:
    // The open and save dialogs differ only in these two modes.
    FileDialogResult runFileDialog(const FileDialogRequest& request,
                                   QFileDialog::AcceptMode acceptMode,
                                   QFileDialog::FileMode fileMode);

    QWidget* parent_;
};

} // namespace zv
