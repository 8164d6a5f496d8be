#include "selection/ui/condition_dialogs.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "app/startup.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/selection_files.h"
#include "core/ui/card_dialogs.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/progress.h"
#include "platform/ui/dialogs.h"
#include "selection/collective_selection.h"
#include "support/card_selection.h"
#include "support/program_dir.h"
#include "support/sample_fields.h"
#include "support/started_program.h"

namespace qv {
namespace {

using namespace test;
using namespace sample;

int FirstFieldOfType(int type) {
    for (int f = 1; f <= CoreState.FieldCount; ++f)
        if (FieldTypes[f] == type) return f;
    return 0;
}

class ConditionDialogTest : public test::StartedProgram {
  protected:
    void SetUp() override {
        StartedProgram::SetUp();
        ClearSearchCriteria();
    }
    static uint8_t Wanted(int field, int value) {
        return CategoryWanted[size_t(FieldFirstCategory[field] + value - 1)];
    }
    static std::vector<bool> RowsShown(const QListWidget* list) {
        std::vector<bool> rows;
        for (int r = 0; r < list->count(); ++r) rows.push_back(list->item(r)->isSelected());
        return rows;
    }
    // Cards of the archive the predicate accepts, read one by one through the card store.
    static std::vector<int32_t> CardsWhere(const std::function<bool()>& accept) {
        std::vector<int32_t> cards;
        const int32_t keep = CoreState.CurrentCard;
        for (int32_t n = 0; n <= CoreState.LastCard; ++n) {
            CoreState.CurrentCard = n;
            ReadCardValues();
            if (accept()) cards.push_back(n);
        }
        CoreState.CurrentCard = keep;
        return cards;
    }
    static void RunFirstSearch() {
        NoProgress none;
        RunCollectiveSelection(kFirstSearch, none);
    }
};

TEST_F(ConditionDialogTest, CategoriesOfTheFieldAreListedAndToggled) {
    CategoryWanted[size_t(FieldFirstCategory[kSex] + 1)] = 1;  // female wanted already
    CoreState.CommandCode = kSex;
    TRicModalita d(nullptr);
    ASSERT_EQ(d.Modalita->count(), 2);
    EXPECT_EQ(d.Modalita->item(0)->text(), "   1. maschio");
    EXPECT_EQ(d.Modalita->item(1)->text(), "   2. femmina");
    EXPECT_EQ(ReadBytes(root / "tresca.txt"), "   1. maschio\r\n   2. femmina\r\n");
    EXPECT_EQ(RowsShown(d.Modalita), (std::vector<bool>{false, true}));

    d.ModalitaClick(0);
    EXPECT_EQ(Wanted(kSex, 1), 1);
    EXPECT_EQ(RowsShown(d.Modalita), (std::vector<bool>{true, true}));
    d.ModalitaClick(1);
    EXPECT_EQ(Wanted(kSex, 2), 0);
    EXPECT_EQ(RowsShown(d.Modalita), (std::vector<bool>{true, false}));
    d.ModalitaClick(2);  // no such row
    d.ModalitaClick(-1);
    EXPECT_EQ(Wanted(kSex, 1), 1);
    EXPECT_EQ(FieldInCondition[kSex], 0);  // only Esci states the participation
    d.EsciClick();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(FieldInCondition[kSex], 1);

    // The conditions chosen here drive the collective selection.
    RunFirstSearch();
    EXPECT_EQ(SelectedCards(), CardsWhere([] { return GetCardWord(kSex) == 1; }));
}

TEST_F(ConditionDialogTest, MouseAndSpaceTurnTheFlagOver) {
    CoreState.CommandCode = kSex;
    TRicModalita d(nullptr);
    d.show();
    QWidget* viewport = d.Modalita->viewport();
    const QPoint second = d.Modalita->visualItemRect(d.Modalita->item(1)).center();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, second);
    EXPECT_EQ(Wanted(kSex, 2), 1);
    EXPECT_EQ(RowsShown(d.Modalita), (std::vector<bool>{false, true}));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, second);
    EXPECT_EQ(Wanted(kSex, 2), 0);
    EXPECT_EQ(RowsShown(d.Modalita), (std::vector<bool>{false, false}));

    d.Modalita->setCurrentRow(0);
    EXPECT_EQ(RowsShown(d.Modalita), (std::vector<bool>{false, false}));
    QTest::keyClick(d.Modalita, Qt::Key_Space);
    EXPECT_EQ(Wanted(kSex, 1), 1);
    EXPECT_EQ(RowsShown(d.Modalita), (std::vector<bool>{true, false}));
    QTest::keyClick(d.Modalita, Qt::Key_Down);  // moving does not choose
    EXPECT_EQ(RowsShown(d.Modalita), (std::vector<bool>{true, false}));
    EXPECT_EQ(Wanted(kSex, 2), 0);
}

TEST_F(ConditionDialogTest, AnswerGroupFollowsItsFirstField) {
    // The sample's means of transport: a category field followed by two further answers.
    int head = 0;
    for (int f = 1; f + 2 <= CoreState.FieldCount && !head; ++f)
        if (FieldTypes[f] == 0 && FieldTypes[f + 1] == 1 && FieldTypes[f + 2] == 1) head = f;
    ASSERT_GT(head, 0);
    const int categories = FieldLastLabel[head] - FieldFirstLabel[head] + 1;
    ASSERT_EQ(categories, 6);

    // A further answer opens the condition of its group's first field.
    On<TRicModalita>([&](TRicModalita& d) {
        EXPECT_EQ(d.Modalita->count(), categories);
        d.AttivaClick();
        EXPECT_EQ(RowsShown(d.Modalita), std::vector<bool>(size_t(categories), true));
        d.EsciClick();
    });
    OpenCategoryCondition(nullptr, head + 2);
    EXPECT_EQ(CoreState.CommandCode, head);
    for (int v = 1; v <= categories; ++v) EXPECT_EQ(Wanted(head, v), 1) << v;
    for (int f = head; f <= head + 2; ++f) EXPECT_EQ(FieldInCondition[f], 1) << f;
    EXPECT_EQ(FieldInCondition[head + 3], 0);

    {
        CoreState.CommandCode = head;
        TRicModalita d(nullptr);
        d.CancellaClick();
        EXPECT_EQ(RowsShown(d.Modalita), std::vector<bool>(size_t(categories), false));
        d.EsciClick();
    }
    for (int f = head; f <= head + 2; ++f) EXPECT_EQ(FieldInCondition[f], 0) << f;

    // Closing by other means keeps the flags changed but states nothing.
    {
        CoreState.CommandCode = head;
        TRicModalita d(nullptr);
        d.ModalitaClick(3);
        d.reject();
    }
    EXPECT_EQ(Wanted(head, 4), 1);
    EXPECT_EQ(FieldInCondition[head], 0);
}

TEST_F(ConditionDialogTest, CategoryConditionNeedsTheLabels) {
    RemoveFile(DataFilePath(data_file::kLabel));
    CoreState.CommandCode = kSex;
    EXPECT_THROW(TRicModalita d(nullptr), IoError);
}

TEST_F(ConditionDialogTest, PeriodOfADateField) {
    const int dateField = FirstFieldOfType(2);
    ASSERT_GT(dateField, 0);
    const int d = 1;  // the sample's only date field
    CoreState.CurrentField = dateField;
    DateConditionFrom[d] = 950615;
    {
        TRicData dialog(nullptr);
        EXPECT_EQ(dialog.windowTitle(), "Testo 1249");
        EXPECT_EQ(dialog.Label3->text(), "Testo 1250");
        EXPECT_EQ(dialog.data2->toolTip(), "Testo 1254");
        EXPECT_EQ(dialog.data1->text(), "15/6/1995");
        EXPECT_EQ(dialog.data2->text(), "0/0/0");
        dialog.data1->setText("1/2/99");
        dialog.data2->setText("");
        dialog.EsciClick();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(DateConditionFrom[d], 990201);  // two-digit years as on the card
    EXPECT_EQ(DateConditionTo[d], 0);
    EXPECT_EQ(FieldInCondition[dateField], 1);

    // Only an upper date: every earlier date, through the collective selection.
    {
        TRicData dialog(nullptr);
        dialog.data1->setText("0/0/0");
        dialog.data2->setText("31/12/1969");
        dialog.EsciClick();
    }
    EXPECT_EQ(DateConditionTo[d], 691231);
    RunFirstSearch();
    const auto earlier = CardsWhere([&] {
        const int day = GetCardWord(dateField);
        const int32_t key = CoreState.DateYear * 10000 + CoreState.DateMonth * 100 + day;
        return key <= 691231;
    });
    EXPECT_FALSE(earlier.empty());
    EXPECT_EQ(SelectedCards(), earlier);

    // Emptying both dates takes the field out.
    On<TRicData>([](TRicData& t) {
        t.data1->clear();
        t.data2->clear();
        t.EsciClick();
    });
    OpenDateCondition(nullptr);
    EXPECT_EQ(FieldInCondition[dateField], 0);
}

TEST_F(ConditionDialogTest, IntervalShownAndReadByTheFieldType) {
    struct Case {
        int type;
        int32_t low, high;
        const char *shownLow, *shownHigh;
        const char *typedLow, *typedHigh;
        int32_t storedLow, storedHigh;
        uint8_t inCondition;
    };
    const Case cases[] = {
        {4, 2, kEmptyNumber, "2", "", "3", "x", 3, kEmptyNumber, 1},
        {7, kEmptyNumber, 30000, "", "30000", "", "", kEmptyNumber, kEmptyNumber, 0},
        {5, 930, kEmptyNumber, "09:30.", "__:__.", "7", "7:75", kEmptyNumber, 759, 1},
        {6, 550, 10000, "  5.50%", "100.00%", "12%", "12.5", 1200, 1250, 1},
    };
    for (const Case& c : cases) {
        const int field = FirstFieldOfType(c.type);
        ASSERT_GT(field, 0) << c.type;
        const int i = FieldNumericIndex[field];
        CoreState.CurrentField = field;
        NumericConditionLow[size_t(i)] = c.low;
        NumericConditionHigh[size_t(i)] = c.high;
        TRicQuantita d(nullptr);
        EXPECT_EQ(d.windowTitle(), "Testo 1295");
        EXPECT_EQ(d.q1->toolTip(), "Testo 1297");
        EXPECT_EQ(d.q1->text(), c.shownLow) << c.type;
        EXPECT_EQ(d.q2->text(), c.shownHigh) << c.type;
        d.q1->setText(c.typedLow);
        d.q2->setText(c.typedHigh);
        d.EsciClick();
        EXPECT_EQ(NumericConditionLow[size_t(i)], c.storedLow) << c.type;
        EXPECT_EQ(NumericConditionHigh[size_t(i)], c.storedHigh) << c.type;
        EXPECT_EQ(FieldInCondition[field], c.inCondition) << c.type;
    }
}

TEST_F(ConditionDialogTest, ClearingMarksOrConditions) {
    FieldAttributes[kSex] = 32 | 1;
    FieldAttributes[5] = 32;
    FieldInCondition[kSex] = 1;
    CategoryWanted[1] = 1;
    *TerritoryFlag(12) = 1;
    DateConditionFrom[1] = 5;
    TAzzeraRicerca d(nullptr);
    EXPECT_EQ(d.Ok1->text(), "");

    d.StatisticheClick();
    EXPECT_EQ(d.Ok1->text(), "Ok");
    EXPECT_EQ(d.Ok2->text(), "");
    EXPECT_EQ(FieldAttributes[kSex], 1);
    EXPECT_EQ(FieldAttributes[5], 0);
    EXPECT_EQ(FieldInCondition[kSex], 1);

    d.CondizioniClick();
    EXPECT_EQ(d.Ok2->text(), "Ok");
    EXPECT_EQ(FieldInCondition[kSex], 0);
    EXPECT_EQ(CategoryWanted[1], 0);
    EXPECT_EQ(*TerritoryFlag(12), 0);
    EXPECT_EQ(DateConditionFrom[1], 0);
    EXPECT_EQ(FieldAttributes[kSex], 1);

    d.Help2Click();
    EXPECT_EQ(CoreState.CommandCode, 23);
    shown.clear();
    OpenClearSearch(nullptr);
    EXPECT_EQ(shown, std::vector<std::string>{"TAzzeraRicerca"});
}

TEST_F(ConditionDialogTest, CardWindowOpensTheRegisteredDialogs) {
    RegisterConditionDialogs();
    shown.clear();
    CoreState.CommandCode = kSex;
    EXPECT_TRUE(OpenCardDialog(CardDialog::CategoryCondition, nullptr));
    CoreState.CurrentField = FirstFieldOfType(2);
    EXPECT_TRUE(OpenCardDialog(CardDialog::DateCondition, nullptr));
    CoreState.CurrentField = FirstFieldOfType(4);
    EXPECT_TRUE(OpenCardDialog(CardDialog::QuantityCondition, nullptr));
    EXPECT_EQ(shown, (std::vector<std::string>{"TRicModalita", "TRicData", "TRicQuantita"}));
    for (CardDialog c :
         {CardDialog::CategoryCondition, CardDialog::DateCondition, CardDialog::QuantityCondition})
        RegisterCardDialog(c, {});
}

}  // namespace
}  // namespace qv
