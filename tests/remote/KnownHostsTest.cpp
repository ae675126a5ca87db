#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "TempDir.h"
#include "remote/KnownHosts.h"

namespace {

// The wire form of a key of `type` whose numbers are `body`.
std::string Key(const std::string& type, const std::string& body) {
    std::string key;
    for (const int shift : {24, 16, 8, 0}) {
        key += static_cast<char>((type.size() >> shift) & 0xFF);
    }
    return key + type + body;
}

std::string Base64(const std::string& bytes) {
    std::string text(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    text.resize(static_cast<size_t>(
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()),
                        reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size())));
    return text;
}

std::string Line(const std::string& names, const std::string& key) {
    return names + " " + KnownHostLine("x", key).substr(2);
}

// "|1|SALT|HASH" of `name`, as ssh-keygen -H writes it.
std::string Hashed(const std::string& name) {
    const std::string salt = "0123456789abcdefghij";
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    HMAC(EVP_sha1(), salt.data(), static_cast<int>(salt.size()),
         reinterpret_cast<const unsigned char*>(name.data()), name.size(), digest, &length);
    return "|1|" + Base64(salt) + "|" +
           Base64(std::string(reinterpret_cast<const char*>(digest), length));
}

const std::string kEd = Key("ssh-ed25519", std::string(32, 'e'));
const std::string kOtherEd = Key("ssh-ed25519", std::string(32, 'o'));
const std::string kEcdsa = Key("ecdsa-sha2-nistp256", std::string(40, 'c'));
const std::string kRsa = Key("ssh-rsa", std::string(64, 'r'));

TEST(KnownHosts, ServersAreNamedAsOpenSshNamesThem) {
    EXPECT_EQ(KnownHostName("Files.Example", 22), "files.example");
    EXPECT_EQ(KnownHostName("files.example", 2222), "[files.example]:2222");
    EXPECT_EQ(KnownHostName("[::1]", 22), "::1");
    EXPECT_EQ(KnownHostName("[::1]", 2222), "[::1]:2222");
    EXPECT_EQ(HostKeyTypeLabel(kEd), "ED25519");
    EXPECT_EQ(HostKeyTypeLabel(kEcdsa), "ECDSA");
    EXPECT_EQ(HostKeyTypeLabel(kRsa), "RSA");
    EXPECT_EQ(HostKeyType("\xFF"), "");
}

// Each way a line may name the server, and the ways it does not.
TEST(KnownHosts, LinesNameTheServerByPatternOrHash) {
    const std::string name = "[files.example]:2222";
    const struct {
        std::string names;
        bool named;
    } cases[] = {
        {"[files.example]:2222", true},
        {"[FILES.example]:2222", true},
        {"other,[files.example]:2222", true},
        {"[*.example]:2222", true},
        {"[files.exampl?]:2222", true},
        {"[*.example]:*", true},
        {"files.example", false},
        {"[files.example]:22", false},
        {"[*.example]:2222,![files.example]:2222", false},
        {Hashed(name), true},
        {Hashed("files.example"), false},
        {"|1|broken", false},
    };
    for (const auto& test : cases) {
        const HostKeyStatus status = CheckHostKey(Line(test.names, kEd), name, kEd).status;
        EXPECT_EQ(status, test.named ? HostKeyStatus::Known : HostKeyStatus::Unknown) << test.names;
    }
}

// The key on any line of the server is known; another key, of any type, where the server
// has lines means a change (and names the first such line); a revoked key is refused
// whatever else the file says; comments, certificate authorities and broken lines count for
// nothing.
TEST(KnownHosts, VerdictFollowsOpenSsh) {
    const std::string name = "files.example";
    const std::string noise = "# comment files.example\n\n@cert-authority files.example " +
                              KnownHostLine("x", kOtherEd).substr(2) +
                              "files.example ssh-ed25519 !!!!\n" + "files.example ssh-rsa " +
                              Base64(kEd) + "\n";
    const struct {
        std::string text;
        const std::string& key;
        HostKeyStatus status;
        int line;
    } cases[] = {
        {noise, kEd, HostKeyStatus::Unknown, 0},
        {noise + Line(name, kOtherEd) + Line(name, kEd), kEd, HostKeyStatus::Known, 0},
        {noise + Line(name, kOtherEd), kEd, HostKeyStatus::Changed, 6},
        {noise + Line(name, kRsa), kEd, HostKeyStatus::Changed, 6},
        {Line(name, kEd) + "@revoked * " + KnownHostLine("x", kEd).substr(2), kEd,
         HostKeyStatus::Revoked, 2},
        {"   " + Line(name, kEd), kEd, HostKeyStatus::Known, 0},
    };
    for (const auto& test : cases) {
        const HostKeyVerdict verdict = CheckHostKey(test.text, name, test.key);
        EXPECT_EQ(verdict.status, test.status) << test.text;
        EXPECT_EQ(verdict.line, test.line) << test.text;
    }
}

TEST(KnownHosts, KnownKeysComeInTheOrderTheyAreAskedFor) {
    const std::string text = Line("a", kRsa) + Line("a", kEcdsa) + Line("b", kEd) + Line("a", kEd);
    EXPECT_EQ(KnownKeys(text, "a"), (std::vector<std::string>{kEd, kEcdsa, kRsa}));
    EXPECT_TRUE(KnownKeys(text, "c").empty());
}

// Every byte already there stays; a last line without its end gets one; a key known already
// is not added twice; the folder and the file are made when missing.
TEST(KnownHosts, AddingAppendsOneLine) {
    const TempDir home;
    const std::string path = home.File(".ssh/known_hosts");
    ASSERT_TRUE(AddKnownHost(path, "[a]:2222", kEd));
    EXPECT_EQ(ReadWholeFile(path), Line("[a]:2222", kEd));
    struct stat folder {};
    ASSERT_EQ(stat(home.File(".ssh").c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);

    const std::string kept = "# mine\r\n  b ssh-rsa " + Base64(kRsa) + " comment";
    WriteWholeFile(path, kept);
    ASSERT_TRUE(AddKnownHost(path, "[a]:2222", kEd));
    ASSERT_TRUE(AddKnownHost(path, "[a]:2222", kEd));
    EXPECT_EQ(ReadWholeFile(path), kept + "\n" + Line("[a]:2222", kEd));
    EXPECT_FALSE(AddKnownHost(home.File("missing/folder/known_hosts"), "a", kEd));
}

}  // namespace
