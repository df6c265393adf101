#include "ui/sort_list_ctrl.h"

#include <QHeaderView>
#include <QPainter>
#include <QStringList>
#include <QStyleOptionHeader>

#include <algorithm>

#include "util/numbers.h"

namespace quillon::ui {

namespace {

constexpr int kUserPointerRole = Qt::UserRole + 1;

int Sign(double difference) { return difference < 0 ? -1 : (difference > 0 ? 1 : 0); }

double Number(const QString& text) { return util::TextToNumber(text.toStdString()); }

// A leading integer as atoi reads it.
long long Integer(const QString& text) { return static_cast<long long>(util::TextToNumber(text.toStdString())); }

double SizeValue(const QString& text) {
    const std::string bytes = text.toStdString();
    const double number = util::TextToNumber(bytes);
    // The unit follows the number, after at most one space.
    std::size_t pos = 0;
    while (pos < bytes.size() && (bytes[pos] == ' ' || bytes[pos] == '\t')) ++pos;
    if (pos < bytes.size() && (bytes[pos] == '+' || bytes[pos] == '-')) ++pos;
    while (pos < bytes.size() &&
           ((bytes[pos] >= '0' && bytes[pos] <= '9') || bytes[pos] == '.' || bytes[pos] == 'e' || bytes[pos] == 'E')) {
        ++pos;
    }
    if (pos < bytes.size() && bytes[pos] == ' ') ++pos;
    const char unit = pos < bytes.size() ? bytes[pos] : '\0';
    switch (unit) {
    case 'K':
    case 'k': return number * 1024.0;
    case 'M':
    case 'm': return number * 1048576.0;
    case 'G':
    case 'g': return number * 1073741824.0;
    case 'T':
    case 't': return number * 1099511627776.0;
    default: return number;
    }
}

// Compares three separated integers in the given field order; equal when either text lacks
// two separators.
int CompareDate(const QString& a, const QString& b, QChar separator, const int order[3]) {
    const QStringList pa = a.split(separator);
    const QStringList pb = b.split(separator);
    if (pa.size() < 3 || pb.size() < 3) return 0;
    for (int k = 0; k < 3; ++k) {
        const long long difference = Integer(pa[order[k]]) - Integer(pb[order[k]]);
        if (difference != 0) return difference < 0 ? -1 : 1;
    }
    return 0;
}

long long DurationSeconds(const QString& text) {
    const QStringList fields = text.split(':');
    std::vector<long long> values;
    for (const QString& field : fields) values.push_back(std::max(0LL, Integer(field)));
    if (values.size() == 1) return values[0];
    const auto limit = [](long long v) { return std::min(v, 59LL); };
    if (values.size() == 2) return limit(values[0]) * 60 + limit(values[1]);
    return values[0] * 3600 + limit(values[1]) * 60 + limit(values[2]);
}

// Rows compare through the list's current comparison. A sort reads each row's text once into a
// key; comparing keys keeps a sort of many rows quick (the texts would be parsed at every one of
// its n log n comparisons).
class SortListItem final : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override {
        const auto* list = static_cast<const SortListCtrl*>(treeWidget());
        const auto* peer = dynamic_cast<const SortListItem*>(&other);
        if (list && peer && keyed_ && peer->keyed_) return list->CompareKeys(key_, peer->key_) < 0;
        return list->CompareRows(*this, other) < 0;
    }
    void SetKey(SortKey key) {
        key_ = std::move(key);
        keyed_ = true;
    }
    void DropKey() {
        keyed_ = false;
        key_ = SortKey{};
    }

private:
    SortKey key_;
    bool keyed_ = false;
};

// A header whose sorted column keeps its own place for the arrow at the section's end: the style
// would draw the arrow over a right-aligned or long caption.
class SortHeader final : public QHeaderView {
public:
    using QHeaderView::QHeaderView;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        if (!rect.isValid() || !isSortIndicatorShown() || sortIndicatorSection() != logicalIndex) {
            QHeaderView::paintSection(painter, rect, logicalIndex);
            return;
        }
        QStyleOptionHeaderV2 option;  // carries the elide mode: a caption too long is elided, not cut
        initStyleOption(&option);
        initStyleOptionForIndex(&option, logicalIndex);
        option.rect = rect;
        const QPointF origin = painter->brushOrigin();
        painter->setBrushOrigin(rect.topLeft());
        style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);

        const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, &option, this);
        const int arrowWidth = std::min(rect.width() / 2, rect.height() / 2 + 2 * margin);
        const bool rightToLeft = option.direction == Qt::RightToLeft;
        QStyleOptionHeaderV2 arrow = option;
        arrow.rect = rightToLeft ? QRect(rect.left(), rect.top(), arrowWidth, rect.height())
                                 : QRect(rect.right() - arrowWidth + 1, rect.top(), arrowWidth, rect.height());
        style()->drawPrimitive(QStyle::PE_IndicatorHeaderArrow, &arrow, painter, this);

        QStyleOptionHeaderV2 label = option;
        label.sortIndicator = QStyleOptionHeader::None;
        label.rect = rightToLeft ? rect.adjusted(arrowWidth, 0, 0, 0) : rect.adjusted(0, 0, -arrowWidth, 0);
        label.rect = style()->subElementRect(QStyle::SE_HeaderLabel, &label, this);
        painter->save();
        painter->setClipRect(label.rect, Qt::IntersectClip);
        style()->drawControl(QStyle::CE_HeaderLabel, &label, painter, this);
        painter->restore();
        painter->setBrushOrigin(origin);
    }
};

}  // namespace

int CompareSortTexts(int sortType, const QString& a, const QString& b) {
    static const int kHyphenOrder[3] = {0, 1, 2};
    static const int kSlashOrder[3] = {2, 0, 1};
    switch (sortType) {
    case SortNumber: return Sign(Number(a) - Number(b));
    case SortSize: return Sign(SizeValue(a) - SizeValue(b));
    case SortDateHyphen: return CompareDate(a, b, QChar('-'), kHyphenOrder);
    case SortDateSlash: return CompareDate(a, b, QChar('/'), kSlashOrder);
    case SortDuration: {
        const long long difference = DurationSeconds(a) - DurationSeconds(b);
        return difference < 0 ? -1 : (difference > 0 ? 1 : 0);
    }
    default: {
        const int result = QString::localeAwareCompare(a, b);
        return result < 0 ? -1 : (result > 0 ? 1 : 0);
    }
    }
}

SortListCtrl::SortListCtrl(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    auto* sortHeader = new SortHeader(Qt::Horizontal, this);
    sortHeader->setSectionsMovable(true);
    sortHeader->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setHeader(sortHeader);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    header()->setStretchLastSection(false);
    connect(header(), &QHeaderView::sectionClicked, this, &SortListCtrl::OnHeaderClicked);
}

void SortListCtrl::SetColumnSortType(int column, int type) {
    if (column < 0 || column >= kMaxSortColumns) return;
    sortTypes_[column] = type;
}

int SortListCtrl::ColumnSortType(int column) const {
    if (column < 0 || column >= kMaxSortColumns) return SortText;
    return sortTypes_[column];
}

int SortListCtrl::InsertItem(int index, const QString& text, void* userPointer) {
    auto* item = new SortListItem();
    item->setText(0, text);
    item->setData(0, kUserPointerRole, QVariant::fromValue(reinterpret_cast<quintptr>(userPointer)));
    for (int column = 0; column < columnCount(); ++column) {
        item->setTextAlignment(column, Qt::Alignment(headerItem()->textAlignment(column)));
    }
    if (index < 0 || index > topLevelItemCount()) index = topLevelItemCount();
    insertTopLevelItem(index, item);
    return index;
}

void* SortListCtrl::GetItemUser(int index) const {
    const QTreeWidgetItem* item = topLevelItem(index);
    if (!item) return nullptr;
    return reinterpret_cast<void*>(item->data(0, kUserPointerRole).value<quintptr>());
}

int SortListCtrl::SetItemUser(int index, void* pointer) {
    QTreeWidgetItem* item = topLevelItem(index);
    if (!item) return 0;
    item->setData(0, kUserPointerRole, QVariant::fromValue(reinterpret_cast<quintptr>(pointer)));
    return 1;
}

void SortListCtrl::DeleteItem(int index) { delete takeTopLevelItem(index); }

void SortListCtrl::DeleteAllItems() { clear(); }

QString SortListCtrl::ItemText(int index, int column) const {
    const QTreeWidgetItem* item = topLevelItem(index);
    return item ? item->text(column) : QString();
}

void SortListCtrl::SetItemText(int index, int column, const QString& text) {
    if (QTreeWidgetItem* item = topLevelItem(index)) item->setText(column, text);
}

int SortListCtrl::CompareRows(const QTreeWidgetItem& a, const QTreeWidgetItem& b) const {
    const int column = std::max(sortedColumn_, 0);
    return CompareSortTexts(ColumnSortType(column), a.text(column), b.text(column));
}

SortKey SortListCtrl::KeyOf(int sortType, const QString& text) const {
    SortKey key;
    switch (sortType) {
    case SortNumber: key.number = Number(text); break;
    case SortSize: key.number = SizeValue(text); break;
    case SortDuration: key.number = static_cast<double>(DurationSeconds(text)); break;
    case SortDateHyphen:
    case SortDateSlash: key.text = text; break;  // few rows carry dates; compared as before
    default: key.collated = collator_.sortKey(text); break;
    }
    return key;
}

int SortListCtrl::CompareKeys(const SortKey& a, const SortKey& b) const {
    const int type = ColumnSortType(std::max(sortedColumn_, 0));
    switch (type) {
    case SortNumber:
    case SortSize:
    case SortDuration: return Sign(a.number - b.number);
    case SortDateHyphen:
    case SortDateSlash: return CompareSortTexts(type, a.text, b.text);
    default: {
        if (!a.collated || !b.collated) return 0;
        const int result = a.collated->compare(*b.collated);
        return result < 0 ? -1 : (result > 0 ? 1 : 0);
    }
    }
}

void SortListCtrl::Sort(int column, bool ascending) {
    sortedColumn_ = column;
    ascending_ = ascending;
    const int type = ColumnSortType(column);
    for (int row = 0; row < topLevelItemCount(); ++row) {
        if (auto* item = dynamic_cast<SortListItem*>(topLevelItem(row))) item->SetKey(KeyOf(type, item->text(column)));
    }
    sortItems(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    // Keys are only good for this sort: the texts change afterwards.
    for (int row = 0; row < topLevelItemCount(); ++row) {
        if (auto* item = dynamic_cast<SortListItem*>(topLevelItem(row))) item->DropKey();
    }
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    Q_EMIT Sorted(column);
}

void SortListCtrl::OnHeaderClicked(int column) {
    const bool ascending = !(column == sortedColumn_ && ascending_);
    Sort(column, ascending);
}

}  // namespace quillon::ui
