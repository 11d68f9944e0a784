// Card images: reader folders of slot files in the record NpkiCard.dll reads.

#include <sys/stat.h>

#include <cerrno>

#include "platform/SafeFiles.h"
#include "toolkit/card/SlotRecord.h"
#include "tools/pkigen/MediaImages.h"

namespace zorvane::pkigen {
namespace {

using zorvane::paths::FileResult;

constexpr std::size_t kMaxInput = 1024 * 1024;

bool ReadFile(const std::string& path, std::vector<unsigned char>& bytes, std::string& error) {
    if (zorvane::paths::ReadOwnedFile(path, kMaxInput, bytes) == FileResult::Ok) return true;
    error = "cannot read " + path;
    return false;
}

bool WriteSlot(const std::string& reader, int slot, const CertificateRecord& record, std::string& error) {
    card::SlotItems items;
    if (!ReadFile(record.certPath, items.items[0], error) || !ReadFile(record.keyPath, items.items[1], error)) {
        return false;
    }
    const std::vector<unsigned char> bytes = card::EncodeSlot(items);
    const std::string path = reader + "/slot" + std::to_string(slot);
    if (zorvane::paths::WriteFileAtomically(path, bytes.data(), bytes.size(), 0600, true) == FileResult::Ok) return true;
    error = "cannot write " + path;
    return false;
}

bool MakeFolder(const std::string& path, std::string& error) {
    if (::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) return true;
    error = "cannot make " + path;
    return false;
}

std::vector<const UserRecord*> UsersOf(const Result& result, const std::string& store) {
    std::vector<const UserRecord*> users;
    for (const UserRecord& user : result.users) {
        if (user.store == store && user.validity == "valid") users.push_back(&user);
    }
    return users;
}

}  // namespace

bool WriteCardImages(const std::string& folder, const Result& result, std::string& error) {
    const std::vector<const UserRecord*> npki = UsersOf(result, "npki");
    const std::vector<const UserRecord*> gpki = UsersOf(result, "gpki");
    if (npki.empty()) {
        error = "card images need an NPKI user";
        return false;
    }
    const std::string reader1 = folder + "/reader1", reader2 = folder + "/reader2";
    if (!MakeFolder(folder, error) || !MakeFolder(reader1, error) || !MakeFolder(reader2, error) ||
        !MakeFolder(folder + "/reader3", error)) {
        return false;
    }
    const UserRecord& second = *npki[npki.size() > 1 ? 1 : 0];
    return WriteSlot(reader1, 1, npki[0]->signing, error) && WriteSlot(reader1, 2, npki[0]->keyManagement, error) &&
           (gpki.empty() || (WriteSlot(reader1, 16, gpki[0]->signing, error) &&
                             WriteSlot(reader1, 32, gpki[0]->keyManagement, error))) &&
           WriteSlot(reader2, 1, second.signing, error);
}

bool WriteMediaImages(const Options& options, const Result& result, std::string& error) {
    if (!options.cardFolder.empty() && !WriteCardImages(options.cardFolder, result, error)) return false;
    if (options.tokenFolder.empty()) return true;
    std::string conf;
    if (!PrepareSoftHsm(options.tokenFolder, conf, error)) return false;
    const std::vector<const UserRecord*> npki = UsersOf(result, "npki");
    if (npki.empty()) {
        error = "tokens need an NPKI user";
        return false;
    }
    TokenPlan first{"zorvane-token-1", npki, true};
    TokenPlan second{"zorvane-token-2", {npki.front()}, false};
    return ProvisionToken(options.softHsmModule, options.tokenPin, first, error) &&
           ProvisionToken(options.softHsmModule, options.tokenPin, second, error);
}

}  // namespace zorvane::pkigen
