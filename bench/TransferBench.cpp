// Download throughput and probe latency on 127.0.0.1, through the program's own code and,
// side by side in the same run, through the curl command on the same files.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "RecordingMessageBoxes.h"
#include "TempDir.h"
#include "TestServers.h"
#include "i18n/MessageCatalogue.h"
#include "remote/Address.h"
#include "remote/Probe.h"
#include "remote/TransferJob.h"
#include "remote/WaitingTransferWindow.h"

namespace {

constexpr int64_t kFileSize = int64_t{256} << 20;

// The served folder with its 256 MB file and the servers, made once for the run.
struct Bench {
    TempDir root;
    TempDir logs;
    TempDir out;
    RecordingMessageBoxes boxes;
    std::unique_ptr<CFtpTestServer> ftp;
    std::unique_ptr<CHttpTestServer> http;

    Bench() {
        std::ofstream file(root.File("big.bin"), std::ios::binary);
        std::string block(1 << 20, '\0');
        for (size_t i = 0; i < block.size(); ++i) {
            block[i] = static_cast<char>(i * 131 % 251);
        }
        for (int64_t written = 0; written < kFileSize; written += block.size()) {
            file.write(block.data(), static_cast<std::streamsize>(block.size()));
        }
        file.close();
        WriteWholeFile(root.File("small.txt"), "probe me");
        ftp = std::make_unique<CFtpTestServer>(root.Path().string());
        http = std::make_unique<CHttpTestServer>(root.Path().string(), logs.File("log"));
        RegisterShippedLanguages(TheCatalogue(), boxes);
    }
    std::string FtpUrl(const std::string& path) const {
        return "ftp://127.0.0.1:" + std::to_string(ftp->Port()) + path;
    }
    std::string Target() const { return out.File("big.bin"); }
};

Bench& TheBench() {
    static Bench bench;
    return bench;
}

bool RunCurl(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "/usr/bin/curl");
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        return false;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void CheckDownloaded(benchmark::State& state) {
    std::error_code error;
    if (std::filesystem::file_size(TheBench().Target(), error) !=
        static_cast<uintmax_t>(kFileSize)) {
        state.SkipWithError("download incomplete");
    }
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

void BM_HttpDownload(benchmark::State& state) {
    Bench& bench = TheBench();
    for ([[maybe_unused]] auto _ : state) {
        CWaitingTransferWindow window(bench.boxes);
        CTransferJob job(window);
        RunHttpTransfer(job, {bench.http->Url("/files/big.bin"), bench.Target()}, 5000);
        if (job.Outcome().status != TransferStatus::Succeeded) {
            state.SkipWithError(job.Outcome().result.text.c_str());
        }
    }
    CheckDownloaded(state);
}

void BM_HttpDownloadCurl(benchmark::State& state) {
    Bench& bench = TheBench();
    for ([[maybe_unused]] auto _ : state) {
        if (!RunCurl({"-s", "-o", bench.Target(), bench.http->Url("/files/big.bin")})) {
            state.SkipWithError("curl failed");
        }
    }
    CheckDownloaded(state);
}

void BM_FtpDownload(benchmark::State& state) {
    Bench& bench = TheBench();
    const uint16_t port = static_cast<uint16_t>(bench.ftp->Port());
    for ([[maybe_unused]] auto _ : state) {
        CWaitingTransferWindow window(bench.boxes);
        CTransferJob job(window);
        RunFtpTransfer(job, {"127.0.0.1", "user", "secret", "/big.bin", bench.Target()}, 0,
                       {port, true});
        if (job.Outcome().status != TransferStatus::Succeeded) {
            state.SkipWithError(job.Outcome().result.text.c_str());
        }
    }
    CheckDownloaded(state);
}

void BM_FtpDownloadCurl(benchmark::State& state) {
    Bench& bench = TheBench();
    for ([[maybe_unused]] auto _ : state) {
        if (!RunCurl({"-s", "-u", "user:secret", "-o", bench.Target(), bench.FtpUrl("/big.bin")})) {
            state.SkipWithError("curl failed");
        }
    }
    CheckDownloaded(state);
}

void BM_HttpProbe(benchmark::State& state) {
    Bench& bench = TheBench();
    const std::string address = bench.http->Url("/files/small.txt");
    for ([[maybe_unused]] auto _ : state) {
        if (ProbeHttpFile(address).status != ProbeStatus::Found) {
            state.SkipWithError("probe failed");
        }
    }
}

void BM_HttpProbeCurlHead(benchmark::State& state) {
    Bench& bench = TheBench();
    for ([[maybe_unused]] auto _ : state) {
        RunCurl({"-s", "-I", "-o", "/dev/null", bench.http->Url("/files/small.txt")});
    }
}

void BM_FtpProbe(benchmark::State& state) {
    Bench& bench = TheBench();
    const ParsedAddress parsed = ClassifyAddress(bench.FtpUrl("/small.txt"));
    for ([[maybe_unused]] auto _ : state) {
        if (ProbeFtpFile({parsed.object, parsed.server, "user", "secret", parsed.port}).status !=
            ProbeStatus::Found) {
            state.SkipWithError("probe failed");
        }
    }
}

void BM_FtpProbeCurlHead(benchmark::State& state) {
    Bench& bench = TheBench();
    for ([[maybe_unused]] auto _ : state) {
        RunCurl({"-s", "-I", "-u", "user:secret", "-o", "/dev/null", bench.FtpUrl("/small.txt")});
    }
}

}  // namespace

BENCHMARK(BM_HttpDownload)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HttpDownloadCurl)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FtpDownload)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FtpDownloadCurl)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HttpProbe)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HttpProbeCurlHead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FtpProbe)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FtpProbeCurlHead)->Unit(benchmark::kMillisecond)->UseRealTime();
