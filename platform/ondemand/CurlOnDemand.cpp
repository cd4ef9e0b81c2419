// libcurl's functions the program and the engine call, loaded on the first transfer
// (see OnDemandLibrary.h): libcurl brings its TLS, SSH, LDAP and HTTP/2 libraries,
// about 4.5 MB of resident memory. Without libcurl every transfer fails to start
// (curl_easy_init gives nullptr), as when libcurl cannot start.

#define CURL_DISABLE_TYPECHECK  // its macros would hide the definitions
#include <curl/curl.h>

#include <cstdarg>

#include "OnDemandLibrary.h"

namespace {
constexpr const char* kCurl = "libcurl.so.4";
constexpr const char* kLost = "addresses cannot be fetched";
}  // namespace

TAVORA_FORWARD(kCurl, kLost, CURLE_FAILED_INIT, CURLcode, curl_global_init, (long flags), (flags))
TAVORA_FORWARD(kCurl, kLost, nullptr, CURL*, curl_easy_init, (), ())
TAVORA_FORWARD(kCurl, kLost, CURLE_FAILED_INIT, CURLcode, curl_easy_perform, (CURL * handle), (handle))
TAVORA_FORWARD_VOID(kCurl, kLost, curl_easy_cleanup, (CURL * handle), (handle))
TAVORA_FORWARD(kCurl, kLost, "libcurl is not available", const char*, curl_easy_strerror, (CURLcode code), (code))
TAVORA_FORWARD(kCurl, kLost, nullptr, curl_slist*, curl_slist_append, (curl_slist * list, const char* text),
               (list, text))
TAVORA_FORWARD_VOID(kCurl, kLost, curl_slist_free_all, (curl_slist * list), (list))
TAVORA_FORWARD(kCurl, kLost, nullptr, CURLU*, curl_url, (), ())
TAVORA_FORWARD_VOID(kCurl, kLost, curl_url_cleanup, (CURLU * handle), (handle))
TAVORA_FORWARD(kCurl, kLost, CURLUE_OUT_OF_MEMORY, CURLUcode, curl_url_set,
               (CURLU * handle, CURLUPart what, const char* part, unsigned int flags), (handle, what, part, flags))
TAVORA_FORWARD(kCurl, kLost, CURLUE_OUT_OF_MEMORY, CURLUcode, curl_url_get,
               (CURLU * handle, CURLUPart what, char** part, unsigned int flags), (handle, what, part, flags))
TAVORA_FORWARD_VOID(kCurl, kLost, curl_free, (void* p), (p))

// The option's number tells the type of its one argument.
extern "C" CURLcode curl_easy_setopt(CURL* handle, CURLoption option, ...) {
    static const auto real = tavora::OnDemandFunction<decltype(&curl_easy_setopt)>(kCurl, kLost, "curl_easy_setopt");
    if (!real) return CURLE_FAILED_INIT;
    va_list args;
    va_start(args, option);
    CURLcode rc;
    if (option < CURLOPTTYPE_OBJECTPOINT) {
        rc = real(handle, option, va_arg(args, long));
    } else if (option >= CURLOPTTYPE_OFF_T && option < CURLOPTTYPE_BLOB) {
        rc = real(handle, option, va_arg(args, curl_off_t));
    } else {  // objects, strings, callbacks and blobs: a pointer
        rc = real(handle, option, va_arg(args, void*));
    }
    va_end(args);
    return rc;
}

// Every kind of information is written through a pointer.
extern "C" CURLcode curl_easy_getinfo(CURL* handle, CURLINFO info, ...) {
    static const auto real = tavora::OnDemandFunction<decltype(&curl_easy_getinfo)>(kCurl, kLost, "curl_easy_getinfo");
    if (!real) return CURLE_FAILED_INIT;
    va_list args;
    va_start(args, info);
    void* target = va_arg(args, void*);
    va_end(args);
    return real(handle, info, target);
}
