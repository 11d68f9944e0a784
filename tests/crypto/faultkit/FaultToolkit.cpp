// A stand-in for the toolkit that the crypto tests load in place of Quellark.dll and
// gpkiapi.dll: it records how it is called, fails on demand and writes recognisable
// outputs (see FaultControl.h). It defines the toolkit functions the tests reach, and
// is built in variants that export different sets of them, so that missing functions
// can be tested.
#define QLK_EXPORT __attribute__((visibility("default")))
#include "crypto/QlkApi.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/crypto/faultkit/FaultControl.h"

#define FAULTKIT_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct State {
    std::vector<std::string> calls;
    std::string callText;
    std::map<std::string, std::pair<int, std::string>> failures;  // code and error text
    std::map<std::pair<std::string, int>, std::string> outputs;
    std::string errorText;
    int liveBinstrs = 0;
    std::set<int*> contexts;
};

State& Kit() {
    static State state;
    return state;
}

const int kIntegerOutput = 3;
const unsigned long kSlots[] = {11, 12};
const int kPubKeyAlgorithmBuffer = 48;
const int kPubKey2Buffer = 1024;
const int kValidityBuffer = 25;
const int kVersionBuffer = 32;
const int kInfoBuffer = 512;
const int kSignerTimeBuffer = 20;

// Argument markers: how a pointer argument of a toolkit function is to be treated.
struct In {
    BINSTR* record;
};
struct Out {
    BINSTR* record;
};
struct InOut {
    BINSTR* record;
};
struct TextOut {
    char* buffer;
    int size;
};
struct IntOut {
    int* value;
};
struct FlagOut {
    unsigned char* flag;
};
struct SlotsOut {
    unsigned long* slots;
    unsigned long* count;
};
struct TokenOut {
    PKCS11_TOKEN_INFO* info;
};

std::string Content(const BINSTR* record) {
    if (!record->data || record->length <= 0) return std::string();
    return std::string(reinterpret_cast<const char*>(record->data), static_cast<std::size_t>(record->length));
}

void SetRecord(BINSTR* record, const std::string& content) {
    if (!record) return;
    std::free(record->data);
    record->data = static_cast<unsigned char*>(std::malloc(content.size() + 1));
    std::memcpy(record->data, content.c_str(), content.size() + 1);
    record->length = static_cast<int>(content.size());
}

// One call being handled: its record line and the content of its k-th output.
class CallRecord {
public:
    explicit CallRecord(const char* name) : name_(name) {}

    std::string NextOutput() {
        ++outputs_;
        const auto set = Kit().outputs.find({name_, outputs_});
        if (set != Kit().outputs.end()) return set->second;
        return name_.substr(name_.rfind("QLK_", 0) == 0 ? 4 : 0) + "#" + std::to_string(outputs_);
    }

    void Describe(int value) { Add(std::to_string(value)); }
    void Describe(unsigned long value) { Add(std::to_string(value)); }
    void Describe(const char* text) { Add(text ? "\"" + std::string(text) + "\"" : "null"); }
    void Describe(In in) { Add(in.record ? "[" + Content(in.record) + "]" : "null"); }
    void Describe(Out out) { Add(out.record ? "out" : "null"); }
    void Describe(InOut inOut) { Describe(In{inOut.record}); }
    void Describe(TextOut text) { Add(text.buffer ? "text" : "null"); }
    void Describe(IntOut out) { Add(out.value ? "&" + std::to_string(*out.value) : "null"); }
    void Describe(FlagOut out) { Add(out.flag ? "flag" : "null"); }
    void Describe(TokenOut out) { Add(out.info ? "info" : "null"); }
    void Describe(SlotsOut out) {
        if (!out.slots) return Add("null");
        std::string entries = "{";
        for (int i = 0; i < 5; ++i) entries += (i ? "," : "") + std::to_string(out.slots[i]);
        Add(entries + "}");
    }

    template <typename Value>
    void Write(Value) {}
    void Write(Out out) { SetRecord(out.record, NextOutput()); }
    void Write(InOut inOut) { SetRecord(inOut.record, NextOutput()); }
    void Write(TextOut text) {
        if (!text.buffer || text.size <= 0) return;
        const std::string content = NextOutput();
        const std::size_t length = std::min(content.size(), static_cast<std::size_t>(text.size - 1));
        std::memcpy(text.buffer, content.data(), length);
        text.buffer[length] = 0;
    }
    void Write(IntOut out) {
        NextOutput();
        if (out.value) *out.value = kIntegerOutput;
    }
    void Write(FlagOut out) {
        NextOutput();
        if (out.flag) *out.flag = 1;
    }
    void Write(TokenOut out) {
        const std::string content = NextOutput();
        if (!out.info) return;
        std::memset(out.info, 0, sizeof(*out.info));
        std::strncpy(out.info->label, content.c_str(), sizeof(out.info->label) - 1);
    }
    void Write(SlotsOut out) {
        NextOutput();
        if (out.slots) std::memcpy(out.slots, kSlots, sizeof(kSlots));
        if (out.count) *out.count = sizeof(kSlots) / sizeof(kSlots[0]);
    }

    // Records the call; a context other than the one QLK_API_Init made is marked.
    void Store(void* context) {
        StoreLine(Kit().contexts.count(static_cast<int*>(context)) ? "" : "<bad context>");
    }

    void StoreLine(const std::string& mark = "") {
        std::string line = name_ + mark + "(";
        for (std::size_t i = 0; i < arguments_.size(); ++i) line += (i ? ", " : "") + arguments_[i];
        Kit().calls.push_back(line + ")");
    }

private:
    void Add(const std::string& argument) { arguments_.push_back(argument); }

    std::string name_;
    std::vector<std::string> arguments_;
    int outputs_ = 0;
};

// 0, or the failure set for the named function (whose text becomes the error text).
int FailureOf(const char* name) {
    const auto failure = Kit().failures.find(name);
    if (failure == Kit().failures.end()) return 0;
    Kit().errorText = failure->second.second;
    return failure->second.first;
}

// Records the call, writes every output and answers 0 or the failure set for it.
template <typename... Arguments>
int Handle(const char* name, void* context, Arguments... arguments) {
    CallRecord record(name);
    (record.Describe(arguments), ...);
    record.Store(context);
    (record.Write(arguments), ...);
    return FailureOf(name);
}

}  // namespace

// Control

FAULTKIT_EXPORT void FaultKit_Reset(void) {
    State& kit = Kit();
    kit.calls.clear();
    kit.failures.clear();
    kit.outputs.clear();
    kit.errorText.clear();
}

FAULTKIT_EXPORT void FaultKit_Fail(const char* function, int code, const char* text) {
    Kit().failures[function] = {code, text};
}

FAULTKIT_EXPORT void FaultKit_SetOutput(const char* function, int output, const char* content) {
    Kit().outputs[{function, output}] = content;
}

FAULTKIT_EXPORT const char* FaultKit_Calls(void) {
    std::string& text = Kit().callText;
    text.clear();
    for (const std::string& call : Kit().calls) text += call + "\n";
    return text.c_str();
}

FAULTKIT_EXPORT int FaultKit_LiveBinstrs(void) { return Kit().liveBinstrs; }
FAULTKIT_EXPORT int FaultKit_LiveContexts(void) { return static_cast<int>(Kit().contexts.size()); }

// Context and records

int QLK_API_Init(void** context, const char* workFolder) {
    CallRecord record(__func__);
    record.Describe(workFolder);
    record.StoreLine();
    if (const int code = FailureOf(__func__)) return code;
    int* made = new int(0);
    Kit().contexts.insert(made);
    *context = made;
    return 0;
}

int QLK_API_Finish(void** context) {
    CallRecord record(__func__);
    int* const finished = context ? static_cast<int*>(*context) : nullptr;
    record.Store(finished);
    if (Kit().contexts.erase(finished)) {
        delete finished;
        *context = nullptr;
    }
    return FailureOf(__func__);
}

int QLK_API_GetErrInfo(void* context, int size, char* text) {
    CallRecord record(__func__);
    record.Describe(size);
    record.Store(context);
    if (const int code = FailureOf(__func__)) return code;
    if (!text || size <= 0) return 0;
    std::strncpy(text, Kit().errorText.c_str(), static_cast<std::size_t>(size) - 1);
    text[size - 1] = 0;
    return 0;
}

int QLK_BINSTR_Create(BINSTR* binstr) {
    binstr->data = nullptr;
    binstr->length = 0;
    ++Kit().liveBinstrs;
    return 0;
}

int QLK_BINSTR_SetData(const unsigned char* data, int length, BINSTR* binstr) {
    const std::size_t size = data && length > 0 ? static_cast<std::size_t>(length) : 0;
    SetRecord(binstr, std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}

int QLK_BINSTR_Delete(BINSTR* binstr) {
    std::free(binstr->data);
    binstr->data = nullptr;
    binstr->length = 0;
    --Kit().liveBinstrs;
    return 0;
}

// Every other function: recorded and answered by Handle, which is told how to treat
// each argument; the families of one shape through a macro each.

#define KIT_FUNCTION(name, parameters, ...) \
    int name parameters { return Handle(#name, __VA_ARGS__); }
#define TEXT_FIELD(name) KIT_FUNCTION(name, (void* c, int size, char* text), c, size, TextOut{text, size})
#define ONE_TO_ONE(name) KIT_FUNCTION(name, (void* c, BINSTR* input, BINSTR* output), c, In{input}, Out{output})
#define ONE_TEXT(name) KIT_FUNCTION(name, (void* c, const char* text), c, text)
#define ONE_IN(name) KIT_FUNCTION(name, (void* c, BINSTR* input), c, In{input})
#define MAC(name) \
    KIT_FUNCTION(name, (void* c, int p, const char* t, BINSTR* in, BINSTR* mac), c, p, t, In{in}, Out{mac})

TEXT_FIELD(QLK_CERT_GetSerialNum)
TEXT_FIELD(QLK_CERT_GetSubjectName)
TEXT_FIELD(QLK_CERT_GetSignature)
TEXT_FIELD(QLK_CERT_GetBasicConstraints)
TEXT_FIELD(QLK_CERT_GetExtKeyUsage)
TEXT_FIELD(QLK_CERT_GetSubjectAltName)
ONE_TO_ONE(QLK_UTIL_AddObject)
ONE_TO_ONE(QLK_UTIL_GetRootCert)
ONE_TO_ONE(QLK_CRYPT_Encrypt)
ONE_TO_ONE(QLK_CRYPT_Decrypt)
KIT_FUNCTION(QLK_CRYPT_SetEnvChangeIV, (void* c), c)
ONE_TEXT(QLK_API_SetConfFile)
ONE_TEXT(QLK_MEDIA_DISK_DeleteCert)
ONE_IN(QLK_CERT_Load)
ONE_IN(QLK_CERT_AddTrustedCert)
MAC(QLK_CRYPT_GenMAC)
MAC(GPKI_CRYPT_GenMAC)

KIT_FUNCTION(QLK_API_GetInfo, (void* c, char* v, char* i), c, TextOut{v, kVersionBuffer}, TextOut{i, kInfoBuffer})
KIT_FUNCTION(QLK_CERT_GetVersion, (void* c, int* version), c, IntOut{version})
KIT_FUNCTION(QLK_CERT_GetSubjectName_DERFormat, (void* c, BINSTR* name), c, Out{name})
KIT_FUNCTION(QLK_CERT_GetValidity, (void* c, char* b, char* a), c, TextOut{b, kValidityBuffer},
             TextOut{a, kValidityBuffer})
KIT_FUNCTION(QLK_CERT_GetPubKey, (void* c, int size, char* algorithm, char* key), c, size,
             TextOut{algorithm, kPubKeyAlgorithmBuffer}, TextOut{key, size})
KIT_FUNCTION(QLK_CERT_GetPubKey2, (void* c, char* algorithm, char* bits, BINSTR* key), c,
             TextOut{algorithm, kPubKey2Buffer}, TextOut{bits, kPubKey2Buffer}, Out{key})
KIT_FUNCTION(QLK_CERT_SetVerifyEnv1, (void* c, int p1, int p2, int p3, const char* t), c, p1, p2, p3, t)
KIT_FUNCTION(QLK_CERT_SetVerifyEnv2, (void* c, const char* time, BINSTR* a, BINSTR* b), c, time, In{a}, In{b})
KIT_FUNCTION(QLK_CERT_Verify, (void* c, BINSTR* a, int p2, const char* t, int p5, BINSTR* b, BINSTR* d), c, In{a}, p2,
             t, p5, In{b}, In{d})
KIT_FUNCTION(QLK_CERT_Verify2, (void* c, BINSTR* a, int p, const char* t1, const char* t2), c, In{a}, p, t1, t2)
KIT_FUNCTION(QLK_CERT_VerifyByIVS, (void* c, const char* url, BINSTR* a, BINSTR* b), c, url, In{a}, In{b})
KIT_FUNCTION(QLK_UTIL_CompareDN, (void* c, const char* first, const char* second), c, first, second)
KIT_FUNCTION(QLK_UTIL_IsTrustCert, (void* c, BINSTR* a, BINSTR* b, unsigned char* f), c, In{a}, In{b}, FlagOut{f})
KIT_FUNCTION(QLK_VID_VerifyByIVS, (void* c, const char* url, BINSTR* a, BINSTR* b, const char* t, BINSTR* d), c, url,
             In{a}, In{b}, t, In{d})
KIT_FUNCTION(QLK_VID_Verify, (void* c, BINSTR* a, BINSTR* b, const char* identity), c, In{a}, In{b}, identity)
KIT_FUNCTION(QLK_PRIKEY_Encrypt, (void* c, int p, const char* password, BINSTR* key, BINSTR* out), c, p, password,
             In{key}, Out{out})
KIT_FUNCTION(QLK_PRIKEY_CheckKeyPair, (void* c, BINSTR* a, BINSTR* b), c, In{a}, In{b})
KIT_FUNCTION(QLK_MEDIA_DISK_ReadCert, (void* c, const char* location, BINSTR* out), c, location, Out{out})
KIT_FUNCTION(QLK_MEDIA_CARD_ReadCert, (void* c, int s, const char* location, BINSTR* out), c, s, location, Out{out})
KIT_FUNCTION(QLK_MEDIA_DISK_ReadPriKey, (void* c, const char* t1, const char* t2, BINSTR* out), c, t1, t2, Out{out})
KIT_FUNCTION(QLK_MEDIA_CARD_ReadPriKey, (void* c, int s, const char* t1, const char* t2, BINSTR* out), c, s, t1, t2,
             Out{out})
KIT_FUNCTION(QLK_MEDIA_DISK_WriteCert, (void* c, const char* location, BINSTR* a), c, location, In{a})
KIT_FUNCTION(QLK_MEDIA_CARD_WriteCert, (void* c, int s, const char* location, BINSTR* a), c, s, location, In{a})
KIT_FUNCTION(QLK_MEDIA_DISK_WritePriKey, (void* c, int p, const char* t1, const char* t2, BINSTR* a), c, p, t1, t2,
             In{a})
KIT_FUNCTION(QLK_MEDIA_CARD_WritePriKey, (void* c, int s, int p, const char* t1, const char* t2, BINSTR* a), c, s, p,
             t1, t2, In{a})
KIT_FUNCTION(QLK_MEDIA_CARD_DeleteCert, (void* c, int s, const char* location), c, s, location)
KIT_FUNCTION(QLK_MEDIA_DISK_DeletePriKey, (void* c, const char* t1, const char* t2), c, t1, t2)
KIT_FUNCTION(QLK_MEDIA_CARD_DeletePriKey, (void* c, int s, const char* t1, const char* t2), c, s, t1, t2)
KIT_FUNCTION(QLK_MEDIA_DISK_WriteFile, (void* c, const char* location, BINSTR* a), c, location, In{a})
KIT_FUNCTION(QLK_CMS_SignData, (void* c, int p, BINSTR* a, BINSTR* b, BINSTR* d, const char* time, BINSTR* out), c, p,
             In{a}, In{b}, In{d}, time, Out{out})
KIT_FUNCTION(QLK_CMS_AddSigner, (void* c, int p, BINSTR* a, BINSTR* b, BINSTR* d, const char* time, BINSTR* io), c, p,
             In{a}, In{b}, In{d}, time, InOut{io})
KIT_FUNCTION(QLK_CMS_GetSignerCert, (void* c, int i, BINSTR* out, char* time), c, i, Out{out},
             TextOut{time, kSignerTimeBuffer})
KIT_FUNCTION(QLK_CMS_VerifyData, (void* c, int p, BINSTR* a, BINSTR* out, int* count), c, p, In{a}, Out{out},
             IntOut{count})
KIT_FUNCTION(QLK_CMS_EncryptData, (void* c, int p, BINSTR* a, BINSTR* b, int cipher, BINSTR* out), c, p, In{a}, In{b},
             cipher, Out{out})
KIT_FUNCTION(QLK_CMS_EncryptDataWithMultiReps, (void* c, int p, BINSTR* a, BINSTR* b, int cipher, BINSTR* out), c, p,
             In{a}, In{b}, cipher, Out{out})
KIT_FUNCTION(QLK_CMS_SignAndEncData,
             (void* c, int p, BINSTR* a, BINSTR* b, BINSTR* d, BINSTR* e, int cipher, BINSTR* out), c, p, In{a}, In{b},
             In{d}, In{e}, cipher, Out{out})
KIT_FUNCTION(QLK_CMS_VerifyAndDecData, (void* c, int p, BINSTR* a, BINSTR* b, BINSTR* d, BINSTR* o1, BINSTR* o2), c, p,
             In{a}, In{b}, In{d}, Out{o1}, Out{o2})
KIT_FUNCTION(QLK_CRYPT_SetRSAVersion, (void* c, int version), c, version)
KIT_FUNCTION(QLK_CRYPT_GenRandom, (void* c, int length, BINSTR* out), c, length, Out{out})
KIT_FUNCTION(QLK_CRYPT_GenKeyPair, (void* c, int p, BINSTR* o1, BINSTR* o2), c, p, Out{o1}, Out{o2})
KIT_FUNCTION(QLK_CRYPT_GenKeyAndIV, (void* c, int cipher), c, cipher)
KIT_FUNCTION(QLK_CRYPT_SetKeyAndIV, (void* c, int cipher, BINSTR* key, BINSTR* iv), c, cipher, In{key}, In{iv})
KIT_FUNCTION(QLK_CRYPT_GetKeyAndIV, (void* c, int* cipher, BINSTR* key, BINSTR* iv), c, IntOut{cipher}, Out{key},
             Out{iv})
KIT_FUNCTION(QLK_CRYPT_AsymEncrypt, (void* c, int p, BINSTR* a, BINSTR* b, BINSTR* out), c, p, In{a}, In{b}, Out{out})
KIT_FUNCTION(QLK_CRYPT_AsymDecrypt, (void* c, int p, BINSTR* a, BINSTR* b, BINSTR* out), c, p, In{a}, In{b}, Out{out})
KIT_FUNCTION(QLK_CRYPT_Hash, (void* c, int hash, BINSTR* input, BINSTR* out), c, hash, In{input}, Out{out})
KIT_FUNCTION(QLK_CRYPT_VerifyMAC, (void* c, int p, const char* t, BINSTR* a, BINSTR* b), c, p, t, In{a}, In{b})
KIT_FUNCTION(QLK_PEM_Encode, (void* c, int p, BINSTR* input, BINSTR* out), c, p, In{input}, Out{out})
KIT_FUNCTION(QLK_DSAP_GetDataByURL, (void* c, int p, const char* url, BINSTR* out), c, p, url, Out{out})
KIT_FUNCTION(QLK_PKCS11_OpenSessionWithSlotID, (void* c, unsigned long slot, const char* t, int p), c, slot, t, p)
KIT_FUNCTION(QLK_PKCS11_OpenSessionWithTokenName, (void* c, const char* name, int p), c, name, p)
KIT_FUNCTION(QLK_PKCS11_GetSlotList, (void* c, unsigned long* slots, unsigned long* n), c, SlotsOut{slots, n})
#define TWO_TO_ONE(name) \
    KIT_FUNCTION(name, (void* c, BINSTR* a, BINSTR* b, BINSTR* out), c, In{a}, In{b}, Out{out})
TWO_TO_ONE(QLK_PKCS11_Sign)
TWO_TO_ONE(QLK_PKCS11_Encrypt)
TWO_TO_ONE(QLK_PKCS11_Decrypt)
ONE_TO_ONE(QLK_PKCS11_ReadCert)
ONE_TO_ONE(QLK_PKCS11_ReadRandomForVID)
ONE_TEXT(QLK_PKCS11_Login)
KIT_FUNCTION(QLK_PKCS11_InitToken, (void* c, const char* t1, const char* t2), c, t1, t2)
KIT_FUNCTION(QLK_PKCS11_GetTokenInfo, (void* c, unsigned long slot, PKCS11_TOKEN_INFO* info), c, slot, TokenOut{info})
KIT_FUNCTION(QLK_PKCS11_GetCertCnt, (void* c, int* count), c, IntOut{count})
KIT_FUNCTION(QLK_PKCS11_GetCertInfo, (void* c, int i, int* kind, BINSTR* info, BINSTR* id), c, i, IntOut{kind},
             Out{info}, Out{id})
