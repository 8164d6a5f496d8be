#include "territory/map_options.h"

#include <cstring>

#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/real6.h"
#include "platform/short_string.h"
#include "territory/map_tables.h"

namespace qv {

namespace {

constexpr int kDefaultPixelWidth = 640;
constexpr int kDefaultPixelHeight = 480;
constexpr int kMapEntries = 8100;
constexpr int kLegendTitleWidth = 50;
constexpr uint32_t kDefaultProgramColour = 0xFFFF00;

// File ids of the program directory.

// Option bytes 1..16, in file order.
constexpr uint8_t MapStateRecord::*kOptionFlags[16] = {
    &MapStateRecord::UnitBorders,
    &MapStateRecord::ColourByClass,
    &MapStateRecord::BarsOverAll,
    &MapStateRecord::ShowValues,
    &MapStateRecord::ShowNames,
    &MapStateRecord::ShowSigle,
    &MapStateRecord::ClassBorders,
    &MapStateRecord::FrameLine,
    &MapStateRecord::ShowChosenName,
    &MapStateRecord::ShowLegendTitle,
    &MapStateRecord::ShowLegend,
    &MapStateRecord::HideBordersInactive,
    &MapStateRecord::HideVariableBordersInactive,
    &MapStateRecord::SigleActiveOnly,
    &MapStateRecord::ValuesAsPercent,
    &MapStateRecord::ZeroIsWhite,
};

std::string ThresholdsPath(int kind) {
    if (kind == 0) return DataFilePath(data_file::kWorkingThresholds);
    if (kind == 1) return DataFilePath(data_file::kBaseThresholds);
    return {};
}

std::string OptionPath(int kind, const std::string& name) {
    if (kind == 0) return DataFilePath(data_file::kWorkingOption);
    if (kind == 1) return DataFilePath(data_file::kBaseOption);
    if (kind == 2) return name;
    return {};
}

// A value that does not fit its byte is stored as 0 ("none") rather than stopping the save.
char OptionByte(int32_t value) {
    return char(value >= 0 && value <= 255 ? value : 0);
}

std::string EncodeThresholds() {
    std::string out(kMapThresholdRecordSize, '\0');
    uint8_t* p = reinterpret_cast<uint8_t*>(out.data());
    for (int k = 0; k < kMapClassLimits; ++k) EncodeReal6(MapClassThresholds.Limits[size_t(k)], p + 6 * k);
    EncodeShortString(MapClassThresholds.Title, kLegendTitleWidth, p + 6 * kMapClassLimits);
    return out;
}

void DecodeThresholds(const uint8_t* p) {
    for (int k = 0; k < kMapClassLimits; ++k) MapClassThresholds.Limits[size_t(k)] = DecodeReal6(p + 6 * k);
    MapClassThresholds.Title = DecodeShortString(p + 6 * kMapClassLimits, kLegendTitleWidth);
}

std::string EncodeColours() {
    std::string out;
    for (uint32_t c : LegendColours) AppendI32(out, int32_t(c));
    return out;
}

}  // namespace

void ApplyMapDefaults() {
    MapClassThresholds.Limits.fill(kClassLimitUnset);
    MapClassThresholds.Title.clear();

    MapStateRecord& m = MapState;
    m.Automatic = 1;
    m.ValuesAsPercent = 0;
    m.UnitBorders = 0;
    m.ColourByClass = 1;
    m.ShowVariableBorders = 0;
    m.FrameLine = 1;
    m.HideRankNumbers = 0;
    m.BarsOverAll = 0;
    m.BarsOverActive = 0;
    m.BarsOverVisible = 0;
    m.ShowNames = 0;
    m.ShowLegend = 1;
    m.ShowLegendTitle = 1;
    m.ClassBorders = 0;
    m.SigleActiveOnly = 0;
    m.HideVariableBordersInactive = 0;
    m.ShowSigle = 0;
    m.HideBordersInactive = 0;
    m.MapMargin = 0;
    m.ShowChosenName = 0;
    m.ShowValues = 0;
    m.ZeroIsWhite = 1;
    m.ZoomLevel = 1;
    m.ComuneNumberOffset = 0;
    m.ValueCount = kMapEntries;
    m.ComuneCount = kMapEntries;
    m.VariableLength = kMapEntries;
    m.VariableBorderWidth = 2;
    m.ClassMode = 1;
    m.QualitativeVariable = 0;
    m.ChosenComune = -1;
    m.ValueDecimals = 0;
    m.LegendLeft = m.LegendRight = m.LegendTop = m.LegendBottom = 0;
    m.PrintScaleX = m.PrintScaleY = 100;
    m.BorderVariable = 0;
    m.AggregationVariable = 0;
    m.SigleSet = 0;
    ApplyWholeMapView();
    m.PickX = m.PickY = m.DrawPointX = m.DrawPointY = -1;
}

void ApplyWholeMapView() {
    MapStateRecord& m = MapState;
    m.ZoomShift = 5;
    m.ZoomScale = 32;
    // Derived from the window size, in this order; division truncates toward zero.
    m.MapWidth = m.PixelWidth;
    m.MapHeight = m.PixelHeight;
    m.ViewCentreX = 16 * m.PixelWidth;
    m.ViewCentreY = 16 * m.PixelHeight;
    m.CentreTargetX = m.PixelWidth / 2;
    m.CentreTargetY = (m.PixelHeight - 26) / 2;
    m.ReferenceX = m.CentreTargetX;
    m.ReferenceY = m.CentreTargetY;
}

void LoadMapOptions(int kind, const std::string& name) {
    MapState.PixelWidth = kDefaultPixelWidth;
    MapState.PixelHeight = kDefaultPixelHeight;
    MapState.LegendX = 0;
    MapState.LegendY = 0;
    // A damaged window file (fewer than four values) counts as missing.
    if (auto window = TryReadFile(DataFilePath(data_file::kMapWindow)); window && window->size() >= 16) {
        const uint8_t* p = Bytes(*window);
        MapState.PixelWidth = GetI32(p);
        MapState.PixelHeight = GetI32(p + 4);
        MapState.LegendX = GetI32(p + 8);
        MapState.LegendY = GetI32(p + 12);
    }

    // A named option file holds no class limits: the user's limits and legend title stay.
    const MapClassThresholdsRecord kept = MapClassThresholds;
    ApplyMapDefaults();

    if (const std::string path = ThresholdsPath(kind); !path.empty()) {
        auto record = TryReadFile(path);
        if (record && record->size() >= size_t(kMapThresholdRecordSize)) DecodeThresholds(Bytes(*record));
    } else {
        MapClassThresholds = kept;
    }

    auto options = TryReadFile(OptionPath(kind, name));
    if (!options) return;
    const std::string& b = *options;
    // A byte past the end of the file reads as a false flag and leaves a value as it is.
    auto has = [&](int n) { return size_t(n) <= b.size(); };
    auto byteAt = [&](int n) { return uint8_t(b[size_t(n - 1)]); };
    auto flag = [&](int n) -> uint8_t { return has(n) && byteAt(n) > 0 ? 1 : 0; };
    for (int n = 1; n <= 16; ++n) MapState.*kOptionFlags[n - 1] = flag(n);
    if (has(17)) MapState.ClassMode = byteAt(17);
    if (has(18)) MapState.AggregationVariable = byteAt(18);
    if (has(19)) MapState.BorderVariable = byteAt(19);
    if (has(20)) MapState.SigleSet = byteAt(20);
    if (has(21)) MapState.VariableBorderWidth = byteAt(21);
    MapState.ShowVariableBorders = flag(22);
    MapState.Automatic = flag(23);
}

void StageMapOptions(FilesReplacedOrPutBack& files, int kind, const std::string& name) {
    if (const std::string path = ThresholdsPath(kind); !path.empty()) files.Stage(path, EncodeThresholds());

    if (const std::string path = OptionPath(kind, name); !path.empty()) {
        std::string b;
        b.reserve(kMapOptionFileSize);
        for (auto member : kOptionFlags) b.push_back(MapState.*member ? 1 : 0);
        b.push_back(OptionByte(MapState.ClassMode));
        b.push_back(OptionByte(MapState.AggregationVariable));
        b.push_back(OptionByte(MapState.BorderVariable));
        b.push_back(OptionByte(MapState.SigleSet));
        b.push_back(OptionByte(MapState.VariableBorderWidth));
        b.push_back(MapState.ShowVariableBorders ? 1 : 0);
        b.push_back(MapState.Automatic ? 1 : 0);
        files.Stage(path, b);
    }

    std::string window;
    AppendI32(window, MapState.PixelWidth);
    AppendI32(window, MapState.PixelHeight);
    AppendI32(window, MapState.LegendX);
    AppendI32(window, MapState.LegendY);
    files.Stage(DataFilePath(data_file::kMapWindow), window);
}

void SaveMapOptions(int kind, const std::string& name) {
    FilesReplacedOrPutBack files;
    StageMapOptions(files, kind, name);
    files.Commit();
}

bool ReadLegendColourFile(const std::string& path) {
    auto record = TryReadFile(path);
    if (!record || record->size() < size_t(kLegendColourRecordSize)) return false;
    for (size_t k = 0; k < LegendColours.size(); ++k) LegendColours[k] = GetU32(Bytes(*record) + 4 * k);
    return true;
}

void WriteLegendColourFile(const std::string& path) {
    WriteFileAtomic(path, EncodeColours());
}

void LoadLegendColours(const std::string& path) {
    if (!ReadLegendColourFile(path)) {
        LegendColours = kDefaultLegendColours;
        try {
            WriteLegendColourFile(path);
        } catch (const IoError&) {
            // The defaults serve for this run; the file is written again when the colours are saved.
        }
    }
    ProgramColour = kDefaultProgramColour;
    if (auto colour = TryReadFile(DataFilePath(data_file::kProgramColour)); colour && colour->size() >= 4)
        ProgramColour = GetU32(Bytes(*colour));
}

void SaveLegendColours(const std::string& path) {
    WriteLegendColourFile(path);
    std::string colour;
    AppendI32(colour, int32_t(ProgramColour));
    WriteFileAtomic(DataFilePath(data_file::kProgramColour), colour);
}

}  // namespace qv
