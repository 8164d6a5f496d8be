#include "territory/map_print_settings.h"

#include <algorithm>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/numbers.h"
#include "platform/text_file.h"
#include "territory/manual_selection.h"
#include "territory/map_geometry.h"
#include "territory/map_tables.h"

namespace qv {

namespace {

constexpr size_t kCommentWidth = 65535;
constexpr size_t kNoteWidth = 255;
// "Confini amministrativi: ISTAT, elaborazione openpolis/geojson-italy, CC BY 4.0"
constexpr int kBoundariesSourceText = 2270;

}  // namespace

void LoadPrintScale() {
    TextReader in;
    if (!in.Open(DataFilePath(data_file::kPrintScale))) return;
    if (!in.Eof()) MapState.PrintScaleX = LeadingInteger(in.ReadLine(100), 100);
    if (!in.Eof()) MapState.PrintScaleY = LeadingInteger(in.ReadLine(100), 100);
}

MapPageNotes LoadMapPageNotes(int32_t pageHeight) {
    MapPageNotes notes;
    notes.Lines = LoadPrintComment();
    for (std::string& line : notes.Lines) line.resize(std::min<size_t>(line.size(), kNoteWidth));
    notes.Lines.push_back(LoadText(kBoundariesSourceText));
    notes.LineHeight = MapFontHeights[size_t(kPrinterFonts + kTitleFont)];
    while (notes.Lines.size() > 1 && notes.Height() > pageHeight) notes.Lines.erase(notes.Lines.end() - 2);
    return notes;
}

double PrintFitFactor(int32_t pageWidth, int32_t pageHeight, int32_t notesHeight) {
    const double width = (MapState.MapWidth + MapDrawableMargin()) * (MapState.PrintScaleX / 100.0);
    const double height = (MapState.MapHeight + MapDrawableMargin()) * (MapState.PrintScaleY / 100.0);
    const int32_t room = std::max(0, pageHeight - std::max(0, notesHeight));
    double factor = 1;
    if (width > pageWidth && width > 0) factor = std::min(factor, std::max(0, pageWidth) / width);
    if (height > room && height > 0) factor = std::min(factor, room / height);
    return factor;
}

void SavePrintScale() {
    TextBuilder out;
    out.Line(std::to_string(MapState.PrintScaleX));
    out.Line(std::to_string(MapState.PrintScaleY));
    out.Save(DataFilePath(data_file::kPrintScale));
}

PrintFontPositions LoadPrintFontPositions() {
    PrintFontPositions positions;
    positions.fill(kDefaultFontPosition);
    if (auto bytes = TryReadFile(DataFilePath(data_file::kFontPosition)))
        for (size_t k = 0; k < positions.size() && 4 * (k + 1) <= bytes->size(); ++k)
            positions[k] = GetI32(Bytes(*bytes) + 4 * k);
    return positions;
}

void SavePrintFontPositions(const PrintFontPositions& positions) {
    std::string cart, heights;
    for (int32_t p : positions) {
        AppendI32(cart, p);
        AppendI32(heights, p + 1);
    }
    WriteFileAtomic(DataFilePath(data_file::kFontPosition), cart);
    WriteFileAtomic(DataFilePath(data_file::kMapFontHeight), heights);
}

std::vector<std::string> LoadPrintComment() {
    auto lines = TextReader::ReadLines(DataFilePath(data_file::kComment), kCommentWidth);
    return lines ? std::move(*lines) : std::vector<std::string>{};
}

void SavePrintComment(const std::vector<std::string>& lines) {
    TextBuilder out;
    for (const std::string& line : lines) out.Line(line);
    out.Save(DataFilePath(data_file::kComment));
}

}  // namespace qv
