#include "cardwindow/ui/card_jobs.h"

#include <QProgressBar>
#include <algorithm>
#include <string>
#include <vector>

#include "cardwindow/attribution.h"
#include "cardwindow/category_reorder.h"
#include "cardwindow/indicators.h"
#include "cardwindow/range_check.h"
#include "cardwindow/write_permission.h"
#include "core/text_tables.h"
#include "core/ui/form_kit.h"
#include "elaborations/ui/batch_jobs.h"
#include "elaborations/ui/tesegue.h"
#include "platform/progress.h"
#include "platform/ui/dialogs.h"

namespace qv {

namespace {

constexpr int kIndicatorsRefusedText = 1892;
constexpr int kIndicatorsFileText = 1893;
constexpr int kReorderTooLargeText = 1894;
constexpr int kReorderFieldsText = 1895;

constexpr int kOutOfRangeText = 1562;

std::string NumberList(const std::vector<int>& numbers) {
    std::string list;
    for (int n : numbers) list += (list.empty() ? "" : ", ") + std::to_string(n);
    return list;
}

void ShowShortPass(const CardCount& cards) {
    if (const std::string text = ShortPassText(cards); !text.empty()) ShowInfo(text);
}

void Attribute(TEsegue& runner, AttributionKind kind) {
    if (RefusedWithoutWriteAccess()) return;
    BarProgress progress(runner.Barra);
    RunAttribution(kind, progress);
}

void CheckRanges(TEsegue& runner) {
    BarProgress progress(runner.Barra);
    ShowShortPass(RunRangeCheck(progress));
}

void UpdateIndicators(TEsegue& runner) {
    if (RefusedWithoutWriteAccess()) return;
    BarProgress progress(runner.Barra);
    const IndicatorRun run = RunIndicators(progress);
    ShowShortPass(run.cards);
    if (!run.refusedLines.empty())
        ShowError(LoadText(kIndicatorsRefusedText) + " " + NumberList(run.refusedLines) + " " +
                  LoadText(kIndicatorsFileText));
    if (run.emptiedOutOfRange > 0)
        ShowError(LoadText(kOutOfRangeText) + " " + std::to_string(run.emptiedOutOfRange) + ".");
}

void ReorderCategories(TEsegue& runner) {
    if (RefusedWithoutWriteAccess()) return;
    BarProgress progress(runner.Barra);
    const ReorderRun run = ReorderMarkedCategories(progress);
    ShowShortPass(run.cards);
    if (!run.tooLarge.empty())
        ShowError(LoadText(kReorderTooLargeText) + " " + std::to_string(kMaxReorderCategories) + " " +
                  LoadText(kReorderFieldsText) + " " + NumberList(run.tooLarge) + ".");
}

}  // namespace

bool RefusedWithoutWriteAccess() {
    if (CardChangesAllowed()) return false;
    ShowError(CardChangesRefusal());
    return true;
}

void RegisterCardWindowJobs() {
    RegisterBatchJob(kAttributionJob, [](TEsegue& r) { Attribute(r, AttributionKind::Copy); });
    RegisterBatchJob(kAttributionClearJob, [](TEsegue& r) { Attribute(r, AttributionKind::Clear); });
    RegisterBatchJob(kRangeCheckJob, CheckRanges);
    RegisterBatchJob(kIndicatorsJob, UpdateIndicators);
    RegisterBatchJob(kReorderJob, ReorderCategories);
}

}  // namespace qv
