#include "app/ElemListCtrl.h"

#include "i18n/MessageCatalogue.h"
#include "i18n/TimeStamp.h"

#include <QCollator>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QStyledItemDelegate>
#include <QUrl>

namespace {

constexpr int kIndexRole = Qt::UserRole;

// Lets the user open an editor on a description and throws away what was typed.
class DiscardingDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}
};

// Rows compare by description, locale-aware and without regard to case ("Alpha" before
// "beta").
class ElemItem : public QTreeWidgetItem {
public:
    ElemItem(const QStringList& texts, const QCollator& collator)
        : QTreeWidgetItem(texts), m_collator(collator) {}

    bool operator<(const QTreeWidgetItem& other) const override {
        return m_collator.compare(text(0), other.text(0)) < 0;
    }

private:
    const QCollator& m_collator;
};

QString FromLocal(const std::string& text) {
    return QString::fromStdString(text);
}

const QCollator& DescriptionCollator() {
    static const QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

}  // namespace

QString StateText(int32_t state) {
    static const char* const kKeys[] = {"IDS_NOTCHECKED", "IDS_NONEWVERSION", "IDS_NEWVERSION",
                                        "IDS_NOINTERNET"};
    if (state < 0 || state >= static_cast<int32_t>(std::size(kKeys))) {
        return {};
    }
    return FromLocal(GetMessage(kKeys[state]));
}

CElemListCtrl::CElemListCtrl(const ElemList& elements, QWidget* parent)
    : QTreeWidget(parent), m_arrElems(elements) {
    setRootIsDecorated(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setItemDelegateForColumn(0, new DiscardingDelegate(this));
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    header()->setSortIndicatorShown(false);
    header()->setSectionsClickable(false);
}

void CElemListCtrl::InsertColumns() {
    setColumnCount(3);
    setHeaderLabels({FromLocal(Lookup("IDS_DESCR")), FromLocal(Lookup("IDS_ACCESS")),
                     FromLocal(Lookup("IDS_STATE"))});
    setColumnWidth(0, 200);
    setColumnWidth(1, 150);
    setColumnWidth(2, 150);
}

int CElemListCtrl::RefillList(const CKelElem* element) {
    clear();
    QList<QTreeWidgetItem*> rows;
    rows.reserve(static_cast<qsizetype>(m_arrElems.size()));
    QTreeWidgetItem* wanted = nullptr;
    for (size_t i = 0; i < m_arrElems.size(); ++i) {
        const CKelElem& elem = *m_arrElems[i];
        auto* row = new ElemItem(
            {FromLocal(elem.m_strDescription), FromLocal(FormatTimeStamp(elem.m_timeLastAccess)),
             StateText(elem.m_nState)},
            DescriptionCollator());
        row->setData(0, kIndexRole, static_cast<int>(i));
        row->setFlags(row->flags() | Qt::ItemIsEditable);
        if (&elem == element) {
            wanted = row;
        }
        rows.append(row);
    }
    addTopLevelItems(rows);
    sortItems(0, Qt::AscendingOrder);
    return wanted ? indexOfTopLevelItem(wanted) : -1;
}

std::optional<int> CElemListCtrl::SelectedItem() const {
    const int row = SelectedRow();
    return row < 0 ? std::nullopt : std::optional<int>(row);
}

int CElemListCtrl::SelectedRow() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : indexOfTopLevelItem(selected.first());
}

int CElemListCtrl::ElementIndexOfRow(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->data(0, kIndexRole).toInt() : -1;
}

void CElemListCtrl::SelectRow(int row) {
    clearSelection();
    if (QTreeWidgetItem* item = topLevelItem(row)) {
        item->setSelected(true);
        setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
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
