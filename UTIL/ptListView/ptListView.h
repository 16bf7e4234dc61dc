// ptListView: a thin wrapper over a report-style list control (a Qt tree
// widget without a tree) that adds what the track list needs and the control
// does not offer by itself: its own row colours for ordinary and selected rows
// (with and without focus), proportional column widths that leave room for the
// vertical scroll bar exactly when one is needed, sorting by item data, and
// selection helpers (select next/previous, scroll to end).
//
// The wrapper does not own the control: the control is a child of the window
// that holds it and dies with it. Every operation returns OKAY or NOT_OKAY;
// a missing wrapper or control is an internal error.
#pragma once

#include <QColor>
#include <QPointer>
#include <QStyleOptionViewItem>
#include <QTreeWidget>
#include <array>
#include <memory>
#include <string>
#include <vector>

class CSlout;

constexpr int kPtListViewMaxColumns = 128;
constexpr int kPtListViewSortByItemData = -1;
// A selection or id list holds at most this many entries.
constexpr int kPtListViewMaxSelection = 32767;

struct ptListView {
    CSlout* trace = nullptr;
    QPointer<QTreeWidget> window;
    int drawItem = -1;  // row being drawn
    bool drawSelected = false;
    // One entry per column and, last, one for sorting by item data:
    // 1 ascending, anything else descending.
    std::array<int, kPtListViewMaxColumns + 1> sortDirection{};
    int sortColumn = 0;
    QColor textColour{0, 0, 0};
    QColor backColour{204, 204, 204};
    QColor selTextFocus{255, 255, 255};
    QColor selBackFocus{16, 128, 223};
    QColor selTextNoFocus{0, 0, 0};
    QColor selBackNoFocus{192, 192, 192};
    bool withImages = false;
    bool gridLines = true;  // a line right and below every cell
    int rowHeight = 0;      // 0: the style's row height with some air; else fixed (ptListViewFitRows)
    std::array<double, kPtListViewMaxColumns> columnShare{};  // all 0: equal widths
    // While redrawing is off, rows come in without sizing the columns for each
    // one (that lays out every row again); the widths follow once it is back on.
    bool redrawOff = false;
    bool widthsPending = false;
};

// Creates the wrapper for `window` and sets up the control: report look with
// grid lines and full-row selection, several rows selectable, headers shown
// but not clickable, our own drawing of row colours.
int ptListViewInit(QTreeWidget* window, CSlout* trace, std::unique_ptr<ptListView>& out);
// Frees the wrapper (the control stays with its parent); a second call does nothing.
int ptListViewFree(std::unique_ptr<ptListView>& lv);

int ptListViewSetTextColour(ptListView* lv, int r, int g, int b);
int ptListViewSetBackColour(ptListView* lv, int r, int g, int b);
// The colours of selected rows while the list has the focus and while it has not.
int ptListViewSetSelectionColours(ptListView* lv, const QColor& textFocus, const QColor& backFocus,
                                  const QColor& textNoFocus, const QColor& backNoFocus);
int ptListViewSetGridLines(ptListView* lv, bool on);
// Sizes the rows so that a whole number of them fills the area below the
// header, as near the natural row height as that allows: the list never shows
// a part of a row at its bottom. The header takes up the few pixels left over.
// Call it after the list is placed and styled.
int ptListViewFitRows(ptListView* lv);

// Places the control (client coordinates of its parent; right and bottom are
// exclusive) and gives all columns equal widths.
int ptListViewPlace(ptListView* lv, int left, int top, int right, int bottom);
// Appends a left-aligned column, then gives all columns equal widths.
int ptListViewAddColumn(ptListView* lv, const std::string& title);
// Stores up to 128 width fractions; the rest are cleared.
int ptListViewSetColumnShares(ptListView* lv, const double* shares, int count);
// Available width = the control's client width, less the vertical scroll bar
// when header height + rows x row height is not less than the client height;
// each column gets available x share (truncated), or an equal part without shares.
int ptListViewApplyColumnWidths(ptListView* lv);
// Appends a row (texts go into consecutive columns) carrying itemData, then
// applies the column widths.
int ptListViewAppendRow(ptListView* lv, const std::vector<std::string>& texts, int image, long itemData);
int ptListViewDeleteAll(ptListView* lv);
int ptListViewGetCount(ptListView* lv, int& count);
// Indexes of the selected rows in display order, at most `capacity`.
int ptListViewGetSelected(ptListView* lv, int capacity, std::vector<int>& rows);
int ptListViewGetItemData(ptListView* lv, int index, long& itemData);
// The item data of the selected rows in display order, at most `capacity`.
int ptListViewGetSelectedItemData(ptListView* lv, int capacity, std::vector<long>& itemData);
// Selects and focuses the row (others keep their state); scrolls it into view when asked.
int ptListViewSelect(ptListView* lv, int index, bool ensureVisible);
int ptListViewClearSelection(ptListView* lv);
// Moves the selection from the first selected row one row down / up (scrolled
// into view); with nothing selected the first row is selected; at the end
// (last row for next, first row for previous) nothing changes.
int ptListViewSelectNext(ptListView* lv);
int ptListViewSelectPrevious(ptListView* lv);
// Sorts by a column's text (case-insensitive, up to 512 characters) or, with
// column kPtListViewSortByItemData, by item data; direction 1 ascending.
int ptListViewSort(ptListView* lv, int column, int direction);
int ptListViewScrollToEnd(ptListView* lv);
// Switches redrawing of the control off and on again around a rebuild.
int ptListViewSetRedraw(ptListView* lv, bool on);

// Row drawing: the control's delegate calls this for every row it paints. It
// remembers the row, chooses the colours (selected rows with or without focus,
// ordinary rows) and takes the control's own selection highlight out of the
// option, so that only our colours show.
int ptListViewCustomDraw(ptListView* lv, int row, QStyleOptionViewItem& option);
