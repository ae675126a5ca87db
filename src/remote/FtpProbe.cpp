#include "remote/Probe.h"

#include "i18n/MessageBoxes.h"
#include "i18n/MessageCatalogue.h"
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

int Finish(ProbeStatus outcome, ProbeStatus* status) {
    if (status) {
        *status = outcome;
    }
    return outcome == ProbeStatus::Found ? 1 : 0;
}

}  // namespace

// Login, then MDTM and SIZE on the control connection: no listing, no data connection.
// Binary, because servers refuse SIZE in ASCII mode and the file would look missing.
int ProbeFtpFile(const FtpProbeRequest& request, int64_t& time, std::string& serverPath,
                 IMessageBoxes& boxes, ProbeStatus* status) {
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
    if (code == CURLE_OK) {
        curl_off_t fileTime = -1;
        curl_easy_getinfo(easy.get(), CURLINFO_FILETIME_T, &fileTime);
        time = ToProbeTime(fileTime);
        serverPath = FtpServerPath(request.object);
        return Finish(ProbeStatus::Found, status);
    }
    if (IsFtpNotFound(code)) {
        return Finish(ProbeStatus::NotFound, status);
    }
    boxes.ShowBox(DescribeFailure(code, errorBuffer, reply), Lookup("IDS_ERR_CONNECTFTP"),
                  BoxIcon::Error, BoxButtons::Ok, BoxOwner::None);
    return Finish(ProbeStatus::Failed, status);
}
