#include "ProgramFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace zv {

namespace {

QString withSlash(QString folder) {
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    return folder;
}

} // namespace

ProgramFiles programFilesIn(const ProgramFolders& folders) {
    const QString program = withSlash(folders.program);
    ProgramFiles files;

    // Factory settings beside the program (portable and build layouts), else
    // the installed copy in <prefix>/share/zorvandine/ next to <prefix>/bin/.
    files.factorySettings = program + QStringLiteral("Default.ini");
    const QString shared =
        QDir::cleanPath(program + QStringLiteral("../share/zorvandine/Default.ini"));
    // Installed into a system prefix: the user's files never go to bin/, even
    // when the administrator starts the program and could write there.
    const bool installed = !QFileInfo::exists(files.factorySettings) && QFileInfo::exists(shared);
    if (installed) {
        files.factorySettings = shared;
    }

    const QString beside = program + QStringLiteral("User.ini");
    if ((folders.programWritable && !installed) || folders.userConfig.isEmpty()) {
        files.userSettings = beside;
        files.userSettingsWrite = beside;
        files.savedParameters = program + QStringLiteral("Saved Parameter/");
        files.pictures = QDir::cleanPath(program);
        return files;
    }

    // The program folder is read-only or a system one: the user's settings live in the user's
    // configuration folder. That file is the newest state once it exists; a
    // User.ini beside the program (one an administrator placed there, or a
    // portable copy on a read-only medium) is the start until then. Reading it
    // first every time would throw away the user's changes at each start.
    const QString own = withSlash(folders.userConfig) + QStringLiteral("User.ini");
    files.userSettings = QFileInfo::exists(own) || !QFileInfo::exists(beside) ? own : beside;
    files.firstStart = !QFileInfo::exists(files.userSettings);
    files.userSettingsWrite = own;
    const QString data = folders.userData.isEmpty() ? folders.userConfig : folders.userData;
    files.savedParameters = withSlash(data) + QStringLiteral("Saved Parameter/");
    files.pictures = QDir::cleanPath(data);
    return files;
}

ProgramFolders programFoldersFor(const QString& programFolder) {
    ProgramFolders folders;
    folders.program = withSlash(programFolder);
    folders.programWritable = QFileInfo(programFolder).isWritable();
    folders.userConfig = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    folders.userData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return folders;
}

} // namespace zv
