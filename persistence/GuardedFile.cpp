#include "GuardedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
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

QString randomSuffix() {
    static const char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString suffix(6, QLatin1Char('x'));
    for (QChar& c : suffix) {
        c = QLatin1Char(Letters[QRandomGenerator::global()->bounded(62)]);
    }
    return suffix;
}

bool isSaveSuffix(QStringView suffix) {
    if (suffix.size() != 6) {
        return false;
    }
    for (const QChar c : suffix) {
        if (c.unicode() > 127 || !c.isLetterOrNumber()) {
            return false;
        }
    }
    return true;
}

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
    // The file may grow while it is read: stop one byte past the limit.
    constexpr qsizetype Chunk = 64 * 1024;
    for (;;) {
        const qsizetype have = result.bytes.size();
        const qsizetype want = std::min<qsizetype>(Chunk, MaxFileBytes + 1 - have);
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

std::optional<QString> WriteGuardedFile(const QString& path, const ContentWriter& write) {
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

    // O_EXCL and O_NOFOLLOW: the temporary file is always a new one of ours.
    QString temporary;
    int created = -1;
    for (int attempt = 0; attempt < 100 && created < 0; ++attempt) {
        temporary = target + QLatin1Char('.') + randomSuffix();
        created = ::open(nativeName(temporary).constData(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (created < 0 && errno != EEXIST) {
            return systemReason(errno);
        }
    }
    if (created < 0) {
        return systemReason(EEXIST);
    }
    Descriptor fd(created);
    const QByteArray temporaryName = nativeName(temporary);
    const auto failWith = [&](const QString& reason) {
        ::unlink(temporaryName.constData());
        return std::optional<QString>(reason);
    };
    if (keepMode) {
        ::fchmod(fd.get(), mode); // the umask may have cut bits the old file had
    }

    DescriptorDevice device(fd.get());
    const std::optional<QString> ownError = write(device);
    // A failed write's own reason comes first: the writer's text may only say
    // that something went wrong.
    if (!device.drain() || device.failed()) {
        return failWith(device.errorString());
    }
    if (ownError) {
        return failWith(*ownError);
    }
    if (::fsync(fd.get()) != 0 && errno != EINVAL && errno != EROFS) {
        return failWith(systemReason(errno));
    }
    if (fd.close() != 0) {
        return failWith(systemReason(errno));
    }
    if (::rename(temporaryName.constData(), nativeName(target).constData()) != 0) {
        return failWith(systemReason(errno));
    }
    return std::nullopt;
}

std::optional<QString> WriteGuardedFile(const QString& path, const QByteArray& content) {
    return WriteGuardedFile(path, [&](QIODevice& device) -> std::optional<QString> {
        device.write(content);
        return std::nullopt;
    });
}

int RemoveSaveLeftovers(const QString& folder, const QString& fileName) {
    const QDir dir(folder);
    const QString prefix = fileName + QLatin1Char('.');
    int removed = 0;
    for (const QString& entry : dir.entryList({prefix + QStringLiteral("??????")},
                                              QDir::Files | QDir::Hidden | QDir::System)) {
        if (!entry.startsWith(prefix) || !isSaveSuffix(QStringView(entry).mid(prefix.size()))) {
            continue;
        }
        const QByteArray name = nativeName(dir.filePath(entry));
        struct stat info {};
        if (::lstat(name.constData(), &info) == 0 && S_ISREG(info.st_mode) &&
            info.st_uid == ::geteuid() && ::unlink(name.constData()) == 0) {
            ++removed;
        }
    }
    return removed;
}

std::optional<QString> KeepDamagedFile(const QString& path) {
    struct stat info {};
    if (::lstat(nativeName(path).constData(), &info) != 0) {
        return std::nullopt;
    }
    const QString kept = path + QStringLiteral(".damaged");
    if (::rename(nativeName(path).constData(), nativeName(kept).constData()) != 0) {
        return std::nullopt;
    }
    return kept;
}

} // namespace zv
