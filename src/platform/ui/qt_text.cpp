#include "platform/ui/qt_text.h"

#include <QFile>

#include "platform/cp1252.h"

namespace qv {

QString Qs(const std::string& cp1252) {
    QString out;
    out.reserve(int(cp1252.size()));
    for (unsigned char b : cp1252) out.append(QChar(char16_t(Cp1252ToUnicode(b))));
    return out;
}

std::string Cp(const QString& text) {
    std::string out;
    out.reserve(size_t(text.size()));
    for (QChar c : text) {
        int b = UnicodeToCp1252(c.unicode());
        out.push_back(b < 0 ? '?' : char(b));
    }
    return out;
}

QString QPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string FsPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace qv
