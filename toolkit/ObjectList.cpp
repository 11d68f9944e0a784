#include "toolkit/ObjectList.h"

#include <openssl/err.h>
#include <openssl/pkcs7.h>

#include "toolkit/Encoding.h"

namespace qlk {
namespace {

using Pkcs7Ptr = OpenSslPtr<PKCS7, PKCS7_free>;

// d2i that must consume the input exactly; errors of a failed guess are dropped.
template <class T, T* (*Decode)(T**, const unsigned char**, long), auto Free>
OpenSslPtr<T, Free> DecodeExactly(const unsigned char* der, std::size_t length) {
    const unsigned char* cursor = der;
    OpenSslPtr<T, Free> object(Decode(nullptr, &cursor, static_cast<long>(length)));
    if (object && cursor != der + length) object.reset();
    ERR_clear_error();
    return object;
}

Status ReadListDer(const unsigned char* der, std::size_t length, ObjectSet& objects) {
    auto list = DecodeExactly<PKCS7, d2i_PKCS7, PKCS7_free>(der, length);
    if (!list || !PKCS7_type_is_signed(list.get()) || list->d.sign == nullptr) {
        return Fail(Code::MalformedObjectList);
    }
    STACK_OF(X509)* certificates = list->d.sign->cert;
    for (int i = 0; i < sk_X509_num(certificates); ++i) {
        X509* certificate = sk_X509_value(certificates, i);
        X509_up_ref(certificate);
        objects.certificates.emplace_back(certificate);
    }
    STACK_OF(X509_CRL)* crls = list->d.sign->crl;
    for (int i = 0; i < sk_X509_CRL_num(crls); ++i) {
        X509_CRL* crl = sk_X509_CRL_value(crls, i);
        X509_CRL_up_ref(crl);
        objects.crls.emplace_back(crl);
    }
    return Ok();
}

Status ReadDer(const unsigned char* der, std::size_t length, ObjectSet& objects) {
    if (auto certificate = DecodeExactly<X509, d2i_X509, X509_free>(der, length)) {
        objects.certificates.push_back(std::move(certificate));
        return Ok();
    }
    if (auto crl = DecodeExactly<X509_CRL, d2i_X509_CRL, X509_CRL_free>(der, length)) {
        objects.crls.push_back(std::move(crl));
        return Ok();
    }
    return ReadListDer(der, length, objects).ok() ? Ok() : Fail(Code::NotAnObject);
}

}  // namespace

Status ReadObjects(const Input& input, ObjectSet& objects) {
    if (!LooksLikePem(input)) return ReadDer(input.data, input.length, objects);
    std::string label;
    SecureBytes der;
    if (!PemDecode(input.data, input.length, label, der).ok()) return Fail(Code::NotAnObject);
    return ReadDer(der.data(), der.size(), objects);
}

Status ReadObjectList(const Input& list, ObjectSet& objects) { return ReadListDer(list.data, list.length, objects); }

Status EncodeObjectList(const ObjectSet& objects, Bytes& list) {
    Pkcs7Ptr made(PKCS7_new());
    if (!made || !PKCS7_set_type(made.get(), NID_pkcs7_signed)) return Fail(Code::OutOfMemory);
    // No content at all, as a certificate-only message carries none.
    made->d.sign->contents->type = OBJ_nid2obj(NID_pkcs7_data);
    for (const X509Ptr& certificate : objects.certificates) {
        if (!PKCS7_add_certificate(made.get(), certificate.get())) return Fail(Code::OutOfMemory);
    }
    for (const CrlPtr& crl : objects.crls) {
        if (!PKCS7_add_crl(made.get(), crl.get())) return Fail(Code::OutOfMemory);
    }
    return EncodeDer<PKCS7, i2d_PKCS7>(made.get(), list);
}

Status EncodeObject(const ObjectSet& objects, int index, Bytes& der) {
    if (index < 0 || static_cast<std::size_t>(index) >= objects.size()) {
        return Fail(Code::NoSuchObject, std::to_string(index));
    }
    const std::size_t at = static_cast<std::size_t>(index);
    if (at < objects.certificates.size()) return EncodeDer<X509, i2d_X509>(objects.certificates[at].get(), der);
    return EncodeDer<X509_CRL, i2d_X509_CRL>(objects.crls[at - objects.certificates.size()].get(), der);
}

void AppendCopies(const ObjectSet& from, ObjectSet& to) {
    for (const X509Ptr& certificate : from.certificates) {
        X509_up_ref(certificate.get());
        to.certificates.emplace_back(certificate.get());
    }
    for (const CrlPtr& crl : from.crls) {
        X509_CRL_up_ref(crl.get());
        to.crls.emplace_back(crl.get());
    }
}

}  // namespace qlk
