#pragma once
// The tests' handle on one build of the fault toolkit (tests/crypto/faultkit): loads it
// by full path, as the backends will, and reaches its control functions.
#include <zorvane/CryptoEx.h>

#include <dlfcn.h>

#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>

#include "crypto/faultkit/FaultControl.h"

// The fault toolkit's control function of that name.
#define FAULTKIT_CONTROL(function) Control<decltype(&function)>(#function)

class FaultKit {
public:
    // variant: full, bare or partial; file: Quellark.dll or gpkiapi.dll.
    FaultKit(const std::string& variant, const std::string& file)
        : folder_(std::string(FAULTKIT_DIR) + "/" + variant),
          handle_(dlopen((folder_ + "/" + file).c_str(), RTLD_NOW | RTLD_LOCAL)) {
        if (!handle_) throw std::runtime_error(std::string("cannot load the fault toolkit: ") + dlerror());
        Reset();
    }
    ~FaultKit() { dlclose(handle_); }
    FaultKit(const FaultKit&) = delete;
    FaultKit& operator=(const FaultKit&) = delete;

    // The folder to hand to CCryptoEx::Init.
    const std::string& Folder() const { return folder_; }

    void Reset() { FAULTKIT_CONTROL(FaultKit_Reset)(); }
    void Fail(const char* function, int code, const char* text) {
        FAULTKIT_CONTROL(FaultKit_Fail)(function, code, text);
    }
    void SetOutput(const char* function, int output, const char* content) {
        FAULTKIT_CONTROL(FaultKit_SetOutput)(function, output, content);
    }
    int LiveBinstrs() const { return FAULTKIT_CONTROL(FaultKit_LiveBinstrs)(); }
    int LiveContexts() const { return FAULTKIT_CONTROL(FaultKit_LiveContexts)(); }
    // Every recorded call, one per line, as recorded.
    std::string RawCalls() const { return FAULTKIT_CONTROL(FaultKit_Calls)(); }

    // The recorded calls other than QLK_API_GetErrInfo, one per line, without the QLK_
    // prefix and with every quoted 14-digit time text replaced by "<now>".
    std::string Calls() const {
        static const std::regex kTimeText("\"[0-9]{14}\"");
        std::string text;
        std::istringstream lines(RawCalls());
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("QLK_API_GetErrInfo", 0) == 0) continue;
            const std::string call = line.substr(line.rfind("QLK_", 0) == 0 ? 4 : 0);
            text += (text.empty() ? "" : "\n") + std::regex_replace(call, kTimeText, "\"<now>\"");
        }
        return text;
    }

private:
    template <typename Function>
    Function Control(const char* name) const {
        void* symbol = dlsym(handle_, name);
        if (!symbol) throw std::runtime_error(std::string("fault toolkit lacks ") + name);
        return reinterpret_cast<Function>(symbol);
    }

    std::string folder_;
    void* handle_;
};

#undef FAULTKIT_CONTROL

// Opens facade on this fault kit with the default cipher (48) and hash (1).
inline int OpenOn(CCryptoEx& facade, int type, const FaultKit& kit) {
    return facade.Init(type, 48, 1, ByteString(kit.Folder().c_str()));
}
