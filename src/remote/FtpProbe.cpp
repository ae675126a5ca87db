#include "remote/Probe.h"

#include "remote/CurlTransfer.h"
#include "remote/FtpSupport.h"
#include "remote/ProbeTime.h"

namespace {

// The bounds the platform's FTP client applied by default: libcurl's own (five minutes to
// connect) would freeze the window behind a silent server for far longer.
constexpr long kProbeConnectTimeoutSeconds = 60;
constexpr long kProbeResponseTimeoutSeconds = 30;

// libcurl's description of the failure, with the server's refusal when it sent one.
std::string DescribeFailure(CURLcode code, const char* errorBuffer, const CFtpReply& reply) {
    std::string text = errorBuffer[0] ? errorBuffer : curl_easy_strerror(code);
    if (const std::string refusal = reply.Refusal(); !refusal.empty()) {
        text += "\n" + refusal;
    }
    return text;
}

}  // namespace

// Login, then MDTM and SIZE on the control connection: no listing, no data connection.
// Binary, because servers refuse SIZE in ASCII mode and the file would look missing.
ProbeResult ProbeFtpFile(const FtpProbeRequest& request) {
    CurlEasy easy = MakeCurlEasy();
    char errorBuffer[CURL_ERROR_SIZE] = "";
    CFtpReply reply;
    CURLcode code = CURLE_FAILED_INIT;
    if (easy) {
        ConfigureFtpHandle(easy.get(), request.user, request.password);
        reply.Attach(easy.get());
        const std::string url = FtpObjectUrl(request.server, request.port, request.object);
        curl_easy_setopt(easy.get(), CURLOPT_URL, url.c_str());
        curl_easy_setopt(easy.get(), CURLOPT_NOBODY, 1L);
        curl_easy_setopt(easy.get(), CURLOPT_FILETIME, 1L);
        curl_easy_setopt(easy.get(), CURLOPT_ERRORBUFFER, errorBuffer);
        curl_easy_setopt(easy.get(), CURLOPT_CONNECTTIMEOUT, kProbeConnectTimeoutSeconds);
        curl_easy_setopt(easy.get(), CURLOPT_SERVER_RESPONSE_TIMEOUT, kProbeResponseTimeoutSeconds);
        code = curl_easy_perform(easy.get());
    }
    ProbeResult result;
    if (code == CURLE_OK) {
        curl_off_t fileTime = -1;
        curl_easy_getinfo(easy.get(), CURLINFO_FILETIME_T, &fileTime);
        result.status = ProbeStatus::Found;
        result.time = ToProbeTime(fileTime);
        result.path = FtpServerPath(request.object);
    } else if (IsFtpNotFound(code)) {
        result.status = ProbeStatus::NotFound;
    } else {
        result.message = RemoteMessage{RemoteBoxKind::FtpConnection, "",
                                       DescribeFailure(code, errorBuffer, reply), code};
    }
    return result;
}
