#include "tools/pkigen/Manifest.h"

#include <cstdio>

namespace zorvane::pkigen {

namespace {

// Texts are UTF-8 already; only quotes, backslashes and control characters need escaping.
std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

class ObjectWriter {
public:
    explicit ObjectWriter(std::string indent) : indent_(std::move(indent)) {}
    ObjectWriter& Field(const std::string& name, const std::string& value) { return Raw(name, Quote(value)); }
    ObjectWriter& Raw(const std::string& name, const std::string& json) {
        body_ += (body_.empty() ? "" : ",\n") + indent_ + "  " + Quote(name) + ": " + json;
        return *this;
    }
    std::string Done() const { return "{\n" + body_ + "\n" + indent_ + "}"; }

private:
    std::string indent_;
    std::string body_;
};

template <class T, class F>
std::string Array(const std::vector<T>& items, const std::string& indent, F each) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) out += (i ? ",\n" : "\n") + indent + "  " + each(items[i]);
    return out + (items.empty() ? "]" : "\n" + indent + "]");
}

std::string CertificateJson(const CertificateRecord& c, const std::string& indent) {
    ObjectWriter w(indent);
    w.Field("cert", c.certPath).Field("subject", c.subject).Field("issuer", c.issuer).Field("serial", c.serial);
    if (!c.keyPath.empty()) w.Field("key", c.keyPath);
    w.Field("notBefore", c.notBefore).Field("notAfter", c.notAfter);
    w.Raw("policies", Array(c.policies, indent + "  ", [](const std::string& p) { return Quote(p); }));
    return w.Done();
}

std::string AuthorityJson(const AuthorityRecord& a, const std::string& indent) {
    ObjectWriter w(indent);
    w.Field("id", a.id).Field("store", a.store).Field("folder", a.folder).Field("issuerCN", a.issuerCN);
    w.Field("displayName", a.displayName).Raw("certificate", CertificateJson(a.certificate, indent + "  "));
    if (!a.crlPath.empty()) w.Field("crl", a.crlPath);
    return w.Done();
}

std::string UserJson(const UserRecord& u, const std::string& indent) {
    ObjectWriter w(indent);
    w.Field("ca", u.ca).Field("store", u.store).Field("folder", u.folder);
    if (!u.gpkiClass.empty()) w.Field("gpkiClass", u.gpkiClass).Field("baseName", u.baseName);
    w.Field("realName", u.realName).Field("identityNumber", u.identityNumber).Field("random", u.randomHex);
    w.Field("validity", u.validity).Field("password", u.password);
    w.Raw("sign", CertificateJson(u.signing, indent + "  "));
    w.Raw("km", CertificateJson(u.keyManagement, indent + "  "));
    return w.Done();
}

}  // namespace

std::string ManifestJson(const Result& result) {
    const std::string inner = "  ";
    ObjectWriter w("");
    w.Field("home", result.home).Field("work", result.work).Field("issuerOidConf", result.issuerOidConf);
    if (!result.crlLdif.empty()) w.Field("crlLdif", result.crlLdif);
    w.Raw("seed", std::to_string(result.seed));
    w.Raw("roots", Array(result.roots, inner, [&](const AuthorityRecord& a) { return AuthorityJson(a, inner + "  "); }));
    w.Raw("cas", Array(result.cas, inner, [&](const AuthorityRecord& a) { return AuthorityJson(a, inner + "  "); }));
    w.Raw("users", Array(result.users, inner, [&](const UserRecord& u) { return UserJson(u, inner + "  "); }));
    return w.Done() + "\n";
}

}  // namespace zorvane::pkigen
