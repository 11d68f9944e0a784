#include "tools/pkigen/StoreLayout.h"

#include "tools/pkigen/Names.h"

namespace zorvane::pkigen {

namespace {

UserFiles InFolder(const std::string& folder, bool mixedCase) {
    UserFiles files;
    files.folder = folder;
    files.signCert = folder + (mixedCase ? "/SignCert.der" : "/signCert.der");
    files.signKey = folder + (mixedCase ? "/SignPri.key" : "/signPri.key");
    files.kmCert = folder + (mixedCase ? "/KmCert.der" : "/kmCert.der");
    files.kmKey = folder + (mixedCase ? "/KmPri.key" : "/kmPri.key");
    return files;
}

UserFiles GpkiFiles(const std::string& classFolder, const std::string& base) {
    UserFiles files;
    files.folder = classFolder;
    files.baseName = base;
    const std::string stem = classFolder + "/" + base;
    files.signCert = stem + "_sig.cer";
    files.signKey = stem + "_sig.key";
    files.kmCert = stem + "_env.cer";
    files.kmKey = stem + "_env.key";
    return files;
}

}  // namespace

UserFiles LocateUserFiles(const Options& options, const CaProfile& ca, const NameEntries& subject,
                          const std::string& gpkiClass) {
    const std::string& home = options.home;
    const std::string dnFolder = NameText(subject);
    switch (ca.store) {
    case Store::Npki:
        return InFolder(home + "/NPKI/" + ca.folder + "/" + options.userFolder + "/" + dnFolder,
                        options.mixedCaseFileNames);
    case Store::Mpki:
        return InFolder(home + "/MPKI/" + options.userFolder + "/" + dnFolder, options.mixedCaseFileNames);
    case Store::Private:
        return InFolder(home + "/" + options.privateFolder + "/" + dnFolder, options.mixedCaseFileNames);
    case Store::Gpki:
        break;
    }
    return GpkiFiles(home + "/GPKI/Certificate/" + gpkiClass, NameValue(subject, "cn"));
}

}  // namespace zorvane::pkigen
