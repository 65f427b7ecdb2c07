#include "app/data_locations.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "app/whole_file.h"
#include "text/value_text.h"

namespace tankora {
namespace {

// "用户注意.txt", named in UTF-8 because it is a file-system name.
const std::string kNoticeFileName = "\xe7\x94\xa8\xe6\x88\xb7\xe6\xb3\xa8\xe6\x84\x8f.txt";
// 本目录为数据保存目录,用户请勿手动修改或删除本目录下任何文件,以免相应的软件运行出错 + CR LF
const std::string kNoticeText =
    "\xb1\xbe\xc4\xbf\xc2\xbc\xce\xaa\xca\xfd\xbe\xdd\xb1\xa3\xb4\xe6\xc4\xbf\xc2\xbc\x2c\xd3\xc3\xbb\xa7\xc7"
    "\xeb\xce\xf0\xca\xd6\xb6\xaf\xd0\xde\xb8\xc4\xbb\xf2\xc9\xbe\xb3\xfd\xb1\xbe\xc4\xbf\xc2\xbc\xcf\xc2\xc8"
    "\xce\xba\xce\xce\xc4\xbc\xfe\x2c\xd2\xd4\xc3\xe2\xcf\xe0\xd3\xa6\xb5\xc4\xc8\xed\xbc\xfe\xd4\xcb\xd0\xd0"
    "\xb3\xf6\xb4\xed\r\n";

const std::string kDataRootName = "Ravelt/";
const std::string kFallbackRootName = ".3d/";
const std::string kSettingsFileName = "Raveltsoft.p";
const std::string kFallbackSettingsFileName = "Quorbane.txt";

bool isAbsolute(const std::string& path) { return !path.empty() && path.front() == '/'; }

std::string homeFolder(const Environment& environment) { return withTrailingSeparator(environment.home); }

// An XDG base folder: the variable when it holds an absolute path, else the default below home.
std::string baseFolder(const std::string& variable, const Environment& environment, const char* belowHome) {
    if (isAbsolute(variable)) return withTrailingSeparator(variable);
    return homeFolder(environment) + belowHome;
}

std::string dataHome(const Environment& environment) {
    return baseFolder(environment.xdgDataHome, environment, ".local/share/");
}

std::string configHome(const Environment& environment) {
    return baseFolder(environment.xdgConfigHome, environment, ".config/");
}

std::string tempFolder(const Environment& environment) {
    struct stat info {};
    if (isAbsolute(environment.tmpDir) && ::stat(environment.tmpDir.c_str(), &info) == 0 &&
        S_ISDIR(info.st_mode)) {
        return withTrailingSeparator(environment.tmpDir);
    }
    return "/tmp/";
}

std::string primaryDataRoot(const Environment& environment) { return dataHome(environment) + kDataRootName; }

// Creates the data root (and the XDG folders above it) and probes it with the notice file.
bool probePrimaryDataRoot(const Environment& environment) {
    createFolderTree(dataHome(environment));
    std::string root = primaryDataRoot(environment);
    createFolder(root);
    return writeNoticeFile(root);
}

std::string environmentVariable(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

}  // namespace

Environment processEnvironment() {
    Environment environment;
    environment.home = environmentVariable("HOME");
    if (!isAbsolute(environment.home)) {
        if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir)
            environment.home = user->pw_dir;
    }
    environment.xdgDataHome = environmentVariable("XDG_DATA_HOME");
    environment.xdgConfigHome = environmentVariable("XDG_CONFIG_HOME");
    environment.tmpDir = environmentVariable("TMPDIR");
    environment.xdgDesktopDir = environmentVariable("XDG_DESKTOP_DIR");
    environment.xdgDocumentsDir = environmentVariable("XDG_DOCUMENTS_DIR");
    return environment;
}

std::string specialFolder(int folderNumber, const Environment& environment) {
    auto userFolder = [&](const std::string& variable, const char* belowHome) {
        return isAbsolute(variable) ? withTrailingSeparator(variable) : homeFolder(environment) + belowHome;
    };
    switch (folderNumber) {
        case kFavouritesFolder:
        case 6:
        case 40:
            return homeFolder(environment);
        case kDesktopFolder:
        case 0:
        case 16:
            return userFolder(environment.xdgDesktopDir, "Desktop/");
        case 5:
            return userFolder(environment.xdgDocumentsDir, "Documents/");
        case kSystemRootFolder:
        case 36:
            return "/";
        case kConfigFolder:
        case 37:
            return configHome(environment);
        case kTempFolder:
            return tempFolder(environment);
        case 26:
        case 28:
            return dataHome(environment);
        default:
            return {};
    }
}

std::string withTrailingSeparator(std::string_view path) {
    std::string result(path);
    if (rightText(path, 1) != "/") result += '/';
    return result;
}

std::string textBeforeFirst(std::string_view text, std::string_view separator) {
    int position = findText(text, separator, true);
    if (position <= 1) return {};
    return leftText(text, position - 1);
}

bool writeNoticeFile(const std::string& folder) {
    return writeWholeFile(folder + kNoticeFileName, kNoticeText);
}

std::string resolveDataRoot(const Environment& environment) {
    if (probePrimaryDataRoot(environment)) return primaryDataRoot(environment);
    return fallbackDataRoot(environment);
}

std::string fallbackDataRoot(const Environment& environment) {
    std::string home = homeFolder(environment);
    std::string root = home + kFallbackRootName;
    createFolder(home);
    createFolder(root);
    return root;
}

std::string resolveSettingsPath(const Environment& environment) {
    if (probePrimaryDataRoot(environment)) return resolveDataRoot(environment) + kSettingsFileName;
    // The config folder always existed where this fallback came from; here it may not yet.
    std::string config = specialFolder(kConfigFolder, environment);
    createFolderTree(config);
    return config + kFallbackSettingsFileName;
}

}  // namespace tankora
