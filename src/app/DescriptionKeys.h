#pragma once

#include <QCollatorSortKey>
#include <QString>

#include <string>
#include <unordered_map>
#include <vector>

// The list's text, collation key and rank of each description, kept from one refill to the
// next so that only a description not seen at the last refill is converted and keyed again,
// and the descriptions are sorted once, the new ones merged in.
class CDescriptionKeys {
public:
    struct Keyed {
        QString text;
        QCollatorSortKey key;
        // Position in collation order; descriptions that collate as equal share it.
        int rank = 0;
        unsigned refill = 0;
    };
    using Entry = std::unordered_map<std::string, Keyed>::value_type;

    // Starts a refill of `count` elements; the descriptions given until EndRefill are kept.
    void BeginRefill(size_t count);
    // The entry of the description of the element at `index`; it stays in place until a
    // refill no longer gives it.
    const Entry& Of(size_t index, const std::string& description);
    // Ranks the descriptions given since BeginRefill.
    void EndRefill();

private:
    Entry& Find(const std::string& description);

    unsigned m_refill = 0;
    std::unordered_map<std::string, Keyed> m_entries;
    // The entries of the last refill by element index, and in collation order.
    std::vector<Entry*> m_byIndex;
    std::vector<Entry*> m_sorted;
    std::vector<Entry*> m_added;
    // Left out at the last refill; freed at the next, when no row points to them any more.
    std::vector<Entry*> m_vanished;
};
