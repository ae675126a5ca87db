#pragma once

#include <cstdint>
#include <string>
#include <vector>

class IMessageBoxes;

// One (key, text) pair of a static message table; a null key ends the table.
struct MessagePair {
    const char* key;
    const char* text;
};

class CMessage {
public:
    std::string m_strKey;
    std::string m_strText;
};

class CLanguage {
public:
    std::vector<uint32_t> m_arrLcids;
    std::vector<CMessage> m_arrMessages;

    bool Serves(uint32_t lcid) const;
    // First text whose key matches exactly, or "".
    std::string Lookup(const std::string& key) const;
};

// Every text the user sees, by key, in the current language. Filled once at start-up,
// read-only afterwards, so worker threads read it without a lock.
class CMessageCatalogue {
public:
    void AddLanguage(uint32_t lcid, const MessagePair* table);
    bool CheckMissingMessages(uint32_t referenceLcid, IMessageBoxes& boxes) const;
    const CLanguage* FindLanguage(uint32_t lcid) const;

    std::string Lookup(const std::string& key) const;
    std::string GetMessage(const std::string& key) const;

    uint32_t CurrentLcid() const { return m_nCurrentLcid; }
    void SetCurrentLcid(uint32_t lcid) { m_nCurrentLcid = lcid; }
    const std::vector<CLanguage>& Languages() const { return m_arrLanguages; }

private:
    const CLanguage& CurrentLanguage() const;

    std::vector<CLanguage> m_arrLanguages;
    CLanguage m_fallback;
    uint32_t m_nCurrentLcid = 1033;
};

// The program's one catalogue.
CMessageCatalogue& TheCatalogue();

// Shorthands on the program's catalogue.
std::string Lookup(const std::string& key);
std::string GetMessage(const std::string& key);

// Adds the French table under 1036 and the English one under 1033, then checks them
// against each other with French as the reference.
void RegisterShippedLanguages(CMessageCatalogue& catalogue, IMessageBoxes& boxes);

// The `Language` setting: "FR" selects French, "US" English, exactly and case-sensitively;
// any other value leaves the language taken from the user's locale.
void ApplyLanguageSetting(CMessageCatalogue& catalogue, const std::string& value);
