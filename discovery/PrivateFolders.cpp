// Certificates of the private CA: NPKI-layout folders under a fixed set of locations.

#include <vector>

#include "discovery/DiscoveryInternal.h"

namespace {

using namespace zorvane::discovery;

enum { kMediaHardDisk = 0, kMediaDriveA = 1, kMediaDriveB = 2 };
const int kNewerWindows = 8;

const char* const kProgramFilesTemplates[] = {
    "%s\\Veltrane\\TarnelCERT\\Tarnel\\",
    "%s\\NPKI\\Tarnel\\User\\",
};
const char* const kNativeProgramFilesTemplates[] = {
    "%s\\Program Files\\Veltrane\\TarnelCERT\\Tarnel\\",
    "%s\\Program Files\\NPKI\\Tarnel\\User\\",
};
const char* const kProfileTemplates[] = {
    "%s\\AppData\\LocalLow\\Brimlock\\Tarnel\\User\\",
    "%s\\AppData\\LocalLow\\Brimlock\\veltrane\\User\\",
};

template <std::size_t N>
void AddFolders(std::vector<ByteString>& folders, const char* const (&templates)[N], const ByteString& root) {
    for (const char* folderTemplate : templates) folders.push_back(FormatPath(folderTemplate, root.GetData()));
}

}  // namespace

int CLoadCert::AddCertList_PrivateCert(int media, int keySelector, ByteString& drive,
                                       CArray<tagCERTLIST, tagCERTLIST&>& list, int& count) {
    std::vector<ByteString> folders;
    if (media == kMediaHardDisk) {
        AddFolders(folders, kProgramFilesTemplates, GetProgramFilesPath());
        if (Check64bitOS()) AddFolders(folders, kNativeProgramFilesTemplates, SystemDrive());
        if (GetOSVersion() >= kNewerWindows) AddFolders(folders, kProfileTemplates, UserProfileFolder());
    } else if (media == kMediaDriveA || media == kMediaDriveB) {
        AddFolders(folders, kProgramFilesTemplates, drive);
    }
    int appended = 0;
    const int lastResult = WalkCertificateFolders(*this, folders, kStorePrivate, keySelector, true, list, appended);
    count = appended;
    return lastResult;
}
