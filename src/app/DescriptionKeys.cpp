#include "app/DescriptionKeys.h"

#include <QCollator>

namespace {

// The interface language's collation, without regard to case ("Alpha" before "beta").
const QCollator& DescriptionCollator() {
    static const QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

}  // namespace

void CDescriptionKeys::BeginRefill() {
    m_previous.clear();
    m_previous.swap(m_current);
}

const CDescriptionKeys::Entry& CDescriptionKeys::Of(const std::string& description) {
    if (const auto found = m_current.find(description); found != m_current.end()) {
        return *found;
    }
    // Moving the node keeps the entry where the rows of the last refill point to it.
    if (auto kept = m_previous.extract(description)) {
        return *m_current.insert(std::move(kept)).position;
    }
    QString text = QString::fromStdString(description);
    QCollatorSortKey key = DescriptionCollator().sortKey(text);
    return *m_current.emplace(description, Keyed{std::move(text), std::move(key)}).first;
}
