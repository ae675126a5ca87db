#include "remote/CurlRequest.h"

bool CCurlRunnerInPlace::Run(CURL* easy, CURLcode& result, std::coroutine_handle<>) {
    result = curl_easy_perform(easy);
    return true;
}
