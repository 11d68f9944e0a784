// QLK_MEDIA_ functions: loading a card driver or PKCS#11 module, disk files, card slots.

#include "toolkit/Binstr.h"
#include "toolkit/Export.h"
#include "toolkit/Frame.h"
#include "platform/PathTranslation.h"
#include "toolkit/Media.h"

using namespace qlk;

namespace {

Status ReadPath(const char* text, std::string& path) {
    QLK_RETURN_IF_FAILED(ReadText(text, path));
    return path.empty() ? Fail(Code::EmptyInput, "path") : Ok();
}

Status ReadKeyPath(const char* folder, const char* name, std::string& path) {
    std::string folderText, nameText;
    QLK_RETURN_IF_FAILED(ReadPath(folder, folderText));
    QLK_RETURN_IF_FAILED(ReadText(name, nameText, true));
    path = KeyFilePath(folderText, nameText);
    return Ok();
}

Status ReadDiskInto(const std::string& path, BINSTR* output) {
    Bytes bytes;
    QLK_RETURN_IF_FAILED(ReadDiskFile(path, bytes));
    return WriteOutput(output, bytes);
}

Status WriteDisk(const std::string& path, BINSTR* data, bool nonEmpty, bool secret, bool replace) {
    Input bytes;
    QLK_RETURN_IF_FAILED(ReadInput(data, bytes, nonEmpty));
    return WriteDiskFile(path, bytes, secret, replace);
}

Status ReadReplace(int p5, bool& replace) {
    if (p5 != 0 && p5 != 1) return Fail(Code::InvalidArgument, "p5 must be 0 or 1");
    replace = p5 == 1;
    return Ok();
}

// The card driver and reader name of a CARD_ call.
Status OpenCard(Context& context, const char* reader, CardDriver*& driver, std::string& readerName) {
    driver = CardOf(context);
    if (driver == nullptr) return Fail(Code::NoCardDriver);
    QLK_RETURN_IF_FAILED(ReadPath(reader, readerName));
    readerName = zorvane::paths::Win32PathToNative(readerName.c_str());
    return Ok();
}

Status ReadCardItem(Context& context, int slot, const char* reader, int item, BINSTR* output) {
    CardDriver* driver = nullptr;
    std::string readerName;
    QLK_RETURN_IF_FAILED(OpenCard(context, reader, driver, readerName));
    Bytes value;
    QLK_RETURN_IF_FAILED(driver->Read(readerName, slot, item, value));
    return WriteOutput(output, value);
}

Status WriteCardItem(Context& context, int slot, const char* reader, int item, BINSTR* data, bool replace) {
    CardDriver* driver = nullptr;
    std::string readerName;
    QLK_RETURN_IF_FAILED(OpenCard(context, reader, driver, readerName));
    Input value;
    QLK_RETURN_IF_FAILED(ReadInput(data, value));
    return driver->Write(readerName, slot, item, value, replace);
}

Status DeleteCardItem(Context& context, int slot, const char* reader, int item) {
    CardDriver* driver = nullptr;
    std::string readerName;
    QLK_RETURN_IF_FAILED(OpenCard(context, reader, driver, readerName));
    return driver->Delete(readerName, slot, item);
}

}  // namespace

extern "C" {

int QLK_MEDIA_Load(void* context, const char* driverPath) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        std::string path;
        QLK_RETURN_IF_FAILED(ReadPath(driverPath, path));
        return LoadMedium(open, path);
    });
}

int QLK_MEDIA_Unload(void* context) {
    return QLK_CALL(context, [&](Context& open) {
        open.medium.reset();
        return Ok();
    });
}

int QLK_MEDIA_DISK_ReadCert(void* context, const char* location, BINSTR* certificate) {
    return QLK_CALL(context, [&](Context&) -> Status {
        std::string path;
        QLK_RETURN_IF_FAILED(ReadPath(location, path));
        return ReadDiskInto(path, certificate);
    });
}

int QLK_MEDIA_DISK_ReadPriKey(void* context, const char* t2, const char* t3, BINSTR* key) {
    return QLK_CALL(context, [&](Context&) -> Status {
        std::string path;
        QLK_RETURN_IF_FAILED(ReadKeyPath(t2, t3, path));
        return ReadDiskInto(path, key);
    });
}

int QLK_MEDIA_DISK_WriteCert(void* context, const char* location, BINSTR* certificate) {
    return QLK_CALL(context, [&](Context&) -> Status {
        std::string path;
        QLK_RETURN_IF_FAILED(ReadPath(location, path));
        return WriteDisk(path, certificate, true, false, true);
    });
}

int QLK_MEDIA_DISK_WritePriKey(void* context, int p5, const char* t2, const char* t3, BINSTR* key) {
    return QLK_CALL(context, [&](Context&) -> Status {
        bool replace = false;
        QLK_RETURN_IF_FAILED(ReadReplace(p5, replace));
        std::string path;
        QLK_RETURN_IF_FAILED(ReadKeyPath(t2, t3, path));
        return WriteDisk(path, key, true, true, replace);
    });
}

int QLK_MEDIA_DISK_DeleteCert(void* context, const char* location) {
    return QLK_CALL(context, [&](Context&) -> Status {
        std::string path;
        QLK_RETURN_IF_FAILED(ReadPath(location, path));
        return DeleteDiskFile(path);
    });
}

int QLK_MEDIA_DISK_DeletePriKey(void* context, const char* t2, const char* t3) {
    return QLK_CALL(context, [&](Context&) -> Status {
        std::string path;
        QLK_RETURN_IF_FAILED(ReadKeyPath(t2, t3, path));
        return DeleteDiskFile(path);
    });
}

int QLK_MEDIA_DISK_WriteFile(void* context, const char* location, BINSTR* data) {
    return QLK_CALL(context, [&](Context&) -> Status {
        std::string path;
        QLK_RETURN_IF_FAILED(ReadPath(location, path));
        return WriteDisk(path, data, false, false, true);
    });
}

int QLK_MEDIA_CARD_ReadCert(void* context, int selector, const char* location, BINSTR* certificate) {
    return QLK_CALL(context, [&](Context& open) {
        return ReadCardItem(open, selector, location, ZCARD_ITEM_CERTIFICATE, certificate);
    });
}

int QLK_MEDIA_CARD_ReadPriKey(void* context, int selector, const char* t2, const char*, BINSTR* key) {
    return QLK_CALL(context, [&](Context& open) {
        return ReadCardItem(open, selector, t2, ZCARD_ITEM_PRIVATE_KEY, key);
    });
}

int QLK_MEDIA_CARD_WriteCert(void* context, int selector, const char* location, BINSTR* certificate) {
    return QLK_CALL(context, [&](Context& open) {
        return WriteCardItem(open, selector, location, ZCARD_ITEM_CERTIFICATE, certificate, true);
    });
}

int QLK_MEDIA_CARD_WritePriKey(void* context, int selector, int p5, const char* t2, const char*, BINSTR* key) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        bool replace = false;
        QLK_RETURN_IF_FAILED(ReadReplace(p5, replace));
        return WriteCardItem(open, selector, t2, ZCARD_ITEM_PRIVATE_KEY, key, replace);
    });
}

int QLK_MEDIA_CARD_DeleteCert(void* context, int selector, const char* location) {
    return QLK_CALL(context, [&](Context& open) {
        return DeleteCardItem(open, selector, location, ZCARD_ITEM_CERTIFICATE);
    });
}

int QLK_MEDIA_CARD_DeletePriKey(void* context, int selector, const char* t2, const char*) {
    return QLK_CALL(context, [&](Context& open) {
        return DeleteCardItem(open, selector, t2, ZCARD_ITEM_PRIVATE_KEY);
    });
}

}  // extern "C"
