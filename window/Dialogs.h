#pragma once
// Every modal box and dialog the program shows goes through this interface, so
// that tests can script the answers and no test ever waits on a modal window.
// Qt Core only: the settings code below the window layer can take it too.
// Colours are 24-bit RGB in a Long, red in the low byte.

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

namespace zv {

enum class MessageIcon { None, Exclamation, Critical };
enum class MessageButtons { Ok, RetryCancel };
enum class MessageResult { Ok, Cancel, Retry };

struct FileDialogRequest {
    QString title;
    QString initialFolder;
    // Qt filter syntax, entries separated by ";;": "Bitmap-Dateien (*.bmp)".
    QString filter;
    // Appended when the typed name has none ("bmp", without the dot).
    QString defaultSuffix;
    bool confirmOverwrite = true;
};

struct FileDialogResult {
    QString path; // empty when the user cancelled
    // The dialog could not be shown at all; callers then ask for the path by hand.
    bool failed = false;
    // Why it failed: CannotInitialize, or another number with the platform's text.
    int errorNumber = CannotInitialize;
    QString errorText;
    static constexpr int CannotInitialize = 32765;
};

// A progress box with a cancel button, open while the object lives.
class ProgressReport {
public:
    virtual ~ProgressReport() = default;
    // Shows done of total (total 0: not known yet) and lets the window handle
    // its events; false once the user has cancelled.
    virtual bool Show(std::int64_t done, std::int64_t total) = 0;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A message box; text may hold "\r\n" line breaks.
    virtual MessageResult message(const QString& title, const QString& text, MessageIcon icon,
                                  MessageButtons buttons) = 0;
    // The colour chooser opened on initialColor; nothing when cancelled.
    virtual std::optional<std::int32_t> chooseColor(std::int32_t initialColor) = 0;
    virtual FileDialogResult openFile(const FileDialogRequest& request) = 0;
    virtual FileDialogResult saveFile(const FileDialogRequest& request) = 0;
    // A one-line text input; nothing when cancelled.
    virtual std::optional<QString> inputText(const QString& title, const QString& prompt,
                                             const QString& initialText) = 0;
    // A modal progress box for a long task of the window's own.
    virtual std::unique_ptr<ProgressReport> progress(const QString& title,
                                                     const QString& text) = 0;
};

} // namespace zv
