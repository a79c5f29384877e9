#pragma once
// Scripted dialogs: every call is recorded, answers come from queues the test
// fills beforehand. An empty queue answers as a user who cancels (or presses OK
// on a plain message), so a forgotten script never blocks a test.

#include "Dialogs.h"

#include <QQueue>
#include <QStringList>
#include <functional>

namespace zvtest {

struct DialogCall {
    enum Kind { Message, Color, OpenFile, SaveFile, Input, Progress };
    Kind kind;
    std::int32_t color = 0; // the colour the chooser was opened on
    QString title{};
    QString text{}; // message text, input prompt
    zv::MessageIcon icon = zv::MessageIcon::None;
    zv::MessageButtons buttons = zv::MessageButtons::Ok;
};

// A struct: everything in a fake is the test's to read and script.
struct FakeDialogs : zv::Dialogs {
    using Color = std::optional<std::int32_t>;
    using File = zv::FileDialogResult;
    using Request = zv::FileDialogRequest;

    QList<DialogCall> calls;
    QQueue<zv::MessageResult> messageAnswers;
    QQueue<Color> colorAnswers;
    QQueue<File> fileAnswers;
    QQueue<std::optional<QString>> inputAnswers;
    std::function<void()> whileMessage = [] {}; // what the user does while a message is open
    int cancelAtProgressStep = 0; // the user cancels a progress box at this Show (1 the first)

    zv::MessageResult message(const QString& title, const QString& text, zv::MessageIcon icon,
                              zv::MessageButtons buttons) override {
        whileMessage();
        const bool plain = buttons == zv::MessageButtons::Ok;
        return record({DialogCall::Message, 0, title, text, icon, buttons}, messageAnswers,
                      plain ? zv::MessageResult::Ok : zv::MessageResult::Cancel);
    }
    Color chooseColor(qint32 c) override { return record({DialogCall::Color, c}, colorAnswers); }
    File openFile(const Request& r) override { return file(DialogCall::OpenFile, r); }
    File saveFile(const Request& r) override { return file(DialogCall::SaveFile, r); }
    std::optional<QString> inputText(const QString& title, const QString& prompt,
                                     const QString&) override {
        return record({DialogCall::Input, 0, title, prompt}, inputAnswers);
    }

    std::unique_ptr<zv::ProgressReport> progress(const QString& title,
                                                 const QString& text) override {
        calls.append({DialogCall::Progress, 0, title, text});
        struct Box : zv::ProgressReport {
            int cancelAt, steps = 0;
            explicit Box(int at) : cancelAt(at) {}
            bool Show(std::int64_t, std::int64_t) override {
                return cancelAt == 0 || ++steps < cancelAt;
            }
        };
        return std::make_unique<Box>(cancelAtProgressStep);
    }

    // The dialogs shown, each as kind and title; a message with its text.
    QStringList shown() const {
        const char* kinds[] = {"box", "colour", "open", "save", "input", "progress"};
        QStringList list;
        for (const DialogCall& c : calls) {
            list << kinds[c.kind] + (" " + c.title) +
                        (c.kind == DialogCall::Message ? " " + c.text : "");
        }
        return list;
    }

    File file(DialogCall::Kind k, const Request& r) { return record({k, 0, r.title}, fileAnswers); }
    template <class T> T record(const DialogCall& call, QQueue<T>& answers, T otherwise = {}) {
        calls.append(call);
        return answers.isEmpty() ? otherwise : answers.dequeue();
    }
};

} // namespace zvtest
