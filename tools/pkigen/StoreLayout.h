#pragma once
// Where each store keeps a user's certificates and keys under the home folder:
// NPKI  <home>/NPKI/<CA folder>/<USER>/<subject DN>/signCert.der, signPri.key, kmCert.der, kmPri.key
// MPKI  <home>/MPKI/<USER>/<subject DN>/...
// private CA  <home>/<private folder>/<subject DN>/...
// GPKI  <home>/GPKI/Certificate/<class>/<id>_sig.cer, _sig.key, _env.cer, _env.key

#include <string>

#include "tools/pkigen/Catalog.h"
#include "tools/pkigen/Generator.h"

namespace zorvane::pkigen {

struct UserFiles {
    std::string folder;    // the certificate folder (GPKI: the class folder)
    std::string baseName;  // GPKI only
    std::string signCert, signKey, kmCert, kmKey;
};

UserFiles LocateUserFiles(const Options& options, const CaProfile& ca, const NameEntries& subject,
                          const std::string& gpkiClass);

}  // namespace zorvane::pkigen
