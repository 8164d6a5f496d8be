#include "cardwindow/dialer.h"

#include <vector>

#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/text_file.h"

namespace qv {
namespace {

constexpr size_t kLineWidth = 255;
constexpr char kSection[] = "[Speed Dial Settings]";

std::string SettingsPath() {
    return CoreState.ProgramDir + "dialer.ini";
}

}  // namespace

void WriteDialerSettings(const std::string& number) {
    std::string prefix;
    TextReader prefixFile;
    if (prefixFile.Open(DataFilePath(data_file::kDialerPrefix))) prefix = prefixFile.ReadLine(kLineWidth);

    const std::vector<std::string> old =
        TextReader::ReadLines(SettingsPath(), kLineWidth).value_or(std::vector<std::string>{});
    TextBuilder staged;
    staged.Line(kSection).Line("Name1=Quorvanta").Line("Number1=" + prefix + number);
    for (const std::string& line : old) {
        if (line.find(kSection) != std::string::npos || line.find("Name") != std::string::npos ||
            line.find("Number") != std::string::npos)
            continue;
        staged.Line(line);
    }
    staged.Save(DataFilePath(data_file::kDialerStaging));
    // The settings file gets exactly the staged lines.
    staged.Save(SettingsPath());
}

}  // namespace qv
