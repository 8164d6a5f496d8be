#include "territory/map_rescale.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/assertion.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/progress.h"
#include "territory/map_options.h"
#include "territory/outline_record.h"

namespace qv {

namespace {

constexpr int32_t kNoMinimum = 9999999;
// Larger sizes would overflow the view fields derived from them.
constexpr int32_t kMaxMapSize = 100000;

int32_t Scaled(int32_t v, double factor) {
    const double t = std::trunc(double(v) * factor);
    return int32_t(std::clamp(t, -2147483648.0, 2147483647.0));
}

// Every stored point up to entry cap-4 is scaled, past the outline end too; only a value that is
// a mark exactly stays. The label points at cap-3 and cap-2 are x, y pairs in X and in Y; the
// last two entries and every neighbour (E) stay.
void RescaleRecord(OutlineRecord r, double fx, double fy) {
    const int c = r.Capacity();
    auto point = [](int32_t v, double f) { return v == kOutlineEnd || v == kRingEnd ? v : Scaled(v, f); };
    for (int j = 1; j <= c - 4; ++j) {
        r.SetX(j, point(r.X(j), fx));
        r.SetY(j, point(r.Y(j), fy));
    }
    r.SetX(c - 3, Scaled(r.X(c - 3), fx));
    r.SetX(c - 2, Scaled(r.X(c - 2), fy));
    r.SetY(c - 3, Scaled(r.Y(c - 3), fx));
    r.SetY(c - 2, Scaled(r.Y(c - 2), fy));
}

struct Box {
    int32_t count = 0;
    int32_t minX = kNoMinimum, maxX = kOutlineEnd, minY = kNoMinimum, maxY = kOutlineEnd;
};

// The marks take part in the maxima; the count leaves out the last entry walked (the outline end,
// or entry cap-5 when there is none).
Box BoxOf(const OutlineRecord& r) {
    Box b;
    const int walked = WalkOutline(r, [&b](const OutlineEntry& e) {
        b.maxX = std::max(b.maxX, e.X);
        b.maxY = std::max(b.maxY, e.Y);
        if (e.X >= 0) b.minX = std::min(b.minX, e.X);
        if (e.Y >= 0) b.minY = std::min(b.minY, e.Y);
    });
    b.count = walked - 1;
    return b;
}

}  // namespace

bool RescaleMapGeometry(int32_t x1, int32_t x2, int32_t y1, int32_t y2, Progress& progress) {
    for (int32_t size : {x1, x2, y1, y2})
        if (size <= 0 || size > kMaxMapSize) return false;
    const double fx = double(x2) / double(x1);
    const double fy = double(y2) / double(y1);
    const std::string classes = ReadFileOrThrow(DataFilePath(data_file::kOutlineClass));

    progress.SetMaximum(MapState.ValueCount);
    int position = 0;
    std::array<std::optional<std::string>, kOutlineFileCount> outlines;
    for (int n = 1; n <= kOutlineFileCount; ++n) {
        std::optional<std::string>& file = outlines[size_t(n - 1)];
        // Only a file that is not there is skipped: one that fails to open would keep the old scale.
        file = TryReadFile(OutlineFilePath(n));
        if (!file) continue;
        uint8_t* records = reinterpret_cast<uint8_t*>(file->data());
        const size_t recordSize = OutlineRecordSize(n);
        for (size_t at = 0; at + recordSize <= file->size(); at += recordSize) {
            RescaleRecord({records + at, OutlineCapacity(n)}, fx, fy);
            progress.SetPosition(++position);
        }
    }

    QV_ASSERT(MapState.ComuneCount >= 0 && MapState.ComuneCount < kMapComuniSize);
    const int comuni = std::clamp<int>(MapState.ComuneCount, 0, kMapComuniSize - 1);
    QV_ASSERT(MapState.ValueCount >= 0 && MapState.ValueCount < kMapComuniSize);
    const int valueCount = std::clamp<int>(MapState.ValueCount, 0, kMapComuniSize - 1);
    std::vector<Box> boxes(size_t(std::max(comuni, valueCount)) + 1);
    progress.SetPosition(0);
    position = 0;
    const std::span<const uint8_t> fileOf(Bytes(classes), std::min(size_t(comuni), classes.size()));
    for (int n = 1; n <= kOutlineFileCount; ++n) {
        std::optional<std::string>& file = outlines[size_t(n - 1)];
        if (!file) continue;
        uint8_t* records = reinterpret_cast<uint8_t*>(file->data());
        const size_t recordSize = OutlineRecordSize(n);
        ForEachOutlineOf(n, fileOf, [&](int k, int64_t r) {
            // A comune past the file's last record keeps the empty box.
            if (size_t(r + 1) * recordSize <= file->size())
                boxes[size_t(k)] = BoxOf({records + size_t(r) * recordSize, OutlineCapacity(n)});
            progress.SetPosition(++position);
        });
    }

    std::string mmx;
    mmx.reserve(size_t(valueCount) * 20);
    for (int i = 1; i <= valueCount; ++i) {
        const Box& b = boxes[size_t(i)];
        for (int32_t v : {b.count, b.minX, b.maxX, b.minY, b.maxY}) AppendI32(mmx, v);
    }

    // Outlines, boxes and the map size change together or not at all: a failure part-way would
    // leave a base of two scales, which a second attempt would scale again.
    FilesReplacedOrPutBack staged;
    for (int n = 1; n <= kOutlineFileCount; ++n)
        if (const std::optional<std::string>& file = outlines[size_t(n - 1)])
            staged.Stage(OutlineFilePath(n), *file);
    staged.Stage(DataFilePath(data_file::kBox), mmx);
    const int32_t oldWidth = MapState.PixelWidth, oldHeight = MapState.PixelHeight;
    MapState.PixelWidth = x2;
    MapState.PixelHeight = y2;
    try {
        StageMapOptions(staged, 0, "");
        staged.Commit();
    } catch (...) {
        MapState.PixelWidth = oldWidth;
        MapState.PixelHeight = oldHeight;
        throw;
    }
    ApplyWholeMapView();

    progress.SetPosition(1);
    LoadMapOptions(0, "");
    CoreState.ProceedFlag = 1;
    return true;
}

}  // namespace qv
