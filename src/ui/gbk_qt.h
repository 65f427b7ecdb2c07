// Where the program's texts meet Qt: GBK bytes and file-system bytes to QString and back.
#pragma once

#include <QString>
#include <string>

namespace tankora {

// A GBK text for a widget; bytes that do not decode show as U+FFFD.
QString toQString(const std::string& gbk);
// A widget's text as GBK; a character GBK cannot hold becomes "?".
std::string toGbk(const QString& text);

// File-system paths are the file system's own bytes (UTF-8 here), never GBK.
QString pathToQString(const std::string& path);
std::string pathFromQString(const QString& path);

}  // namespace tankora
