#include "remote/Probe.h"

#include "i18n/MessageBoxes.h"
#include "i18n/MessageCatalogue.h"
#include "remote/CurlTransfer.h"
#include "remote/HttpSupport.h"
#include "remote/HttpTransfer.h"
#include "remote/ProbeTime.h"

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

int Finish(ProbeStatus outcome, ProbeStatus* status) {
    if (status) {
        *status = outcome;
    }
    return outcome == ProbeStatus::Found ? 1 : 0;
}

// Runs the request; false after the box of a request that got no usable answer.
bool ReadHeaders(CURL* easy, HeaderReader& reader, IMessageBoxes& boxes) {
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &HeaderReader::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &reader);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &HeaderReader::OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &reader);
    const CURLcode code = curl_easy_perform(easy);
    if (reader.complete || code == CURLE_OK) {
        return true;
    }
    if (reader.headers.IsRedirect()) {
        ShowHttpError(boxes, "IDS_ERR_HTTPSTATUS", static_cast<int>(reader.headers.Status()));
    } else {
        ShowHttpError(boxes, "IDS_ERR_SENDREQUESTHTTP", code);
    }
    return false;
}

}  // namespace

int ProbeHttpFile(const std::string& address, int64_t& time, std::string& path,
                  IMessageBoxes& boxes, ProbeStatus* status) {
    CurlEasy easy = MakeCurlEasy();
    if (!easy) {
        boxes.ShowBox(Lookup("IDS_ERR_CONNECTHTTP"), Lookup("IDS_ERROR"), BoxIcon::Error,
                      BoxButtons::Ok, BoxOwner::None);
        return Finish(ProbeStatus::Failed, status);
    }
    if (const CURLcode code = SetHttpTimeouts(easy.get(), kProbeTimeoutMs); code != CURLE_OK) {
        ShowHttpError(boxes, "IDS_ERR_CONNECT", code);
        return Finish(ProbeStatus::Failed, status);
    }
    HttpTarget target;
    int splitCode = 0;
    switch (SplitHttpAddress(address, target, splitCode)) {
        case HttpSplit::Malformed:
            ShowHttpError(boxes, "IDS_ERR_SPLITURL", splitCode);
            return Finish(ProbeStatus::Failed, status);
        case HttpSplit::NotHttp:
            ShowHttpError(boxes, "IDS_ERR_NOTHTTP", address);
            return Finish(ProbeStatus::Failed, status);
        case HttpSplit::Ok:
            break;
    }
    ConfigureHttpHandle(easy.get(), address, target.url);
    HeaderReader reader;
    if (!ReadHeaders(easy.get(), reader, boxes)) {
        return Finish(ProbeStatus::Failed, status);
    }
    const long answer = reader.headers.Status();
    if (!reader.headers.IsSuccess()) {
        ShowHttpError(boxes, "IDS_ERR_HTTPSTATUS", static_cast<int>(answer));
        const bool gone = answer == 404 || answer == 410;
        return Finish(gone ? ProbeStatus::NotFound : ProbeStatus::Failed, status);
    }
    if (reader.headers.LastModified() < 0) {
        ShowHttpError(boxes, "IDS_ERR_QUERYINFOHTTP", kHeaderNotFound);
        return Finish(ProbeStatus::Failed, status);
    }
    time = ToProbeTime(reader.headers.LastModified());
    path = target.path;
    return Finish(ProbeStatus::Found, status);
}
