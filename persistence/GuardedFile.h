#pragma once
// Every file the program reads or writes goes through here, so that no file
// can freeze it, exhaust its memory or cost the user an old file.
//
// Reading: only a regular file of at most MaxFileBytes is read. Anything else
// (a FIFO, a device such as /dev/zero, a folder, a sparse file of gigabytes)
// is refused after a stat, before it is opened in a way that could block.
//
// Writing: the content goes to a temporary file beside the target, named
// "NAME.XXXXXX", which replaces the target only once every write, the final
// flush, the sync and the close have succeeded. On any failure the old file
// stays byte for byte and the result names the system's reason. A symbolic
// link is written through only when it is the user's own and leads to a file
// in the same folder; any other link is replaced by the new file, so a link
// planted in a shared folder never redirects a save. A target that exists but
// is no regular file (a device, a FIFO, a folder) is refused.

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

class QIODevice;

namespace zv {

// The largest file the program makes is two lists of 32768 fix points and two
// texts of a field's length: a few megabytes.
inline constexpr qint64 MaxFileBytes = 64 * 1024 * 1024;

struct FileContent {
    enum Status { Read, Unreadable, Refused };
    Status status = Read;
    QByteArray bytes;
    // Why it was not read: the system's reason when it could not be opened or
    // read (Unreadable), what is wrong with it when it is no file the program
    // reads (Refused).
    QString reason;
    explicit operator bool() const { return status == Read; }
};

FileContent ReadGuardedFile(const QString& path);

// Writes the content into the device it is given; returns an error text of its
// own when it fails without a failing write (an image the encoder refuses).
using ContentWriter = std::function<std::optional<QString>(QIODevice& device)>;

// The result is the reason of the failure, or nullopt when the file is written.
std::optional<QString> WriteGuardedFile(const QString& path, const ContentWriter& write);
std::optional<QString> WriteGuardedFile(const QString& path, const QByteArray& content);

// Removes the temporary files "NAME.XXXXXX" (six letters or digits) that a save
// of NAME in folder left behind when it was killed before its rename. Only the
// user's own regular files are removed; returns how many.
int RemoveSaveLeftovers(const QString& folder, const QString& fileName);

// Moves an existing file that could not be read aside to "PATH.damaged",
// replacing an older copy, so that a later save cannot overwrite what it held.
// Returns the new path, or nullopt when there was nothing to keep or the move
// failed.
std::optional<QString> KeepDamagedFile(const QString& path);

} // namespace zv
