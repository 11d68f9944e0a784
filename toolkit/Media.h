#pragma once
// The medium a context loads with QLK_MEDIA_Load (a card driver or a PKCS#11 module)
// and the disk files of the QLK_MEDIA_DISK_ functions.

#include <memory>
#include <string>

#include "toolkit/Pkcs11.h"
#include "toolkit/Status.h"
#include "toolkit/card/CardDriver.h"
#include "toolkit/keys/SecureBytes.h"

namespace qlk {

class Context;

class CardDriver {
public:
    // Takes a dlopen handle over when it exports the three ZCARD_ functions.
    static bool Adopt(void* library, std::unique_ptr<CardDriver>& driver);
    ~CardDriver();
    CardDriver(const CardDriver&) = delete;
    CardDriver& operator=(const CardDriver&) = delete;

    Status Read(const std::string& reader, int slot, int item, Bytes& value) const;
    Status Write(const std::string& reader, int slot, int item, const Input& value, bool replace) const;
    Status Delete(const std::string& reader, int slot, int item) const;

private:
    CardDriver() = default;
    void* library_ = nullptr;
    ZCARD_ReadFunction read_ = nullptr;
    ZCARD_WriteFunction write_ = nullptr;
    ZCARD_DeleteFunction delete_ = nullptr;
};

struct Medium {
    std::unique_ptr<CardDriver> card;
    std::unique_ptr<TokenModule> token;
};

Status LoadMedium(Context& context, const std::string& path);

CardDriver* CardOf(Context& context);
// The context's module, or NoTokenModule.
Status TokenOf(Context& context, TokenModule*& module);

// Disk files: Windows-style or native paths; keys written 0600.
Status ReadDiskFile(const std::string& path, Bytes& bytes);
Status WriteDiskFile(const std::string& path, const Input& bytes, bool secret, bool replace);
Status DeleteDiskFile(const std::string& path);
// The key file path of t2 (folder) and t3 (file name; empty: t2 is the path).
std::string KeyFilePath(const std::string& folder, const std::string& name);

}  // namespace qlk
