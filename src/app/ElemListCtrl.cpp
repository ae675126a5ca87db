#include "app/ElemListCtrl.h"

#include "app/DescriptionKeys.h"
#include "core/CheckFailures.h"
#include "core/KelElem.h"
#include "i18n/MessageCatalogue.h"
#include "i18n/TimeStamp.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QAbstractTableModel>
#include <QUrl>

#include <algorithm>
#include <unordered_map>
#include <vector>

// What the list shows of an element, taken at a refill; the texts of a row are made only
// when the view draws it, so that a refill of a long list costs little more than its sort.
struct ElemRow {
    int index;
    const CDescriptionKeys::Entry* description;
    TimeValue lastAccess;
    int32_t state;
};

// What the row of an element whose last check could not be made shows instead of its state.
struct FailureRow {
    QString state;  // "Check failed: REASON"
    QString tip;
};

class CElemRowModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetTitles(const QStringList& titles) {
        m_titles = titles;
        emit headerDataChanged(Qt::Horizontal, 0, static_cast<int>(titles.size()) - 1);
    }

    // Rows by description in the interface language's collation, equal descriptions in list
    // order. When no description changed since the last refill, neither did that order.
    void Refill(const ElemList& elements, const CCheckFailures& failures) {
        beginResetModel();
        TakeFailures(elements, failures);
        if (SameDescriptions(elements)) {
            for (ElemRow& row : m_rows) {
                const CKelElem& elem = *elements[static_cast<size_t>(row.index)];
                row.lastAccess = elem.m_timeLastAccess;
                row.state = elem.m_nState;
            }
        } else {
            m_rows = SortedRows(elements);
        }
        endResetModel();
    }

    const ElemRow* Row(int row) const {
        return row >= 0 && static_cast<size_t>(row) < m_rows.size()
                   ? &m_rows[static_cast<size_t>(row)]
                   : nullptr;
    }

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }
    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_titles.size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        const ElemRow* row = Row(index.row());
        if (!row) {
            return {};
        }
        const auto failure = m_failing.find(row->index);
        const bool failing = failure != m_failing.end();
        if (role == Qt::ToolTipRole && failing) {
            return failure->second.tip;
        }
        if (role != Qt::DisplayRole && role != Qt::EditRole) {
            return {};
        }
        switch (index.column()) {
            case 0:
                return row->description->second.text;
            case 1:
                return QString::fromStdString(FormatTimeStamp(row->lastAccess));
            default:
                return failing ? failure->second.state
                               : QString::fromStdString(GetMessage(StateKey(row->state)));
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
            section >= m_titles.size()) {
            return {};
        }
        return m_titles[section];
    }

    // The description can be opened for editing; what is typed is never stored (setData
    // keeps its default, which refuses).
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        const Qt::ItemFlags flags = QAbstractTableModel::flags(index);
        return index.column() == 0 ? flags | Qt::ItemIsEditable : flags;
    }

private:
    // Few elements fail at a time: their texts are kept by element index, made once a refill.
    void TakeFailures(const ElemList& elements, const CCheckFailures& failures) {
        m_failing.clear();
        for (size_t i = 0; i < elements.size(); ++i) {
            if (const CCheckFailures::Streak* streak = failures.Of(*elements[i])) {
                m_failing[static_cast<int>(i)] = {
                    QString::fromStdString(StateText(*elements[i], failures)),
                    QString::fromStdString(FailureTip(*streak))};
            }
        }
    }

    bool SameDescriptions(const ElemList& elements) const {
        return m_rows.size() == elements.size() &&
               std::all_of(m_rows.begin(), m_rows.end(), [&elements](const ElemRow& row) {
                   return elements[static_cast<size_t>(row.index)]->m_strDescription ==
                          row.description->first;
               });
    }

    std::vector<ElemRow> SortedRows(const ElemList& elements) {
        m_keys.BeginRefill(elements.size());
        std::vector<const CDescriptionKeys::Entry*> descriptions;
        descriptions.reserve(elements.size());
        for (size_t i = 0; i < elements.size(); ++i) {
            descriptions.push_back(&m_keys.Of(i, elements[i]->m_strDescription));
        }
        m_keys.EndRefill();
        // (rank, index) pairs are distinct: sorting them puts equal descriptions in list order.
        std::vector<std::pair<int, int>> order;
        order.reserve(elements.size());
        for (size_t i = 0; i < elements.size(); ++i) {
            order.emplace_back(descriptions[i]->second.rank, static_cast<int>(i));
        }
        std::sort(order.begin(), order.end());
        std::vector<ElemRow> rows;
        rows.reserve(elements.size());
        for (const auto& [rank, index] : order) {
            const CKelElem& elem = *elements[static_cast<size_t>(index)];
            rows.push_back({index, descriptions[static_cast<size_t>(index)], elem.m_timeLastAccess,
                            elem.m_nState});
        }
        return rows;
    }

    QStringList m_titles;
    CDescriptionKeys m_keys;
    std::vector<ElemRow> m_rows;
    std::unordered_map<int, FailureRow> m_failing;
};

CElemListCtrl::CElemListCtrl(const ElemList& elements, const CCheckFailures& failures,
                             QWidget* parent)
    : QTreeView(parent),
      m_arrElems(elements),
      m_failures(failures),
      m_rows(new CElemRowModel(this)) {
    setModel(m_rows);
    setRootIsDecorated(false);
    // Every row is one line of text: the view need not measure each of them.
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    header()->setSortIndicatorShown(false);
    header()->setSectionsClickable(false);
}

void CElemListCtrl::InsertColumns() {
    m_rows->SetTitles({QString::fromStdString(Lookup("IDS_DESCR")),
                       QString::fromStdString(Lookup("IDS_ACCESS")),
                       QString::fromStdString(Lookup("IDS_STATE"))});
    setColumnWidth(0, 200);
    setColumnWidth(1, 150);
    setColumnWidth(2, 150);
}

int CElemListCtrl::HeightForTitlesAndOneRow() const {
    // A row is one line of text in the list's font, measured as the view measures its rows.
    QStyleOptionViewItem row;
    initViewItemOption(&row);
    row.features |= QStyleOptionViewItem::HasDisplay;
    row.text = model()->headerData(0, Qt::Horizontal).toString();
    const int rowHeight =
        style()->sizeFromContents(QStyle::CT_ItemViewItem, &row, QSize(), this).height();
    return 2 * frameWidth() + header()->sizeHint().height() + rowHeight +
           horizontalScrollBar()->sizeHint().height();
}

int CElemListCtrl::RefillList(const CKelElem* element) {
    m_rows->Refill(m_arrElems, m_failures);
    emit refilled();
    for (int row = 0; element && m_rows->Row(row); ++row) {
        if (m_arrElems[static_cast<size_t>(m_rows->Row(row)->index)].get() == element) {
            return row;
        }
    }
    return -1;
}

std::optional<int> CElemListCtrl::SelectedItem() const {
    const QModelIndexList selected = selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        return std::nullopt;
    }
    return selected.first().row();
}

int CElemListCtrl::ElementIndexOfRow(int row) const {
    const ElemRow* found = m_rows->Row(row);
    return found ? found->index : -1;
}

void CElemListCtrl::SelectRow(int row) {
    clearSelection();
    if (m_rows->Row(row)) {
        const QModelIndex index = m_rows->index(row, 0);
        selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    }
}

void CElemListCtrl::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CElemListCtrl::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CElemListCtrl::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths.append(url.toLocalFile());
        }
    }
    event->acceptProposedAction();
    if (!paths.isEmpty()) {
        emit filesDropped(paths);
    }
}
