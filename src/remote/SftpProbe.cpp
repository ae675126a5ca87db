#include "remote/Probe.h"

#include "remote/CurlRequest.h"
#include "remote/CurlTransfer.h"
#include "remote/FtpSupport.h"
#include "remote/ProbeTime.h"
#include "remote/UrlCanonicaliser.h"

namespace {

ProbeResult Failure(CURLcode code, const char* errorBuffer) {
    ProbeResult result;
    result.message = RemoteMessage{RemoteBoxKind::SftpConnection, "",
                                   errorBuffer[0] ? errorBuffer : curl_easy_strerror(code), code};
    result.serverDown = MeansServerDown(code);
    return result;
}

}  // namespace

// The time comes from the file's attributes (libcurl's stat before the transfer); opening
// the file then tells a missing file from one the user may not read. The transfer itself
// is one byte, so nothing is downloaded and the connection stays fit for the next probe. An
// address ending in "/" names a folder, which is not a file: only the login is made.
Task<ProbeResult> ProbeSftp(const SftpProbeRequest& request, ICurlRunner& runner) {
    // Declared first: the handle refers to it until the handle is cleaned up.
    CSshHostCheck hostCheck;
    CurlEasy easy = MakeCurlEasy();
    char errorBuffer[CURL_ERROR_SIZE] = "";
    if (!easy) {
        co_return Failure(CURLE_FAILED_INIT, errorBuffer);
    }
    ConfigureSftpHandle(easy.get(), request.login, hostCheck, request.acceptNewHostKey);
    const bool folder = request.object.ends_with('/');
    curl_easy_setopt(easy.get(), CURLOPT_URL, SftpUrl(request.login, request.object).c_str());
    curl_easy_setopt(easy.get(), CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(easy.get(), CURLOPT_NOBODY, folder ? 1L : 0L);
    curl_easy_setopt(easy.get(), CURLOPT_FILETIME, 1L);
    curl_easy_setopt(easy.get(), CURLOPT_RANGE, "0-0");
    curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, &DiscardCurlData);
    // The bounds of an FTP probe: connecting (the SSH handshake and login included), and
    // the silence of the server.
    CReceiveWatch watch;
    BoundFtpWaits(easy.get(), 0, watch);
    const CURLcode code = watch.Result(co_await CurlRequest{runner, easy.get()});
    ProbeResult result;
    if (code == CURLE_REMOTE_FILE_NOT_FOUND || (code == CURLE_OK && folder)) {
        result.status = ProbeStatus::NotFound;
        co_return result;
    }
    if (const auto refusal = hostCheck.Refused(code)) {
        result.refusedHost = refusal;
        result.message = DescribeRefusedHost(*refusal);
        co_return result;
    }
    if (code != CURLE_OK) {
        co_return Failure(code, errorBuffer);
    }
    curl_off_t time = -1;
    curl_easy_getinfo(easy.get(), CURLINFO_FILETIME_T, &time);
    const std::string path = DecodeUrlEscapes(request.object);
    if (time < 0) {
        // Without a time no check can decide anything: never a silent success.
        result.message =
            MakeRemoteMessage(RemoteBoxKind::SftpConnection, "IDS_ERR_NOTIMEFTP", path);
        co_return result;
    }
    result.status = ProbeStatus::Found;
    result.time = ToProbeTime(time);
    result.path = path;
    co_return result;
}

ProbeResult ProbeSftpFile(const SftpProbeRequest& request) {
    CCurlRunnerInPlace runner;
    return RunToEnd(ProbeSftp(request, runner));
}
