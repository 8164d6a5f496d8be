#pragma once
#include <gtest/gtest.h>

#include <string>

#include "core/core_state.h"
#include "support/temp_dir.h"

namespace qv::test {

// A test over reset program state whose program directory and territorial base are the fresh
// subdirectories "prog/" and "geo/" of its own temporary directory.
class ScratchTerritory : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ProgramDir = dir.MakeDir("prog");
        MapState.TerritoryDir = dir.MakeDir("geo");
    }
    static std::string Prog(const std::string& name) { return CoreState.ProgramDir + name; }
    static std::string Geo(const std::string& name) { return MapState.TerritoryDir + name; }

    TempDir dir;
};

}  // namespace qv::test
