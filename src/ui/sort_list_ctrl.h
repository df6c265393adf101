#pragma once
// A report-style list that sorts by a clicked column with a comparison chosen per column
// (text, number, size with unit, two date forms, duration); a second click on the same header
// reverses the order. Every row carries an opaque user pointer that moves with it.

#include <QCollator>
#include <QString>
#include <QTreeWidget>

#include <optional>

namespace quillon::ui {

enum SortType : int {
    SortText = 0,
    SortNumber = 1,
    SortSize = 2,
    SortDateHyphen = 3,  // a-b-c compared a, b, c
    SortDateSlash = 4,   // a/b/c compared c, a, b
    SortDuration = 5,
};

// Negative, 0 or positive as a sorts before, with or after b in ascending order.
int CompareSortTexts(int sortType, const QString& a, const QString& b);

// A cell's text read once for a sort: a number, a collation key, or the text itself.
struct SortKey {
    double number = 0;
    std::optional<QCollatorSortKey> collated;
    QString text;
};

class SortListCtrl : public QTreeWidget {
    Q_OBJECT
public:
    static constexpr int kMaxSortColumns = 100;

    explicit SortListCtrl(QWidget* parent = nullptr);

    // Ignored for columns from 100 on.
    void SetColumnSortType(int column, int type);
    int ColumnSortType(int column) const;

    // Appends (or inserts at index) a row with the first column's text and the pointer.
    int InsertItem(int index, const QString& text, void* userPointer);
    void* GetItemUser(int index) const;
    // 0 when there is no row at index, else 1.
    int SetItemUser(int index, void* pointer);
    void DeleteItem(int index);
    void DeleteAllItems();
    int ItemCount() const { return topLevelItemCount(); }
    QString ItemText(int index, int column) const;
    void SetItemText(int index, int column, const QString& text);

    void Sort(int column, bool ascending);
    int SortedColumn() const { return sortedColumn_; }
    bool SortedAscending() const { return ascending_; }

    // The comparison the current sort uses (for the rows' ordering).
    int CompareRows(const QTreeWidgetItem& a, const QTreeWidgetItem& b) const;
    // The same comparison on keys made by KeyOf.
    int CompareKeys(const SortKey& a, const SortKey& b) const;
    SortKey KeyOf(int sortType, const QString& text) const;

Q_SIGNALS:
    // After every sort; the rows and their pointers are in their new order.
    void Sorted(int column);

private:
    void OnHeaderClicked(int column);

    int sortTypes_[kMaxSortColumns] = {};
    QCollator collator_;  // the locale's order, as localeAwareCompare uses it
    int sortedColumn_ = -1;
    bool ascending_ = true;
};

}  // namespace quillon::ui
