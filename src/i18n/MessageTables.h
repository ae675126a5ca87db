#pragma once

#include "i18n/MessageCatalogue.h"

#include <cstdint>

inline constexpr uint32_t kLcidFrench = 1036;
inline constexpr uint32_t kLcidEnglish = 1033;

// The two shipped tables: the same keys in the same order, each ended by a null pair.
extern const MessagePair kFrenchMessages[];
extern const MessagePair kEnglishMessages[];
