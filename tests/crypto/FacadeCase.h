#pragma once
// What the table-driven facade tests share: the two backends over the fault toolkit,
// the arguments every operation draws from, and the error text a backend keeps.
#include <zorvane/CryptoEx.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <utility>

#include "crypto/GpkiEx.h"
#include "crypto/NpkiEx.h"

namespace facadecase {

struct Backend {
    int type;
    const char* file;
    const char* className;
    int notLoaded;  // the answer of an operation with no library loaded
};

inline const Backend kGpki{0, "gpkiapi.dll", "CGpkiEx", 100};
inline const Backend kNpki{1, "Quellark.dll", "CNpkiEx", 101};
inline const Backend kBackends[] = {kGpki, kNpki};

// Names a parameterised case by its backend.
inline std::string BackendName(const ::testing::TestParamInfo<Backend>& info) { return info.param.className; }

inline std::string Text(const ByteString& bytes) { return std::string(bytes.GetData(), bytes.GetLength()); }

inline const ByteString& ErrorText(const CCryptoEx& facade) {
    return facade.m_gpki ? facade.m_gpki->m_errorText : facade.m_npki->m_errorText;
}

inline std::string FailText(const Backend& backend, const std::string& name) {
    return std::string(backend.className) + " Class : ERROR CODE : 102 - Fail to call " + name;
}

// The arguments every operation draws from; inputs read "A", "B", ... and every
// output starts out so too, so an untouched output is recognisable.
struct Args {
    ByteString a{"A"}, b{"B"}, c{"C"}, d{"D"}, e{"E"}, f{"F"};
    int counter = 0;
    bool flag = false;
    unsigned long slots[6] = {9, 9, 9, 9, 9, 9};  // the backend clears the first five
    unsigned long slotCount = 9;
    PKCS11_TOKEN_INFO info{};
};

using Operation = std::function<int(CCryptoEx&, Args&)>;

// The fields that differ from a fresh Args, e.g. "b=CRYPT_Hash#1 counter=3"; "" when
// the operation touched nothing.
inline std::string Changes(const Args& args) {
    const Args fresh;
    std::string text;
    const auto add = [&text](const std::string& change) { text += (text.empty() ? "" : " ") + change; };
    const std::pair<const char*, ByteString Args::*> strings[] = {{"a", &Args::a}, {"b", &Args::b}, {"c", &Args::c},
                                                                  {"d", &Args::d}, {"e", &Args::e}, {"f", &Args::f}};
    for (const auto& [name, field] : strings) {
        if (!(args.*field == fresh.*field)) add(std::string(name) + "=" + (args.*field).GetData());
    }
    if (args.counter != fresh.counter) add("counter=" + std::to_string(args.counter));
    if (args.flag != fresh.flag) add(std::string("flag=") + (args.flag ? "1" : "0"));
    if (std::memcmp(args.slots, fresh.slots, sizeof(args.slots)) != 0) {
        std::string slots = "slots={";
        for (int i = 0; i < 6; ++i) slots += (i ? "," : "") + std::to_string(args.slots[i]);
        add(slots + "}");
    }
    if (args.slotCount != fresh.slotCount) add("slotCount=" + std::to_string(args.slotCount));
    if (std::memcmp(&args.info, &fresh.info, sizeof(args.info)) != 0) add(std::string("info=") + args.info.label);
    return text;
}

}  // namespace facadecase

// One facade call over the shared arguments, for a table row: its text, then the call.
#define FACADE_OP(call) #call, [](CCryptoEx& x, [[maybe_unused]] facadecase::Args& a) { return x.call; }
