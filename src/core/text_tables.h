#pragma once
#include <cstdint>
#include <map>
#include <string>

namespace qv {

// The numbered texts of the user interface: "sigle.imp" becomes "sigle.dat" (256-byte records)
// and "sig-dat.imp" becomes "sig-xsig.dat" (101-byte records), both in the program directory.
// A table is written only when its content changes; when it cannot be written (a full disk) the
// failure is kept for the user (see TakeRecoveryNotices) and its texts are served from the
// table built in memory for the rest of the session.
void BuildTextFile();
void BuildSecondaryTextFile();
// Texts 1 to 1500 are the table the program was designed with; 1501 to 2499 are this program's
// own messages and captions, added where a window needs a text the original table lacks (2000 on
// hold the captions of the territory's forms). Unused numbers in that range are empty lines, kept
// so each number stays put.
constexpr int32_t kFirstOwnText = 1501;
constexpr int32_t kLastOwnText = 2499;
// Text N (from 1) of "sigle.dat", read from the file at every call (from memory when the table
// could not be written); a missing file or a number outside the table raises the input/output
// error.
std::string LoadText(int32_t n);
// The texts a job writes line after line: the table is read once per run, at the first text
// asked for, with the same errors as LoadText.
class RunTexts {
  public:
    const std::string& operator()(int32_t n);

  private:
    std::string path_, table_;
    bool read_ = false;
    std::map<int32_t, std::string> texts_;
};
// Reads text N of "sig-xsig.dat" into SecondaryText.
void LoadSecondaryText(int16_t n);
// The text held in SecondaryText, up to its first zero byte.
std::string SecondaryTextString();

}  // namespace qv
