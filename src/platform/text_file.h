#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// Reads a text file line by line with the program's rules: a line ends at CR and one LF right
// after it is skipped; byte 26 ends the file; a line longer than the reader's width is cut and
// the rest of the line skipped. A file whose first line end is a lone LF (written on Linux)
// ends every line at LF; in a file whose first line end is a CR a lone LF is an ordinary
// character.
class TextReader {
  public:
    TextReader() = default;
    explicit TextReader(std::string bytes) { SetBytes(std::move(bytes)); }

    // Answers false when the file cannot be opened (an optional file counts as absent).
    bool Open(const std::string& path);
    // Raises the input/output error when the file cannot be opened.
    void OpenOrThrow(const std::string& path);
    void SetBytes(std::string bytes);

    bool Eof() const { return pos_ >= end_; }
    // Reads the rest of the current line, at most `width` characters, and skips past its end.
    std::string ReadLine(size_t width = 255);
    // Reads at most `width` characters of the current line without leaving it.
    std::string ReadChars(size_t width);
    // ReadLine as a view of the reader's bytes, valid while it lives and is not given others.
    std::string_view ReadLineView(size_t width);
    // Skips the rest of the current line and its end.
    void SkipLine();
    bool LfMode() const { return lfMode_; }
    // The offset of the next byte to be read: where the current line starts after a SkipLine.
    size_t Position() const { return pos_; }

    // Every line of a file, each cut to `width`; nullopt when the file does not open.
    static std::optional<std::vector<std::string>> ReadLines(const std::string& path, size_t width = 255);

  private:
    std::string_view ReadCharsView(size_t width);
    // The first line end in [from, limit), else limit.
    size_t LineEnd(size_t from, size_t limit) const;
    std::string data_;
    size_t pos_ = 0;
    size_t end_ = 0;
    bool lfMode_ = false;
};

// Builds the text the program writes: lines end with CR LF.
class TextBuilder {
  public:
    TextBuilder& Line(std::string_view s = {}) {
        text_.append(s);
        text_.append("\r\n");
        return *this;
    }
    TextBuilder& Put(std::string_view s) {
        text_.append(s);
        return *this;
    }
    const std::string& Text() const { return text_; }
    // Written whole through the atomic write.
    void Save(const std::string& path) const;

  private:
    std::string text_;
};

}  // namespace qv
