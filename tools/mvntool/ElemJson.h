#pragma once

#include "core/ElemList.h"

#include <string>
#include <string_view>

// The watch list as JSON: {"elements": [ {...}, ... ]}, each element an object whose keys
// are the fifteen member names in field order. Strings that are not valid UTF-8 appear
// decoded as Windows-1252, so the text is always valid JSON.
std::string ElementsToJson(const ElemList& list);

// Reads that shape back. A member that is missing keeps the value of a new element. On
// false, `error` names what is wrong ("elements[2].m_nWhen: expected an integer") and
// `list` holds nothing of the input.
bool ElementsFromJson(std::string_view json, ElemList& list, std::string& error);
