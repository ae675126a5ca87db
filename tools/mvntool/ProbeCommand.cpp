#include "Commands.h"
#include "ConsoleMessageBoxes.h"
#include "ConsoleOutput.h"
#include "core/LocalFileTimes.h"
#include "i18n/TimeStamp.h"
#include "remote/Address.h"
#include "remote/Probe.h"
#include "remote/TransferText.h"

namespace {

const char* KindName(AddressKind kind) {
    switch (kind) {
        case AddressKind::Ftp:
            return "FTP";
        case AddressKind::Http:
            return "HTTP";
        case AddressKind::Https:
            return "HTTPS";
        case AddressKind::Ftps:
            return "FTPS";
        case AddressKind::Ftpes:
            return "FTPES";
        case AddressKind::Sftp:
            return "SFTP";
        case AddressKind::LocalFile:
            return "local file";
        case AddressKind::Other:
            break;
    }
    return "other";
}

// A remote probe's time; false after its box, or the missing file's line, on standard
// error.
bool TakeProbeResult(const ProbeResult& result, const ParsedAddress& parsed, IMessageBoxes& boxes,
                     TimeValue& time) {
    if (result.status == ProbeStatus::Found) {
        time = result.time;
        return true;
    }
    if (result.message) {
        ShowRemoteMessage(*result.message, boxes, BoxOwner::None);
        PrintUntrustedKey(result.untrusted);
        PrintRefusedHostKey(result.refusedHost);
    } else if (result.status == ProbeStatus::NotFound) {
        PrintError("%s\n", FormatKeyText("IDS_ERR_FILENOTFOUNDFTP", parsed.object).c_str());
    }
    return false;
}

// The copy's time as a check would take it; false after saying why on standard error.
bool ProbeTime(const std::string& address, const ParsedAddress& parsed,
               const RemoteOptions& options, IMessageBoxes& boxes, TimeValue& time) {
    const TrustedKeys trusted = TrustedForRun(parsed, options);
    switch (parsed.kind) {
        case AddressKind::Ftp:
        case AddressKind::Ftps:
        case AddressKind::Ftpes: {
            const FtpProbeRequest request{parsed.object, parsed.server,
                                          options.user,  options.password,
                                          parsed.port,   FtpSecurityOf(parsed.kind)};
            return TakeProbeResult(ProbeFtpFile(request, trusted), parsed, boxes, time);
        }
        case AddressKind::Http:
        case AddressKind::Https:
            return TakeProbeResult(ProbeHttpFile(address, trusted), parsed, boxes, time);
        case AddressKind::Sftp: {
            const SftpLogin login{parsed.server, parsed.port, SftpUser(parsed.user, options.user),
                                  options.password};
            return TakeProbeResult(ProbeSftpFile({parsed.object, login, options.acceptNewHostKey}),
                                   parsed, boxes, time);
        }
        case AddressKind::LocalFile:
            if (FindFirstFileTime(address, time)) {
                return true;
            }
            PrintError("%s: no such file\n", address.c_str());
            return false;
        case AddressKind::Other:
            break;
    }
    PrintError("%s: neither probed nor copied\n", address.c_str());
    return false;
}

}  // namespace

int RunProbeCommand(const Arguments& arguments) {
    std::string address;
    RemoteOptions options;
    if (!ParseRemoteArguments(arguments, {&address}, options)) {
        return kExitUsage;
    }
    CConsoleMessageBoxes boxes;
    PrepareLanguage("", boxes);
    const ParsedAddress parsed = ClassifyAddress(address);
    PrintOut("kind: %s\nserver: %s\nobject: %s\nport: %u\n", KindName(parsed.kind),
             parsed.server.c_str(), parsed.object.c_str(), unsigned{parsed.port});
    TimeValue time = -1;
    if (!ProbeTime(address, parsed, options, boxes, time)) {
        return kExitFailed;
    }
    PrintOut("time: %lld %s\n", static_cast<long long>(time), FormatTimeStamp(time).c_str());
    return kExitOk;
}
