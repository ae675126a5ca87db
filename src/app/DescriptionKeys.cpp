#include "app/DescriptionKeys.h"

#include <QCollator>

#include <algorithm>

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

bool KeyBefore(const CDescriptionKeys::Entry* a, const CDescriptionKeys::Entry* b) {
    return a->second.key.compare(b->second.key) < 0;
}

}  // namespace

void CDescriptionKeys::BeginRefill(size_t count) {
    ++m_refill;
    for (const Entry* entry : m_vanished) {
        m_entries.erase(m_entries.find(entry->first));
    }
    m_vanished.clear();
    m_entries.reserve(count);
    m_byIndex.resize(count, nullptr);
}

const CDescriptionKeys::Entry& CDescriptionKeys::Of(size_t index, const std::string& description) {
    // Most elements keep their description and their place from one refill to the next.
    Entry*& slot = m_byIndex[index];
    if (!slot || slot->first != description) {
        slot = &Find(description);
    }
    slot->second.refill = m_refill;
    return *slot;
}

CDescriptionKeys::Entry& CDescriptionKeys::Find(const std::string& description) {
    if (const auto found = m_entries.find(description); found != m_entries.end()) {
        return *found;
    }
    QString text = QString::fromStdString(description);
    // A sort key is only copied: Qt gives it no move.
    const QCollatorSortKey key = DescriptionCollator().sortKey(text);
    Entry& entry = *m_entries.emplace(description, Keyed{std::move(text), key}).first;
    m_added.push_back(&entry);
    return entry;
}

void CDescriptionKeys::EndRefill() {
    const auto left = std::stable_partition(
        m_sorted.begin(), m_sorted.end(),
        [this](const Entry* entry) { return entry->second.refill == m_refill; });
    m_vanished.assign(left, m_sorted.end());
    m_sorted.erase(left, m_sorted.end());
    std::sort(m_added.begin(), m_added.end(), KeyBefore);
    const auto middle = static_cast<std::ptrdiff_t>(m_sorted.size());
    m_sorted.insert(m_sorted.end(), m_added.begin(), m_added.end());
    m_added.clear();
    std::inplace_merge(m_sorted.begin(), m_sorted.begin() + middle, m_sorted.end(), KeyBefore);
    int rank = 0;
    for (size_t i = 0; i < m_sorted.size(); ++i) {
        if (i > 0 && KeyBefore(m_sorted[i - 1], m_sorted[i])) {
            ++rank;
        }
        m_sorted[i]->second.rank = rank;
    }
}
