#include "BufferedLines.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

namespace {

// A pipe whose reading end never blocks, so a test sees exactly what has been written.
class BufferedLinesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(pipe2(m_fds, O_NONBLOCK | O_CLOEXEC), 0); }
    void TearDown() override {
        close(m_fds[0]);
        close(m_fds[1]);
    }

    std::string ReadWritten() {
        std::string text;
        char block[4096];
        ssize_t got = 0;
        while ((got = read(m_fds[0], block, sizeof block)) > 0) {
            text.append(block, static_cast<size_t>(got));
        }
        return text;
    }

    int m_fds[2] = {-1, -1};
};

TEST_F(BufferedLinesTest, ShortLinesWaitForTheFlushAndComeWholeInOrder) {
    CBufferedLines lines(m_fds[1]);
    lines.Add("Downloading big.bin");
    lines.Add("1%");
    EXPECT_EQ(ReadWritten(), "");
    lines.Flush();
    EXPECT_EQ(ReadWritten(), "Downloading big.bin\n1%\n");
    lines.Flush();
    EXPECT_EQ(ReadWritten(), "");
}

TEST_F(BufferedLinesTest, AFullBlockIsWrittenWithoutAFlushAndNoLineIsLost) {
    std::string expected;
    {
        CBufferedLines lines(m_fds[1]);
        for (int unit = 0; unit < 2000; ++unit) {
            const std::string line = "Received unit " + std::to_string(unit);
            lines.Add(line);
            expected += line + "\n";
        }
        const std::string early = ReadWritten();
        EXPECT_GE(early.size(), 8192u);
        EXPECT_LT(early.size(), expected.size());
        expected.erase(0, early.size());
        ASSERT_EQ(early.back(), '\n');
    }
    // The rest goes out when the lines are destroyed.
    EXPECT_EQ(ReadWritten(), expected);
}

}  // namespace
