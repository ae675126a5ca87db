#pragma once

#include "core/ElemList.h"
#include "core/SchedulerPorts.h"

#include <QStringList>
#include <QTreeView>

class CCheckFailures;
class CElemRowModel;

// The three-column watch list: rows sorted by description with the locale's comparison,
// each row carrying its element's index in the watch list. The rows show the elements as
// they were at the last refill; the row of an element whose last check could not be made
// reads "Check failed: REASON", its tooltip the whole failure. In-place edits of a
// description are discarded: descriptions change only through the element editor.
class CElemListCtrl : public QTreeView, public IListView {
    Q_OBJECT

public:
    CElemListCtrl(const ElemList& elements, const CCheckFailures& failures,
                  QWidget* parent = nullptr);

    // What the scheduler asks of the list.
    std::optional<int> SelectedItem() const override;
    int ElementIndexOfRow(int row) const override;
    void RefillList() override { RefillList(nullptr); }
    void SelectRow(int row) override;

    // Titles from the catalogue, widths 200, 150, 150.
    void InsertColumns();
    // The height at which the list shows its titles and one whole row, with room for the
    // horizontal scroll bar that columns wider than the list bring.
    int HeightForTitlesAndOneRow() const;
    // Rebuilds every row; the row at which `element` now stands, or -1.
    int RefillList(const CKelElem* element);

signals:
    // Files dropped from the desktop, in the order given.
    void filesDropped(const QStringList& paths);
    // The rows show the elements and their failures anew.
    void refilled();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    const ElemList& m_arrElems;
    const CCheckFailures& m_failures;
    CElemRowModel* m_rows;
};
