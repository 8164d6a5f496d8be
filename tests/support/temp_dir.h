#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace qv::test {

// A fresh directory per test, removed with everything in it when the test ends.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // Ends with '/'.
    const std::string& Path() const { return path_; }
    std::string operator/(std::string_view name) const { return path_ + std::string(name); }
    // Creates a subdirectory (and parents); returns its path ending with '/'.
    std::string MakeDir(std::string_view name) const;

  private:
    std::string path_;
};

void WriteBytes(const std::string& path, std::string_view bytes);
std::string ReadBytes(const std::string& path);
// Bytes from a hex string such as "81 00 00 00 00 00".
std::string Hex(std::string_view hex);
// Hex dump for readable failures.
std::string ToHex(std::string_view bytes);

}  // namespace qv::test
