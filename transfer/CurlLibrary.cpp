// libcurl is opened when the first transfer needs it instead of being linked:
// a linked libcurl made every start of the browser load it and the dozen
// libraries behind it (TLS, Kerberos, LDAP, SSH) before main(), about 9 ms.
// The functions below carry libcurl's own names and signatures, so the
// transfer code stays ordinary libcurl code, checked by curl.h as before; each
// forwards to the library's function of that name. The library is set up
// (curl_global_init) as it is opened, once, whichever transfer comes first.
// Nothing exports them, so a libcurl that another library loads is unaffected.
#define CURL_DISABLE_TYPECHECK
#include <curl/curl.h>

#include <cstdarg>
#include <dlfcn.h>

namespace {

// libcurl's ABI since 7.16, the one curl.h describes.
constexpr char LibraryFile[] = "libcurl.so.4";

struct Functions {
    decltype(&curl_global_init) globalInit = nullptr;
    decltype(&curl_easy_init) easyInit = nullptr;
    decltype(&curl_easy_cleanup) easyCleanup = nullptr;
    decltype(&curl_easy_setopt) easySetopt = nullptr;
    decltype(&curl_easy_getinfo) easyGetinfo = nullptr;
    decltype(&curl_easy_strerror) easyStrerror = nullptr;
    decltype(&curl_easy_pause) easyPause = nullptr;
    decltype(&curl_multi_init) multiInit = nullptr;
    decltype(&curl_multi_cleanup) multiCleanup = nullptr;
    decltype(&curl_multi_setopt) multiSetopt = nullptr;
    decltype(&curl_multi_add_handle) multiAddHandle = nullptr;
    decltype(&curl_multi_remove_handle) multiRemoveHandle = nullptr;
    decltype(&curl_multi_perform) multiPerform = nullptr;
    decltype(&curl_multi_poll) multiPoll = nullptr;
    decltype(&curl_multi_wakeup) multiWakeup = nullptr;
    decltype(&curl_multi_info_read) multiInfoRead = nullptr;
    decltype(&curl_slist_append) slistAppend = nullptr;
    decltype(&curl_slist_free_all) slistFreeAll = nullptr;
};

template <typename Function> bool Resolve(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

Functions OpenLibrary() {
    Functions f;
    void* library = dlopen(LibraryFile, RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return f;
    const bool complete = Resolve(library, "curl_global_init", f.globalInit) &&
                          Resolve(library, "curl_easy_init", f.easyInit) &&
                          Resolve(library, "curl_easy_cleanup", f.easyCleanup) &&
                          Resolve(library, "curl_easy_setopt", f.easySetopt) &&
                          Resolve(library, "curl_easy_getinfo", f.easyGetinfo) &&
                          Resolve(library, "curl_easy_strerror", f.easyStrerror) &&
                          Resolve(library, "curl_easy_pause", f.easyPause) &&
                          Resolve(library, "curl_multi_init", f.multiInit) &&
                          Resolve(library, "curl_multi_cleanup", f.multiCleanup) &&
                          Resolve(library, "curl_multi_setopt", f.multiSetopt) &&
                          Resolve(library, "curl_multi_add_handle", f.multiAddHandle) &&
                          Resolve(library, "curl_multi_remove_handle", f.multiRemoveHandle) &&
                          Resolve(library, "curl_multi_perform", f.multiPerform) &&
                          Resolve(library, "curl_multi_poll", f.multiPoll) &&
                          Resolve(library, "curl_multi_wakeup", f.multiWakeup) &&
                          Resolve(library, "curl_multi_info_read", f.multiInfoRead) &&
                          Resolve(library, "curl_slist_append", f.slistAppend) &&
                          Resolve(library, "curl_slist_free_all", f.slistFreeAll);
    // A libcurl too old for one of them, or that cannot set itself up, is no
    // libcurl to use at all.
    if (!complete || f.globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        f = Functions();
    return f;
}

const Functions& Library() {
    static const Functions functions = OpenLibrary();
    return functions;
}

// An option's value is a long, a pointer (to an object or a function) or a
// curl_off_t, by the range of the option's number, as libcurl itself reads it.
template <typename Result, typename Handle, typename Option>
Result ForwardOption(Result (*setopt)(Handle*, Option, ...), Handle* handle, Option option,
                     va_list value) {
    if (option < CURLOPTTYPE_OBJECTPOINT)
        return setopt(handle, option, va_arg(value, long));
    if (option < CURLOPTTYPE_OFF_T || option >= CURLOPTTYPE_BLOB)
        return setopt(handle, option, va_arg(value, void*));
    return setopt(handle, option, va_arg(value, curl_off_t));
}

bool Available() {
    return Library().globalInit != nullptr;
}

} // namespace

CURL* curl_easy_init() {
    return Available() ? Library().easyInit() : nullptr;
}

void curl_easy_cleanup(CURL* handle) {
    if (Available())
        Library().easyCleanup(handle);
}

CURLcode curl_easy_setopt(CURL* handle, CURLoption option, ...) {
    if (!Available())
        return CURLE_FAILED_INIT;
    va_list value;
    va_start(value, option);
    const CURLcode result = ForwardOption(Library().easySetopt, handle, option, value);
    va_end(value);
    return result;
}

// Every piece of information is written through the one pointer given.
CURLcode curl_easy_getinfo(CURL* handle, CURLINFO info, ...) {
    if (!Available())
        return CURLE_FAILED_INIT;
    va_list target;
    va_start(target, info);
    const CURLcode result = Library().easyGetinfo(handle, info, va_arg(target, void*));
    va_end(target);
    return result;
}

const char* curl_easy_strerror(CURLcode code) {
    return Available() ? Library().easyStrerror(code) : "libcurl is not installed";
}

CURLcode curl_easy_pause(CURL* handle, int bitmask) {
    return Available() ? Library().easyPause(handle, bitmask) : CURLE_FAILED_INIT;
}

CURLM* curl_multi_init() {
    return Available() ? Library().multiInit() : nullptr;
}

CURLMcode curl_multi_cleanup(CURLM* multi) {
    return Available() ? Library().multiCleanup(multi) : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_setopt(CURLM* multi, CURLMoption option, ...) {
    if (!Available())
        return CURLM_BAD_HANDLE;
    va_list value;
    va_start(value, option);
    const CURLMcode result = ForwardOption(Library().multiSetopt, multi, option, value);
    va_end(value);
    return result;
}

CURLMcode curl_multi_add_handle(CURLM* multi, CURL* handle) {
    return Available() ? Library().multiAddHandle(multi, handle) : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_remove_handle(CURLM* multi, CURL* handle) {
    return Available() ? Library().multiRemoveHandle(multi, handle) : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_perform(CURLM* multi, int* running) {
    return Available() ? Library().multiPerform(multi, running) : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_poll(CURLM* multi, curl_waitfd* extra, unsigned int extraCount, int timeoutMs,
                          int* ready) {
    return Available() ? Library().multiPoll(multi, extra, extraCount, timeoutMs, ready)
                       : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_wakeup(CURLM* multi) {
    return Available() ? Library().multiWakeup(multi) : CURLM_BAD_HANDLE;
}

CURLMsg* curl_multi_info_read(CURLM* multi, int* queued) {
    return Available() ? Library().multiInfoRead(multi, queued) : nullptr;
}

curl_slist* curl_slist_append(curl_slist* list, const char* text) {
    return Available() ? Library().slistAppend(list, text) : nullptr;
}

void curl_slist_free_all(curl_slist* list) {
    if (Available())
        Library().slistFreeAll(list);
}
