#include "remote/Probe.h"

#include "i18n/MessageCatalogue.h"
#include "remote/CurlRequest.h"
#include "remote/CurlTransfer.h"
#include "remote/HttpSupport.h"
#include "remote/ProbeTime.h"

#include <optional>

namespace {

constexpr uint32_t kProbeTimeoutMs = 5000;
// The code the "HTTP Query Info failed" message carries for an answer without the header.
constexpr int kHeaderNotFound = 12150;

// Reads the answer up to the end of the final headers and stops there: the body is not
// wanted.
struct HeaderReader {
    CHttpHeaders headers;
    bool complete = false;

    static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
        auto& reader = *static_cast<HeaderReader*>(self);
        reader.complete = reader.headers.Feed(data, size * count);
        return reader.complete ? 0 : size * count;
    }
    // A body the headers did not announce as final still ends the headers.
    static size_t OnBody(char*, size_t, size_t, void* self) {
        static_cast<HeaderReader*>(self)->complete = true;
        return 0;
    }
};

ProbeResult Failure(const std::string& key, int code) {
    ProbeResult result;
    result.message = MakeRemoteMessage(RemoteBoxKind::Error, key, code);
    return result;
}

// Runs the request; the failure of a request that got no usable answer.
Task<std::optional<ProbeResult>> ReadHeaders(CURL* easy, HeaderReader& reader,
                                             const CReceiveWatch& watch, const CTlsTrust& tls,
                                             ICurlRunner& runner) {
    char errorBuffer[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &HeaderReader::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &reader);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &HeaderReader::OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &reader);
    const CURLcode code = watch.Result(co_await CurlRequest{runner, easy});
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, nullptr);
    if (reader.complete || code == CURLE_OK) {
        co_return std::nullopt;
    }
    ProbeResult refused;
    refused.message = UntrustedFailure(easy, code, tls, errorBuffer, refused.untrusted);
    if (refused.message) {
        co_return refused;
    }
    ProbeResult result;
    if (reader.headers.IsRedirect()) {
        result.message = RedirectFailure(reader.headers.Status(), code);
    } else {
        result = Failure("IDS_ERR_SENDREQUESTHTTP", code);
    }
    result.serverDown = MeansServerDown(code);
    co_return result;
}

}  // namespace

Task<ProbeResult> ProbeHttp(const std::string& address, const TrustedKeys& trusted,
                            ICurlRunner& runner) {
    // Declared first: the handle refers to it until the handle is cleaned up.
    CTlsTrust tls;
    CurlEasy easy = MakeCurlEasy();
    if (!easy) {
        ProbeResult result;
        result.message = RemoteMessage{RemoteBoxKind::Error, "IDS_ERR_CONNECTHTTP",
                                       Lookup("IDS_ERR_CONNECTHTTP"), 0};
        co_return result;
    }
    CReceiveWatch watch;
    if (const CURLcode code = SetHttpTimeouts(easy.get(), kProbeTimeoutMs, watch);
        code != CURLE_OK) {
        co_return Failure("IDS_ERR_CONNECT", code);
    }
    HttpTarget target;
    int splitCode = 0;
    switch (SplitHttpAddress(address, target, splitCode)) {
        case HttpSplit::Malformed:
            co_return Failure("IDS_ERR_SPLITURL", splitCode);
        case HttpSplit::NotHttp: {
            ProbeResult result;
            result.message = MakeRemoteMessage(RemoteBoxKind::Error, "IDS_ERR_NOTHTTP", address);
            co_return result;
        }
        case HttpSplit::Ok:
            break;
    }
    ConfigureHttpHandle(easy.get(), address, target, tls, trusted);
    HeaderReader reader;
    if (std::optional<ProbeResult> failure =
            co_await ReadHeaders(easy.get(), reader, watch, tls, runner)) {
        co_return std::move(*failure);
    }
    const long answer = reader.headers.Status();
    if (!reader.headers.IsSuccess()) {
        ProbeResult result = Failure("IDS_ERR_HTTPSTATUS", static_cast<int>(answer));
        if (answer == 404 || answer == 410) {
            result.status = ProbeStatus::NotFound;
        }
        co_return result;
    }
    if (reader.headers.LastModified() < 0) {
        co_return Failure("IDS_ERR_QUERYINFOHTTP", kHeaderNotFound);
    }
    ProbeResult result;
    result.status = ProbeStatus::Found;
    result.time = ToProbeTime(reader.headers.LastModified());
    result.path = target.path;
    co_return result;
}

ProbeResult ProbeHttpFile(const std::string& address, const TrustedKeys& trusted) {
    CCurlRunnerInPlace runner;
    return RunToEnd(ProbeHttp(address, trusted, runner));
}
