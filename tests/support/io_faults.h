#pragma once
#include <functional>
#include <string>

namespace qv::test {

// Fault loop over every file call of a job: `run` is counted once on files that `reset` puts in
// place, then run again for each open, write, sync, rename, read, link and unlink it makes, with
// that one call failing (EIO, and ENOSPC by turns for the writing calls). Every run must end in the
// input/output error, but for a failed link or unlink, which the job may get round; each read and
// write is also made short or interrupted once, and that run must not fail. `check` then looks at
// the files, told which call failed.
void ForEachIoFault(const std::function<void()>& reset, const std::function<void()>& run,
                    const std::function<void(const std::string& point)>& check);

}  // namespace qv::test
