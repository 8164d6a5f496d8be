#pragma once
#include <vector>

#include "platform/progress.h"

namespace qv::test {

// A long job's progress as the test sees it: the maximum last set and every position reported.
struct RecordingProgress : Progress {
    int maximum = -1;
    std::vector<int> positions;
    void SetMaximum(int m) override { maximum = m; }
    void SetPosition(int p) override { positions.push_back(p); }
};

}  // namespace qv::test
