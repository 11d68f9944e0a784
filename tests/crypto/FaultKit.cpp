#include "crypto/FaultKit.h"

#include <dlfcn.h>

#include <regex>
#include <sstream>
#include <stdexcept>

#include "crypto/faultkit/FaultControl.h"

FaultKit::FaultKit(const std::string& variant, const std::string& file)
    : folder_(std::string(FAULTKIT_DIR) + "/" + variant) {
    const std::string path = folder_ + "/" + file;
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) throw std::runtime_error("cannot load " + path + ": " + dlerror());
    Reset();
}

FaultKit::~FaultKit() { dlclose(handle_); }

template <typename Function>
Function FaultKit::Control(const char* name) const {
    void* symbol = dlsym(handle_, name);
    if (!symbol) throw std::runtime_error(std::string("fault toolkit lacks ") + name);
    return reinterpret_cast<Function>(symbol);
}

// The fault toolkit's control function of that name.
#define KIT_CONTROL(function) Control<decltype(&function)>(#function)

void FaultKit::Reset() { KIT_CONTROL(FaultKit_Reset)(); }

void FaultKit::Fail(const char* function, int code, const char* text) {
    KIT_CONTROL(FaultKit_Fail)(function, code, text);
}

void FaultKit::SetOutput(const char* function, int output, const char* content) {
    KIT_CONTROL(FaultKit_SetOutput)(function, output, content);
}

void FaultKit::FillTexts(bool on) { KIT_CONTROL(FaultKit_FillTexts)(on ? 1 : 0); }

std::vector<std::string> FaultKit::AllCalls() const {
    std::vector<std::string> calls;
    std::istringstream lines(KIT_CONTROL(FaultKit_Calls)());
    for (std::string line; std::getline(lines, line);) calls.push_back(line);
    return calls;
}

std::string FaultKit::Calls() const {
    static const std::regex kTimeText("\"[0-9]{14}\"");
    std::string text;
    for (const std::string& call : AllCalls()) {
        if (call.rfind("QLK_API_GetErrInfo", 0) == 0) continue;
        text += (text.empty() ? "" : "\n") + std::regex_replace(call, kTimeText, "\"<now>\"");
    }
    return text;
}

int FaultKit::LiveBinstrs() const { return KIT_CONTROL(FaultKit_LiveBinstrs)(); }

int FaultKit::LiveContexts() const { return KIT_CONTROL(FaultKit_LiveContexts)(); }
