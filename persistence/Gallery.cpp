#include "Gallery.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zv {

QString FindGallery(const QString& programDir) {
    const QDir program(programDir);
    for (const QString& candidate :
         {program.filePath(QStringLiteral("gallery")),
          program.filePath(QStringLiteral("../share/zorvandine/gallery"))}) {
        if (QFileInfo(candidate).isDir()) {
            return QDir::cleanPath(candidate);
        }
    }
    return {};
}

bool CreateParameterFolder(const QString& folder, const QString& gallery) {
    if (QFileInfo(folder).isDir()) {
        return true;
    }
    if (!QDir().mkpath(folder)) {
        return false;
    }
    if (gallery.isEmpty()) {
        return true;
    }
    const QDir source(gallery);
    const QStringList files =
        source.entryList({QStringLiteral("*.prm")}, QDir::Files | QDir::Readable);
    if (files.isEmpty()) {
        return true;
    }
    const QDir examples(QDir(folder).filePath(QStringLiteral("Examples")));
    if (!QDir().mkpath(examples.path())) {
        return true;
    }
    for (const QString& name : files) {
        // The copy is the user's to change, whatever the installed file allows.
        if (QFile::copy(source.filePath(name), examples.filePath(name))) {
            QFile::setPermissions(examples.filePath(name), QFile::ReadOwner | QFile::WriteOwner |
                                                               QFile::ReadGroup | QFile::ReadOther);
        }
    }
    return true;
}

} // namespace zv
