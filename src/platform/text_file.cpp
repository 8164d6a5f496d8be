#include "platform/text_file.h"

#include "platform/file_io.h"

namespace qv {

void TextReader::SetBytes(std::string bytes) {
    data_ = std::move(bytes);
    pos_ = 0;
    size_t eof = data_.find('\x1A');
    end_ = eof == std::string::npos ? data_.size() : eof;
    lfMode_ = false;
    size_t firstEnd = data_.find_first_of("\r\n");
    if (firstEnd != std::string::npos && firstEnd < end_ && data_[firstEnd] == '\n') lfMode_ = true;
}

bool TextReader::Open(const std::string& path) {
    auto bytes = TryReadFile(path);
    if (!bytes) return false;
    SetBytes(std::move(*bytes));
    return true;
}

void TextReader::OpenOrThrow(const std::string& path) {
    SetBytes(ReadFileOrThrow(path));
}

bool TextReader::AtLineEnd() const {
    char c = data_[pos_];
    return c == '\r' || (lfMode_ && c == '\n');
}

std::string TextReader::ReadChars(size_t width) {
    size_t start = pos_;
    while (pos_ < end_ && pos_ - start < width && !AtLineEnd()) ++pos_;
    return data_.substr(start, pos_ - start);
}

void TextReader::SkipLine() {
    while (pos_ < end_ && !AtLineEnd()) ++pos_;
    if (pos_ < end_) {
        bool cr = data_[pos_] == '\r';
        ++pos_;
        if (cr && pos_ < end_ && data_[pos_] == '\n') ++pos_;
    }
}

std::string TextReader::ReadLine(size_t width) {
    std::string s = ReadChars(width);
    SkipLine();
    return s;
}

std::optional<std::vector<std::string>> TextReader::ReadLines(const std::string& path, size_t width) {
    TextReader r;
    if (!r.Open(path)) return std::nullopt;
    std::vector<std::string> lines;
    while (!r.Eof()) lines.push_back(r.ReadLine(width));
    return lines;
}

void TextBuilder::Save(const std::string& path) const {
    WriteFileAtomic(path, text_);
}

}  // namespace qv
