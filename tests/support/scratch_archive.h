#pragma once
#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

namespace qv::test {

// A test over reset program state whose program and archive directories are the fresh
// subdirectories "prog/" and "arch/" of its own temporary directory. Fixtures add their files
// in their own SetUp, after this one's.
class ScratchArchive : public ::testing::Test {
  protected:
    void SetUp() override;
    // The path of `name` in the archive directory.
    static std::string Arch(const std::string& name);
    // What the last report wrote to "tabella.txt" in the program directory.
    static std::string Report();

    TempDir dir;
};

}  // namespace qv::test
