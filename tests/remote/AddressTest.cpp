#include "remote/Address.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "remote/UrlCanonicaliser.h"

namespace {

struct AddressCase {
    std::string address;
    AddressKind kind;
    std::string server;
    std::string object;
    uint16_t port;
};

void ExpectClassified(const std::vector<AddressCase>& cases) {
    for (const AddressCase& expected : cases) {
        SCOPED_TRACE(expected.address);
        const ParsedAddress parsed = ClassifyAddress(expected.address);
        EXPECT_EQ(parsed.kind, expected.kind);
        EXPECT_EQ(parsed.server, expected.server);
        EXPECT_EQ(parsed.object, expected.object);
        EXPECT_EQ(parsed.port, expected.port);
    }
}

constexpr AddressKind kFtp = AddressKind::Ftp;
constexpr AddressKind kHttp = AddressKind::Http;
constexpr AddressKind kHttps = AddressKind::Https;
constexpr AddressKind kFtps = AddressKind::Ftps;
constexpr AddressKind kFtpes = AddressKind::Ftpes;
constexpr AddressKind kLocal = AddressKind::LocalFile;
constexpr AddressKind kOther = AddressKind::Other;

TEST(ClassifyAddress, SplitsFtpAndHttpAddresses) {
    ExpectClassified({
        {"ftp://host/pub/file.zip", kFtp, "host", "/pub/file.zip", 21},
        {"http://host:8080/dir/page.htm", kHttp, "host", "/dir/page.htm", 8080},
        {"ftp://host:2121", kFtp, "host", "/", 2121},
        {"http://host", kHttp, "host", "/", 80},
        {"http://host:/x", kHttp, "host", "/x", 80},
        {"ftp://user:pw@host/f", kFtp, "host", "/f", 21},
        {"ftp://user@host:2121/f", kFtp, "host", "/f", 2121},
        {"ftp://user:p@ss@host/f", kFtp, "host", "/f", 21},
        {"FTP://host/file", kFtp, "host", "/file", 21},
        {"HtTp://Host/x", kHttp, "Host", "/x", 80},
        {"http://[::1]:8080/x", kHttp, "[::1]", "/x", 8080},
        {"ftp://[2001:db8::7]/f", kFtp, "[2001:db8::7]", "/f", 21},
        {"  ftp://host/f\r\n", kFtp, "host", "/f", 21},
    });
}

TEST(ClassifyAddress, SecureSchemesHaveTheirKindsAndDefaultPorts) {
    ExpectClassified({
        {"https://host/dir/page.htm", kHttps, "host", "/dir/page.htm", 443},
        {"HTTPS://user:pw@host:8443/a b", kHttps, "host", "/a%20b", 8443},
        {"ftps://host/pub/file.zip", kFtps, "host", "/pub/file.zip", 990},
        {"ftpes://host/pub/file.zip", kFtpes, "host", "/pub/file.zip", 21},
        {"FtpEs://[::1]:2121/f", kFtpes, "[::1]", "/f", 2121},
        {"https:///x", kOther, "", "", 0},
        {"ftps://host:0/f", kOther, "", "", 0},
    });
    for (const AddressKind kind : {kFtp, kFtps, kFtpes}) {
        EXPECT_TRUE(IsFtpKind(kind) && IsRemoteKind(kind) && !IsWebKind(kind));
    }
    EXPECT_EQ(FtpSecurityOf(kFtp), FtpSecurity::None);
    EXPECT_EQ(FtpSecurityOf(kFtps), FtpSecurity::Implicit);
    EXPECT_EQ(FtpSecurityOf(kFtpes), FtpSecurity::Explicit);
}

// The user of an sftp address is kept, escapes decoded and its password dropped; "/~/" keeps
// the path relative to the home folder.
TEST(ClassifyAddress, SftpAddressesKeepTheirUser) {
    ExpectClassified({
        {"sftp://host/srv/file.txt", AddressKind::Sftp, "host", "/srv/file.txt", 22},
        {"SFTP://me@host:2222/~/a b", AddressKind::Sftp, "host", "/~/a%20b", 2222},
        {"sftp://[::1]/f", AddressKind::Sftp, "[::1]", "/f", 22},
    });
    EXPECT_EQ(ClassifyAddress("sftp://j%C3%A9r%C3%B4me:pw@host:2222/f").user,
              "j\xC3\xA9r\xC3\xB4me");
    EXPECT_EQ(ClassifyAddress("sftp://me@[::1]:2222/f").user, "me");
    EXPECT_EQ(ClassifyAddress("sftp://host/f").user, "");
    EXPECT_TRUE(IsRemoteKind(AddressKind::Sftp) && !IsFtpKind(AddressKind::Sftp));
}

TEST(ClassifyAddress, ObjectIsPercentEncodedUpToQueryOrFragment) {
    ExpectClassified({
        {"ftp://host/my file.txt", kFtp, "host", "/my%20file.txt", 21},
        {"http://host/a%20b/100%", kHttp, "host", "/a%20b/100%", 80},
        {"http://host/caf\xc3\xa9\x7f\t", kHttp, "host", "/caf%C3%A9%7F", 80},
        {"http://host/a<b>\"c\"{d}|e\\f^g`h~", kHttp, "host",
         "/a%3Cb%3E%22c%22%7Bd%7D%7Ce%5Cf%5Eg%60h~", 80},
        {"http://host/a b?q=c d#e f", kHttp, "host", "/a%20b", 80},
        {"http://host?x=/y", kHttp, "host", "/", 80},
        {"http://host#/y", kHttp, "host", "/", 80},
    });
}

TEST(ClassifyAddress, PathsAreLocalFilesKeptAsGiven) {
    ExpectClassified({
        {"C:\\data\\report.doc", kLocal, "", "C:\\data\\report.doc", 0},
        {"c:/data/report.doc", kLocal, "", "c:/data/report.doc", 0},
        {"\\\\server\\share\\x", kLocal, "", "\\\\server\\share\\x", 0},
        {"/home/u/f.txt", kLocal, "", "/home/u/f.txt", 0},
        {"/home/u/my file \xc3\xa9.txt", kLocal, "", "/home/u/my file \xc3\xa9.txt", 0},
        {"reports/week 1.txt", kLocal, "", "reports/week 1.txt", 0},
        {"../f.txt", kLocal, "", "../f.txt", 0},
        {"my notes:v2.txt", kLocal, "", "my notes:v2.txt", 0},
        {"file:///home/u/f.txt", kLocal, "", "/home/u/f.txt", 0},
        {"file://server/share/a b", kLocal, "server", "/share/a%20b", 0},
    });
}

TEST(ClassifyAddress, OtherSchemesAndBrokenAddressesAreOther) {
    ExpectClassified({
        {"gopher://host:70/1", kOther, "host", "/1", 70},
        {"mailto:someone@example.com", kOther, "", "", 0},
        {"", kOther, "", "", 0},
        {" \t\n", kOther, "", "", 0},
        {std::string("/home/u/a\0b", 11), kOther, "", "", 0},
        {"ftp:host/f", kOther, "", "", 0},
        {"ftp:///f", kOther, "", "", 0},
        {"ftp://user@/f", kOther, "", "", 0},
        {"http://host:0/", kOther, "", "", 0},
        {"http://host:65536/", kOther, "", "", 0},
        {"http://host:131152/", kOther, "", "", 0},
        {"http://host:99999999999999999999/", kOther, "", "", 0},
        {"http://host:80x/", kOther, "", "", 0},
        {"http://host:-1/", kOther, "", "", 0},
        {"http://[::1/x", kOther, "", "", 0},
        {"http://[zz::1]/x", kOther, "", "", 0},
        {"http://[::1]x/", kOther, "", "", 0},
    });
}

TEST(ClassifyAddress, ServerAndObjectAreLimitedTo2084Characters) {
    const std::string host(2084, 'h');
    const std::string path = "/" + std::string(2083, 'p');
    ExpectClassified({
        {"ftp://" + host + "/f", kFtp, host, "/f", 21},
        {"ftp://" + host + "h/f", kOther, "", "", 0},
        {"http://h" + path, kHttp, "h", path, 80},
        {"http://h" + path + "p", kOther, "", "", 0},
        // The limit holds for the encoded form: 700 blanks take 2100 characters.
        {"http://h/" + std::string(700, ' ') + "x", kOther, "", "", 0},
        {"/" + std::string(2083, 'l'), kLocal, "", "/" + std::string(2083, 'l'), 0},
        {"/" + std::string(2084, 'l'), kOther, "", "", 0},
    });
}

TEST(CanonicaliseUrl, EncodesOnlyBeforeTheFirstQueryOrFragment) {
    EXPECT_EQ(CanonicaliseUrl("http://h/a b?c d#e f"), "http://h/a%20b?c d#e f");
    EXPECT_EQ(CanonicaliseUrl("http://h/a b#c?d e"), "http://h/a%20b#c?d e");
    EXPECT_EQ(CanonicaliseUrl("http://h/%41%zz\xff"), "http://h/%41%zz%FF");
    EXPECT_EQ(CanonicaliseUrl(" \x01http://h/\x01x \n"), "http://h/%01x");
}

TEST(HasRemotePrefix, MatchesExactLowerCasePrefixesOnly) {
    for (const char* text : {"ftp://", "http://", "ftp://host/f", "http://host/p", "https://host/p",
                             "ftps://host/f", "ftpes://host/f", "sftp://host/f"}) {
        EXPECT_TRUE(HasRemotePrefix(text)) << text;
    }
    for (const char* text :
         {"", "ftp", "ftp:/", "http:/", "FTP://host/f", "Http://host/p", "HTTPS://host/p",
          "ftpes:/host", " ftp://host/f", "file:///f", "C:\\ftp://", "SFTP://host/f"}) {
        EXPECT_FALSE(HasRemotePrefix(text)) << text;
    }
}

}  // namespace
