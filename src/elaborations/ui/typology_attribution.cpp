#include "elaborations/ui/typology_attribution.h"

#include "core/commits.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "elaborations/typologies.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialogs.h"

namespace qv {

namespace {
constexpr int kNeedsPassword = 1007, kNoRoomForScoresText = 1695, kUnusedTermsText = 2354;
}  // namespace

void AttributeTypologiesFromDialog(const std::string& profilePath, Progress& progress) {
    const bool quick = CoreState.ElaborationMode == 2;
    // Scores are card changes: like every other write to the cards they need the password.
    int refusal = 0;
    if (!ArchiveWritable()) {
        refusal = kNeedsPassword;
    } else if (CoreState.TypologyField < 1) {
        refusal = quick ? 532 : 148;
    } else if (TypologyScoreOffset(CoreState.TypologyField) < 0) {
        // A field is named, but twenty scores do not fit there.
        refusal = kNoRoomForScoresText;
    }
    if (refusal) {
        HourglassOff();
        ShowInfo(LoadText(refusal));
        return;
    }
    const TypologyScoring scoring =
        AttributeTypologies(quick ? FactorRoad::Quick : FactorRoad::Standard, profilePath, progress);
    if (const std::string text = ShortPassText(scoring.Cards); !text.empty()) {
        HourglassOff();
        ShowInfo(text);
    }
    if (!scoring.UnusedLines.empty()) {
        std::string text = LoadText(kUnusedTermsText);
        for (size_t i = 0; i < scoring.UnusedLines.size(); ++i)
            text += (i ? ", " : " ") + std::to_string(scoring.UnusedLines[i]);
        HourglassOff();
        ShowInfo(text);
    }
}

}  // namespace qv
