#pragma once
#include <map>
#include <span>
#include <string>

#include "support/temp_dir.h"

namespace qv::test {

// A text table "sigle.imp" whose line N is "Testo N" up to `count`, but for the lines `own` gives.
std::string NumberedTexts(int count, const std::map<int, std::string>& own = {});

// The shipped text table built into CoreState.ProgramDir, for engine code that reports in its texts.
void InstallShippedTexts();
// NumberedTexts built into CoreState.ProgramDir, so a report names each text it uses by number.
void InstallNumberedTexts(int count, const std::map<int, std::string>& own = {});
// Prepared cards in CoreState.ArchiveDir: the last card's index (also as the archive's own index
// when it has none), and a matrix of one 1000-byte record per variable that starts with the
// bytes of its `heads` entry (hex) and holds zeros after.
void WritePreparedCards(int lastCard, std::span<const char* const> heads);

// A root directory with a program directory "quorvanta.tv/" as the run command prepares it:
// the sample archive "Pianalto", the municipality tables and the text tables. Line N of
// "sigle.imp" is "Testo N" for N up to `texts`, or the shipped table when `shipped` is set.
// The root is the temporary directory itself, or its subdirectory `rootName` (a file-system name).
class ProgramRoot {
  public:
    explicit ProgramRoot(bool shipped = false, int texts = 2499, const std::string& rootName = {});
    ~ProgramRoot();
    const std::string& Root() const { return root_; }
    std::string ProgramDir() const { return root_ + "quorvanta.tv/"; }
    std::string operator/(const std::string& name) const { return ProgramDir() + name; }

  private:
    TempDir dir_;
    std::string root_;
};

// The shipped program directory of the source tree.
std::string ShippedProgramDir();
// The sample archive as the build writes it.
std::string BuiltSampleArchiveDir();
// Copies a directory tree (used to give a test its own copy of an archive).
void CopyTree(const std::string& from, const std::string& to);

}  // namespace qv::test
