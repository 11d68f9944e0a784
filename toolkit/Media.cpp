#include "toolkit/Media.h"

#include <dlfcn.h>

#include "platform/PathTranslation.h"
#include "platform/SafeFiles.h"
#include "toolkit/Context.h"

namespace qlk {
namespace {

constexpr std::size_t kMaxDiskFile = 1024 * 1024;

using zorvane::paths::FileResult;

Status FromFileResult(FileResult result, const std::string& path) {
    switch (result) {
    case FileResult::Ok: return Ok();
    case FileResult::Missing: return Fail(Code::FileMissing, path);
    case FileResult::Unsafe: return Fail(Code::FileUnsafe, path);
    case FileResult::Exists: return Fail(Code::ItemExists, path);
    case FileResult::IoError: break;
    }
    return Fail(Code::FileIoFailed, path);
}

Status FromCardResult(int result) {
    switch (result) {
    case ZCARD_OK: return Ok();
    case ZCARD_EMPTY: return Fail(Code::MediaEmptySlot);
    case ZCARD_NO_READER: return Fail(Code::NoCardReader);
    case ZCARD_EXISTS: return Fail(Code::ItemExists);
    case ZCARD_BAD_ARGUMENT: return Fail(Code::InvalidArgument, "card slot or item out of range");
    default: return Fail(Code::CardDriverFailed, "driver result " + std::to_string(result));
    }
}

std::string Native(const std::string& path) { return zorvane::paths::Win32PathToNative(path.c_str()); }

}  // namespace

bool CardDriver::Adopt(void* library, std::unique_ptr<CardDriver>& driver) {
    std::unique_ptr<CardDriver> found(new CardDriver);
    found->read_ = reinterpret_cast<ZCARD_ReadFunction>(dlsym(library, "ZCARD_Read"));
    found->write_ = reinterpret_cast<ZCARD_WriteFunction>(dlsym(library, "ZCARD_Write"));
    found->delete_ = reinterpret_cast<ZCARD_DeleteFunction>(dlsym(library, "ZCARD_Delete"));
    if (found->read_ == nullptr || found->write_ == nullptr || found->delete_ == nullptr) return false;
    found->library_ = library;
    driver = std::move(found);
    return true;
}

CardDriver::~CardDriver() {
    if (library_ != nullptr) dlclose(library_);
}

Status CardDriver::Read(const std::string& reader, int slot, int item, Bytes& value) const {
    int length = 0;
    int result = read_(reader.c_str(), slot, item, nullptr, 0, &length);
    if (result != ZCARD_TOO_SMALL) return FromCardResult(result == ZCARD_OK ? ZCARD_IO_ERROR : result);
    Bytes buffer(static_cast<std::size_t>(length));
    result = read_(reader.c_str(), slot, item, buffer.data(), length, &length);
    QLK_RETURN_IF_FAILED(FromCardResult(result));
    if (length < 0 || static_cast<std::size_t>(length) > buffer.size()) return Fail(Code::CardDriverFailed, "length");
    buffer.resize(static_cast<std::size_t>(length));
    value.swap(buffer);
    return Ok();
}

Status CardDriver::Write(const std::string& reader, int slot, int item, const Input& value, bool replace) const {
    if (value.length > static_cast<std::size_t>(INT32_MAX)) return Fail(Code::InputTooLarge);
    return FromCardResult(
        write_(reader.c_str(), slot, item, value.data, static_cast<int>(value.length), replace ? 1 : 0));
}

Status CardDriver::Delete(const std::string& reader, int slot, int item) const {
    return FromCardResult(delete_(reader.c_str(), slot, item));
}

Status LoadMedium(Context& context, const std::string& path) {
    if (context.medium && (context.medium->card || context.medium->token)) return Fail(Code::MediaAlreadyLoaded);
    const std::string native = Native(path);
    void* library = native.empty() ? nullptr : dlopen(native.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* why = dlerror();
        return Fail(Code::MediaUnloadable, why != nullptr ? why : path);
    }
    auto medium = std::make_unique<Medium>();
    if (dlsym(library, "C_GetFunctionList") != nullptr) {
        QLK_RETURN_IF_FAILED(TokenModule::Open(library, medium->token));
    } else if (!CardDriver::Adopt(library, medium->card)) {
        dlclose(library);
        return Fail(Code::NotAMedium, path);
    }
    context.medium = std::move(medium);
    return Ok();
}

CardDriver* CardOf(Context& context) { return context.medium ? context.medium->card.get() : nullptr; }

Status TokenOf(Context& context, TokenModule*& module) {
    module = context.medium ? context.medium->token.get() : nullptr;
    return module != nullptr ? Ok() : Fail(Code::NoTokenModule);
}

Status ReadDiskFile(const std::string& path, Bytes& bytes) {
    return FromFileResult(zorvane::paths::ReadOwnedFile(Native(path), kMaxDiskFile, bytes), path);
}

Status WriteDiskFile(const std::string& path, const Input& bytes, bool secret, bool replace) {
    const std::string native = Native(path);
    return FromFileResult(
        zorvane::paths::WriteFileAtomically(native, bytes.data, bytes.length, secret ? 0600 : 0644, replace), path);
}

Status DeleteDiskFile(const std::string& path) {
    return FromFileResult(zorvane::paths::RemoveFile(Native(path)), path);
}

std::string KeyFilePath(const std::string& folder, const std::string& name) {
    if (name.empty()) return folder;
    const bool separated = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
    return separated ? folder + name : folder + "\\" + name;
}

}  // namespace qlk
