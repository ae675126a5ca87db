#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "RecordingMessageBoxes.h"
#include "remote/Probe.h"
#include "remote/TransferOutcome.h"
#include "TempDir.h"
#include "TestServers.h"

// The servers every remote test talks to, started once for the test program and serving
// one folder; each test writes the files it needs there under names of its own.
class RemoteServers {
public:
    static RemoteServers& Get();

    const CFtpTestServer& Ftp() const { return *m_ftp; }
    const CHttpTestServer& Http() const { return *m_http; }
    // Writes a served file, with `modified` as its modification time when not -1.
    std::string Serve(const std::string& relativePath, const std::string& bytes,
                      int64_t modified = -1) const;
    // "ftp://127.0.0.1:<port>" followed by `path`.
    std::string FtpUrl(const std::string& path) const;

private:
    RemoteServers();

    TempDir m_root;
    TempDir m_logs;
    std::unique_ptr<CFtpTestServer> m_ftp;
    std::unique_ptr<CHttpTestServer> m_http;
};

// English texts, fresh boxes and a folder for local files.
class RemoteTest : public testing::Test {
protected:
    void SetUp() override;
    // Shows a probe's box on `boxes`, as a check does when the probe failed.
    const ProbeResult& Show(const ProbeResult& result);
    // Shows the boxes a download raised on `boxes`; the result message.
    std::string Show(const TransferOutcome& outcome);
    // Expects a download ended as cancelled that left `original` holding "old" and no
    // temporary file beside it.
    void ExpectCancelledLeaving(const TransferOutcome& outcome, const std::string& original);

    RemoteServers& servers = RemoteServers::Get();
    RecordingMessageBoxes boxes;
    TempDir local;
};

// A byte pattern that shows misplaced units.
std::string Pattern(size_t size);

// Temporary files of replacements in `folder`: downloads left behind.
int LeftoverDownloads(const std::string& folder);
