#pragma once
// Files that attack whoever reads or writes them, for the tests of every layer:
// a FIFO that tells whether it was opened, sparse files of any size, a file
// size limit that makes writes fail as on a full disk, and the bytes this
// process has read.

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace zvtest {

// A FIFO at path that tells whether anyone opened it (inotify sees every open,
// also a non-blocking one). Its writer waits in a thread, so that a reader
// that opens it is not blocked for good but reads an empty file. The FIFO is
// also linked in a folder of its own, where it is found to release the writer
// even after the path was renamed.
class FifoWatch {
public:
    explicit FifoWatch(const QString& path) : own_(QFile::encodeName(dir_.filePath("fifo"))) {
        made_ = ::mkfifo(own_.constData(), 0600) == 0 &&
                ::link(own_.constData(), QFile::encodeName(path).constData()) == 0 &&
                notify_ >= 0 && ::inotify_add_watch(notify_, own_.constData(), IN_OPEN) >= 0;
        if (made_) {
            writer_ = std::thread([this] {
                const int fd = ::open(own_.constData(), O_WRONLY);
                if (fd >= 0) {
                    ::close(fd);
                }
            });
        }
    }
    ~FifoWatch() {
        if (made_) {
            const int fd = ::open(own_.constData(), O_RDONLY | O_NONBLOCK);
            writer_.join();
            if (fd >= 0) {
                ::close(fd);
            }
        }
        ::close(notify_);
    }
    FifoWatch(const FifoWatch&) = delete;
    FifoWatch& operator=(const FifoWatch&) = delete;

    bool made() const { return made_; }
    bool opened() {
        char events[4096];
        opened_ = opened_ || ::read(notify_, events, sizeof events) > 0;
        return opened_;
    }

private:
    QTemporaryDir dir_;
    QByteArray own_;
    int notify_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    bool made_ = false;
    bool opened_ = false;
    std::thread writer_;
};

// A file of the given size that takes no disk space.
inline bool makeSparseFile(const QString& path, qint64 size) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.resize(size);
}

// Writes of this process fail beyond the given file size, with the errno of
// the limit instead of the signal, as writes to a full disk fail.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : oldHandler_(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    void (*oldHandler_)(int);
    rlimit old_{};
};

// The bytes this process has read from files so far.
inline qint64 bytesReadSoFar() {
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : io.readAll().split('\n')) {
        if (line.startsWith("rchar:")) {
            return line.mid(6).trimmed().toLongLong();
        }
    }
    return -1;
}

inline bool writeBytes(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace zvtest
