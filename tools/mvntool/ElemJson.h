#pragma once

#include "core/ElemArchive.h"
#include "core/ElemList.h"

#include <string>
#include <string_view>

// Writes the watch list as JSON to standard output element by element, as they arrive, so that no
// more than one element is held: {"elements": [ {...}, ... ]}, each element an object whose
// keys are the fifteen member names in field order. Strings that are not valid UTF-8 appear
// decoded as Windows-1252, so the text is always valid JSON.
class CJsonElementWriter : public IElemReceiver {
public:
    CJsonElementWriter();
    void Expect(size_t) override {}
    void Receive(std::unique_ptr<CKelElem> elem) override;
    // Closes the array and the document.
    void Finish();

private:
    size_t m_written = 0;
    std::string m_json;
};

// Reads that shape back. A member that is missing keeps the value of a new element. On
// false, `error` names what is wrong ("elements[2].m_nWhen: expected an integer") and
// `list` holds nothing of the input.
bool ElementsFromJson(std::string_view json, ElemList& list, std::string& error);
