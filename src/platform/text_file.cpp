#include "platform/text_file.h"

#include <algorithm>
#include <cstring>

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

size_t TextReader::LineEnd(size_t from, size_t limit) const {
    // Scanned a block at a time: import files run to hundreds of thousands of lines.
    // The LF first where it ends lines: a file without a CR is not scanned to its end per line.
    const char* base = data_.data();
    if (lfMode_)
        if (const void* lf = std::memchr(base + from, '\n', limit - from))
            limit = size_t(static_cast<const char*>(lf) - base);
    if (const void* cr = std::memchr(base + from, '\r', limit - from))
        limit = size_t(static_cast<const char*>(cr) - base);
    return limit;
}

std::string_view TextReader::ReadCharsView(size_t width) {
    const size_t start = pos_;
    if (pos_ < end_) pos_ = LineEnd(pos_, start + std::min(width, end_ - start));
    return std::string_view(data_).substr(start, pos_ - start);
}

std::string TextReader::ReadChars(size_t width) {
    return std::string(ReadCharsView(width));
}

void TextReader::SkipLine() {
    if (pos_ < end_) pos_ = LineEnd(pos_, end_);
    if (pos_ < end_) {
        bool cr = data_[pos_] == '\r';
        ++pos_;
        if (cr && pos_ < end_ && data_[pos_] == '\n') ++pos_;
    }
}

std::string_view TextReader::ReadLineView(size_t width) {
    const std::string_view s = ReadCharsView(width);
    SkipLine();
    return s;
}

std::string TextReader::ReadLine(size_t width) {
    return std::string(ReadLineView(width));
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
