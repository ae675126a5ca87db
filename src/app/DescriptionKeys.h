#pragma once

#include <QCollatorSortKey>
#include <QString>

#include <string>
#include <unordered_map>

// The list's text and collation key of each description, kept from one refill to the next
// so that only a description not seen at the last refill is converted and keyed again.
class CDescriptionKeys {
public:
    struct Keyed {
        QString text;
        QCollatorSortKey key;
    };
    using Entry = std::unordered_map<std::string, Keyed>::value_type;

    // Starts a refill: the descriptions asked for until the next call are the ones kept.
    void BeginRefill();
    // The entry of a description; it stays in place until a refill no longer asks for it.
    const Entry& Of(const std::string& description);

private:
    std::unordered_map<std::string, Keyed> m_current;
    std::unordered_map<std::string, Keyed> m_previous;
};
