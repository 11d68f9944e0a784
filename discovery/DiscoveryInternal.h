#pragma once
// Pieces shared by the discovery sources; not part of the exported interface.

#include <zorvane/LoadCert.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zorvane::discovery {

using CertList = CArray<tagCERTLIST, tagCERTLIST&>;

// Certificates and key files are a few KiB; a file in a store above this size is refused
// unread (result kFileTooLarge of core/FileLoading.h), so that a hostile store cannot make
// a walk allocate and read without bound.
constexpr std::uint32_t kMaxStoreFileSize = 256 * 1024;

// Loads a certificate or key file of a store: a regular file of at most
// kMaxStoreFileSize bytes. 0 on success; a refusal for size is told to the notice sink.
int LoadStoreFile(ByteString& into, const ByteString& path);

// Tells the notice sink about a folder entry that a walk cannot reach: a name with "\"
// in it is two components in a Windows path. True when the entry is such.
bool SkipUnreachableEntry(const ByteString& folder, const char* name);

// Store kinds written into tagCERTLIST::certType.
enum StoreKind { kStoreGpki = 0, kStoreNpki = 1, kStoreMpki = 2, kStorePrivate = 3 };

// Key selectors of LoadCerts.
enum KeySelector { kSignAndKm = 0, kSignOnly = 1, kKmOnly = 2 };

// Appends a copy of record: the array grows by one under its own growth rule, then the
// record is assigned to the new last element.
void AppendRecord(CertList& list, tagCERTLIST& record);

// Steps shared by file and phone records once the certificate bytes are in the record:
// load it into the toolkit, read every field, apply the filters. 0 accepts the record.
int ParseCertificateFields(CLoadCert& loader, tagCERTLIST& record);

// Fills the four paths of an NPKI-layout certificate folder for the key selector:
// signCert.der/signPri.key in the signing slots (kmCert.der/kmPri.key for selector 2),
// and the key-management pair in its own slots for selector 0.
void SetFolderPaths(tagCERTLIST& record, const ByteString& certFolder, int keySelector);

// Walks folders laid out as NPKI User folders (one sub-folder per certificate), parses
// each certificate with the given store kind and appends what is accepted. The record is
// reused across the folders of one walk; clearPerEntry empties it before each entry.
// Returns the last parse result (0 when none), and adds the appended count to count.
int WalkCertificateFolders(CLoadCert& loader, const std::vector<ByteString>& folders, int storeKind,
                           int keySelector, bool clearPerEntry, CertList& list, int& count);

// The drive part ("C:") of the system folder, or "C:" when it cannot be read.
ByteString SystemDrive();

// The expansion of "%userprofile%".
ByteString UserProfileFolder();

// A Windows path formatted into a buffer of the platform's path limit, as the folder
// templates are; longer results are cut to MAX_PATH - 1 characters.
ByteString FormatPath(const char* format, const char* first, const char* second = nullptr);

// ASCII-lowercased copy of a text.
std::string LowerAscii(std::string_view text);

// The text without its spaces.
std::string WithoutSpaces(std::string_view text);

inline std::string_view View(const ByteString& text) {
    return std::string_view(text.GetData(), static_cast<std::size_t>(text.GetLength()));
}

}  // namespace zorvane::discovery
