#pragma once
// The territorial base shipped in data/territory/geolar/, read back file by file for the tests,
// and the projection it was made with (see data/territory/make_territorial_base.py).
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/bytes.h"
#include "support/temp_dir.h"

namespace qv::test {

inline std::string ShippedBaseDir() {
    return std::string(QV_SOURCE_DIR) + "/data/territory/geolar/";
}

constexpr std::array<int, 8> kShippedCaps = {20, 30, 40, 50, 60, 70, 80, 100};

struct ShippedOutline {
    int File = 0;  // 1..8
    int Cap = 0;
    std::vector<int32_t> X, Y, E;  // 1-based: index 0 unused
    bool Empty() const { return X[1] == -30000; }
    int32_t LabelX() const { return Y[size_t(Cap - 3)]; }
    int32_t LabelY() const { return Y[size_t(Cap - 2)]; }
};

struct ShippedBox {
    int32_t X1 = 0, X2 = 0, Y1 = 0, Y2 = 0;
};

class ShippedBase {
  public:
    static constexpr int kComuni = 8100;

    ShippedBase() {
        const std::string dir = ShippedBaseDir();
        const std::string fileOf = ReadBytes(dir + "dov-zor.dat");
        const std::string boxes = ReadBytes(dir + "mmx-zor.dat");
        const std::string names = ReadBytes(dir + "cmn-zor2.dat");
        std::array<std::string, 8> files;
        std::array<size_t, 8> next{};
        for (int n = 1; n <= 8; ++n) files[size_t(n - 1)] = ReadBytes(dir + std::to_string(n) + "-zor.dat");
        outlines_.resize(kComuni + 1);
        boxes_.resize(kComuni + 1);
        for (int k = 1; k <= kComuni; ++k) {
            ShippedOutline& o = outlines_[size_t(k)];
            o.File = uint8_t(fileOf.at(size_t(k - 1)));
            o.Cap = kShippedCaps.at(size_t(o.File - 1));
            const std::string& file = files[size_t(o.File - 1)];
            const auto* rec =
                reinterpret_cast<const uint8_t*>(file.data()) + next[size_t(o.File - 1)]++ * 12 * o.Cap;
            for (auto* array : {&o.X, &o.Y, &o.E}) array->assign(1, 0);
            for (int j = 0; j < o.Cap; ++j) {
                o.X.push_back(GetI32(rec + 4 * j));
                o.Y.push_back(GetI32(rec + 4 * (o.Cap + j)));
                o.E.push_back(GetI32(rec + 4 * (2 * o.Cap + j)));
            }
            const auto* b = reinterpret_cast<const uint8_t*>(boxes.data()) + 20 * size_t(k - 1);
            boxes_[size_t(k)] = {GetI32(b + 4), GetI32(b + 8), GetI32(b + 12), GetI32(b + 16)};
            const auto* n = reinterpret_cast<const uint8_t*>(names.data()) + 38 * size_t(k - 1);
            const std::string name(reinterpret_cast<const char*>(n) + 1, n[0]);
            if (!name.empty()) code_.emplace(name, k);  // homonyms: the first code
        }
        for (size_t n = 0; n < 8; ++n) fileRecords_[n] = next[n];
    }

    const ShippedOutline& Outline(int k) const { return outlines_.at(size_t(k)); }
    const ShippedBox& Box(int k) const { return boxes_.at(size_t(k)); }
    int Code(const std::string& name) const { return code_.at(name); }
    size_t RecordsOfFile(int n) const { return fileRecords_[size_t(n - 1)]; }

  private:
    std::vector<ShippedOutline> outlines_;
    std::vector<ShippedBox> boxes_;
    std::map<std::string, int> code_;
    std::array<size_t, 8> fileRecords_{};
};

// The base's projection: Lambert conformal conic on a sphere, 11 outline units per kilometre.
struct LonLat {
    double Lon = 0, Lat = 0;  // radians
};
class BaseProjection {
  public:
    static constexpr double kRadiusKm = 6371.0088;
    BaseProjection() {
        const double p1 = Rad(38), p2 = Rad(46);
        n_ = std::log(std::cos(p1) / std::cos(p2)) / std::log(T(p2) / T(p1));
        f_ = std::cos(p1) * std::pow(T(p1), n_) / n_;
        rho0_ = kRadiusKm * f_ / std::pow(T(Rad(41.5)), n_);
    }
    // Outline units of a point given in degrees.
    std::array<double, 2> ToUnits(double lonDeg, double latDeg) const {
        const double rho = kRadiusKm * f_ / std::pow(T(Rad(latDeg)), n_);
        const double theta = n_ * (Rad(lonDeg) - Rad(12.5));
        return {10240 + 11 * rho * std::sin(theta), 7680 - 11 * (rho0_ - rho * std::cos(theta))};
    }
    LonLat FromUnits(double x, double y) const {
        const double e = (x - 10240) / 11, n = (7680 - y) / 11;
        const double rho = std::copysign(std::hypot(e, rho0_ - n), n_);
        const double theta = std::atan2(e, rho0_ - n);
        return {Rad(12.5) + theta / n_, 2 * std::atan(std::pow(kRadiusKm * f_ / rho, 1 / n_)) - M_PI / 2};
    }
    static double GreatCircleKm(LonLat a, LonLat b) {
        const double s = std::sin((b.Lat - a.Lat) / 2), t = std::sin((b.Lon - a.Lon) / 2);
        return 2 * kRadiusKm * std::asin(std::sqrt(s * s + std::cos(a.Lat) * std::cos(b.Lat) * t * t));
    }

  private:
    static double Rad(double deg) { return deg * M_PI / 180; }
    static double T(double phi) { return std::tan(M_PI / 4 + phi / 2); }
    double n_ = 0, f_ = 0, rho0_ = 0;
};

}  // namespace qv::test
