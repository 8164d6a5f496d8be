#include "elaborations/ui/batch_jobs.h"

#include "platform/registry.h"

namespace qv {

namespace {

Registry<int, BatchJob>& BatchJobs() {
    static Registry<int, BatchJob> jobs;
    return jobs;
}

Registry<ElaborationDialog, ElaborationDialogOpener>& Dialogs() {
    static Registry<ElaborationDialog, ElaborationDialogOpener> dialogs;
    return dialogs;
}

}  // namespace

void RegisterBatchJob(int code, BatchJob job) {
    BatchJobs().Register(code, std::move(job));
}

BatchJob FindBatchJob(int code) {
    return BatchJobs().Find(code);
}

void RegisterElaborationDialog(ElaborationDialog dialog, ElaborationDialogOpener open) {
    Dialogs().Register(dialog, std::move(open));
}

bool OpenElaborationDialog(ElaborationDialog dialog, QWidget* owner) {
    const ElaborationDialogOpener open = Dialogs().Find(dialog);
    if (!open) return false;
    open(owner);
    return true;
}

}  // namespace qv
