#pragma once
// Shared set-up of the compiler tests: a program directory whose text table holds "T<n>" as
// text n, and an empty designer folder with a page 400 pixels wide.
#include <gtest/gtest.h>

#include <string>

#include "core/core_state.h"
#include "platform/short_string.h"
#include "support/records.h"
#include "support/temp_dir.h"

namespace qv::test {

class CompilerFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ProgramDir = tmp.MakeDir("prog");
        CoreState.DesignerDir = tmp.MakeDir("design");
        CoreState.PageWidth = 400;
        CoreState.StationNumber = "000";
        std::string table;
        for (int n = 1; n <= 480; ++n) table += EncodeShortString("T" + std::to_string(n), 255);
        WriteBytes(CoreState.ProgramDir + "sigle.dat", table);
    }

    void WriteSource(const std::string& text) { WriteBytes(CoreState.DesignerDir + "scheda.txt", text); }
    std::string Designed(const std::string& name) const { return ReadBytes(CoreState.DesignerDir + name); }

    TempDir tmp;
};

}  // namespace qv::test
