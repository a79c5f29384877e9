#pragma once
// Files that attack whoever reads or writes them, for the tests of every layer.

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace zvtest {

// A FIFO at path that tells whether anyone opened it (inotify sees every open,
// also a non-blocking one). A writer thread opens and closes it, so that a
// reader gets an empty file instead of blocking for good. The FIFO is also
// linked in a folder of its own, where the writer is released even after the
// path was renamed.
class FifoWatch {
    QTemporaryDir dir_;
    QByteArray own_ = QFile::encodeName(dir_.filePath("fifo"));
    int notify_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    char events_[4096];
    std::thread writer_;

public:
    explicit FifoWatch(const QString& path) {
        if (::mkfifo(own_, 0600) == 0 && ::link(own_, QFile::encodeName(path)) == 0 &&
            ::inotify_add_watch(notify_, own_, IN_OPEN) >= 0) {
            writer_ = std::thread([this] { ::close(::open(own_, O_WRONLY)); });
        }
    }
    ~FifoWatch() {
        if (writer_.joinable()) {
            const int release = ::open(own_, O_RDONLY | O_NONBLOCK);
            writer_.join();
            ::close(release);
        }
        ::close(notify_);
    }

    bool made() const { return writer_.joinable(); }
    bool opened() { return ::read(notify_, events_, sizeof events_) > 0; }
};

// Writes of this process fail beyond the given file size with the errno of the
// limit instead of the signal, as writes to a full disk fail.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &old_);
        const rlimit limit{bytes, old_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &old_); }
    rlimit old_{};
};

// A limit on the address space cannot be tested there: ASan reserves terabytes.
inline bool underAddressSanitizer() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#endif
#endif
    return false;
}

inline bool writeBytes(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// For the programs started from here: the window program, without a display,
// must not get as far as a window.
inline void withoutDisplay() {
    for (const char* name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY"}) {
        qunsetenv(name);
    }
}

// The settings the program ships with, copied beside each test.
inline QByteArray factorySettings() {
    return fileBytes(QCoreApplication::applicationDirPath() + "/Default.ini");
}

// Every entry of a folder as raw bytes, hidden ones included, sorted: a name
// that decodes to the same text as another still counts as its own.
inline QByteArrayList entries(const QByteArray& folder) {
    QByteArrayList names;
    std::error_code error; // a folder that is not there has no entries
    for (const auto& entry : std::filesystem::directory_iterator(folder.toStdString(), error)) {
        names << QByteArray::fromStdString(entry.path().filename().native());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace zvtest
