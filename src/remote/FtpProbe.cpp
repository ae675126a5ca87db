#include "remote/Probe.h"

#include "remote/CurlRequest.h"
#include "remote/CurlTransfer.h"
#include "remote/FtpLookup.h"
#include "remote/FtpSupport.h"
#include "remote/ProbeTime.h"

namespace {

// libcurl's description of the failure, with the server's refusal when it sent one, and
// what the user can do when the server wants TLS or cannot do it.
std::string DescribeFailure(const FtpServer& server, CURLcode code, const char* errorBuffer,
                            const CFtpReply& reply) {
    std::string text = errorBuffer[0] ? errorBuffer : curl_easy_strerror(code);
    const std::string refusal = reply.Refusal();
    if (!refusal.empty()) {
        text += "\n" + refusal;
    }
    if (const std::string advice = FtpSecurityAdvice(server, code, refusal); !advice.empty()) {
        text.append("\n").append(advice);
    }
    return text;
}

}  // namespace

// Login, then MDTM and SIZE on the control connection; the folder's listing only when the
// server refuses them. Binary, because servers refuse SIZE in ASCII mode.
Task<ProbeResult> ProbeFtp(const FtpProbeRequest& request, const TrustedKeys& trusted,
                           ICurlRunner& runner) {
    // Declared first: the handle refers to it until the handle is cleaned up.
    CTlsTrust tls;
    CurlEasy easy = MakeCurlEasy();
    char errorBuffer[CURL_ERROR_SIZE] = "";
    CFtpReply reply;
    ProbeResult result;
    if (!IsSafeFtpLogin(request.user, request.password)) {
        result.message = MakeRemoteMessage(RemoteBoxKind::FtpConnection, "IDS_ERR_UNSAFEFTPLOGIN",
                                           CURLE_LOGIN_DENIED);
        co_return result;
    }
    if (!easy) {
        result.message = RemoteMessage{RemoteBoxKind::FtpConnection, "",
                                       curl_easy_strerror(CURLE_FAILED_INIT), CURLE_FAILED_INIT};
        co_return result;
    }
    const FtpServer server{request.server, request.port, request.security};
    ConfigureFtpHandle(easy.get(), server, request.user, request.password, tls, trusted);
    reply.Attach(easy.get());
    curl_easy_setopt(easy.get(), CURLOPT_ERRORBUFFER, errorBuffer);
    // A silent server ends the probe within these bounds; libcurl's own (five minutes to
    // connect, none for a listing) would keep a check waiting far longer.
    CReceiveWatch watch;
    BoundFtpWaits(easy.get(), 0, watch);
    const FtpPerform perform = [&]() -> Task<CURLcode> {
        reply.Clear();
        errorBuffer[0] = '\0';
        const CURLcode code = co_await CurlRequest{runner, easy.get()};
        const CURLcode watched = watch.Result(code);
        if (watched != code) {
            errorBuffer[0] = '\0';  // libcurl's text tells an abort, not the time-out
        }
        co_return watched;
    };
    const FtpFileFacts facts =
        co_await LookUpFtpFile(easy.get(), server, request.object, reply, perform);
    switch (facts.state) {
        case FtpFileState::Found:
            if (facts.time < 0) {
                // Without a time no check can decide anything: never a silent success.
                result.message =
                    MakeRemoteMessage(RemoteBoxKind::FtpConnection, "IDS_ERR_NOTIMEFTP",
                                      FtpServerPath(request.object));
                co_return result;
            }
            result.status = ProbeStatus::Found;
            result.time = ToProbeTime(facts.time);
            result.path = FtpServerPath(request.object);
            co_return result;
        case FtpFileState::NotFound:
            result.status = ProbeStatus::NotFound;
            co_return result;
        case FtpFileState::Denied:
            // libcurl's own text names the step the denial came at, not the denial.
            errorBuffer[0] = '\0';
            break;
        case FtpFileState::Failed:
            result.untrusted = tls.Untrusted(easy.get(), facts.code);
            if (result.untrusted) {
                result.message = RemoteMessage{
                    RemoteBoxKind::FtpConnection, "",
                    DescribeUntrusted(*result.untrusted, facts.code, errorBuffer), facts.code};
                co_return result;
            }
            result.serverDown = MeansServerDown(facts.code);
            break;
    }
    result.message =
        RemoteMessage{RemoteBoxKind::FtpConnection, "",
                      DescribeFailure(server, facts.code, errorBuffer, reply), facts.code};
    co_return result;
}

ProbeResult ProbeFtpFile(const FtpProbeRequest& request, const TrustedKeys& trusted) {
    CCurlRunnerInPlace runner;
    return RunToEnd(ProbeFtp(request, trusted, runner));
}
