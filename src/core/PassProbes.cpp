#include "core/PassProbes.h"

#include "core/CheckEnvironment.h"
#include "remote/Address.h"

std::optional<ProbeRequest> ProbeRequestFor(const CKelElem& elem) {
    const ParsedAddress address = ClassifyAddress(elem.m_strCopy);
    ProbeRequest request;
    request.server = address.server;
    request.port = address.port;
    if (IsFtpKind(address.kind)) {
        request.protocol = ProbeRequest::Protocol::Ftp;
        request.ftp = {address.object,        address.server, elem.m_strFtpUser,
                       elem.m_strFtpPassword, address.port,   FtpSecurityOf(address.kind)};
        return request;
    }
    if (address.kind == AddressKind::Sftp) {
        request.protocol = ProbeRequest::Protocol::Sftp;
        request.sftp.object = address.object;
        request.sftp.login = {address.server, address.port,
                              SftpUser(address.user, elem.m_strFtpUser), elem.m_strFtpPassword};
        return request;
    }
    if (IsWebKind(address.kind)) {
        request.protocol = ProbeRequest::Protocol::Http;
        request.address = elem.m_strCopy;
        return request;
    }
    return std::nullopt;
}

namespace {

// Inside one wait: the internet test unless it is known, then every probe side by side.
std::vector<ProbeResult> ProbeAll(const std::vector<ProbeRequest>& requests,
                                  std::optional<bool>& availability, CheckContext& context) {
    std::vector<ProbeResult> results;
    context.wait.Run([&] {
        if (!availability) {
            availability = context.remote.IsInternetReachable();
        }
        if (*availability) {
            results = context.remote.ProbeSideBySide(requests);
        }
    });
    return results;
}

}  // namespace

std::optional<ProbeResult> ProbeAlone(const ProbeRequest& request,
                                      std::optional<bool>& availability, CheckContext& context) {
    std::vector<ProbeResult> results = ProbeAll({request}, availability, context);
    if (results.empty()) {
        return std::nullopt;
    }
    return std::move(results.front());
}

namespace {

bool WouldBeChecked(const CKelElem& elem, const CheckContext& context) {
    return elem.m_bActive != 0 && !context.elementsUnderNotice.contains(&elem);
}

}  // namespace

void CPassProbes::ProbeAhead(const std::vector<const CKelElem*>& elems, CheckContext& context) {
    std::vector<const CKelElem*> remote;
    for (const CKelElem* elem : elems) {
        if (WouldBeChecked(*elem, context) && ProbeRequestFor(*elem)) {
            remote.push_back(elem);
        }
    }
    if (!remote.empty()) {
        Probe(remote, context);
    }
}

void CPassProbes::Probe(const std::vector<const CKelElem*>& elems, CheckContext& context) {
    std::vector<ProbeRequest> requests;
    requests.reserve(elems.size());
    for (const CKelElem* elem : elems) {
        requests.push_back(*ProbeRequestFor(*elem));
    }
    std::vector<ProbeResult> results = ProbeAll(requests, availability, context);
    const TimeValue now = context.clock.Now();
    for (size_t i = 0; i < results.size(); ++i) {
        m_answers[elems[i]] = Answer{std::move(results[i]), now};
    }
}

std::optional<ProbeResult> CPassProbes::Take(const CKelElem& elem, CheckContext& context) {
    auto found = m_answers.find(&elem);
    const bool fresh = found != m_answers.end() && !found->second.taken &&
                       context.clock.Now() - found->second.probedAt <= kFreshSeconds;
    if (!fresh && availability != false) {
        // Whatever the pass has yet to take is as old: asked again together.
        std::vector<const CKelElem*> again{&elem};
        for (const auto& [other, answer] : m_answers) {
            if (other != &elem && !answer.taken && WouldBeChecked(*other, context)) {
                again.push_back(other);
            }
        }
        Probe(again, context);
        found = m_answers.find(&elem);
    }
    if (availability != true || found == m_answers.end()) {
        return std::nullopt;
    }
    found->second.taken = true;
    return found->second.result;
}
