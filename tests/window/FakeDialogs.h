#pragma once
// Scripted dialogs: every call is recorded, answers come from queues the test
// fills beforehand. An empty queue answers as a user who cancels (or presses OK
// on a plain message), so a forgotten script never blocks a test.

#include "Dialogs.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <functional>
#include <optional>

namespace zvtest {

struct DialogCall {
    enum Kind { Message, Color, OpenFile, SaveFile, Input };
    Kind kind;
    QString title;
    QString text; // message text, input prompt
    zv::MessageIcon icon = zv::MessageIcon::None;
    zv::MessageButtons buttons = zv::MessageButtons::Ok;
    std::int32_t color = 0; // the colour the chooser was opened on
    zv::FileDialogRequest file;
};

class FakeDialogs : public zv::Dialogs {
public:
    QList<DialogCall> calls;
    QQueue<zv::MessageResult> messageAnswers;
    QQueue<std::optional<std::int32_t>> colorAnswers;
    QQueue<zv::FileDialogResult> fileAnswers;
    QQueue<std::optional<QString>> inputAnswers;
    std::function<void()> whileMessage; // what the user does while a message is open

    zv::MessageResult message(const QString& title, const QString& text, zv::MessageIcon icon,
                              zv::MessageButtons buttons) override {
        calls.append({DialogCall::Message, title, text, icon, buttons, 0, {}});
        if (whileMessage) {
            whileMessage();
        }
        if (!messageAnswers.isEmpty()) {
            return messageAnswers.dequeue();
        }
        return buttons == zv::MessageButtons::Ok ? zv::MessageResult::Ok
                                                 : zv::MessageResult::Cancel;
    }
    std::optional<std::int32_t> chooseColor(std::int32_t initialColor) override {
        calls.append({DialogCall::Color, {}, {}, {}, {}, initialColor, {}});
        return colorAnswers.isEmpty() ? std::nullopt : colorAnswers.dequeue();
    }
    zv::FileDialogResult openFile(const zv::FileDialogRequest& request) override {
        return file(DialogCall::OpenFile, request);
    }
    zv::FileDialogResult saveFile(const zv::FileDialogRequest& request) override {
        return file(DialogCall::SaveFile, request);
    }
    std::optional<QString> inputText(const QString& title, const QString& prompt,
                                     const QString&) override {
        calls.append({DialogCall::Input, title, prompt, {}, {}, 0, {}});
        return inputAnswers.isEmpty() ? std::nullopt : inputAnswers.dequeue();
    }

private:
    zv::FileDialogResult file(DialogCall::Kind kind, const zv::FileDialogRequest& request) {
        calls.append({kind, request.title, {}, {}, {}, 0, request});
        return fileAnswers.isEmpty() ? zv::FileDialogResult{} : fileAnswers.dequeue();
    }
};

} // namespace zvtest
