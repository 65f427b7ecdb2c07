// Whole-file reads and writes on file-system paths, and folder creation. Failures are
// results; nothing here throws or shows anything.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tankora {

// mkdir with the umask's permissions; the result is deliberately not reported.
void createFolder(const std::string& path);
// Creates every missing folder along `path` (as for the XDG base folders: owner only).
void createFolderTree(const std::string& path);

// Creates or truncates the file and writes all bytes; true when every byte was written.
bool writeWholeFile(const std::string& path, std::string_view bytes);
// Writes the bytes as a new file; fails, touching nothing, when anything exists at path.
bool createNewFile(const std::string& path, std::string_view bytes);
// Replaces the file whole through a synced temporary file renamed over it in the same
// folder, so a reader sees the old bytes or the new ones and never a mixture. An
// existing file keeps its permission bits.
bool replaceFile(const std::string& path, std::string_view bytes);

enum class ReadOutcome { Read, Missing, Failed };
struct FileContents {
    ReadOutcome outcome = ReadOutcome::Failed;
    std::string bytes;
};
// The file's bytes; Missing when nothing is at path, Failed when it cannot be read.
FileContents readWholeFile(const std::string& path);

}  // namespace tankora
