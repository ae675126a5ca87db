#include "core/ElemArchive.h"

#include "core/ArchiveReader.h"
#include "core/ArchiveWriter.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

constexpr std::string_view kClassName = "CKelElem";
constexpr uint16_t kSchema = 1;
// A class name must be shorter than this.
constexpr uint16_t kMaxClassNameLength = 64;

constexpr uint16_t kNewClassTag = 0xFFFF;
constexpr uint16_t kClassTag = 0x8000;
constexpr uint16_t kBigObjectTag = 0x7FFF;
constexpr uint32_t kBigClassTag = 0x80000000;
// The class always takes the first entry after "no object".
constexpr uint16_t kFirstClassReference = kClassTag | 1;
// The fewest bytes an element takes: a class reference, ten numbers, five empty strings.
constexpr uint64_t kSmallestElement = 2 + 10 * 4 + 5;

// The file keeps a time in a signed 32-bit field; a time beyond its range is stored as the
// nearest one the field holds.
int32_t StoredTime(TimeValue time) {
    return static_cast<int32_t>(std::clamp<TimeValue>(time, std::numeric_limits<int32_t>::min(),
                                                      std::numeric_limits<int32_t>::max()));
}

bool ReadTime(CArchiveReader& reader, TimeValue& time) {
    int32_t stored = 0;
    if (!reader.ReadI32(stored)) {
        return false;
    }
    time = stored;
    return true;
}

// What each entry of the load table stands for, in the order the archive introduced them.
enum class LoadEntry : uint8_t { NoObject, Class, Element };

class CElemArchiveLoader {
public:
    explicit CElemArchiveLoader(CArchiveReader& reader) : m_reader(reader) {}

    ArchiveError Load(IElemReceiver& receiver);

private:
    ArchiveError ReadClassTag();
    ArchiveError ReadClassRecord();
    ArchiveError CheckClassReference(uint32_t entry) const;
    bool ReadFields(CKelElem& elem);

    CArchiveReader& m_reader;
    std::vector<LoadEntry> m_table{LoadEntry::NoObject};
};

ArchiveError CElemArchiveLoader::Load(IElemReceiver& receiver) {
    uint32_t count = 0;
    if (!m_reader.ReadCount(count)) {
        return ArchiveError::Truncated;
    }
    // A damaged count must not cost memory: no more is promised than the bytes can hold.
    // The loop ends at the first element that the remaining bytes cannot hold.
    receiver.Expect(
        static_cast<size_t>(std::min<uint64_t>(count, m_reader.SizeHint() / kSmallestElement)));
    for (uint32_t i = 0; i < count; ++i) {
        if (const ArchiveError error = ReadClassTag(); error != ArchiveError::None) {
            return error;
        }
        // Default-initialised: every member has its initialiser, nothing to zero first.
        std::unique_ptr<CKelElem> elem(new CKelElem);
        m_table.push_back(LoadEntry::Element);
        if (!ReadFields(*elem)) {
            return ArchiveError::Truncated;
        }
        receiver.Receive(std::move(elem));
    }
    return ArchiveError::None;
}

ArchiveError CElemArchiveLoader::ReadClassTag() {
    uint16_t tag = 0;
    if (!m_reader.ReadU16(tag)) {
        return ArchiveError::Truncated;
    }
    if (tag == kNewClassTag) {
        return ReadClassRecord();
    }
    if (tag == kBigObjectTag) {
        uint32_t bigTag = 0;
        if (!m_reader.ReadU32(bigTag)) {
            return ArchiveError::Truncated;
        }
        if (!(bigTag & kBigClassTag)) {
            return ArchiveError::ObjectReference;
        }
        return CheckClassReference(bigTag & ~kBigClassTag);
    }
    if (!(tag & kClassTag)) {
        return ArchiveError::ObjectReference;
    }
    return CheckClassReference(tag & ~kClassTag);
}

ArchiveError CElemArchiveLoader::ReadClassRecord() {
    uint16_t schema = 0;
    uint16_t nameLength = 0;
    if (!m_reader.ReadU16(schema) || !m_reader.ReadU16(nameLength)) {
        return ArchiveError::Truncated;
    }
    if (nameLength >= kMaxClassNameLength) {
        return ArchiveError::BadClassName;
    }
    std::string name;
    if (!m_reader.ReadBytes(nameLength, name)) {
        return ArchiveError::Truncated;
    }
    if (name != kClassName) {
        return ArchiveError::BadClassName;
    }
    if (schema != kSchema) {
        return ArchiveError::BadSchema;
    }
    m_table.push_back(LoadEntry::Class);
    return ArchiveError::None;
}

ArchiveError CElemArchiveLoader::CheckClassReference(uint32_t entry) const {
    if (entry >= m_table.size() || m_table[entry] != LoadEntry::Class) {
        return ArchiveError::BadClassReference;
    }
    return ArchiveError::None;
}

bool CElemArchiveLoader::ReadFields(CKelElem& elem) {
    // Last access and state are results of this run only.
    int32_t ignoredLastAccess = 0;
    int32_t ignoredState = 0;
    return m_reader.ReadString(elem.m_strDescription) && m_reader.ReadI32(elem.m_nCheckMode) &&
           ReadTime(m_reader, elem.m_timeReference) && m_reader.ReadString(elem.m_strOriginal) &&
           m_reader.ReadString(elem.m_strCopy) && m_reader.ReadI32(elem.m_bSignal) &&
           m_reader.ReadI32(elem.m_nAction) && m_reader.ReadI32(elem.m_bActive) &&
           m_reader.ReadI32(ignoredLastAccess) && m_reader.ReadI32(ignoredState) &&
           ReadTime(m_reader, elem.m_timeAtTime) && m_reader.ReadI32(elem.m_nWhen) &&
           m_reader.ReadString(elem.m_strFtpUser) && m_reader.ReadString(elem.m_strFtpPassword) &&
           m_reader.ReadI32(elem.m_bFtpBinary);
}

void WriteClassRecord(CArchiveWriter& writer) {
    writer.WriteU16(kNewClassTag);
    writer.WriteU16(kSchema);
    writer.WriteU16(static_cast<uint16_t>(kClassName.size()));
    writer.WriteBytes(kClassName);
}

void WriteFields(CArchiveWriter& writer, const CKelElem& elem) {
    writer.WriteString(elem.m_strDescription);
    writer.WriteI32(elem.m_nCheckMode);
    writer.WriteI32(StoredTime(elem.m_timeReference));
    writer.WriteString(elem.m_strOriginal);
    writer.WriteString(elem.m_strCopy);
    writer.WriteI32(elem.m_bSignal);
    writer.WriteI32(elem.m_nAction);
    writer.WriteI32(elem.m_bActive);
    writer.WriteI32(StoredTime(elem.m_timeLastAccess));
    writer.WriteI32(elem.m_nState);
    writer.WriteI32(StoredTime(elem.m_timeAtTime));
    writer.WriteI32(elem.m_nWhen);
    writer.WriteString(elem.m_strFtpUser);
    writer.WriteString(elem.m_strFtpPassword);
    writer.WriteI32(elem.m_bFtpBinary);
}

// The exact size of the archive of `list`.
size_t ArchiveSize(const ElemList& list) {
    constexpr size_t kNumbers = 10 * sizeof(int32_t);
    constexpr size_t kClassRecord = 3 * sizeof(uint16_t) + kClassName.size();
    size_t size = list.size() < 0xFFFF ? 2 : 6;
    for (const auto& elem : list) {
        size += sizeof(uint16_t) + kNumbers;
        for (const std::string* text :
             {&elem->m_strDescription, &elem->m_strOriginal, &elem->m_strCopy, &elem->m_strFtpUser,
              &elem->m_strFtpPassword}) {
            size += CArchiveWriter::StringSize(text->size());
        }
    }
    return list.empty() ? size : size + kClassRecord - sizeof(uint16_t);
}

}  // namespace

ArchiveError ReadElemArchive(CArchiveReader& reader, IElemReceiver& receiver) {
    return CElemArchiveLoader(reader).Load(receiver);
}

ArchiveError ReadElemArchive(std::string_view bytes, ElemList& list) {
    CArchiveReader reader(bytes);
    CElemListReceiver receiver(list);
    return ReadElemArchive(reader, receiver);
}

std::string WriteElemArchive(const ElemList& list) {
    CArchiveWriter writer;
    writer.Reserve(ArchiveSize(list));
    writer.WriteCount(static_cast<uint32_t>(list.size()));
    for (size_t i = 0; i < list.size(); ++i) {
        if (i == 0) {
            WriteClassRecord(writer);
        } else {
            writer.WriteU16(kFirstClassReference);
        }
        WriteFields(writer, *list[i]);
    }
    return writer.TakeBytes();
}
