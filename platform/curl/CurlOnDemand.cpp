// libcurl, loaded when the first address is fetched.
//
// libcurl brings its TLS, SSH, LDAP and HTTP/2 libraries with it: about 4.5 MB of
// resident memory in a player that plays local files. The program and the engine
// module therefore do not link it; they link this file instead, which defines the few
// libcurl functions they call and forwards each to the real one, loaded from
// "libcurl.so.4" on first use and kept. Without libcurl every transfer fails to start
// (curl_easy_init gives nullptr), as it does when libcurl cannot start.
//
// Built with hidden visibility: the definitions serve their own program or module
// only and never stand in for the real functions of a libcurl loaded in the process.

#define CURL_DISABLE_TYPECHECK  // the type-checking macros would hide the definitions
#include <curl/curl.h>
#include <dlfcn.h>

#include <cstdarg>
#include <cstdio>

namespace {

struct Curl {
    decltype(&curl_global_init) globalInit = nullptr;
    decltype(&curl_easy_init) easyInit = nullptr;
    decltype(&curl_easy_setopt) easySetopt = nullptr;
    decltype(&curl_easy_getinfo) easyGetinfo = nullptr;
    decltype(&curl_easy_perform) easyPerform = nullptr;
    decltype(&curl_easy_cleanup) easyCleanup = nullptr;
    decltype(&curl_easy_strerror) easyStrerror = nullptr;
    decltype(&curl_slist_append) slistAppend = nullptr;
    decltype(&curl_slist_free_all) slistFreeAll = nullptr;
    bool ready = false;
};

template <typename F>
bool Resolve(void* handle, const char* name, F& slot) {
    slot = reinterpret_cast<F>(dlsym(handle, name));
    return slot != nullptr;
}

const Curl& Library() {
    static const Curl curl = [] {
        Curl c;
        void* handle = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (handle) {
            c.ready = Resolve(handle, "curl_global_init", c.globalInit) &
                      Resolve(handle, "curl_easy_init", c.easyInit) &
                      Resolve(handle, "curl_easy_setopt", c.easySetopt) &
                      Resolve(handle, "curl_easy_getinfo", c.easyGetinfo) &
                      Resolve(handle, "curl_easy_perform", c.easyPerform) &
                      Resolve(handle, "curl_easy_cleanup", c.easyCleanup) &
                      Resolve(handle, "curl_easy_strerror", c.easyStrerror) &
                      Resolve(handle, "curl_slist_append", c.slistAppend) &
                      Resolve(handle, "curl_slist_free_all", c.slistFreeAll);
        }
        if (!c.ready) {
            const char* why = dlerror();
            std::fprintf(stderr, "cannot load libcurl.so.4: %s; addresses cannot be fetched.\n",
                         why ? why : "a function is missing");
        }
        return c;
    }();
    return curl;
}

}  // namespace

extern "C" {

CURLcode curl_global_init(long flags) {
    const Curl& c = Library();
    return c.ready ? c.globalInit(flags) : CURLE_FAILED_INIT;
}

CURL* curl_easy_init() {
    const Curl& c = Library();
    return c.ready ? c.easyInit() : nullptr;
}

// The option's number tells the type of its one argument.
CURLcode curl_easy_setopt(CURL* handle, CURLoption option, ...) {
    const Curl& c = Library();
    if (!c.ready) return CURLE_FAILED_INIT;
    va_list args;
    va_start(args, option);
    CURLcode rc;
    if (option < CURLOPTTYPE_OBJECTPOINT) {
        rc = c.easySetopt(handle, option, va_arg(args, long));
    } else if (option >= CURLOPTTYPE_OFF_T && option < CURLOPTTYPE_BLOB) {
        rc = c.easySetopt(handle, option, va_arg(args, curl_off_t));
    } else {  // objects, strings, callbacks and blobs: a pointer
        rc = c.easySetopt(handle, option, va_arg(args, void*));
    }
    va_end(args);
    return rc;
}

// Every kind of information is written through a pointer.
CURLcode curl_easy_getinfo(CURL* handle, CURLINFO info, ...) {
    const Curl& c = Library();
    if (!c.ready) return CURLE_FAILED_INIT;
    va_list args;
    va_start(args, info);
    void* target = va_arg(args, void*);
    va_end(args);
    return c.easyGetinfo(handle, info, target);
}

CURLcode curl_easy_perform(CURL* handle) {
    const Curl& c = Library();
    return c.ready ? c.easyPerform(handle) : CURLE_FAILED_INIT;
}

void curl_easy_cleanup(CURL* handle) {
    const Curl& c = Library();
    if (c.ready) c.easyCleanup(handle);
}

const char* curl_easy_strerror(CURLcode code) {
    const Curl& c = Library();
    return c.ready ? c.easyStrerror(code) : "libcurl is not available";
}

curl_slist* curl_slist_append(curl_slist* list, const char* text) {
    const Curl& c = Library();
    return c.ready ? c.slistAppend(list, text) : nullptr;
}

void curl_slist_free_all(curl_slist* list) {
    const Curl& c = Library();
    if (c.ready) c.slistFreeAll(list);
}

}  // extern "C"
