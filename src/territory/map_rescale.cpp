#include "territory/map_rescale.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/progress.h"
#include "territory/map_options.h"

namespace qv {

namespace {

constexpr std::array<int, 8> kCapacity = {20, 30, 40, 50, 60, 70, 80, 100};
constexpr int32_t kOutlineEnd = -30000;
constexpr int32_t kRingEnd = -10000;
constexpr int32_t kNoMinimum = 9999999;
// Larger sizes would overflow the view fields derived from them.
constexpr int32_t kMaxMapSize = 100000;

int32_t Scaled(int32_t v, double factor) {
    const double t = std::trunc(double(v) * factor);
    return int32_t(std::clamp(t, -2147483648.0, 2147483647.0));
}

// One outline record: X[0..C-1], Y[0..C-1], E[0..C-1].
struct OutlineRecord {
    uint8_t* p;
    int capacity;
    int32_t X(int i) const { return GetI32(p + 4 * i); }
    int32_t Y(int i) const { return GetI32(p + 4 * (capacity + i)); }
    void SetX(int i, int32_t v) { PutI32(p + 4 * i, v); }
    void SetY(int i, int32_t v) { PutI32(p + 4 * (capacity + i), v); }
};

void RescaleRecord(OutlineRecord r, double fx, double fy) {
    const int c = r.capacity;
    auto point = [](int32_t v, double f) { return v == kOutlineEnd || v == kRingEnd ? v : Scaled(v, f); };
    for (int i = 0; i <= c - 5; ++i) {
        r.SetX(i, point(r.X(i), fx));
        r.SetY(i, point(r.Y(i), fy));
    }
    r.SetX(c - 4, Scaled(r.X(c - 4), fx));
    r.SetX(c - 3, Scaled(r.X(c - 3), fy));
    r.SetY(c - 4, Scaled(r.Y(c - 4), fx));
    r.SetY(c - 3, Scaled(r.Y(c - 3), fy));
}

struct Box {
    int32_t count = 0;
    int32_t minX = kNoMinimum, maxX = kOutlineEnd, minY = kNoMinimum, maxY = kOutlineEnd;
};

Box BoxOf(OutlineRecord r) {
    Box b;
    int j = 1;
    for (;; ++j) {
        const int32_t x = r.X(j - 1);
        const int32_t y = r.Y(j - 1);
        b.maxX = std::max(b.maxX, x);
        b.maxY = std::max(b.maxY, y);
        if (x >= 0) b.minX = std::min(b.minX, x);
        if (y >= 0) b.minY = std::min(b.minY, y);
        if (x == kOutlineEnd || j >= r.capacity - 5) break;
    }
    b.count = j - 1;
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
    std::array<std::optional<std::string>, 8> outlines;
    for (size_t k = 0; k < outlines.size(); ++k) {
        const std::string path = DataFilePath(data_file::kFirstOutline + int(k));
        outlines[k] = TryReadFile(path);
        if (!outlines[k]) continue;
        const int c = kCapacity[k];
        const size_t recordSize = size_t(12 * c);
        std::string& bytes = *outlines[k];
        for (size_t at = 0; at + recordSize <= bytes.size(); at += recordSize) {
            RescaleRecord({reinterpret_cast<uint8_t*>(bytes.data()) + at, c}, fx, fy);
            progress.SetPosition(++position);
        }
        WriteFileAtomic(path, bytes);
    }

    const int comuni = std::clamp<int>(MapState.ComuneCount, 0, kMapComuniSize - 1);
    const int valueCount = std::clamp<int>(MapState.ValueCount, 0, kMapComuniSize - 1);
    std::vector<Box> boxes(size_t(std::max(comuni, valueCount)) + 1);
    progress.SetPosition(0);
    position = 0;
    for (size_t k = 0; k < outlines.size(); ++k) {
        if (!outlines[k]) continue;
        const int c = kCapacity[k];
        const size_t recordSize = size_t(12 * c);
        std::string& bytes = *outlines[k];
        size_t at = 0;
        for (int i = 1; i <= comuni; ++i) {
            if (size_t(i) > classes.size() || uint8_t(classes[size_t(i - 1)]) != k + 1) continue;
            // A comune past the file's last record keeps the empty box.
            if (at + recordSize <= bytes.size())
                boxes[size_t(i)] = BoxOf({reinterpret_cast<uint8_t*>(bytes.data()) + at, c});
            at += recordSize;
            progress.SetPosition(++position);
        }
    }

    std::string mmx;
    mmx.reserve(size_t(valueCount) * 20);
    for (int i = 1; i <= valueCount; ++i) {
        const Box& b = boxes[size_t(i)];
        for (int32_t v : {b.count, b.minX, b.maxX, b.minY, b.maxY}) AppendI32(mmx, v);
    }
    WriteFileAtomic(DataFilePath(data_file::kBox), mmx);

    MapStateRecord& m = MapState;
    m.PixelWidth = m.MapWidth = x2;
    m.PixelHeight = m.MapHeight = y2;
    m.ViewCentreX = 16 * m.PixelWidth;
    m.ViewCentreY = 16 * m.PixelHeight;
    m.CentreTargetX = m.PixelWidth / 2;
    m.CentreTargetY = (m.PixelHeight - 26) / 2;
    m.ReferenceX = m.CentreTargetX;
    m.ReferenceY = m.CentreTargetY;
    m.ZoomShift = 5;
    m.ZoomScale = 32;

    progress.SetPosition(1);
    SaveMapOptions(0, "");
    LoadMapOptions(0, "");
    CoreState.ProceedFlag = 1;
    return true;
}

}  // namespace qv
