#include "i18n/MessageCatalogue.h"

#include "i18n/Lcid.h"
#include "i18n/MessageBoxes.h"
#include "i18n/MessageTables.h"

#include <algorithm>
#include <cstdio>

bool CLanguage::Serves(uint32_t lcid) const {
    return std::find(m_arrLcids.begin(), m_arrLcids.end(), lcid) != m_arrLcids.end();
}

std::string CLanguage::Lookup(const std::string& key) const {
    for (const CMessage& message : m_arrMessages) {
        if (message.m_strKey == key) {
            return message.m_strText;
        }
    }
    return {};
}

void CMessageCatalogue::AddLanguage(uint32_t lcid, const MessagePair* table) {
    CLanguage* target = nullptr;
    for (CLanguage& language : m_arrLanguages) {
        if (language.Serves(lcid)) {
            target = &language;
            break;
        }
    }
    CLanguage added;
    added.m_arrLcids.push_back(lcid);
    CLanguage& into = target ? *target : added;
    for (const MessagePair* pair = table; pair && pair->key; ++pair) {
        into.m_arrMessages.push_back(CMessage{pair->key, pair->text ? pair->text : ""});
    }
    if (!target) {
        m_arrLanguages.push_back(std::move(added));
    }
    if (m_arrLanguages.size() == 1) {
        m_nCurrentLcid = MapSystemLcid(UserDefaultLcid());
    }
}

const CLanguage* CMessageCatalogue::FindLanguage(uint32_t lcid) const {
    for (const CLanguage& language : m_arrLanguages) {
        if (language.Serves(lcid)) {
            return &language;
        }
    }
    return nullptr;
}

const CLanguage& CMessageCatalogue::CurrentLanguage() const {
    const CLanguage* language = FindLanguage(m_nCurrentLcid);
    return language ? *language : m_fallback;
}

std::string CMessageCatalogue::Lookup(const std::string& key) const {
    return CurrentLanguage().Lookup(key);
}

std::string CMessageCatalogue::GetMessage(const std::string& key) const {
    std::string text = Lookup(key);
    return text.empty() ? key : text;
}

bool CMessageCatalogue::CheckMissingMessages(uint32_t referenceLcid, IMessageBoxes& boxes) const {
    const CLanguage* found = FindLanguage(referenceLcid);
    const CLanguage& reference = found ? *found : m_fallback;
    bool complete = true;
    for (const CLanguage& language : m_arrLanguages) {
        if (language.Serves(referenceLcid)) {
            continue;
        }
        std::string missing;
        for (const CMessage& message : reference.m_arrMessages) {
            if (!message.m_strKey.empty() && language.Lookup(message.m_strKey).empty()) {
                missing += message.m_strKey + "\n";
            }
        }
        if (missing.empty()) {
            continue;
        }
        complete = false;
        const std::string caption = "Missing messages in LCID Nb:" +
                                    std::to_string(static_cast<int>(language.m_arrLcids.front()));
        boxes.ShowBox(missing, caption, BoxIcon::Error, BoxButtons::Ok, BoxOwner::None);
    }
    return complete;
}

CMessageCatalogue& TheCatalogue() {
    static CMessageCatalogue catalogue;
    return catalogue;
}

std::string Lookup(const std::string& key) {
    return TheCatalogue().Lookup(key);
}

std::string GetMessage(const std::string& key) {
    return TheCatalogue().GetMessage(key);
}

void RegisterShippedLanguages(CMessageCatalogue& catalogue, IMessageBoxes& boxes) {
    catalogue.AddLanguage(kLcidFrench, kFrenchMessages);
    catalogue.AddLanguage(kLcidEnglish, kEnglishMessages);
    catalogue.CheckMissingMessages(kLcidFrench, boxes);
}

void ApplyLanguageSetting(CMessageCatalogue& catalogue, const std::string& value) {
    if (value == "FR") {
        catalogue.SetCurrentLcid(kLcidFrench);
    } else if (value == "US") {
        catalogue.SetCurrentLcid(kLcidEnglish);
    }
}
