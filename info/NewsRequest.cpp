#include "info/NewsRequest.h"

// libcurl is linked for the framework's own network code.
#include <curl/curl.h>

#include <string>

namespace
{
    void initialiseCurlOnce()
    {
        static const bool initialised = curl_global_init (CURL_GLOBAL_DEFAULT) == CURLE_OK;
        juce::ignoreUnused (initialised);
    }

    struct Body
    {
        std::string bytes;
        bool tooLong = false;
    };

    size_t appendToBody (char* data, size_t size, size_t count, void* userData)
    {
        auto& body = *static_cast<Body*> (userData);
        const size_t length = size * count;

        if (body.bytes.size() + length > NewsRequest::maxBodyBytes)
        {
            body.tooLong = true;
            return 0;   // anything but length ends the transfer
        }

        body.bytes.append (data, length);
        return length;
    }

    // One easy handle inside its own multi handle, so that the waiting can
    // be done here, in small steps.
    struct Transfer
    {
        Transfer()
            : easy (curl_easy_init()),
              multi (curl_multi_init())
        {
        }

        ~Transfer()
        {
            if (added)
                curl_multi_remove_handle (multi, easy);
            if (easy != nullptr)
                curl_easy_cleanup (easy);
            if (multi != nullptr)
                curl_multi_cleanup (multi);
        }

        CURL* easy;
        CURLM* multi;
        bool added = false;

        JUCE_DECLARE_NON_COPYABLE (Transfer)
    };

    bool setOptions (CURL* easy, const std::string& address, Body& body)
    {
        const std::string userAgent = std::string ("curl/") + curl_version_info (CURLVERSION_NOW)->version;

        return curl_easy_setopt (easy, CURLOPT_URL, address.c_str()) == CURLE_OK
            && curl_easy_setopt (easy, CURLOPT_WRITEFUNCTION, appendToBody) == CURLE_OK
            && curl_easy_setopt (easy, CURLOPT_WRITEDATA, &body) == CURLE_OK
            && curl_easy_setopt (easy, CURLOPT_NOSIGNAL, 1L) == CURLE_OK
            && curl_easy_setopt (easy, CURLOPT_USERAGENT, userAgent.c_str()) == CURLE_OK
            && curl_easy_setopt (easy, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK
            && curl_easy_setopt (easy, CURLOPT_MAXREDIRS, (long) NewsRequest::maxRedirects) == CURLE_OK
           #if LIBCURL_VERSION_NUM >= 0x075500
            && curl_easy_setopt (easy, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK
            && curl_easy_setopt (easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") == CURLE_OK
           #else
            && curl_easy_setopt (easy, CURLOPT_PROTOCOLS, (long) (CURLPROTO_HTTP | CURLPROTO_HTTPS)) == CURLE_OK
            && curl_easy_setopt (easy, CURLOPT_REDIR_PROTOCOLS, (long) (CURLPROTO_HTTP | CURLPROTO_HTTPS)) == CURLE_OK
           #endif
           #if LIBCURL_VERSION_NUM >= 0x075700
            // A request called off while the host name is still being looked
            // up leaves the lookup to finish on its own instead of waiting.
            && curl_easy_setopt (easy, CURLOPT_QUICK_EXIT, 1L) == CURLE_OK
           #endif
            && curl_easy_setopt (easy, CURLOPT_CONNECTTIMEOUT_MS, (long) NewsRequest::connectTimeoutMs) == CURLE_OK
            && curl_easy_setopt (easy, CURLOPT_LOW_SPEED_LIMIT, NewsRequest::lowSpeedBytesPerSecond) == CURLE_OK
            && curl_easy_setopt (easy, CURLOPT_LOW_SPEED_TIME, NewsRequest::lowSpeedSeconds) == CURLE_OK;
    }
}

NewsRequest::Result NewsRequest::get (const juce::URL& url, const std::function<bool()>& shouldStop)
{
    initialiseCurlOnce();

    Result result;
    Body body;
    Transfer transfer;

    if (transfer.easy == nullptr || transfer.multi == nullptr
        || ! setOptions (transfer.easy, url.toString (true).toStdString(), body)
        || curl_multi_add_handle (transfer.multi, transfer.easy) != CURLM_OK)
        return result;

    transfer.added = true;
    int running = 1;

    while (running > 0)
    {
        if (shouldStop && shouldStop())
            return result;

        if (curl_multi_perform (transfer.multi, &running) != CURLM_OK)
            return result;

        if (running > 0 && curl_multi_poll (transfer.multi, nullptr, 0, pollMs, nullptr) != CURLM_OK)
            return result;
    }

    CURLcode outcome = CURLE_FAILED_INIT;
    int messagesLeft = 0;

    while (auto* message = curl_multi_info_read (transfer.multi, &messagesLeft))
        if (message->msg == CURLMSG_DONE && message->easy_handle == transfer.easy)
            outcome = message->data.result;

    long status = 0;
    curl_easy_getinfo (transfer.easy, CURLINFO_RESPONSE_CODE, &status);
    result.status = (int) status;

    if (outcome != CURLE_OK || body.tooLong || status < 200 || status > 299)
        return result;

    result.succeeded = true;
    result.body = juce::String::createStringFromData (body.bytes.data(), (int) body.bytes.size());
    return result;
}
