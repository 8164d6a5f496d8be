#include "cardwindow/tool_buttons.h"

#include "core/card_store.h"
#include "core/card_window_mode.h"
#include "core/commits.h"
#include "core/core_state.h"
#include "core/text_tables.h"

namespace qv {

namespace {

struct Row {
    int button;
    int width;
    int caption;  // text number, 0 none
    int hint;     // text number, 0 none
    bool flat;
};

void Apply(ToolButtonLayout& bar, const Row& r) {
    ToolButtonSpec& b = bar[size_t(r.button)];
    b.width = r.width;
    b.caption = r.caption > 0 ? LoadText(r.caption) : std::string();
    b.hint = r.hint > 0 ? LoadText(r.hint) : std::string();
    b.flat = r.flat;
}

void Hide(ToolButtonLayout& bar, int first, int last) {
    for (int k = first; k <= last; ++k) bar[size_t(k)].visible = false;
}

}  // namespace

ToolButtonLayout ToolButtonsForMode(int mode) {
    ToolButtonLayout bar;
    bar[1].caption = "?";
    if (mode == kEntryMode || mode == kPointerMode) {
        for (const Row& r : {Row{2, 100, 0, 0, true}, Row{3, 23, 0, 62, false}, Row{4, 50, 0, 63, true},
                             Row{5, 23, 0, 64, false}, Row{6, 50, 65, 0, false}, Row{7, 100, 0, 0, true},
                             Row{8, 50, 66, 0, false}, Row{9, 40, 67, 0, false}, Row{10, 40, 68, 69, false}})
            Apply(bar, r);
        bar[2].caption = WriteStateCaption();
        bar[3].caption = "<<";
        bar[5].caption = ">>";
    } else if (mode == kSearchMode) {
        for (const Row& r : {Row{2, 60, 70, 71, false}, Row{3, 60, 72, 73, false}, Row{4, 50, 74, 75, false},
                             Row{5, 50, 76, 77, true}, Row{6, 50, 78, 0, false}, Row{7, 50, 79, 0, false},
                             Row{8, 50, 80, 81, false}, Row{9, 100, 0, 0, true}})
            Apply(bar, r);
        bar[4].enabled = CoreState.SearchEnded == 0;
        Hide(bar, 10, 10);
    } else if (mode == kAttributionMode) {
        for (const Row& r : {Row{2, 100, 0, 0, true}, Row{3, 50, 97, 98, false}, Row{4, 50, 99, 100, false},
                             Row{5, 100, 0, 0, true}})
            Apply(bar, r);
        bar[2].caption = WriteStateCaption();
        Hide(bar, 6, 10);
    } else if (mode == kSelectionMode) {
        for (const Row& r :
             {Row{2, 50, 101, 102, false}, Row{3, 60, 103, 104, false}, Row{4, 40, 106, 107, false},
              Row{5, 70, 108, 109, false}, Row{6, 23, 0, 110, false}, Row{7, 23, 0, 111, true},
              Row{8, 23, 0, 112, false}, Row{9, 100, 0, 0, true}})
            Apply(bar, r);
        if (CoreState.LastCard < 1) {
            bar[3].enabled = false;
            bar[3].hint = LoadText(105);
        }
        bar[6].caption = "<<";
        bar[7].caption = std::to_string(CoreState.ClassWidth);
        bar[8].caption = ">>";
        Hide(bar, 10, 10);
    } else if (mode == kListMode) {
        for (const Row& r : {Row{2, 60, 82, 83, false}, Row{3, 40, 84, 85, false}, Row{4, 80, 87, 88, false},
                             Row{5, 70, 89, 90, false}, Row{6, 100, 0, 0, true}, Row{7, 60, 91, 92, false},
                             Row{8, 60, 93, 94, false}, Row{9, 50, 95, 96, false}})
            Apply(bar, r);
        if (CoreState.LastCard < 1) {
            bar[3].enabled = false;
            bar[3].hint = LoadText(86);
        }
        Hide(bar, 10, 10);
    } else if (IsMarkingMode(mode)) {
        for (const Row& r : {Row{2, 100, 116, 0, false}, Row{3, 100, 0, 0, true}, Row{4, 120, 117, 0, false},
                             Row{5, 60, 118, 0, false}})
            Apply(bar, r);
        bar[2].enabled = mode != kFieldNumberMode && mode != kRecordPositionMode;
        if (mode != kReorderMarkMode) Hide(bar, 4, 5);
        Hide(bar, 6, 10);
    }
    return bar;
}

int PageCaptionButton(int mode) {
    switch (mode) {
        case kEntryMode:
        case kPointerMode:
            return 7;
        case kSearchMode:
        case kSelectionMode:
            return 9;
        case kAttributionMode:
            return 5;
        case kListMode:
            return 6;
        default:
            return IsMarkingMode(mode) ? 3 : 0;
    }
}

int CardNumberButton(int mode) {
    return mode == kEntryMode ? 4 : mode == kSearchMode ? 5 : 0;
}

int NotesButton(int mode) {
    return mode == kEntryMode ? 10 : mode == kSearchMode ? 8 : 0;
}

std::string CardWindowTitle(int mode) {
    std::string title = LoadText(59) + " " + LoadText(60) + " ";
    if (mode >= kEntryMode && mode <= kReorderMarkMode) title += LoadText(33 + mode);
    return title + LoadText(61);
}

std::string PageCaption() {
    return LoadText(121) + " " + std::to_string(CoreState.CurrentPage);
}

std::string WriteStateCaption() {
    return LoadText(ArchiveWritable() ? 119 : 120);
}

std::string NotesCaption() {
    return LoadText(GetNotesHead() > 0 ? 122 : 123);
}

}  // namespace qv
