#pragma once
// Every file the program reads or writes goes through here, so that no file
// can freeze it, exhaust its memory or cost the user an old file.
//
// Reading: only a regular file of at most MaxFileBytes is read. Anything else
// (a FIFO, a device such as /dev/zero, a folder, a sparse file of gigabytes)
// is refused after a stat, before it is opened in a way that could block.
//
// Writing: the content goes to a temporary file in the target's folder, which
// replaces the target only once every write, the final flush and the sync have
// succeeded. On any failure the old file stays byte for byte and the result
// names the system's reason. The temporary file has no name at all where the
// file system allows it (O_TMPFILE) and gets one only just before the rename;
// elsewhere it is named from the start. Its name is hidden, of a fixed length
// whatever the target's (a 255-byte target name works), and made of a hash of
// the target's name that no person would type, so that clean-up removes only
// files that are provably a save's: a user's "User.ini.backup" is never
// touched. A save holds a lock on its temporary file for as long as it runs,
// so the clean-up of one save never removes the file of another under way;
// the lock dies with the process, also after SIGKILL. A symbolic
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

// The reason given when a read, a drawing or a write ran out of memory
// (std::bad_alloc): the program says so and goes on.
inline const QString NoMemoryReason = QStringLiteral("there is not enough memory");

// The temporary file: unnamed until the rename where the file system allows it,
// or named from the start. Tests choose Named to reach what a file system
// without O_TMPFILE does.
enum class TemporaryKind { UnnamedWherePossible, Named };

// Writes the content into the device it is given; returns an error text of its
// own when it fails without a failing write (an image the encoder refuses).
using ContentWriter = std::function<std::optional<QString>(QIODevice& device)>;

// The result is the reason of the failure, or nullopt when the file is written.
// Every save first removes what earlier saves of the same target left behind
// when they were killed between naming their temporary file and the rename:
// only names of exactly the form of SaveTemporaryName, for exactly this
// target, that are the user's own regular files and that no running save
// holds. Any other file, whatever it looks like, stays.
std::optional<QString> WriteGuardedFile(const QString& path, const ContentWriter& write,
                                        TemporaryKind kind = TemporaryKind::UnnamedWherePossible);
std::optional<QString> WriteGuardedFile(const QString& path, const QByteArray& content,
                                        TemporaryKind kind = TemporaryKind::UnnamedWherePossible);

// The hidden name that a save of fileName gives its temporary file, with the
// given eight hex digits at its end: ".zv-" + 16 hex digits of a hash of the
// name + "-" + the eight digits + ".tmp", 33 bytes whatever the target's length.
QByteArray SaveTemporaryName(const QByteArray& fileName, quint32 serial);

// Ends the process on SIGINT, SIGTERM and SIGHUP with the status 128 + the
// signal's number, after removing the named temporary file of a save under way
// (an unnamed one goes with the process). The old target stays as it was.
void EndOnSignalsWithoutLeftovers();

// Moves an existing file that could not be read aside to "PATH.damaged",
// replacing an older copy, so that a later save cannot overwrite what it held.
struct DamagedFileCopy {
    enum Status { NothingToKeep, Kept, Failed };
    Status status = NothingToKeep;
    QString keptAs; // the copy's path (Kept), or the path that could not be made (Failed)
    QString reason; // the system's reason when Failed
};
DamagedFileCopy KeepDamagedFile(const QString& path);

} // namespace zv
