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
}  // namespace

void ForEachIoFault(const std::function<void()>& reset, const std::function<void()>& run,
                    const std::function<void(const std::string& point)>& check) {
    constexpr const char* kNames[] = {"open", "write", "sync", "rename"};
    int counts[kIoCallKinds] = {};
    reset();
    ResetIoFaultsForTest();
    run();
    for (int k = 0; k < kIoCallKinds; ++k) counts[k] = IoCallCountForTest(IoCall(k));
    int points = 0;
    for (int k = 0; k < kIoCallKinds; ++k) {
        for (int n = 1; n <= counts[k]; ++n) {
            // The two errors take turns: the program treats them alike, and every call is tried.
            const int error = n % 2 ? EIO : ENOSPC;
            const std::string point =
                std::string(kNames[k]) + " " + std::to_string(n) + (error == EIO ? " EIO" : " ENOSPC");
            SCOPED_TRACE(point);
            reset();
            FailIoCallForTest(IoCall(k), n, error);
            gShown = false;
            SetIoErrorReporter(Shown);
            bool reported = false;
            try {
                run();
            } catch (const IoError&) {
                reported = true;
            }
            SetIoErrorReporter(nullptr);
            reported = reported || gShown;
            ResetIoFaultsForTest();
            EXPECT_TRUE(reported) << "a failed " << point << " was not reported";
            check(point);
            ++points;
        }
    }
    EXPECT_GT(points, 0);
}

}  // namespace qv::test
