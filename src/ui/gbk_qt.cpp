#include "ui/gbk_qt.h"

#include <QByteArray>

#include "text/gbk_codec.h"

namespace tankora {

QString toQString(const std::string& gbk) {
    const std::string utf8 = gbkToUtf8(gbk);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string toGbk(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return utf8ToGbk(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

QString pathToQString(const std::string& path) {
    return QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
}

std::string pathFromQString(const QString& path) {
    const QByteArray utf8 = path.toUtf8();
    return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

}  // namespace tankora
