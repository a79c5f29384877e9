#include "GuardedFile.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QCryptographicHash>
#include <QRandomGenerator>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zv {

namespace {

QString systemReason(int error) {
    return qt_error_string(error);
}

QByteArray nativeName(const QString& path) {
    return QFile::encodeName(path);
}

// Closes a descriptor when the scope ends.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now and reports the result: a network file system may report a
    // failed write only here.
    int close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

FileContent refused(const QString& reason) {
    return {FileContent::Refused, {}, reason};
}

FileContent unreadable(int error) {
    return {FileContent::Unreadable, {}, systemReason(error)};
}

const QString NotRegular = QStringLiteral("not a regular file");
const QString TooLarge = QStringLiteral("larger than 64 MiB");

// A write-only device on a descriptor that keeps the errno of the first failed
// write. QFile's own buffer loses it when a write is cut short (the reason
// becomes "Unknown error") and does not see a failure of its final flush.
class DescriptorDevice final : public QIODevice {
public:
    explicit DescriptorDevice(int fd) : fd_(fd) {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }
    // Writes out what is still buffered; false after any failed write.
    bool drain() {
        if (error_ != 0) {
            return false;
        }
        qsizetype done = 0;
        while (done < buffer_.size()) {
            const ssize_t n = ::write(fd_, buffer_.constData() + done,
                                      static_cast<std::size_t>(buffer_.size() - done));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                fail(n < 0 ? errno : EIO);
                return false;
            }
            done += n;
        }
        buffer_.clear();
        return true;
    }
    bool failed() const { return error_ != 0; }
    void fail(int error) {
        error_ = error;
        setErrorString(systemReason(error));
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 length) override {
        if (error_ != 0) {
            return -1;
        }
        buffer_.append(data, static_cast<qsizetype>(length));
        if (buffer_.size() >= ChunkBytes && !drain()) {
            return -1;
        }
        return length;
    }

private:
    static constexpr qsizetype ChunkBytes = 64 * 1024;
    int fd_;
    int error_ = 0;
    QByteArray buffer_;
};

// Where a save of path really goes: the path itself, or the file its link
// leads to when the link is the user's own and stays in the same folder.
QString saveTarget(const QString& path, const struct stat& link) {
    if (link.st_uid != ::geteuid()) {
        return path;
    }
    const QFileInfo info(path);
    const QString resolved = info.canonicalFilePath(); // empty for a dangling link
    if (resolved.isEmpty() ||
        QFileInfo(resolved).absolutePath() != QFileInfo(info.absolutePath()).canonicalFilePath()) {
        return path;
    }
    return resolved;
}

// The named temporary file of the save under way, for the signal handler: the
// name is complete before armed is set, and the handler reads it only then.
char armedName[PATH_MAX];
std::atomic<bool> armed{false};
static_assert(std::atomic<bool>::is_always_lock_free, "read in a signal handler");

void arm(const QByteArray& name) {
    armed.store(false);
    if (name.size() < qsizetype(sizeof armedName)) {
        std::memcpy(armedName, name.constData(), static_cast<std::size_t>(name.size()) + 1);
        armed.store(true);
    }
}

void disarm() {
    armed.store(false);
}

extern "C" void endOnSignal(int signal) {
    if (armed.load()) {
        ::unlink(armedName);
    }
    ::_exit(128 + signal);
}

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) {
        return QByteArrayLiteral(".");
    }
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

QByteArray inFolder(const QByteArray& folder, const QByteArray& name) {
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

QByteArray nameOf(const QByteArray& path) {
    return path.mid(path.lastIndexOf('/') + 1);
}

QByteArray hashPart(const QByteArray& fileName) {
    return QCryptographicHash::hash(fileName, QCryptographicHash::Sha256).left(8).toHex();
}

constexpr qsizetype SaveNameLength = 33; // ".zv-", 16 digits, "-", 8 digits, ".tmp"

bool isLowerHex(QByteArrayView digits) {
    return std::all_of(digits.begin(), digits.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    });
}

// Byte for byte: the folder and the name may hold any bytes but '/' and NUL.
int removeLeftovers(const QByteArray& folder, const QByteArray& fileName) {
    const QByteArray prefix = ".zv-" + hashPart(fileName) + '-';
    DIR* dir = ::opendir(folder.constData());
    if (dir == nullptr) {
        return 0;
    }
    QByteArrayList candidates;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArrayView name(entry->d_name);
        if (name.size() == SaveNameLength && name.startsWith(prefix) && name.endsWith(".tmp") &&
            isLowerHex(name.sliced(prefix.size(), 8))) {
            candidates << name.toByteArray();
        }
    }
    ::closedir(dir);
    int removed = 0;
    for (const QByteArray& name : candidates) {
        const QByteArray path = inFolder(folder, name);
        struct stat before {};
        if (::lstat(path.constData(), &before) != 0 || !S_ISREG(before.st_mode) ||
            before.st_uid != ::geteuid()) {
            continue;
        }
        Descriptor fd(::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat opened {};
        // A save under way holds the lock; a killed one holds it no longer.
        if (fd.get() < 0 || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 ||
            ::fstat(fd.get(), &opened) != 0 || opened.st_ino != before.st_ino ||
            opened.st_dev != before.st_dev) {
            continue;
        }
        struct stat now {};
        if (::lstat(path.constData(), &now) == 0 && now.st_ino == opened.st_ino &&
            now.st_dev == opened.st_dev && ::unlink(path.constData()) == 0) {
            ++removed;
        }
    }
    return removed;
}

// The temporary file of one save. Until it is committed, leaving the scope
// (a failure, an exception such as std::bad_alloc) removes it; an unnamed one
// goes by itself when its descriptor closes.
class Temporary {
public:
    Temporary() = default;
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;
    ~Temporary() {
        if (!name_.isEmpty()) {
            if (!committed_) {
                ::unlink(name_.constData());
            }
            disarm();
        }
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }

    // Opens the temporary file in folder for the target named fileName;
    // nullopt, or the reason it failed.
    std::optional<QString> open(const QByteArray& folder, const QByteArray& fileName, mode_t mode,
                                TemporaryKind kind) {
        folder_ = folder;
        fileName_ = fileName;
        if (kind == TemporaryKind::UnnamedWherePossible && ::access("/proc/self/fd", X_OK) == 0) {
            fd_ = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
            if (fd_ >= 0) {
                return lock();
            }
            // Only a file system without unnamed files falls back to a name.
            if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
                return systemReason(errno);
            }
        }
        for (int attempt = 0; attempt < 100; ++attempt) {
            QByteArray name = freeName();
            // O_EXCL and O_NOFOLLOW: the temporary file is always a new one of ours.
            fd_ = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                         mode);
            if (fd_ < 0) {
                if (errno == EEXIST) {
                    continue;
                }
                return systemReason(errno);
            }
            name_ = std::move(name);
            arm(name_);
            if (const std::optional<QString> error = lock()) {
                return error;
            }
            // The clean-up of another save may have taken the file between its
            // creation and the lock: then it is gone, and another name is tried.
            struct stat info {};
            if (::fstat(fd_, &info) == 0 && info.st_nlink > 0) {
                return std::nullopt;
            }
            disarm();
            name_.clear();
            ::close(fd_);
            fd_ = -1;
        }
        return systemReason(EEXIST);
    }

    int fd() const { return fd_; }

    // Gives an unnamed file its hidden name, then replaces the target with it.
    std::optional<QString> commit(const QByteArray& target) {
        for (int attempt = 0; attempt < 100 && name_.isEmpty(); ++attempt) {
            QByteArray name = freeName();
            arm(name);
            const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd_);
            if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(),
                         AT_SYMLINK_FOLLOW) == 0) {
                name_ = std::move(name);
            } else if (errno != EEXIST) {
                const int error = errno;
                disarm();
                return systemReason(error);
            }
        }
        if (name_.isEmpty()) {
            disarm();
            return systemReason(EEXIST);
        }
        if (::rename(name_.constData(), target.constData()) != 0) {
            return systemReason(errno);
        }
        committed_ = true;
        return std::nullopt;
    }

private:
    std::optional<QString> lock() {
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                return systemReason(errno);
            }
        }
        return std::nullopt;
    }

    QByteArray freeName() const {
        return inFolder(folder_,
                        SaveTemporaryName(fileName_, QRandomGenerator::global()->generate()));
    }

    QByteArray folder_;
    QByteArray fileName_;
    QByteArray name_; // empty while the file is unnamed
    int fd_ = -1;
    bool committed_ = false;
};

} // namespace

FileContent ReadGuardedFile(const QString& path) {
    const QByteArray name = nativeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0) {
        return unreadable(errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return refused(NotRegular);
    }
    if (info.st_size > MaxFileBytes) {
        return refused(TooLarge);
    }
    // Non-blocking: the entry may have been swapped for a FIFO since the stat.
    Descriptor fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) {
        return unreadable(errno);
    }
    if (::fstat(fd.get(), &info) != 0) {
        return unreadable(errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return refused(NotRegular);
    }
    FileContent result;
    // The whole file in one block of its size (and the byte that tells its end):
    // a buffer grown while reading would copy itself and hold up to three
    // times the file at a moment.
    result.bytes.reserve(static_cast<qsizetype>(std::min<qint64>(info.st_size, MaxFileBytes)) + 1);
    const qsizetype capacity = result.bytes.capacity();
    // The file may grow while it is read: stop one byte past the limit.
    constexpr qsizetype Chunk = 64 * 1024;
    for (;;) {
        const qsizetype have = result.bytes.size();
        qsizetype want = std::min<qsizetype>(Chunk, MaxFileBytes + 1 - have);
        if (have < capacity) {
            want = std::min(want, capacity - have);
        }
        result.bytes.resize(have + want);
        const ssize_t n =
            ::read(fd.get(), result.bytes.data() + have, static_cast<std::size_t>(want));
        if (n < 0 && errno == EINTR) {
            result.bytes.resize(have);
            continue;
        }
        if (n < 0) {
            return unreadable(errno);
        }
        result.bytes.resize(have + n);
        if (result.bytes.size() > MaxFileBytes) {
            return refused(TooLarge);
        }
        if (n == 0) {
            return result;
        }
    }
}

std::optional<QString> WriteGuardedFile(const QString& path, const ContentWriter& write,
                                        TemporaryKind kind) {
    QString target = path;
    mode_t mode = 0666; // before the umask, as for any new file
    bool keepMode = false;
    struct stat info {};
    if (::lstat(nativeName(path).constData(), &info) == 0) {
        if (S_ISLNK(info.st_mode)) {
            target = saveTarget(path, info);
        }
        if (target != path) {
            if (::stat(nativeName(target).constData(), &info) != 0) {
                return systemReason(errno);
            }
        }
        if (target != path || !S_ISLNK(info.st_mode)) {
            if (!S_ISREG(info.st_mode)) {
                return NotRegular;
            }
            mode = info.st_mode & 0777; // no set-id bits on a copy
            keepMode = true;
        }
    } else if (errno != ENOENT) {
        return systemReason(errno);
    }

    const QByteArray targetName = nativeName(target);
    const QByteArray folder = folderOf(targetName);
    const QByteArray fileName = nameOf(targetName);
    removeLeftovers(folder, fileName);
    Temporary temporary;
    if (const std::optional<QString> error = temporary.open(folder, fileName, mode, kind)) {
        return error;
    }
    if (keepMode) {
        ::fchmod(temporary.fd(), mode); // the umask may have cut bits the old file had
    }

    DescriptorDevice device(temporary.fd());
    const std::optional<QString> ownError = write(device);
    // A failed write's own reason comes first: the writer's text may only say
    // that something went wrong.
    if (!device.drain() || device.failed()) {
        return device.errorString();
    }
    if (ownError) {
        return ownError;
    }
    // A network file system may report a failed write only at the sync.
    if (::fsync(temporary.fd()) != 0 && errno != EINVAL && errno != EROFS) {
        return systemReason(errno);
    }
    // The descriptor stays open, and locked, until the rename is done, so that
    // no clean-up takes the file in between.
    return temporary.commit(targetName);
}

std::optional<QString> WriteGuardedFile(const QString& path, const QByteArray& content,
                                        TemporaryKind kind) {
    return WriteGuardedFile(
        path,
        [&](QIODevice& device) -> std::optional<QString> {
            device.write(content);
            return std::nullopt;
        },
        kind);
}

QByteArray SaveTemporaryName(const QByteArray& fileName, quint32 serial) {
    return ".zv-" + hashPart(fileName) + '-' +
           QByteArray::number(serial, 16).rightJustified(8, '0') + ".tmp";
}

void EndOnSignalsWithoutLeftovers() {
    struct sigaction action {};
    action.sa_handler = endOnSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
}

DamagedFileCopy KeepDamagedFile(const QString& path) {
    struct stat info {};
    if (::lstat(nativeName(path).constData(), &info) != 0) {
        return {};
    }
    const QString kept = path + QStringLiteral(".damaged");
    if (::rename(nativeName(path).constData(), nativeName(kept).constData()) != 0) {
        return {DamagedFileCopy::Failed, kept, systemReason(errno)};
    }
    return {DamagedFileCopy::Kept, kept, {}};
}

} // namespace zv
