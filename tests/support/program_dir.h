#pragma once
#include <string>

#include "support/temp_dir.h"

namespace qv::test {

// A root directory with a program directory "quorvanta.tv/" holding text tables: line N of
// "sigle.imp" is "Testo N" for N up to `texts` (or the shipped table when `shipped` is set).
class ProgramRoot {
public:
    explicit ProgramRoot(bool shipped = false, int texts = 1200);
    ~ProgramRoot();
    const std::string& Root() const { return dir_.Path(); }
    std::string ProgramDir() const { return dir_.Path() + "quorvanta.tv/"; }
    std::string operator/(const std::string& name) const { return ProgramDir() + name; }

private:
    TempDir dir_;
};

// The shipped program directory of the source tree.
std::string ShippedProgramDir();

}  // namespace qv::test
