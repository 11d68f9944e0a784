// tagCERTLIST handling: clearing a record and appending it to a caller's array.

#include "discovery/DiscoveryInternal.h"

namespace zorvane::discovery {

void AppendRecord(CertList& list, tagCERTLIST& record) {
    const int last = list.GetSize();
    list.SetSize(last + 1);
    list[last] = record;
}

}  // namespace zorvane::discovery

void CLoadCert::ClearCertList(tagCERTLIST& record) {
    ByteString* const texts[] = {
        &record.signCert,      &record.signPriKey,  &record.kmCert,       &record.kmPriKey,
        &record.version,       &record.serialNo,    &record.signAlgo,     &record.subjectName,
        &record.uid,           &record.pubKey,      &record.pubKeyAlgo,   &record.keyUsage,
        &record.crlDP,         &record.policy,      &record.policyID,     &record.issuerName,
        &record.issuerAlias,   &record.issuerCN,    &record.policyName,   &record.signCertPath,
        &record.signPriKeyPath, &record.kmCertPath, &record.kmPriKeyPath, &record.validFrom,
        &record.validTo,       &record.validToDate, &record.reserved1,    &record.subjectAltName,
        &record.authKeyID,     &record.subKeyID,    &record.aia,          &record.hashAlgo,
        &record.hashValue,
    };
    static_assert(sizeof(texts) / sizeof(texts[0]) == 33, "a record holds 33 texts");
    for (ByteString* text : texts) text->Clear();
    record.reserved2 = 0;
    record.validDays = 0;
    record.mediaType = 0;
    record.certType = 0;
}
