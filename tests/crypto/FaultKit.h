#pragma once
// The tests' handle on one build of the fault toolkit (tests/crypto/faultkit): loads it
// by full path, as the backends will, and reaches its control functions.
#include <zorvane/CryptoEx.h>

#include <string>
#include <vector>

class FaultKit {
public:
    // variant: full, bare, noinit or partial; file: Quellark.dll or gpkiapi.dll.
    FaultKit(const std::string& variant, const std::string& file);
    ~FaultKit();
    FaultKit(const FaultKit&) = delete;
    FaultKit& operator=(const FaultKit&) = delete;

    // The folder to hand to CCryptoEx::Init.
    const std::string& Folder() const { return folder_; }

    void Reset();
    void Fail(const char* function, int code, const char* text);
    void SetOutput(const char* function, int output, const char* content);
    void FillTexts(bool on);
    // Recorded calls other than QLK_API_GetErrInfo, one per line, with every quoted
    // 14-digit time text replaced by "<now>".
    std::string Calls() const;
    // Every recorded call, as recorded.
    std::vector<std::string> AllCalls() const;
    int LiveBinstrs() const;
    int LiveContexts() const;

private:
    template <typename Function>
    Function Control(const char* name) const;

    std::string folder_;
    void* handle_;
};

// Opens facade on this fault kit with the default cipher (48) and hash (1).
inline int OpenOn(CCryptoEx& facade, int type, const FaultKit& kit) {
    return facade.Init(type, 48, 1, ByteString(kit.Folder().c_str()));
}
