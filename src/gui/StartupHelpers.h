#pragma once

#include <QString>

namespace vistarel {

class IClock;
class ILauncher;
class IRandom;

// True when the platform can report the last-modification time of `path`. Never
// fails; an empty path, and a path that ends in a separator (a folder named as
// a file), are never an existing file.
bool FileExists(const QString& path);

// True when the program runs from its build tree: the build leaves a marker
// beside the executable that the installed program folder does not have.
bool IsDevelopmentRun(const QString& programFolder);
inline constexpr char16_t kDevelopmentRunMarker[] = u"vistarel.build-tree";

// Opens the maker's home page on one start in a hundred: a draw of 7 from 1..100.
void MaybeOpenHomePage(IClock& clock, IRandom& random, ILauncher& launcher);

// The program folder plus a separator and a relative name.
QString ProgramFile(const QString& programFolder, const QString& relativeName);

}  // namespace vistarel
