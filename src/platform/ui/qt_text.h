#pragma once
#include <QString>
#include <string>

namespace qv {

// The one crossing between the program's Windows-1252 texts and Qt's strings.
QString Qs(const std::string& cp1252);
std::string Cp(const QString& text);
// A path (the file system's bytes) to and from a file dialog or a path box of a form.
QString QPath(const std::string& path);
std::string FsPath(const QString& path);

}  // namespace qv
