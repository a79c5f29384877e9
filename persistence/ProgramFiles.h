#pragma once
// Where the program keeps its files. In a folder the user can write (the
// portable layout, a build folder) everything sits beside the program. An
// installed program usually sits in a folder only the administrator can write;
// the user's own files then go to the user's configuration and data folders,
// as they do whenever the factory settings come from an installed
// share/zorvandine/ instead of the program folder.

#include <QString>

namespace zv {

struct ProgramFiles {
    QString userSettings;      // User.ini to read first; may not exist
    QString userSettingsWrite; // where User.ini is written at exit
    QString factorySettings;   // Default.ini; may not exist
    QString savedParameters;   // the "Saved Parameter" folder, ending in '/'
    QString pictures;          // where the picture export's dialog opens, no '/' at the end
    // The settings live in the user's own folder and hold no User.ini yet: the
    // user has never closed this installed program, so nothing was lost.
    bool firstStart = false;
};

struct ProgramFolders {
    QString program;          // the folder of the executable, ending in '/'
    bool programWritable = true;
    QString userConfig;       // the user's configuration folder for the program
    QString userData;         // the user's data folder for the program
};

// Pure: decides from the folders as given, looking only at which files exist.
ProgramFiles programFilesIn(const ProgramFolders& folders);

// The folders of this process: the program folder as given, whether it can be
// written, and the standard locations for the application's name.
ProgramFolders programFoldersFor(const QString& programFolder);

} // namespace zv
