// The GPKI, NPKI and MPKI certificate folders on the hard disk and on a drive given by
// its root; the NPKI folder names for storing a certificate; the drive list.
//
// Folder templates are Windows paths; the platform maps "C:" and drive roots to real
// folders and matches each path component case-insensitively.

#include <cstring>
#include <string>
#include <vector>

#include "discovery/DiscoveryInternal.h"
#include "discovery/FolderSearch.h"
#include "platform/PathTranslation.h"
#include "platform/Win32.h"

namespace {

using namespace zorvane::discovery;

enum { kMediaHardDisk = 0, kMediaDriveA = 1, kMediaDriveB = 2 };
const int kNewerWindows = 8;  // CLoadCert::GetOSVersion code of Windows Vista and later

bool IsDriveMedia(int media) { return media == kMediaDriveA || media == kMediaDriveB; }

ByteString GpkiClassFolder(const ByteString& className, int media, const ByteString& drive) {
    ByteString folder;
    if (media == kMediaHardDisk) folder.Format("C:\\GPKI\\Certificate\\%s\\", className.GetData());
    else if (IsDriveMedia(media)) folder.Format("%sGPKI\\Certificate\\%s\\", drive.GetData(), className.GetData());
    return folder;
}

// GPKI keeps a holder's files side by side: <id>_sig.cer/.key and <id>_env.cer/.key.
bool SetGpkiPaths(tagCERTLIST& record, const ByteString& folder, const char* name, int keySelector) {
    const char* wanted = keySelector == kKmOnly ? "_env.cer" : "_sig.cer";
    if (keySelector != kSignAndKm && keySelector != kSignOnly && keySelector != kKmOnly) return false;
    if (!std::strstr(name, wanted)) return false;
    const std::string path = std::string(folder.GetData()) + name;
    record.signCertPath = path.c_str();
    record.signPriKeyPath = (path.substr(0, path.size() - 3) + "key").c_str();
    if (keySelector == kSignAndKm) {
        const std::string base = path.substr(0, path.size() - std::strlen("sig.cer"));
        record.kmCertPath = (base + "env.cer").c_str();
        record.kmPriKeyPath = (base + "env.key").c_str();
    }
    return true;
}

const char* CaFolderForName(const char* loweredName) {
    static const struct {
        const char* name;
        const char* folder;
    } kCaFolders[] = {
        {"kica", "KICA"},           {"crosscert", "crosscert"}, {"ncasign", "ncasign"},
        {"signkorea", "signkorea"}, {"yessign", "yessign"},     {"tradesign", "TradeSign"},
    };
    for (const auto& entry : kCaFolders) {
        if (std::strcmp(loweredName, entry.name) == 0) return entry.folder;
    }
    return "etc";
}

// The letter counter is shared by every object, as the drive walk has always been.
int g_driveLetter;

}  // namespace

int CLoadCert::AddCertList_GPKICert(ByteString& className, int media, int keySelector, ByteString& drive,
                                    CArray<tagCERTLIST, tagCERTLIST&>& list, int& count) {
    const ByteString folder = GpkiClassFolder(className, media, drive);
    const zorvane::paths::ScopedFolderListings listings;  // key names are looked up in this one folder
    tagCERTLIST record;
    int appended = 0;
    int lastResult = 0;
    if (!folder.IsEmpty()) {
        ForEachFoundEntry(folder, kSkipFirstEntry, [&](const WIN32_FIND_DATAA& entry) {
            ClearCertList(record);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return;
            if (SkipUnreachableEntry(folder, entry.cFileName)) return;
            if (!SetGpkiPaths(record, folder, entry.cFileName, keySelector)) return;
            record.certType = kStoreGpki;
            lastResult = InsertParsingCert(record);
            if (lastResult != 0) return;
            AppendRecord(list, record);
            ++appended;
        });
    }
    count = appended;
    return lastResult;
}

int CLoadCert::AddCertList_NPKICert(ByteString& caFolder, int media, int keySelector, ByteString& drive,
                                    CArray<tagCERTLIST, tagCERTLIST&>& list, int& count) {
    const char* ca = caFolder.GetData();
    std::vector<ByteString> folders;
    if (media == kMediaHardDisk) {
        // The running program's Program Files, the native one of a 64-bit system, and the
        // low-integrity profile folder that newer systems give to browser plug-ins.
        folders.push_back(FormatPath("%s\\NPKI\\%s\\User\\", GetProgramFilesPath().GetData(), ca));
        if (Check64bitOS()) folders.push_back(FormatPath("%s\\Program Files\\NPKI\\%s\\User\\", SystemDrive().GetData(), ca));
        if (GetOSVersion() >= kNewerWindows)
            folders.push_back(FormatPath("%s\\AppData\\LocalLow\\NPKI\\%s\\User\\", UserProfileFolder().GetData(), ca));
    } else if (IsDriveMedia(media) && caFolder != "NULL") {
        folders.push_back(FormatPath("%sNPKI\\%s\\User\\", drive.GetData(), ca));
    }
    int appended = 0;
    const int lastResult = WalkCertificateFolders(*this, folders, kStoreNpki, keySelector, false, list, appended);
    count = appended;
    return lastResult;
}

int CLoadCert::AddCertList_GPKIMPKICert(int media, int keySelector, ByteString& drive,
                                        CArray<tagCERTLIST, tagCERTLIST&>& list, int& count) {
    std::vector<ByteString> folders;
    if (media == kMediaHardDisk) {
        folders.push_back(FormatPath("%s\\MPKI\\User\\", GetProgramFilesPath().GetData()));
        // A 64-bit system also has the native Program Files, as for NPKI.
        if (Check64bitOS()) folders.push_back(FormatPath("%s\\Program Files\\MPKI\\User\\", SystemDrive().GetData()));
    } else if (IsDriveMedia(media)) {
        folders.push_back(FormatPath("%sMPKI\\User\\", drive.GetData()));
    }
    int appended = 0;
    const int lastResult = WalkCertificateFolders(*this, folders, kStoreMpki, keySelector, false, list, appended);
    count = appended;
    return lastResult;
}

void CLoadCert::MakeCertPath(ByteString& caName, ByteString& certFolder, ByteString* userFolderOut,
                             ByteString* certFolderOut, int media, char* drive) {
    ByteString programFiles;
    if (media == kMediaHardDisk) {
        programFiles = GetProgramFilesPath();
        programFiles = ByteString(programFiles.GetData(), programFiles.GetLength() - 1);  // without its "\"
    }
    if (!caName.IsEmpty()) ToLower(reinterpret_cast<unsigned char*>(caName.GetData()));
    const char* ca = CaFolderForName(caName.GetData());
    const char* cert = certFolder.GetData();

    ByteString userFolder, certificateFolder;
    if (media == kMediaHardDisk) {
        userFolder.Format("%s\\NPKI\\%s\\User\\", programFiles.GetData(), ca);
        certificateFolder.Format("%s\\NPKI\\%s\\User\\%s\\", programFiles.GetData(), ca, cert);
    } else if (!drive) {
        userFolder.Format("\\NPKI\\%s\\User\\", ca);
        certificateFolder.Format("\\NPKI\\%s\\User\\%s\\", ca, cert);
    } else {
        userFolder.Format("%sNPKI\\%s\\User\\", drive, ca);
        certificateFolder.Format("%sNPKI\\%s\\User\\%s\\", drive, ca, cert);
    }
    if (userFolderOut) *userFolderOut = userFolder;
    if (certFolderOut) *certFolderOut = certificateFolder;
}

int CLoadCert::GetRemDriveList(int removableOnly) {
    for (g_driveLetter = 'A'; g_driveLetter <= 'Z'; ++g_driveLetter) {
        ByteString root;
        root.Format("%c:\\", g_driveLetter);
        const UINT type = GetDriveTypeA(root.GetData());
        if (type == DRIVE_REMOVABLE || (!removableOnly && type == DRIVE_FIXED)) m_driveList.AddTail(root);
    }
    return m_driveList.GetCount();
}
