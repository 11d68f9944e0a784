#pragma once
// Certificates and CRLs as the trust functions take them: one object (DER or PEM) or an
// object list, a degenerate PKCS#7 SignedData that carries only certificates and CRLs.

#include <vector>

#include "toolkit/Binstr.h"
#include "toolkit/OpenSsl.h"

namespace qlk {

using CrlPtr = OpenSslPtr<X509_CRL, X509_CRL_free>;

// The objects of a list in list order: certificates first, then CRLs.
struct ObjectSet {
    std::vector<X509Ptr> certificates;
    std::vector<CrlPtr> crls;

    std::size_t size() const { return certificates.size() + crls.size(); }
};

// Appends one certificate, one CRL or every object of a list; NotAnObject otherwise.
Status ReadObjects(const Input& input, ObjectSet& objects);
// Appends the objects of a list; MalformedObjectList when the input is not one.
Status ReadObjectList(const Input& list, ObjectSet& objects);
Status EncodeObjectList(const ObjectSet& objects, Bytes& list);
// The DER of object index; NoSuchObject outside the set.
Status EncodeObject(const ObjectSet& objects, int index, Bytes& der);

// Up-referenced copies, so that a set can be built from objects another set owns.
void AppendCopies(const ObjectSet& from, ObjectSet& to);

}  // namespace qlk
