#include "elaborations/factor_loadings.h"

#include <algorithm>
#include <cstdint>

#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/io_error.h"
#include "platform/real6.h"

namespace qv {

namespace {

std::string LoadingsPath(FactorRoad road) {
    return DataFilePath(FilesOf(road).loadingsId);
}

}  // namespace

std::string EncodeFactor(const double* loadings, int count) {
    std::string bytes(size_t(std::max(count, 0)) * kLoadingRecordBytes, '\0');
    for (int i = 0; i < count; ++i)
        EncodeReal6(loadings[i], reinterpret_cast<uint8_t*>(bytes.data()) + size_t(i) * kLoadingRecordBytes);
    return bytes;
}

FactorLoadingsFile::FactorLoadingsFile(FactorRoad road, int variables)
    : FactorLoadingsFile(RecordFile(LoadingsPath(road), 1, RecordFile::Mode::ReadWrite), variables) {}

std::optional<FactorLoadingsFile> FactorLoadingsFile::TryOpen(FactorRoad road, int variables) {
    RecordFile file;
    if (!file.OpenIfExists(LoadingsPath(road), 1, RecordFile::Mode::Read)) return std::nullopt;
    return FactorLoadingsFile(std::move(file), variables);
}

FactorLoadingsFile::FactorLoadingsFile(RecordFile file, int variables)
    : file_(std::move(file)), variables_(variables >= 1 && variables <= kFactorColumns ? variables : 0) {
    if (variables_ == 0) return;
    const int64_t bytes = file_.RecordCount();
    if (bytes % FactorBytes() != 0) ThrowIo(kReadPastEnd, file_.Path());
    factors_ = int(std::min<int64_t>(bytes / FactorBytes(), INT16_MAX));
}

void FactorLoadingsFile::CheckFactor(int f) const {
    if (f < 1 || f > factors_) ThrowIo(kReadPastEnd, file_.Path());
}

std::vector<double> FactorLoadingsFile::ReadFactor(int f) const {
    CheckFactor(f);
    std::vector<uint8_t> bytes(static_cast<size_t>(FactorBytes()));
    file_.Read(int64_t(f - 1) * FactorBytes(), bytes.data(), FactorBytes());
    std::vector<double> loadings(static_cast<size_t>(variables_));
    for (int i = 0; i < variables_; ++i)
        loadings[size_t(i)] = DecodeReal6(bytes.data() + size_t(i) * kLoadingRecordBytes);
    return loadings;
}

void FactorLoadingsFile::WriteFactor(int f, const double* loadings) {
    CheckFactor(f);
    const std::string bytes = EncodeFactor(loadings, variables_);
    file_.Write(int64_t(f - 1) * FactorBytes(), bytes.data(), FactorBytes());
}

void FactorLoadingsFile::LoadFactorPair(int p, int q) {
    const std::vector<double> a = ReadFactor(p), b = ReadFactor(q);
    std::copy(a.begin(), a.end(), FactorPairColumnA.begin());
    std::copy(b.begin(), b.end(), FactorPairColumnB.begin());
}

void FactorLoadingsFile::SaveFactorPair(int p, int q) {
    WriteFactor(p, FactorPairColumnA.data());
    WriteFactor(q, FactorPairColumnB.data());
}

}  // namespace qv
