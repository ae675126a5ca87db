#include "core/ArchiveReader.h"
#include "core/ArchiveWriter.h"
#include "core/ElemArchive.h"

#include "ExampleLists.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string DataFile(const std::string& name) {
    return ReadWholeFile(ExampleListPath(name));
}

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (const int value : values) {
        bytes.push_back(static_cast<char>(value));
    }
    return bytes;
}

std::unique_ptr<CKelElem> ExampleElement() {
    auto elem = std::make_unique<CKelElem>();
    elem->m_strDescription = "Doc";
    elem->m_nCheckMode = CHECK_FILE_TIME;
    elem->m_timeReference = 0;
    elem->m_strOriginal = "/a/b.txt";
    elem->m_strCopy = "/c/d.txt";
    elem->m_timeAtTime = 0;
    return elem;
}

ElemList ExampleList() {
    ElemList list;
    list.push_back(ExampleElement());
    list.push_back(ExampleElement());
    return list;
}

// The 73 bytes of one example element.
std::string ExampleElementBytes() {
    return Bytes({0x03, 'D', 'o', 'c', 1, 0, 0, 0, 0, 0, 0, 0}) + "\x08/a/b.txt" + "\x08/c/d.txt" +
           Bytes({1,    0,    0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFF,
                  0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0,    0}) +
           "\x09"
           "anonymous" +
           Bytes({0, 1, 0, 0, 0});
}

TEST(ArchiveWriter, WritesTheTwoElementExampleByteForByte) {
    const std::string expected = Bytes({2, 0, 0xFF, 0xFF, 1, 0, 8, 0}) + "CKelElem" +
                                 ExampleElementBytes() + Bytes({0x01, 0x80}) +
                                 ExampleElementBytes();
    const std::string written = WriteElemArchive(ExampleList());
    EXPECT_EQ(written.size(), 164u);
    EXPECT_EQ(written, expected);
    EXPECT_EQ(written, DataFile("example-164.mvn"));
}

TEST(ArchiveWriter, StringAndCountPrefixesTakeTheirThreeForms) {
    struct Case {
        size_t length;
        std::string prefix;
    };
    const Case strings[] = {
        {0, Bytes({0x00})},
        {254, Bytes({0xFE})},
        {255, Bytes({0xFF, 0xFF, 0x00})},
        {65533, Bytes({0xFF, 0xFD, 0xFF})},
        {65534, Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
        {70000, Bytes({0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00})},
    };
    for (const Case& c : strings) {
        CArchiveWriter writer;
        const std::string text(c.length, 'x');
        writer.WriteString(text);
        EXPECT_EQ(writer.Bytes(), c.prefix + text) << c.length;
        EXPECT_EQ(CArchiveWriter::StringSize(c.length), writer.Bytes().size()) << c.length;
        CArchiveReader reader(writer.Bytes());
        std::string read;
        EXPECT_TRUE(reader.ReadString(read)) << c.length;
        EXPECT_EQ(read, text);
    }
    const std::pair<uint32_t, std::string> counts[] = {
        {65534, Bytes({0xFE, 0xFF})},
        {65535, Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00})},
        {70000, Bytes({0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00})},
    };
    for (const auto& [count, bytes] : counts) {
        CArchiveWriter writer;
        writer.WriteCount(count);
        EXPECT_EQ(writer.Bytes(), bytes) << count;
        CArchiveReader reader(writer.Bytes());
        uint32_t read = 0;
        EXPECT_TRUE(reader.ReadCount(read));
        EXPECT_EQ(read, count);
    }
}

TEST(ArchiveReader, RoundTripKeepsEveryStoredFieldAndBytes) {
    ElemList list;
    auto elem = std::make_unique<CKelElem>();
    elem->m_strDescription = std::string("caf\xE9\0nul", 8);  // not UTF-8, with a NUL
    elem->m_nCheckMode = -7;
    elem->m_timeReference = -1;
    elem->m_strOriginal = std::string(300, 'o');
    elem->m_strCopy = std::string(70000, 'c');
    elem->m_bSignal = 5;
    elem->m_nAction = ACTION_DELETE_NEW;
    elem->m_bActive = 0;
    elem->m_timeAtTime = 2147483647;
    elem->m_nWhen = WHEN_PERMANENT;
    elem->m_strFtpUser = "";
    elem->m_strFtpPassword = "s\xC3\xA9same";
    elem->m_bFtpBinary = 0;
    list.push_back(std::move(elem));
    list.push_back(std::make_unique<CKelElem>());
    list.push_back(ExampleElement());

    ElemList read;
    ASSERT_EQ(ReadElemArchive(WriteElemArchive(list), read), ArchiveError::None);
    ASSERT_EQ(read.size(), list.size());
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(*read[i], *list[i]) << i;
    }
}

// Times past 2038 live in memory; the file's 32-bit fields keep the nearest time they hold.
TEST(ArchiveWriter, StoresTimesBeyondThe32BitRangeAsItsLimits) {
    ElemList list;
    list.push_back(ExampleElement());
    list[0]->m_timeReference = 4102444800;  // 2100-01-01
    list[0]->m_timeLastAccess = -1;
    list[0]->m_timeAtTime = -4102444800;
    const std::string bytes = WriteElemArchive(list);
    EXPECT_EQ(bytes.substr(16 + 8, 4), std::string("\xFF\xFF\xFF\x7F", 4));
    EXPECT_EQ(bytes.substr(16 + 8 + 4 + 18 + 12, 4), std::string("\xFF\xFF\xFF\xFF", 4));
    EXPECT_EQ(bytes.substr(16 + 8 + 4 + 18 + 20, 4), std::string("\x00\x00\x00\x80", 4));

    ElemList read;
    ASSERT_EQ(ReadElemArchive(bytes, read), ArchiveError::None);
    EXPECT_EQ(read[0]->m_timeReference, 2147483647);
    EXPECT_EQ(read[0]->m_timeAtTime, -2147483647 - 1);
}

TEST(ArchiveReader, DropsLastAccessAndState) {
    ElemList list;
    auto elem = ExampleElement();
    elem->m_timeLastAccess = 1013335200;
    elem->m_nState = STATE_NEW_VERSION;
    list.push_back(std::move(elem));
    const std::string written = WriteElemArchive(list);
    EXPECT_EQ(written, DataFile("run-time-fields.mvn"));

    ElemList read;
    ASSERT_EQ(ReadElemArchive(written, read), ArchiveError::None);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0]->m_timeLastAccess, -1);
    EXPECT_EQ(read[0]->m_nState, STATE_NOT_CHECKED);
    EXPECT_EQ(*read[0], *ExampleElement());
}

TEST(ArchiveReader, ReadsWideStringsAsUtf8AndTheBigClassTag) {
    ElemList read;
    ASSERT_EQ(ReadElemArchive(DataFile("wide-strings.mvn"), read), ArchiveError::None);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0]->m_strDescription, "Caf\xC3\xA9 \xE2\x98\x95 \xF0\x9F\x98\x80");
    std::string eAcutes;
    for (int i = 0; i < 300; ++i) {
        eAcutes += "\xC3\xA9";
    }
    EXPECT_EQ(read[0]->m_strOriginal, eAcutes);
    EXPECT_EQ(read[0]->m_strFtpPassword, "\xEF\xBF\xBDx");  // a lone surrogate
    EXPECT_EQ(*read[1], *ExampleElement());

    // After the wide marker, 0xFFFE is a plain 16-bit length, and 0xFFFF leads to 32 bits.
    std::string wide = Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF});
    for (int i = 0; i < 0xFFFE; ++i) {
        wide += "a";
        wide.push_back('\0');
    }
    wide += Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 'h', 0, 'i', 0});
    CArchiveReader reader(wide);
    std::string text;
    ASSERT_TRUE(reader.ReadString(text));
    EXPECT_EQ(text, std::string(0xFFFE, 'a'));
    ASSERT_TRUE(reader.ReadString(text));
    EXPECT_EQ(text, "hi");
    EXPECT_EQ(reader.SizeHint(), 0u);
}

TEST(ArchiveReader, IgnoresBytesAfterTheLastElement) {
    ElemList read;
    EXPECT_EQ(ReadElemArchive(DataFile("trailing-bytes.mvn"), read), ArchiveError::None);
    EXPECT_EQ(read.size(), 2u);
}

TEST(ArchiveReader, DamagedFilesFailAndKeepTheCompleteElements) {
    const std::string example = DataFile("example-164.mvn");
    // The second element's tag sits at offset 89.
    const auto withSecondTag = [&example](const std::string& tag) {
        return example.substr(0, 89) + tag + example.substr(91);
    };
    struct Case {
        const char* name;
        std::string bytes;
        ArchiveError error;
        size_t kept;
    };
    const Case cases[] = {
        {"schema 2", DataFile("schema-2.mvn"), ArchiveError::BadSchema, 0},
        {"other class", DataFile("other-class.mvn"), ArchiveError::BadClassName, 0},
        {"64-byte name", DataFile("long-class-name.mvn"), ArchiveError::BadClassName, 0},
        {"short file", DataFile("short.mvn"), ArchiveError::Truncated, 1},
        {"class tag to element", DataFile("bad-class-reference.mvn"),
         ArchiveError::BadClassReference, 1},
        {"object reference", DataFile("object-reference.mvn"), ArchiveError::ObjectReference, 1},
        {"huge count", DataFile("huge-count.mvn"), ArchiveError::Truncated, 0},
        {"huge string", DataFile("huge-string.mvn"), ArchiveError::Truncated, 0},
        {"empty file", "", ArchiveError::Truncated, 0},
        {"count only", Bytes({1, 0}), ArchiveError::Truncated, 0},
        {"class tag to entry 0", withSecondTag(Bytes({0x00, 0x80})),
         ArchiveError::BadClassReference, 1},
        {"class tag beyond table", withSecondTag(Bytes({0x05, 0x80})),
         ArchiveError::BadClassReference, 1},
        {"no object", withSecondTag(Bytes({0x00, 0x00})), ArchiveError::ObjectReference, 1},
        {"big object tag", withSecondTag(Bytes({0xFF, 0x7F, 2, 0, 0, 0})),
         ArchiveError::ObjectReference, 1},
        {"big class tag beyond", withSecondTag(Bytes({0xFF, 0x7F, 9, 0, 0, 0x80})),
         ArchiveError::BadClassReference, 1},
        {"first tag a reference", Bytes({1, 0, 0x01, 0x80}) + ExampleElementBytes(),
         ArchiveError::BadClassReference, 0},
    };
    for (const Case& c : cases) {
        ElemList read;
        EXPECT_EQ(ReadElemArchive(c.bytes, read), c.error) << c.name;
        EXPECT_EQ(read.size(), c.kept) << c.name;
        for (const auto& elem : read) {
            EXPECT_EQ(*elem, *ExampleElement()) << c.name;
        }
    }
}

TEST(ArchiveReader, ManyElementsUseTheLongCount) {
    ElemList list;
    for (int i = 0; i < 65535; ++i) {
        list.push_back(std::make_unique<CKelElem>());
    }
    const std::string written = WriteElemArchive(list);
    EXPECT_EQ(written.substr(0, 6), Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}));
    ElemList read;
    EXPECT_EQ(ReadElemArchive(written, read), ArchiveError::None);
    EXPECT_EQ(read.size(), 65535u);
}

}  // namespace
