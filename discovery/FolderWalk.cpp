// Walking certificate folders in the NPKI layout, shared by the NPKI, MPKI and private
// readers; and the system folders the templates are built on.

#include <cstdio>
#include <cstring>
#include <string>

#include "discovery/DiscoveryInternal.h"
#include "core/FileLoading.h"
#include "core/UtilOperations.h"
#include "discovery/FolderSearch.h"
#include "platform/PathTranslation.h"
#include "platform/Services.h"
#include "platform/Win32.h"

namespace zorvane::discovery {

namespace {

bool IsCertificateFolderEntry(const WIN32_FIND_DATAA& entry) {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    return std::strcmp(entry.cFileName, ".") != 0 && std::strcmp(entry.cFileName, "..") != 0;
}

}  // namespace

int LoadStoreFile(ByteString& into, const ByteString& path) {
    const int result = LoadFileUpTo(into, path.GetData(), kMaxStoreFileSize);
    if (result == kFileTooLarge) {
        platform::Notices().Note("skipped " + paths::Win32PathToNative(path.GetData()) + ": larger than " +
                                 std::to_string(kMaxStoreFileSize) + " bytes");
    }
    return result;
}

bool SkipUnreachableEntry(const ByteString& folder, const char* name) {
    if (!std::strchr(name, '\\')) return false;
    platform::Notices().Note("skipped " + std::string(name) + " in " + paths::Win32PathToNative(folder.GetData()) +
                             ": a name with \\ in it cannot be reached");
    return true;
}

void SetFolderPaths(tagCERTLIST& record, const ByteString& certFolder, int keySelector) {
    const bool kmInSigningSlots = keySelector == kKmOnly;
    record.signCertPath = certFolder + (kmInSigningSlots ? "\\kmCert.der" : "\\signCert.der");
    record.signPriKeyPath = certFolder + (kmInSigningSlots ? "\\kmPri.key" : "\\signPri.key");
    if (keySelector == kSignAndKm) {
        record.kmCertPath = certFolder + "\\kmCert.der";
        record.kmPriKeyPath = certFolder + "\\kmPri.key";
    }
}

int WalkCertificateFolders(CLoadCert& loader, const std::vector<ByteString>& folders, int storeKind,
                           int keySelector, bool clearPerEntry, CertList& list, int& count) {
    tagCERTLIST record;
    int lastResult = 0;
    for (const ByteString& folder : folders) {
        ForEachFoundEntry(folder, kExamineFirstEntry, [&](const WIN32_FIND_DATAA& entry) {
            if (!IsCertificateFolderEntry(entry) || SkipUnreachableEntry(folder, entry.cFileName)) return;
            if (clearPerEntry) loader.ClearCertList(record);
            record.certType = storeKind;
            SetFolderPaths(record, folder + entry.cFileName, keySelector);
            lastResult = loader.InsertParsingCert(record);
            if (lastResult != 0) return;
            AppendRecord(list, record);
            ++count;
        });
    }
    return lastResult;
}

ByteString SystemDrive() {
    ByteString drive;
    if (!zorvane::util::GetSystemDrive(drive)) drive = "C:";
    return drive;
}

ByteString UserProfileFolder() {
    char folder[MAX_PATH] = {};
    const DWORD length = ExpandEnvironmentStringsA("%userprofile%", folder, sizeof(folder));
    if (length == 0 || length > sizeof(folder)) return ByteString();
    return ByteString(folder);
}

ByteString FormatPath(const char* format, const char* first, const char* second) {
    char path[MAX_PATH] = {};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::snprintf(path, sizeof(path), format, first, second ? second : "");
#pragma GCC diagnostic pop
    return ByteString(path);
}

}  // namespace zorvane::discovery
