#pragma once
#include <string>
#include <string_view>

// The text output the list writers share (lists, the single-card print, merged and quick lists):
// bound to a file name, created anew, fed characters, texts and line ends, then closed. The
// text is kept in memory and reaches the file whole at Close, so a run abandoned half-way
// leaves the previous file as it was.

namespace qv {

class ListOutputFile {
  public:
    void Bind(std::string path) { path_ = std::move(path); }
    const std::string& Path() const { return path_; }

    // Starts an empty text; nothing is written to the file before Close.
    void Create();
    bool IsOpen() const { return open_; }

    void Write(char c) { text_.push_back(c); }
    void Write(std::string_view s) { text_.append(s); }
    // CR LF.
    void WriteLine() { text_.append("\r\n"); }

    // The text written so far.
    const std::string& Text() const { return text_; }

    // Writes the text to the bound file through the atomic write (the input/output error when
    // it cannot) and releases it. Nothing happens when the output is not open.
    void Close();
    // Drops the text without writing anything.
    void Discard();

  private:
    std::string path_;
    std::string text_;
    bool open_ = false;
};

}  // namespace qv
