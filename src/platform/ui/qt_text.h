#pragma once
#include <QString>
#include <string>

namespace qv {

// The one crossing between the program's Windows-1252 texts and Qt's strings.
QString Qs(const std::string& cp1252);
std::string Cp(const QString& text);

}  // namespace qv
