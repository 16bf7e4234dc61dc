// ptListView: row colours, proportional columns, sorting and selection helpers
// over a QTreeWidget used as a flat, report-style list.
//
// The control's own selection highlight is never shown: a delegate paints every
// cell with the colours ptListViewCustomDraw chooses, so the selected rows look
// the same under every widget style, and the grid lines are drawn with them.
#include "ptListView.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>

#include "pstr.h"
#include "report.h"

static constexpr const char* kReportModule = "../../UTIL/ptListView/ptListView";

namespace {

constexpr int kItemDataRole = Qt::UserRole;

// Grid lines, border and header take their colours from the row colours, so
// the control fits whatever the skin chose.
QColor gridColour(const ptListView& lv) {
    const QColor& t = lv.textColour;
    const QColor& b = lv.backColour;
    return QColor((t.red() + 2 * b.red()) / 3, (t.green() + 2 * b.green()) / 3,
                  (t.blue() + 2 * b.blue()) / 3);
}

void applyPalette(const ptListView& lv) {
    if (!lv.window) return;
    QPalette palette = lv.window->palette();
    palette.setColor(QPalette::Base, lv.backColour);
    palette.setColor(QPalette::Window, lv.backColour);
    palette.setColor(QPalette::Text, lv.textColour);
    palette.setColor(QPalette::WindowText, gridColour(lv));  // the border
    palette.setColor(QPalette::Button, lv.backColour.lighter(lv.backColour.lightness() < 128 ? 160 : 95));
    palette.setColor(QPalette::ButtonText, lv.textColour);
    lv.window->setPalette(palette);
    lv.window->header()->setPalette(palette);
    // The header's sections in the same colours, with the rows' text inset.
    lv.window->header()->setStyleSheet(
        QString("QHeaderView::section { background-color: %1; color: %2; padding: 4px 7px;"
                " border: 0; border-right: 1px solid %3; border-bottom: 1px solid %3; }")
            .arg(palette.color(QPalette::Button).name(), lv.textColour.name(), gridColour(lv).name()));
    lv.window->viewport()->update();
}

// Paints each cell with the wrapper's colours. It holds the wrapper only while
// the wrapper lives: ptListViewFree replaces the delegate before freeing.
class RowColourDelegate : public QStyledItemDelegate {
  public:
    RowColourDelegate(ptListView* lv, QObject* parent) : QStyledItemDelegate(parent), lv_(lv) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem o(option);
        initStyleOption(&o, index);
        if (ptListViewCustomDraw(lv_, index.row(), o) != OKAY) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        painter->save();
        painter->fillRect(o.rect, o.backgroundBrush);
        painter->setPen(o.palette.color(QPalette::Text));
        const QRect textRect = o.rect.adjusted(kCellPadding, 0, -kCellPadding, 0);
        const QString text = o.fontMetrics.elidedText(o.text, Qt::ElideRight, textRect.width());
        painter->setFont(o.font);
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, text);
        if (lv_->gridLines) {
            // Right and bottom edge of every cell.
            painter->setPen(gridColour(*lv_));
            painter->drawLine(o.rect.topRight(), o.rect.bottomRight());
            painter->drawLine(o.rect.bottomLeft(), o.rect.bottomRight());
        }
        painter->restore();
    }

    // Rows with some air around the text read better than the style's tight default.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(lv_->rowHeight > 0 ? lv_->rowHeight
                                          : naturalRowHeight(option.fontMetrics, size.height()));
        return size;
    }

    static int naturalRowHeight(const QFontMetrics& metrics, int styleHeight) {
        return std::max(styleHeight, metrics.height() + 2 * kRowPadding);
    }

  private:
    static constexpr int kCellPadding = 8;
    static constexpr int kRowPadding = 5;
    ptListView* lv_;
};

QTreeWidgetItem* rowItem(ptListView* lv, int index) {
    if (index < 0 || index >= lv->window->topLevelItemCount()) return nullptr;
    return lv->window->topLevelItem(index);
}

int rowHeight(QTreeWidget* w) {
    if (w->topLevelItemCount() > 0) {
        const int h = w->visualItemRect(w->topLevelItem(0)).height();
        if (h > 0) return h;
        const int hint = w->sizeHintForRow(0);
        if (hint > 0) return hint;
    }
    return w->fontMetrics().height() + 4;
}

void equalWidths(QTreeWidget* w) {
    const int count = w->columnCount();
    if (count <= 0) return;
    const int width = w->contentsRect().width() / count;
    for (int c = 0; c < count; ++c) w->setColumnWidth(c, width);
}

// Scrolls a row into view and checks that it became visible.
int ensureVisible(QTreeWidget* w, QTreeWidgetItem* item) {
    w->scrollToItem(item, QAbstractItemView::EnsureVisible);
    if (w->indexFromItem(item).isValid()) return OKAY;
    return REPORT_ERR();
}

}  // namespace

int ptListViewInit(QTreeWidget* window, CSlout* trace, std::unique_ptr<ptListView>& out) {
    if (!window) return REPORT_ERR();
    auto lv = std::make_unique<ptListView>();
    lv->trace = trace;
    lv->window = window;
    window->setColumnCount(0);
    window->setRootIsDecorated(false);
    window->setItemsExpandable(false);
    window->setIndentation(0);
    window->setUniformRowHeights(true);
    window->setAllColumnsShowFocus(true);
    window->setSelectionMode(QAbstractItemView::ExtendedSelection);
    window->setSelectionBehavior(QAbstractItemView::SelectRows);
    window->setEditTriggers(QAbstractItemView::NoEditTriggers);
    window->setSortingEnabled(false);
    window->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    window->setFrameShape(QFrame::Box);
    window->setFrameShadow(QFrame::Plain);  // a thin line in the grid colour
    window->header()->setSectionsClickable(false);
    window->header()->setSectionsMovable(false);
    window->header()->setStretchLastSection(false);
    window->header()->setSectionResizeMode(QHeaderView::Fixed);
    window->setItemDelegate(new RowColourDelegate(lv.get(), window));
    applyPalette(*lv);
    out = std::move(lv);
    return OKAY;
}

int ptListViewFree(std::unique_ptr<ptListView>& lv) {
    if (!lv) return OKAY;
    if (lv->window) {
        QAbstractItemDelegate* ours = lv->window->itemDelegate();
        lv->window->setItemDelegate(new QStyledItemDelegate(lv->window));
        delete ours;
    }
    lv.reset();
    return OKAY;
}

static int setColour(ptListView* lv, QColor& field, int r, int g, int b) {
    if (!lv || r < 0 || r > 255 || g < 0 || g > 255 || b < 0 || b > 255) return REPORT_ERR();
    field = QColor(r, g, b);
    applyPalette(*lv);
    return OKAY;
}

int ptListViewSetTextColour(ptListView* lv, int r, int g, int b) {
    if (!lv) return REPORT_ERR();
    REPORT_CHECK(setColour(lv, lv->textColour, r, g, b));
    return OKAY;
}

int ptListViewSetBackColour(ptListView* lv, int r, int g, int b) {
    if (!lv) return REPORT_ERR();
    REPORT_CHECK(setColour(lv, lv->backColour, r, g, b));
    return OKAY;
}

int ptListViewSetSelectionColours(ptListView* lv, const QColor& textFocus, const QColor& backFocus,
                                  const QColor& textNoFocus, const QColor& backNoFocus) {
    if (!lv || !lv->window) return REPORT_ERR();
    for (const QColor* c : {&textFocus, &backFocus, &textNoFocus, &backNoFocus})
        if (!c->isValid()) return REPORT_ERR();
    lv->selTextFocus = textFocus;
    lv->selBackFocus = backFocus;
    lv->selTextNoFocus = textNoFocus;
    lv->selBackNoFocus = backNoFocus;
    lv->window->viewport()->update();
    return OKAY;
}

int ptListViewSetGridLines(ptListView* lv, bool on) {
    if (!lv || !lv->window) return REPORT_ERR();
    lv->gridLines = on;
    lv->window->viewport()->update();
    return OKAY;
}

int ptListViewFitRows(ptListView* lv) {
    if (!lv || !lv->window) return REPORT_ERR();
    QTreeWidget* w = lv->window;
    QHeaderView* header = w->header();
    header->setMinimumHeight(0);
    const int headerHeight = header->isHidden() ? 0 : header->sizeHint().height();
    const int area = w->contentsRect().height() - headerHeight;
    const int natural = RowColourDelegate::naturalRowHeight(w->fontMetrics(), 0);
    if (area <= 0 || natural <= 0) return REPORT_ERR();
    const int rows = std::max(1, area / natural);
    lv->rowHeight = area / rows;
    // The header grows by the remainder (fewer pixels than rows).
    if (!header->isHidden()) header->setMinimumHeight(headerHeight + area - rows * lv->rowHeight);
    w->doItemsLayout();
    REPORT_CHECK(ptListViewApplyColumnWidths(lv));
    return OKAY;
}

int ptListViewPlace(ptListView* lv, int left, int top, int right, int bottom) {
    if (!lv || !lv->window || right < left || bottom < top) return REPORT_ERR();
    lv->window->setGeometry(left, top, right - left, bottom - top);
    equalWidths(lv->window);
    return OKAY;
}

int ptListViewAddColumn(ptListView* lv, const std::string& title) {
    if (!lv || !lv->window) return REPORT_ERR();
    QTreeWidget* w = lv->window;
    const int count = w->columnCount();
    if (count >= kPtListViewMaxColumns) return REPORT_ERR();
    w->setColumnCount(count + 1);
    QTreeWidgetItem* header = w->headerItem();
    header->setText(count, QString::fromStdString(title));
    header->setTextAlignment(count, Qt::AlignLeft | Qt::AlignVCenter);
    equalWidths(w);
    return OKAY;
}

int ptListViewSetColumnShares(ptListView* lv, const double* shares, int count) {
    if (!lv || (count > 0 && !shares) || count < 0 || count > kPtListViewMaxColumns) return REPORT_ERR();
    lv->columnShare.fill(0.0);
    for (int i = 0; i < count; ++i) lv->columnShare[i] = shares[i];
    return OKAY;
}

int ptListViewApplyColumnWidths(ptListView* lv) {
    if (!lv || !lv->window) return REPORT_ERR();
    QTreeWidget* w = lv->window;
    const int count = w->columnCount();
    if (count <= 0) return OKAY;
    const QRect client = w->contentsRect();
    const int header = w->header()->isHidden() ? 0 : w->header()->sizeHint().height();
    const int rows = w->topLevelItemCount();
    const bool needsBar = header + rows * rowHeight(w) >= client.height();
    int available = client.width();
    // Asked of the bar itself, so that a style sheet's width for it counts.
    if (needsBar)
        available -= w->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, w->verticalScrollBar());
    // The bar is shown by the same rule that sized the columns, so the two
    // always agree and no horizontal scroll bar appears.
    w->setVerticalScrollBarPolicy(needsBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
    const bool withShares =
        std::any_of(lv->columnShare.begin(), lv->columnShare.end(), [](double s) { return s != 0.0; });
    for (int c = 0; c < count; ++c) {
        const int width = withShares ? static_cast<int>(available * lv->columnShare[c]) : available / count;
        w->setColumnWidth(c, std::max(width, 0));
    }
    return OKAY;
}

int ptListViewAppendRow(ptListView* lv, const std::vector<std::string>& texts, int image, long itemData) {
    if (!lv || !lv->window || texts.empty()) return REPORT_ERR();
    (void)image;  // rows of this program carry no image
    auto item = std::make_unique<QTreeWidgetItem>();
    for (size_t c = 0; c < texts.size() && c < static_cast<size_t>(kPtListViewMaxColumns); ++c)
        item->setText(static_cast<int>(c), QString::fromStdString(texts[c]));
    item->setData(0, kItemDataRole, QVariant::fromValue<qlonglong>(itemData));
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    lv->window->addTopLevelItem(item.release());
    if (lv->redrawOff) {
        lv->widthsPending = true;
        return OKAY;
    }
    REPORT_CHECK(ptListViewApplyColumnWidths(lv));
    return OKAY;
}

int ptListViewDeleteAll(ptListView* lv) {
    if (!lv || !lv->window) return REPORT_ERR();
    lv->window->clear();
    return OKAY;
}

int ptListViewGetCount(ptListView* lv, int& count) {
    if (!lv || !lv->window) return REPORT_ERR();
    count = lv->window->topLevelItemCount();
    return OKAY;
}

int ptListViewGetSelected(ptListView* lv, int capacity, std::vector<int>& rows) {
    if (!lv || !lv->window || capacity < 0) return REPORT_ERR();
    rows.clear();
    const int count = lv->window->topLevelItemCount();
    for (int i = 0; i < count && static_cast<int>(rows.size()) < capacity; ++i)
        if (lv->window->topLevelItem(i)->isSelected()) rows.push_back(i);
    return OKAY;
}

int ptListViewGetItemData(ptListView* lv, int index, long& itemData) {
    if (!lv || !lv->window) return REPORT_ERR();
    QTreeWidgetItem* item = rowItem(lv, index);
    if (!item) return REPORT_ERR();
    itemData = static_cast<long>(item->data(0, kItemDataRole).toLongLong());
    return OKAY;
}

int ptListViewGetSelectedItemData(ptListView* lv, int capacity, std::vector<long>& itemData) {
    itemData.clear();
    std::vector<int> rows;
    REPORT_CHECK(ptListViewGetSelected(lv, capacity, rows));
    for (int row : rows) {
        long data = 0;
        REPORT_CHECK(ptListViewGetItemData(lv, row, data));
        itemData.push_back(data);
    }
    return OKAY;
}

int ptListViewSelect(ptListView* lv, int index, bool ensure) {
    if (!lv || !lv->window) return REPORT_ERR();
    QTreeWidgetItem* item = rowItem(lv, index);
    if (!item) return REPORT_ERR();
    QTreeWidget* w = lv->window;
    w->selectionModel()->setCurrentIndex(w->indexFromItem(item), QItemSelectionModel::NoUpdate);
    item->setSelected(true);
    if (ensure) REPORT_CHECK(ensureVisible(w, item));
    return OKAY;
}

int ptListViewClearSelection(ptListView* lv) {
    if (!lv || !lv->window) return REPORT_ERR();
    lv->window->clearSelection();
    return OKAY;
}

static int moveSelection(ptListView* lv, int step) {
    if (!lv || !lv->window) return REPORT_ERR();
    int count = 0;
    REPORT_CHECK(ptListViewGetCount(lv, count));
    if (count == 0) return OKAY;
    std::vector<int> selected;
    REPORT_CHECK(ptListViewGetSelected(lv, 1, selected));
    int target = 0;
    if (!selected.empty()) {
        target = selected[0] + step;
        if (target < 0 || target >= count) return OKAY;
    }
    REPORT_CHECK(ptListViewClearSelection(lv));
    REPORT_CHECK(ptListViewSelect(lv, target, true));
    return OKAY;
}

int ptListViewSelectNext(ptListView* lv) {
    REPORT_CHECK(moveSelection(lv, +1));
    return OKAY;
}

int ptListViewSelectPrevious(ptListView* lv) {
    REPORT_CHECK(moveSelection(lv, -1));
    return OKAY;
}

int ptListViewSort(ptListView* lv, int column, int direction) {
    if (!lv || !lv->window) return REPORT_ERR();
    if (column > kPtListViewMaxColumns - 1 || column < kPtListViewSortByItemData) return REPORT_ERR();
    const int slot = column == kPtListViewSortByItemData ? kPtListViewMaxColumns : column;
    lv->sortDirection[slot] = direction;
    lv->sortColumn = column;
    const int sign = direction == 1 ? 1 : -1;

    const auto before = [&](QTreeWidgetItem* a, QTreeWidgetItem* b) {
        int result;
        if (column == kPtListViewSortByItemData) {
            const qlonglong x = a->data(0, kItemDataRole).toLongLong();
            const qlonglong y = b->data(0, kItemDataRole).toLongLong();
            result = x < y ? -1 : (x > y ? 1 : 0);
        } else {
            result = pstrCompare(a->text(column).toStdString(), b->text(column).toStdString(), false);
        }
        return result * sign < 0;
    };
    QTreeWidget* w = lv->window;
    // Rows come in mostly in order already (the track list's ids grow with
    // time): then nothing moves.
    bool inOrder = true;
    for (int i = 1; i < w->topLevelItemCount() && inOrder; ++i)
        inOrder = !before(w->topLevelItem(i), w->topLevelItem(i - 1));
    if (inOrder) return OKAY;

    QTreeWidgetItem* current = w->currentItem();
    std::vector<QTreeWidgetItem*> selected;
    for (int i = 0; i < w->topLevelItemCount(); ++i)
        if (w->topLevelItem(i)->isSelected()) selected.push_back(w->topLevelItem(i));
    // Taken items belong to us until they are handed back below. All at once:
    // one by one, each take and each add would move and announce every row.
    QList<QTreeWidgetItem*> items = w->invisibleRootItem()->takeChildren();
    std::stable_sort(items.begin(), items.end(), before);
    w->addTopLevelItems(items);
    for (QTreeWidgetItem* item : selected) item->setSelected(true);
    if (current)
        w->selectionModel()->setCurrentIndex(w->indexFromItem(current), QItemSelectionModel::NoUpdate);
    return OKAY;
}

int ptListViewScrollToEnd(ptListView* lv) {
    if (!lv || !lv->window) return REPORT_ERR();
    const int count = lv->window->topLevelItemCount();
    if (count == 0) return OKAY;
    REPORT_CHECK(ensureVisible(lv->window, lv->window->topLevelItem(count - 1)));
    return OKAY;
}

int ptListViewSetRedraw(ptListView* lv, bool on) {
    if (!lv || !lv->window) return REPORT_ERR();
    lv->window->setUpdatesEnabled(on);
    lv->redrawOff = !on;
    if (!on) return OKAY;
    if (lv->widthsPending) {
        lv->widthsPending = false;
        REPORT_CHECK(ptListViewApplyColumnWidths(lv));
    }
    lv->window->viewport()->update();
    return OKAY;
}

int ptListViewCustomDraw(ptListView* lv, int row, QStyleOptionViewItem& option) {
    if (!lv || !lv->window) return REPORT_ERR();
    lv->drawItem = row;
    lv->drawSelected = option.state.testFlag(QStyle::State_Selected);
    QColor text = lv->textColour;
    QColor back = lv->backColour;
    if (lv->drawSelected) {
        const bool focus = lv->window->hasFocus();
        text = focus ? lv->selTextFocus : lv->selTextNoFocus;
        back = focus ? lv->selBackFocus : lv->selBackNoFocus;
    }
    // The control must not add its own highlight over our colours.
    option.state &= ~QStyle::State_Selected;
    option.backgroundBrush = QBrush(back);
    option.palette.setColor(QPalette::Text, text);
    option.palette.setColor(QPalette::WindowText, text);
    return OKAY;
}
