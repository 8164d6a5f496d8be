#include "support/io_faults.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "platform/file_io.h"
#include "platform/io_error.h"

namespace qv::test {

namespace {
// A failure shown while the work goes on (see ReportIoError) counts as reported.
bool gShown = false;
void Shown(const IoError&) {
    gShown = true;
}

// Runs the job with one planned fault; answers whether it told of a failure.
bool Reported(const std::function<void()>& reset, const std::function<void()>& run, IoCall call, int n,
              int error) {
    reset();
    FailIoCallForTest(call, n, error);
    gShown = false;
    SetIoErrorReporter(Shown);
    bool reported = false;
    try {
        run();
    } catch (const IoError&) {
        reported = true;
    }
    SetIoErrorReporter(nullptr);
    ResetIoFaultsForTest();
    return reported || gShown;
}
}  // namespace

void ForEachIoFault(const std::function<void()>& reset, const std::function<void()>& run,
                    const std::function<void(const std::string& point)>& check) {
    constexpr const char* kNames[kIoCallKinds] = {"open", "write", "sync",  "rename",
                                                  "read", "link",  "unlink"};
    int counts[kIoCallKinds] = {};
    reset();
    ResetIoFaultsForTest();
    run();
    for (int k = 0; k < kIoCallKinds; ++k) counts[k] = IoCallCountForTest(IoCall(k));
    int points = 0;
    for (int k = 0; k < kIoCallKinds; ++k) {
        const IoCall call = IoCall(k);
        // A link that fails is replaced by a copy and a temporary that cannot be removed stays:
        // the job may go on, but its files must still be sound.
        const bool mayGoOn = call == IoCall::Link || call == IoCall::Unlink;
        const bool transfers = call == IoCall::Read || call == IoCall::Write;
        for (int n = 1; n <= counts[k]; ++n) {
            // The two errors take turns: the program treats them alike, and every call is tried.
            const int error = n % 2 || transfers ? EIO : ENOSPC;
            std::string point =
                std::string(kNames[k]) + " " + std::to_string(n) + (error == EIO ? " EIO" : " ENOSPC");
            {
                SCOPED_TRACE(point);
                const bool reported = Reported(reset, run, call, n, error);
                EXPECT_TRUE(reported || mayGoOn) << "a failed " << point << " was not reported";
                check(point);
            }
            ++points;
            if (!transfers) continue;
            // A read or write that moves less than asked, or that a signal interrupts, is carried
            // on: the job ends as if nothing happened.
            const int hitch = n % 2 ? kShortIoForTest : EINTR;
            point = std::string(kNames[k]) + " " + std::to_string(n) + (n % 2 ? " short" : " EINTR");
            SCOPED_TRACE(point);
            EXPECT_FALSE(Reported(reset, run, call, n, hitch)) << "a " << point << " was taken for a failure";
            check(point);
        }
    }
    EXPECT_GT(points, 0);
}

}  // namespace qv::test
