#pragma once
// Shell links and executable icons, on top of the platform's shell.

#include <string>

namespace tailpack {

class IInstallRecorder;

// Creates the link's folder chain, then a link to Target. The icon location
// is set only when IconFile differs from Target.
bool CreateShortcut(const std::string& linkFile, const std::string& target, const std::string& arguments,
                    int iconIndex, const std::string& iconFile, int showCommand,
                    const std::string& workingFolder, IInstallRecorder* recorder);
// Short form: no icon, a normal window, the target's folder as working folder.
bool CreateShortcut(const std::string& linkFile, const std::string& target, const std::string& arguments,
                    IInstallRecorder* recorder);
// Short form with an icon file (index 0).
bool CreateShortcut(const std::string& linkFile, const std::string& target, const std::string& arguments,
                    const std::string& iconFile, IInstallRecorder* recorder);

// Replaces the first icon image of ExeFile by the first image of IconFile.
// Returns false when the icon cannot be read or the resource not updated.
bool ReplaceIcon(const std::string& iconFile, const std::string& exeFile);

}  // namespace tailpack
