// The list-view wrapper: column shares and the scroll-bar rule, sorting, the
// selection helpers and the row colours, on a real Qt control (offscreen).
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>

#include "ptListView.h"
#include "recorderTestApp.h"
#include "report.h"

namespace {

struct ListFixture : ::testing::Test {
    void SetUp() override {
        recorderTestEnsureApplication();
        window = std::make_unique<QWidget>();
        window->resize(500, 400);
        control = new QTreeWidget(window.get());
        ASSERT_EQ(ptListViewInit(control, nullptr, lv), OKAY);
        ASSERT_EQ(ptListViewAddColumn(lv.get(), "Track"), OKAY);
        ASSERT_EQ(ptListViewAddColumn(lv.get(), "Duration"), OKAY);
        ASSERT_EQ(ptListViewPlace(lv.get(), 10, 20, 410, 220), OKAY);
        const double shares[] = {0.72, 0.28};
        ASSERT_EQ(ptListViewSetColumnShares(lv.get(), shares, 2), OKAY);
        window->show();
    }
    void TearDown() override { ptListViewFree(lv); }

    void addRows(std::initializer_list<std::pair<const char*, long>> rows) {
        for (auto [text, data] : rows)
            ASSERT_EQ(ptListViewAppendRow(lv.get(), {text, "0:01"}, -1, data), OKAY);
    }
    std::vector<long> order() {
        std::vector<long> out;
        int count = 0;
        ptListViewGetCount(lv.get(), count);
        for (int i = 0; i < count; ++i) {
            long d = 0;
            ptListViewGetItemData(lv.get(), i, d);
            out.push_back(d);
        }
        return out;
    }
    std::vector<int> selected() {
        std::vector<int> rows;
        ptListViewGetSelected(lv.get(), kPtListViewMaxSelection, rows);
        return rows;
    }

    std::unique_ptr<QWidget> window;
    QTreeWidget* control = nullptr;
    std::unique_ptr<ptListView> lv;
};

TEST_F(ListFixture, ColumnsTakeTheirSharesAndLeaveRoomForTheScrollBarOnlyWhenRowsFillTheControl) {
    EXPECT_EQ(control->geometry(), QRect(10, 20, 400, 200));
    const int client = control->contentsRect().width();
    const int bar = control->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, control);

    addRows({{"a", 1}, {"b", 2}});
    EXPECT_EQ(control->columnWidth(0), static_cast<int>(client * 0.72));
    EXPECT_EQ(control->columnWidth(1), static_cast<int>(client * 0.28));

    // Fill until header + rows x row height reaches the client height.
    const int rowHeight = control->visualItemRect(control->topLevelItem(0)).height();
    ASSERT_GT(rowHeight, 0);
    const int header = control->header()->sizeHint().height();
    long id = 3;
    while (header + control->topLevelItemCount() * rowHeight < control->contentsRect().height()) {
        EXPECT_EQ(control->columnWidth(0), static_cast<int>(client * 0.72));
        addRows({{"x", id++}});
    }
    EXPECT_EQ(control->columnWidth(0), static_cast<int>((client - bar) * 0.72));
    EXPECT_EQ(control->columnWidth(1), static_cast<int>((client - bar) * 0.28));
    EXPECT_EQ(control->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    // Without shares the columns are equal.
    ASSERT_EQ(ptListViewSetColumnShares(lv.get(), nullptr, 0), OKAY);
    ASSERT_EQ(ptListViewApplyColumnWidths(lv.get()), OKAY);
    EXPECT_EQ(control->columnWidth(0), (client - bar) / 2);
    EXPECT_EQ(control->columnWidth(1), (client - bar) / 2);
}

TEST_F(ListFixture, SortsByItemDataOrByTextIgnoringCaseAndKeepsTheSelection) {
    addRows({{"beta", 2147483647}, {"Alpha", 7}, {"gamma", 3}, {"alpha2", 12}});
    ASSERT_EQ(ptListViewSelect(lv.get(), 0, false), OKAY);  // the 2147483647 row
    ASSERT_EQ(ptListViewSort(lv.get(), kPtListViewSortByItemData, 1), OKAY);
    EXPECT_EQ(order(), (std::vector<long>{3, 7, 12, 2147483647}));
    EXPECT_EQ(selected(), std::vector<int>{3});
    ASSERT_EQ(ptListViewSort(lv.get(), kPtListViewSortByItemData, 0), OKAY);
    EXPECT_EQ(order(), (std::vector<long>{2147483647, 12, 7, 3}));
    ASSERT_EQ(ptListViewSort(lv.get(), 0, 1), OKAY);
    EXPECT_EQ(order(), (std::vector<long>{7, 12, 2147483647, 3}));
    EXPECT_EQ(lv->sortColumn, 0);

    ReportRecorder reports;
    EXPECT_EQ(ptListViewSort(lv.get(), 128, 1), NOT_OKAY);
    EXPECT_TRUE(reports.reported("UTIL/ptListView/ptListView"));
}

TEST_F(ListFixture, SelectNextAndPreviousMoveFromTheFirstSelectedRowAndStopAtTheEnds) {
    addRows({{"a", 1}, {"b", 2}, {"c", 3}});
    ASSERT_EQ(ptListViewSelectNext(lv.get()), OKAY);  // nothing selected: the first row
    EXPECT_EQ(selected(), std::vector<int>{0});
    ASSERT_EQ(ptListViewSelectPrevious(lv.get()), OKAY);  // at the first row: unchanged
    EXPECT_EQ(selected(), std::vector<int>{0});
    ASSERT_EQ(ptListViewSelect(lv.get(), 2, false), OKAY);  // rows 0 and 2
    EXPECT_EQ(selected(), (std::vector<int>{0, 2}));
    ASSERT_EQ(ptListViewSelectNext(lv.get()), OKAY);
    EXPECT_EQ(selected(), std::vector<int>{1});
    ASSERT_EQ(ptListViewSelectNext(lv.get()), OKAY);
    ASSERT_EQ(ptListViewSelectNext(lv.get()), OKAY);  // at the last row: unchanged
    EXPECT_EQ(selected(), std::vector<int>{2});
    ASSERT_EQ(ptListViewSelectPrevious(lv.get()), OKAY);
    EXPECT_EQ(selected(), std::vector<int>{1});
    EXPECT_EQ(control->currentItem(), control->topLevelItem(1));
    ASSERT_EQ(ptListViewClearSelection(lv.get()), OKAY);
    EXPECT_TRUE(selected().empty());
}

TEST_F(ListFixture, ScrollToEndShowsTheLastRow) {
    for (long i = 0; i < 60; ++i) addRows({{"row", i}});
    ASSERT_EQ(ptListViewScrollToEnd(lv.get()), OKAY);
    const QRect last = control->visualItemRect(control->topLevelItem(59));
    EXPECT_TRUE(control->viewport()->rect().contains(last)) << last.y();
    EXPECT_GT(control->verticalScrollBar()->value(), 0);
}

TEST_F(ListFixture, RowColoursFollowSelectionAndFocus) {
    ASSERT_EQ(ptListViewSetTextColour(lv.get(), 10, 20, 30), OKAY);
    ASSERT_EQ(ptListViewSetBackColour(lv.get(), 40, 50, 60), OKAY);
    struct Case {
        bool selected, focus;
        QColor text, back;
    } cases[] = {
        {false, false, QColor(10, 20, 30), QColor(40, 50, 60)},
        {false, true, QColor(10, 20, 30), QColor(40, 50, 60)},
        {true, true, QColor(255, 255, 255), QColor(16, 128, 223)},
        {true, false, QColor(0, 0, 0), QColor(192, 192, 192)},
    };
    addRows({{"a", 1}});
    QLineEdit* other = new QLineEdit(window.get());
    other->show();
    window->activateWindow();
    for (const Case& c : cases) {
        if (c.focus)
            control->setFocus();
        else
            other->setFocus();
        QApplication::processEvents();
        ASSERT_EQ(control->hasFocus(), c.focus);
        QStyleOptionViewItem option;
        if (c.selected) option.state |= QStyle::State_Selected;
        ASSERT_EQ(ptListViewCustomDraw(lv.get(), 0, option), OKAY);
        EXPECT_EQ(option.palette.color(QPalette::Text), c.text);
        EXPECT_EQ(option.backgroundBrush.color(), c.back);
        EXPECT_FALSE(option.state.testFlag(QStyle::State_Selected));
        EXPECT_EQ(lv->drawSelected, c.selected);
        EXPECT_EQ(lv->drawItem, 0);
    }
    EXPECT_EQ(ptListViewSetTextColour(lv.get(), 256, 0, 0), NOT_OKAY);

    // Selection colours of the holder's choosing.
    ASSERT_EQ(ptListViewSetSelectionColours(lv.get(), QColor(1, 1, 1), QColor(2, 2, 2), QColor(3, 3, 3),
                                            QColor(4, 4, 4)),
              OKAY);
    QStyleOptionViewItem option;
    option.state |= QStyle::State_Selected;
    ASSERT_EQ(ptListViewCustomDraw(lv.get(), 0, option), OKAY);
    EXPECT_EQ(option.backgroundBrush.color(), QColor(4, 4, 4));  // the line edit has the focus
    EXPECT_EQ(option.palette.color(QPalette::Text), QColor(3, 3, 3));
}

// Whole rows fill the area below the header at every list height: the
// header takes the few pixels left over, rows stay near their natural height.
TEST_F(ListFixture, FittedRowsLeaveNoPartOfARowAtTheBottom) {
    for (long i = 0; i < 40; ++i) addRows({{"row", i}});
    for (int height : {200, 173, 151, 97}) {
        ASSERT_EQ(ptListViewPlace(lv.get(), 10, 20, 410, 20 + height), OKAY);
        ASSERT_EQ(ptListViewFitRows(lv.get()), OKAY);
        QApplication::processEvents();
        const int row = control->visualItemRect(control->topLevelItem(0)).height();
        const int area = control->viewport()->height();
        EXPECT_EQ(row, lv->rowHeight) << height;
        EXPECT_EQ(area % row, 0) << height << ": rows of " << row << " in " << area;
        EXPECT_GE(row, control->fontMetrics().height() + 4) << height;
        EXPECT_LE(control->header()->height() - control->header()->sizeHint().height(), area / row) << height;
    }
}

TEST(ptListView, MissingWrapperIsAnInternalErrorAndFreeTwiceIsHarmless) {
    recorderTestEnsureApplication();
    ReportRecorder reports;
    int count = 0;
    EXPECT_EQ(ptListViewGetCount(nullptr, count), NOT_OKAY);
    ASSERT_EQ(reports.count(), 1u);
    EXPECT_TRUE(reports.reported("UTIL/ptListView/ptListView"));
    EXPECT_EQ(ptListViewSelectNext(nullptr), NOT_OKAY);
    EXPECT_EQ(reports.count(), 3u);  // the failing helper, then its caller
    QTreeWidget control;
    std::unique_ptr<ptListView> lv;
    ASSERT_EQ(ptListViewInit(&control, nullptr, lv), OKAY);
    EXPECT_EQ(ptListViewFree(lv), OKAY);
    EXPECT_EQ(lv, nullptr);
    EXPECT_EQ(ptListViewFree(lv), OKAY);
    control.viewport()->repaint();  // the plain delegate paints after the wrapper is gone
}

}  // namespace
