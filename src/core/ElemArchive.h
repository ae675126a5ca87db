#pragma once

#include "core/ElemList.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

class CArchiveReader;

// Why reading a watch list archive failed.
enum class ArchiveError {
    None,
    Truncated,          // the bytes end before the announced elements are complete
    BadClassName,       // a class record names another class, or a name of 64 bytes or more
    BadSchema,          // a class record with a schema other than 1
    BadClassReference,  // a class tag naming entry 0, no entry yet, or an element
    ObjectReference,    // a tag naming an object: never written, so never accepted
};

// Takes the elements of an archive one by one, as they are read.
class IElemReceiver {
public:
    virtual ~IElemReceiver() = default;
    // Once, before the first element: at most `count` elements follow (the announced count,
    // capped at what the remaining bytes can hold, so a damaged count promises nothing big).
    virtual void Expect(size_t count) = 0;
    virtual void Receive(std::unique_ptr<CKelElem> elem) = 0;
};

// Appends to a list, with room made for the elements announced.
class CElemListReceiver : public IElemReceiver {
public:
    explicit CElemListReceiver(ElemList& list) : m_list(list) {}
    void Expect(size_t count) override { m_list.reserve(m_list.size() + count); }
    void Receive(std::unique_ptr<CKelElem> elem) override { m_list.push_back(std::move(elem)); }

private:
    ElemList& m_list;
};

// Reads an archive of elements, handing each element to `receiver` once all its fields are
// read: after a failure it has had the elements read completely before it. Bytes after the
// last element are not read. The run-time fields come back as -1 (last access) and
// STATE_NOT_CHECKED, whatever the file holds.
ArchiveError ReadElemArchive(CArchiveReader& reader, IElemReceiver& receiver);
// The same from the whole content of a database file, appending to `list`.
ArchiveError ReadElemArchive(std::string_view bytes, ElemList& list);

// The archive of `list`, byte for byte as the database file holds it.
std::string WriteElemArchive(const ElemList& list);
