#include "toolkit/Directory.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <ldap.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <memory>
#include <mutex>

namespace qlk {
namespace {

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The local path of a file URL ("file:///path" or "file://localhost/path"), with %XX
// escapes decoded; false for anything else.
bool FilePath(const std::string& url, std::string& path) {
    std::string rest = url.substr(std::strlen("file://"));
    if (StartsWith(rest, "localhost/")) rest.erase(0, std::strlen("localhost"));
    if (rest.empty() || rest[0] != '/') return false;
    path.clear();
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] != '%') {
            path.push_back(rest[i]);
            continue;
        }
        const int high = i + 2 < rest.size() ? HexValue(rest[i + 1]) : -1;
        const int low = i + 2 < rest.size() ? HexValue(rest[i + 2]) : -1;
        if (high < 0 || low < 0 || (high == 0 && low == 0)) return false;
        path.push_back(static_cast<char>(high * 16 + low));
        i += 2;
    }
    return true;
}

// Files are read here rather than through libcurl, which would open a FIFO and wait.
Status FetchFile(const std::string& url, Bytes& data) {
    std::string path;
    if (!FilePath(url, path)) return Fail(Code::BadUrl, url);
    switch (ReadRegularFile(path, kMaxFetchBytes, data)) {
        case FileRead::Ok: return Ok();
        case FileRead::Missing: return Fail(Code::FetchNotFound, url);
        case FileRead::TooLarge: return Fail(Code::FetchTooLarge, url);
        case FileRead::NotRegular: return Fail(Code::FetchFailed, url + ": not a regular file");
        default: return Fail(Code::FetchFailed, url);
    }
}

// A curl write callback that refuses to grow the answer past the cap.
struct CurlSink {
    Bytes* data;
    bool tooLarge = false;
};

std::size_t CollectBody(char* bytes, std::size_t size, std::size_t count, void* user) {
    auto* sink = static_cast<CurlSink*>(user);
    const std::size_t length = size * count;
    if (sink->data->size() + length > kMaxFetchBytes) {
        sink->tooLarge = true;
        return 0;
    }
    sink->data->insert(sink->data->end(), bytes, bytes + length);
    return length;
}

Status FromCurlResult(CURLcode result, const CurlSink& sink, long status, const std::string& url) {
    if (sink.tooLarge) return Fail(Code::FetchTooLarge, url);
    switch (result) {
        case CURLE_OK:
            return status >= 400 ? Fail(status == 404 ? Code::FetchNotFound : Code::FetchFailed,
                                        url + ": HTTP " + std::to_string(status))
                                 : Ok();
        case CURLE_COULDNT_CONNECT:
        case CURLE_COULDNT_RESOLVE_HOST:
            return Fail(Code::FetchRefused, url);
        case CURLE_OPERATION_TIMEDOUT:
            return Fail(Code::FetchTimedOut, url);
        case CURLE_FILE_COULDNT_READ_FILE:
        case CURLE_REMOTE_FILE_NOT_FOUND:
            return Fail(Code::FetchNotFound, url);
        case CURLE_UNSUPPORTED_PROTOCOL:
        case CURLE_URL_MALFORMAT:
            return Fail(Code::BadUrl, url);
        default:
            return Fail(Code::FetchFailed, url + ": " + curl_easy_strerror(result));
    }
}

// A GET, or a POST of a JSON body when one is given.
Status FetchWithCurl(const std::string& url, int seconds, const std::string* jsonBody, Bytes& data) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    CURL* handle = curl_easy_init();
    if (handle == nullptr) return Fail(Code::OutOfMemory);
    CurlSink sink{&data};
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 3L);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, static_cast<long>(seconds));
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxFetchBytes));
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, CollectBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink);
    curl_slist* headers = nullptr;
    if (jsonBody != nullptr) {
        headers = curl_slist_append(headers, "Content-Type: application/json");
        curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(handle, CURLOPT_POSTFIELDS, jsonBody->c_str());
        curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE, static_cast<long>(jsonBody->size()));
    }
    const CURLcode result = curl_easy_perform(handle);
    curl_slist_free_all(headers);
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(handle);
    if (result == CURLE_FILESIZE_EXCEEDED) sink.tooLarge = true;
    Status outcome = FromCurlResult(result, sink, status, url);
    if (!outcome.ok()) data.clear();
    return outcome;
}

struct LdapDeleter {
    void operator()(LDAP* ldap) const { ldap_unbind_ext_s(ldap, nullptr, nullptr); }
};
struct LdapMessageDeleter {
    void operator()(LDAPMessage* message) const { ldap_msgfree(message); }
};
struct LdapUrlDeleter {
    void operator()(LDAPURLDesc* url) const { ldap_free_urldesc(url); }
};

Status FromLdapResult(int result, const std::string& url) {
    switch (result) {
        case LDAP_SUCCESS: return Ok();
        case LDAP_SERVER_DOWN:
        case LDAP_CONNECT_ERROR: return Fail(Code::FetchRefused, url);
        case LDAP_TIMEOUT:
        case LDAP_TIMELIMIT_EXCEEDED: return Fail(Code::FetchTimedOut, url);
        case LDAP_NO_SUCH_OBJECT: return Fail(Code::FetchNotFound, url);
        default: return Fail(Code::FetchFailed, url + ": " + ldap_err2string(result));
    }
}

// The first value of the URL's first attribute in the entry the URL names.
Status FetchWithLdap(const std::string& url, int seconds, Bytes& data) {
    LDAPURLDesc* parsedUrl = nullptr;
    if (ldap_url_parse(url.c_str(), &parsedUrl) != LDAP_URL_SUCCESS) return Fail(Code::BadUrl, url);
    std::unique_ptr<LDAPURLDesc, LdapUrlDeleter> parts(parsedUrl);
    if (parts->lud_attrs == nullptr || parts->lud_attrs[0] == nullptr) return Fail(Code::BadUrl, url + ": no attribute");
    const std::string server = std::string(parts->lud_scheme) + "://" + parts->lud_host + ":" +
                               std::to_string(parts->lud_port ? parts->lud_port : LDAP_PORT);
    LDAP* opened = nullptr;
    if (ldap_initialize(&opened, server.c_str()) != LDAP_SUCCESS) return Fail(Code::BadUrl, url);
    std::unique_ptr<LDAP, LdapDeleter> session(opened);
    const int version = LDAP_VERSION3;
    timeval limit{seconds, 0};
    ldap_set_option(session.get(), LDAP_OPT_PROTOCOL_VERSION, &version);
    ldap_set_option(session.get(), LDAP_OPT_NETWORK_TIMEOUT, &limit);
    ldap_set_option(session.get(), LDAP_OPT_TIMEOUT, &limit);
    ber_len_t maxIncoming = kMaxFetchBytes + 4096;
    Sockbuf* socket = nullptr;
    berval anonymous{0, nullptr};
    int result = ldap_sasl_bind_s(session.get(), nullptr, LDAP_SASL_SIMPLE, &anonymous, nullptr, nullptr, nullptr);
    if (result != LDAP_SUCCESS) return FromLdapResult(result, url);
    if (ldap_get_option(session.get(), LDAP_OPT_SOCKBUF, &socket) == LDAP_OPT_SUCCESS && socket != nullptr) {
        ber_sockbuf_ctrl(socket, LBER_SB_OPT_SET_MAX_INCOMING, &maxIncoming);
    }
    char* attributes[] = {parts->lud_attrs[0], nullptr};
    LDAPMessage* answer = nullptr;
    result = ldap_search_ext_s(session.get(), parts->lud_dn ? parts->lud_dn : "", LDAP_SCOPE_BASE, "(objectClass=*)",
                               attributes, 0, nullptr, nullptr, &limit, 1, &answer);
    std::unique_ptr<LDAPMessage, LdapMessageDeleter> owned(answer);
    if (result != LDAP_SUCCESS) return FromLdapResult(result, url);
    LDAPMessage* entry = ldap_first_entry(session.get(), answer);
    berval** values = entry ? ldap_get_values_len(session.get(), entry, attributes[0]) : nullptr;
    if (values == nullptr || values[0] == nullptr) {
        if (values) ldap_value_free_len(values);
        return Fail(Code::FetchNotFound, url);
    }
    data.assign(reinterpret_cast<unsigned char*>(values[0]->bv_val),
                reinterpret_cast<unsigned char*>(values[0]->bv_val) + values[0]->bv_len);
    ldap_value_free_len(values);
    return Ok();
}

}  // namespace

FileRead ReadRegularFile(const std::string& path, std::size_t limit, Bytes& bytes) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? FileRead::Missing : FileRead::Failed;
    struct stat info {};
    FileRead outcome = FileRead::Ok;
    if (fstat(fd, &info) != 0) {
        outcome = FileRead::Failed;
    } else if (!S_ISREG(info.st_mode)) {
        outcome = FileRead::NotRegular;
    } else if (static_cast<std::size_t>(info.st_size) > limit) {
        outcome = FileRead::TooLarge;
    } else {
        bytes.resize(static_cast<std::size_t>(info.st_size));
        if (::read(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) outcome = FileRead::Failed;
    }
    close(fd);
    if (outcome != FileRead::Ok) bytes.clear();
    return outcome;
}

Status FetchUrl(const std::string& url, int timeoutSeconds, Bytes& data) {
    if (timeoutSeconds < 0) return Fail(Code::InvalidArgument, "timeout " + std::to_string(timeoutSeconds));
    const int seconds = timeoutSeconds == 0 ? kDefaultFetchSeconds : timeoutSeconds;
    data.clear();
    if (StartsWith(url, "ldap://")) return FetchWithLdap(url, seconds, data);
    if (StartsWith(url, "file://")) return FetchFile(url, data);
    if (StartsWith(url, "http://") || StartsWith(url, "https://")) return FetchWithCurl(url, seconds, nullptr, data);
    return Fail(Code::BadUrl, url);
}

Status PostJson(const std::string& url, const std::string& body, int timeoutSeconds, Bytes& answer) {
    if (!StartsWith(url, "http://") && !StartsWith(url, "https://")) return Fail(Code::BadUrl, url);
    answer.clear();
    return FetchWithCurl(url, timeoutSeconds > 0 ? timeoutSeconds : kDefaultFetchSeconds, &body, answer);
}

}  // namespace qlk
