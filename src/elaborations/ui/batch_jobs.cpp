#include "elaborations/ui/batch_jobs.h"

#include <map>

namespace qv {

namespace {

std::map<int, BatchJob>& BatchJobs() {
    static std::map<int, BatchJob> jobs;
    return jobs;
}

std::map<ElaborationDialog, ElaborationDialogOpener>& Dialogs() {
    static std::map<ElaborationDialog, ElaborationDialogOpener> dialogs;
    return dialogs;
}

}  // namespace

void RegisterBatchJob(int code, BatchJob job) {
    if (job)
        BatchJobs()[code] = std::move(job);
    else
        BatchJobs().erase(code);
}

const BatchJob* FindBatchJob(int code) {
    auto it = BatchJobs().find(code);
    return it == BatchJobs().end() ? nullptr : &it->second;
}

void RegisterElaborationDialog(ElaborationDialog dialog, ElaborationDialogOpener open) {
    if (open)
        Dialogs()[dialog] = std::move(open);
    else
        Dialogs().erase(dialog);
}

bool OpenElaborationDialog(ElaborationDialog dialog, QWidget* owner) {
    auto it = Dialogs().find(dialog);
    if (it == Dialogs().end()) return false;
    // A copy: the dialog may register or remove openers while it is shown.
    ElaborationDialogOpener open = it->second;
    open(owner);
    return true;
}

}  // namespace qv
