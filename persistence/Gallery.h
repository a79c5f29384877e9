#pragma once
// The example parameter files that come with the program, and the copy of them
// that a new "Saved Parameter" folder receives, so that the first import
// dialog a user opens already offers something to draw.

#include <QString>

namespace zv {

// The gallery folder: "gallery" beside the program (the build folder, a
// portable copy), else the installed "../share/zorvandine/gallery". Empty when
// neither exists.
QString FindGallery(const QString& programDir);

// Creates the parameter folder if it does not exist and copies the gallery's
// parameter files into its subfolder "Examples". A folder that exists already
// is left alone, so examples the user deleted do not come back. False when the
// folder could not be created; a failed copy of an example is not an error.
bool CreateParameterFolder(const QString& folder, const QString& gallery);

} // namespace zv
