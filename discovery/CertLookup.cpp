// LoadFindCert: one known certificate (by subject DN and serial) with its decrypted keys,
// from the GPKI, MPKI or NPKI layout on the hard disk or a drive.

#include "discovery/DiscoveryInternal.h"

namespace {

using namespace zorvane::discovery;

enum { kToolkitGpki = 0 };
enum Layout { kLayoutGpki, kLayoutMpki, kLayoutNpki };

struct Location {
    ByteString signCert, signKey, kmCert, kmKey;
};

struct Outcome {
    bool signFilesRead = false;
    bool found = false;
};

bool EqualsIgnoringCase(const ByteString& text, const char* expected) {
    return LowerAscii(View(text)) == LowerAscii(expected);
}

// GPKI files are named after the holder's CN in the class2 folder; MPKI and NPKI keep
// fixed names in a folder named after the subject DN.
Location LocationFor(Layout layout, const ByteString& root, const ByteString& organisation, const ByteString& cn,
                     const ByteString& subjectDN) {
    ByteString folder;
    Location files;
    if (layout == kLayoutGpki) {
        folder.Format("%s\\GPKI\\certificate\\class2\\%s", root.GetData(), cn.GetData());
        files = {folder + "_sig.cer", folder + "_sig.key", folder + "_env.cer", folder + "_env.key"};
        return files;
    }
    if (layout == kLayoutMpki) folder.Format("%s\\MPKI\\USER\\%s\\", root.GetData(), subjectDN.GetData());
    else folder.Format("%s\\NPKI\\%s\\USER\\%s\\", root.GetData(), organisation.GetData(), subjectDN.GetData());
    files = {folder + "signCert.der", folder + "signPri.key", folder + "kmCert.der", folder + "kmPri.key"};
    return files;
}

}  // namespace

int CLoadCert::LoadFindCert(ByteString& subjectDN, ByteString& serial, ByteString& password, ByteString& signCert,
                            ByteString& signKey, ByteString& kmCert, ByteString& kmKey, ByteString& random,
                            int* found) {
    if (found) *found = 0;
    ByteString organisation, cn;
    GetOString(subjectDN, organisation);
    GetCNString(subjectDN, cn);

    auto tryLocation = [&](Layout layout, const ByteString& root) {
        const Location files = LocationFor(layout, root, organisation, cn, subjectDN);
        Outcome outcome;
        ByteString signKeyFile, kmKeyFile;
        const bool signRead =
            LoadStoreFile(signCert, files.signCert) == 0 && LoadStoreFile(signKeyFile, files.signKey) == 0;
        const bool kmRead = LoadStoreFile(kmCert, files.kmCert) == 0 && LoadStoreFile(kmKeyFile, files.kmKey) == 0;
        if (!signRead) return outcome;
        outcome.signFilesRead = true;

        ByteString decrypted, foundSerial, foundRandom;
        if (GetCertInfo(kToolkitGpki, signCert, signKeyFile, password, decrypted, foundSerial, foundRandom) == 0 &&
            foundSerial == serial) {
            signKey = decrypted;
            if (!foundRandom.IsEmpty()) random = foundRandom;
            if (found) *found = 1;
            outcome.found = true;
        }
        if (kmRead && (layout != kLayoutGpki || outcome.found)) {
            ByteString kmDecrypted;
            if (m_crypto.PriKeyDecrypt(password, kmKeyFile, kmDecrypted) == 0) kmKey = kmDecrypted;
        }
        return outcome;
    };
    // Drive roots accumulate in m_driveList across calls; every root listed is tried.
    auto searchDrives = [&](Layout layout, int removableOnly) {
        GetRemDriveList(removableOnly);
        for (const ByteString& root : m_driveList) {
            if (tryLocation(layout, root).found) return;
        }
    };

    if (EqualsIgnoringCase(organisation, "Government of Korea")) {
        searchDrives(kLayoutGpki, 0);
        return 0;
    }
    const Layout layout = EqualsIgnoringCase(organisation, "Ministry of National Defense") ? kLayoutMpki : kLayoutNpki;
    if (!tryLocation(layout, GetProgramFilesPath()).signFilesRead) searchDrives(layout, 1);
    return 0;
}
