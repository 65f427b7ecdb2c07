// Where the program keeps its data: the data root and its fallback, the settings file,
// the notice file that probes whether a folder can be written, and the system folders.
// Paths are file-system bytes (UTF-8), end with "/" where they name a folder, and are
// found from the environment passed in, never from the process directly.
#pragma once

#include <string>
#include <string_view>

namespace tankora {

// The environment variables the locations rest on; an empty member stands for unset.
struct Environment {
    std::string home;
    std::string xdgDataHome;
    std::string xdgConfigHome;
    std::string tmpDir;
    std::string xdgDesktopDir;
    std::string xdgDocumentsDir;
};

// The process's own environment; an unset or relative HOME is taken from the user database.
Environment processEnvironment();

// The program's own folder numbers of the system folders it may ask for.
inline constexpr int kFavouritesFolder = 2;
inline constexpr int kDesktopFolder = 3;
inline constexpr int kSystemRootFolder = 9;  // stands where the Windows folder stood
inline constexpr int kConfigFolder = 10;     // stands where the system folder stood
inline constexpr int kTempFolder = 11;

// The folder with a trailing "/":
//   2 favourites: the home folder          3 desktop: $XDG_DESKTOP_DIR or $HOME/Desktop
//   9 the system's root "/"                10 $XDG_CONFIG_HOME or $HOME/.config
//   11 $TMPDIR when it names a folder, else /tmp
// Other numbers as the old shell numbered them (0 desktop, 5 documents, 6 favourites,
// 26 and 28 $XDG_DATA_HOME, 36 the root, 37 the config folder, 40 home); any number
// without a counterpart here gives the empty text.
std::string specialFolder(int folderNumber, const Environment& environment);

// The path unchanged when it ends in "/", else followed by "/"; the empty text gives "/".
std::string withTrailingSeparator(std::string_view path);

// The text before the first occurrence of `separator` (letter case ignored); empty when
// it does not occur or occurs at the first character.
std::string textBeforeFirst(std::string_view text, std::string_view separator);

// Writes the notice file into `folder` (ending in "/"), replacing it; this is the probe
// of whether the folder can be written. True when every byte was written.
bool writeNoticeFile(const std::string& folder);

// The data root $XDG_DATA_HOME/Ravelt/ (or $HOME/.local/share/Ravelt/): created and
// probed each time; when the probe fails, fallbackDataRoot.
std::string resolveDataRoot(const Environment& environment);
// Creates $HOME/ and $HOME/.3d/, ignoring both results, and returns $HOME/.3d/.
std::string fallbackDataRoot(const Environment& environment);
// The data root's "Raveltsoft.p" when the data root can be written, else "Quorbane.txt"
// in the config folder.
std::string resolveSettingsPath(const Environment& environment);

}  // namespace tankora
