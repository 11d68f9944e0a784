// A stand-in for the toolkit that the crypto tests load in place of Quellark.dll and
// gpkiapi.dll: it records how it is called, fails on demand and writes recognisable
// outputs (see FaultControl.h). Built in variants that export different sets of
// functions, so that missing functions can be tested.
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

struct Failure {
    int code;
    std::string text;
};

struct State {
    std::vector<std::string> calls;
    std::string callText;
    std::map<std::string, Failure> failures;
    std::map<std::pair<std::string, int>, std::string> outputs;
    std::string errorText;
    bool fillTexts = false;
    int liveBinstrs = 0;
    std::set<int*> contexts;
    int nextContext = 0;
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

std::string Printable(const unsigned char* data, int length) {
    if (!data || length <= 0) return std::string();
    std::string text(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
    for (unsigned char c : text) {
        if (c < 0x20 || c > 0x7e) {
            static const char kDigits[] = "0123456789abcdef";
            std::string hex = "0x";
            for (int i = 0; i < length; ++i) {
                hex += kDigits[data[i] >> 4];
                hex += kDigits[data[i] & 0x0f];
            }
            return hex;
        }
    }
    return text;
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
    void Describe(In in) { Add(in.record ? "[" + Printable(in.record->data, in.record->length) + "]" : "null"); }
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
        const std::string content = Kit().fillTexts ? std::string(text.size - 1, 'x') : NextOutput();
        const std::size_t length = std::min(content.size(), static_cast<std::size_t>(text.size - 1));
        std::memcpy(text.buffer, content.data(), length);
        text.buffer[length] = 0;
    }
    void Write(IntOut out) {
        const std::string content = NextOutput();
        const bool set = Kit().outputs.count({name_, outputs_}) != 0;
        if (out.value) *out.value = set ? std::atoi(content.c_str()) : kIntegerOutput;
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

// Records the call, writes every output and answers 0 or the failure set for it.
template <typename... Arguments>
int Handle(const char* name, void* context, Arguments... arguments) {
    CallRecord record(name);
    (record.Describe(arguments), ...);
    record.Store(context);
    (record.Write(arguments), ...);
    const auto failure = Kit().failures.find(name);
    if (failure == Kit().failures.end()) return 0;
    Kit().errorText = failure->second.text;
    return failure->second.code;
}

int FailureOf(const char* name) {
    const auto failure = Kit().failures.find(name);
    if (failure == Kit().failures.end()) return 0;
    Kit().errorText = failure->second.text;
    return failure->second.code;
}

}  // namespace

// Control

FAULTKIT_EXPORT void FaultKit_Reset(void) {
    State& kit = Kit();
    kit.calls.clear();
    kit.failures.clear();
    kit.outputs.clear();
    kit.errorText.clear();
    kit.fillTexts = false;
}

FAULTKIT_EXPORT void FaultKit_Fail(const char* function, int code, const char* text) {
    Kit().failures[function] = Failure{code, text};
}

FAULTKIT_EXPORT void FaultKit_SetOutput(const char* function, int output, const char* content) {
    Kit().outputs[{function, output}] = content;
}

FAULTKIT_EXPORT void FaultKit_FillTexts(int on) { Kit().fillTexts = on != 0; }

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
    int* made = new int(++Kit().nextContext);
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
    std::free(binstr->data);
    binstr->data = nullptr;
    binstr->length = 0;
    if (!data || length <= 0) return 0;
    binstr->data = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(length)));
    std::memcpy(binstr->data, data, static_cast<std::size_t>(length));
    binstr->length = length;
    return 0;
}

int QLK_BINSTR_Delete(BINSTR* binstr) {
    std::free(binstr->data);
    binstr->data = nullptr;
    binstr->length = 0;
    --Kit().liveBinstrs;
    return 0;
}

// Every other function: recorded and answered by Handle; the families of one shape
// through a macro each.

#define TEXT_FIELD(name) int name(void* c, int size, char* text) { return Handle(#name, c, size, TextOut{text, size}); }
#define ONE_TO_ONE(name) \
    int name(void* c, BINSTR* input, BINSTR* output) { return Handle(#name, c, In{input}, Out{output}); }
#define TWO_TO_ONE(name) \
    int name(void* c, BINSTR* in1, BINSTR* in2, BINSTR* out) { return Handle(#name, c, In{in1}, In{in2}, Out{out}); }
#define NO_ARGUMENT(name) int name(void* c) { return Handle(#name, c); }
#define ONE_TEXT(name) int name(void* c, const char* text) { return Handle(#name, c, text); }
#define ONE_IN(name) int name(void* c, BINSTR* input) { return Handle(#name, c, In{input}); }
#define MAC(name)                                                        \
    int name(void* c, int p1, const char* in2, BINSTR* in3, BINSTR* mac) { \
        return Handle(#name, c, p1, in2, In{in3}, Out{mac});               \
    }

TEXT_FIELD(QLK_CERT_GetSerialNum)
TEXT_FIELD(QLK_CERT_GetIssuerName)
TEXT_FIELD(QLK_CERT_GetSubjectName)
TEXT_FIELD(QLK_CERT_GetSignatureAlgorithm)
TEXT_FIELD(QLK_CERT_GetSignature)
TEXT_FIELD(QLK_CERT_GetKeyUsage)
TEXT_FIELD(QLK_CERT_GetCertPolicy)
TEXT_FIELD(QLK_CERT_GetCertPolicy_PolicyID)
TEXT_FIELD(QLK_CERT_GetBasicConstraints)
TEXT_FIELD(QLK_CERT_GetExtKeyUsage)
TEXT_FIELD(QLK_CERT_GetSubjectAltName)
TEXT_FIELD(QLK_CERT_GetSubKeyID)
TEXT_FIELD(QLK_CERT_GetAuthKeyID)
TEXT_FIELD(QLK_CERT_GetCRLDP)
TEXT_FIELD(QLK_CERT_GetAIA)
ONE_TO_ONE(QLK_UTIL_AddObject)
ONE_TO_ONE(QLK_UTIL_GetRootCert)
ONE_TO_ONE(QLK_UTIL_GetCertPath)
ONE_TO_ONE(QLK_VID_GetRandomFromPriKey)
ONE_TO_ONE(QLK_CRYPT_Encrypt)
ONE_TO_ONE(QLK_CRYPT_Decrypt)
ONE_TO_ONE(QLK_BASE64_Encode)
ONE_TO_ONE(QLK_BASE64_Decode)
ONE_TO_ONE(QLK_PEM_Decode)
ONE_TO_ONE(QLK_PKCS11_ReadCert)
ONE_TO_ONE(QLK_PKCS11_ReadRandomForVID)
TWO_TO_ONE(QLK_PKCS11_Sign)
TWO_TO_ONE(QLK_PKCS11_SignData)
TWO_TO_ONE(QLK_PKCS11_SignData_NoContent)
TWO_TO_ONE(QLK_PKCS11_Encrypt)
TWO_TO_ONE(QLK_PKCS11_Decrypt)
NO_ARGUMENT(QLK_CERT_Unload)
NO_ARGUMENT(QLK_MEDIA_Unload)
NO_ARGUMENT(QLK_CRYPT_SetEnvChangeIV)
NO_ARGUMENT(QLK_PKCS11_CloseSession)
ONE_TEXT(QLK_API_SetConfFile)
ONE_TEXT(QLK_MEDIA_Load)
ONE_TEXT(QLK_MEDIA_DISK_DeleteCert)
ONE_TEXT(QLK_PKCS11_OpenSession)
ONE_TEXT(QLK_PKCS11_Login)
ONE_IN(QLK_CERT_Load)
ONE_IN(QLK_CERT_AddTrustedCert)
MAC(QLK_CRYPT_GenMAC)
MAC(GPKI_CRYPT_GenMAC)

#undef TEXT_FIELD
#undef ONE_TO_ONE
#undef TWO_TO_ONE
#undef NO_ARGUMENT
#undef ONE_TEXT
#undef ONE_IN
#undef MAC

int QLK_API_GetInfo(void* c, char* version, char* info) {
    return Handle(__func__, c, TextOut{version, kVersionBuffer}, TextOut{info, kInfoBuffer});
}

int QLK_CERT_GetVersion(void* c, int* version) { return Handle(__func__, c, IntOut{version}); }
int QLK_CERT_GetSubjectName_DERFormat(void* c, BINSTR* name) { return Handle(__func__, c, Out{name}); }
int QLK_CERT_GetValidity(void* c, char* notBefore, char* notAfter) {
    return Handle(__func__, c, TextOut{notBefore, kValidityBuffer}, TextOut{notAfter, kValidityBuffer});
}
int QLK_CERT_GetPubKey(void* c, int size, char* algorithm, char* key) {
    return Handle(__func__, c, size, TextOut{algorithm, kPubKeyAlgorithmBuffer}, TextOut{key, size});
}
int QLK_CERT_GetPubKey2(void* c, char* algorithm, char* bits, BINSTR* key) {
    return Handle(__func__, c, TextOut{algorithm, kPubKey2Buffer}, TextOut{bits, kPubKey2Buffer}, Out{key});
}

int QLK_CERT_SetVerifyEnv1(void* c, int p1, int p2, int p3, const char* text) {
    return Handle(__func__, c, p1, p2, p3, text);
}
int QLK_CERT_SetVerifyEnv2(void* c, const char* time, BINSTR* in2, BINSTR* in3) {
    return Handle(__func__, c, time, In{in2}, In{in3});
}
int QLK_CERT_Verify(void* c, BINSTR* certificate, int p2, const char* in3, int p5, BINSTR* in6, BINSTR* in7) {
    return Handle(__func__, c, In{certificate}, p2, in3, p5, In{in6}, In{in7});
}
int QLK_CERT_Verify2(void* c, BINSTR* certificate, int p2, const char* in3, const char* in4) {
    return Handle(__func__, c, In{certificate}, p2, in3, in4);
}
int QLK_CERT_VerifyByIVS(void* c, const char* in1, BINSTR* in2, BINSTR* in3) {
    return Handle(__func__, c, in1, In{in2}, In{in3});
}

int QLK_UTIL_GetObjectCount(void* c, BINSTR* list, int* count) {
    return Handle(__func__, c, In{list}, IntOut{count});
}
int QLK_UTIL_GetObject(void* c, BINSTR* list, int index, BINSTR* object) {
    return Handle(__func__, c, In{list}, index, Out{object});
}
int QLK_UTIL_CompareDN(void* c, const char* first, const char* second) { return Handle(__func__, c, first, second); }
int QLK_UTIL_IsTrustCert(void* c, BINSTR* in1, BINSTR* in2, unsigned char* trusted) {
    return Handle(__func__, c, In{in1}, In{in2}, FlagOut{trusted});
}

int QLK_VID_VerifyByIVS(void* c, const char* in1, BINSTR* in2, BINSTR* in3, const char* in4, BINSTR* in5) {
    return Handle(__func__, c, in1, In{in2}, In{in3}, in4, In{in5});
}
int QLK_VID_Verify(void* c, BINSTR* certificate, BINSTR* random, const char* identityNumber) {
    return Handle(__func__, c, In{certificate}, In{random}, identityNumber);
}

int QLK_PRIKEY_Encrypt(void* c, int algorithm, const char* password, BINSTR* privateKey, BINSTR* encrypted) {
    return Handle(__func__, c, algorithm, password, In{privateKey}, Out{encrypted});
}
int QLK_PRIKEY_Decrypt(void* c, const char* password, BINSTR* encrypted, BINSTR* privateKey) {
    return Handle(__func__, c, password, In{encrypted}, Out{privateKey});
}
int QLK_PRIKEY_ChangePasswd(void* c, const char* oldPassword, const char* newPassword, BINSTR* encrypted,
                            BINSTR* reencrypted) {
    return Handle(__func__, c, oldPassword, newPassword, In{encrypted}, Out{reencrypted});
}
int QLK_PRIKEY_CheckKeyPair(void* c, BINSTR* in1, BINSTR* in2) { return Handle(__func__, c, In{in1}, In{in2}); }

int QLK_MEDIA_DISK_ReadCert(void* c, const char* location, BINSTR* certificate) {
    return Handle(__func__, c, location, Out{certificate});
}
int QLK_MEDIA_CARD_ReadCert(void* c, int selector, const char* location, BINSTR* certificate) {
    return Handle(__func__, c, selector, location, Out{certificate});
}
int QLK_MEDIA_DISK_ReadPriKey(void* c, const char* t2, const char* t3, BINSTR* key) {
    return Handle(__func__, c, t2, t3, Out{key});
}
int QLK_MEDIA_CARD_ReadPriKey(void* c, int selector, const char* t2, const char* t3, BINSTR* key) {
    return Handle(__func__, c, selector, t2, t3, Out{key});
}
int QLK_MEDIA_DISK_WriteCert(void* c, const char* location, BINSTR* certificate) {
    return Handle(__func__, c, location, In{certificate});
}
int QLK_MEDIA_CARD_WriteCert(void* c, int selector, const char* location, BINSTR* certificate) {
    return Handle(__func__, c, selector, location, In{certificate});
}
int QLK_MEDIA_DISK_WritePriKey(void* c, int p5, const char* t2, const char* t3, BINSTR* key) {
    return Handle(__func__, c, p5, t2, t3, In{key});
}
int QLK_MEDIA_CARD_WritePriKey(void* c, int selector, int p5, const char* t2, const char* t3, BINSTR* key) {
    return Handle(__func__, c, selector, p5, t2, t3, In{key});
}
int QLK_MEDIA_CARD_DeleteCert(void* c, int selector, const char* location) {
    return Handle(__func__, c, selector, location);
}
int QLK_MEDIA_DISK_DeletePriKey(void* c, const char* t2, const char* t3) { return Handle(__func__, c, t2, t3); }
int QLK_MEDIA_CARD_DeletePriKey(void* c, int selector, const char* t2, const char* t3) {
    return Handle(__func__, c, selector, t2, t3);
}
int QLK_MEDIA_DISK_WriteFile(void* c, const char* location, BINSTR* data) {
    return Handle(__func__, c, location, In{data});
}

int QLK_CMS_SignData(void* c, int type, BINSTR* in1, BINSTR* in2, BINSTR* in3, const char* signTime,
                     BINSTR* signedData) {
    return Handle(__func__, c, type, In{in1}, In{in2}, In{in3}, signTime, Out{signedData});
}
int QLK_CMS_AddSigner(void* c, int type, BINSTR* in1, BINSTR* in2, BINSTR* in3, const char* signTime,
                      BINSTR* signedData) {
    return Handle(__func__, c, type, In{in1}, In{in2}, In{in3}, signTime, InOut{signedData});
}
int QLK_CMS_GetSignerCert(void* c, int index, BINSTR* certificate, char* time) {
    return Handle(__func__, c, index, Out{certificate}, TextOut{time, kSignerTimeBuffer});
}
int QLK_CMS_VerifyData(void* c, int type, BINSTR* signedData, BINSTR* content, int* signerCount) {
    return Handle(__func__, c, type, In{signedData}, Out{content}, IntOut{signerCount});
}
int QLK_CMS_EncryptData(void* c, int type, BINSTR* in1, BINSTR* in2, int cipher, BINSTR* enveloped) {
    return Handle(__func__, c, type, In{in1}, In{in2}, cipher, Out{enveloped});
}
int QLK_CMS_EncryptDataWithMultiReps(void* c, int type, BINSTR* in1, BINSTR* in2, int cipher, BINSTR* enveloped) {
    return Handle(__func__, c, type, In{in1}, In{in2}, cipher, Out{enveloped});
}
int QLK_CMS_DecryptData(void* c, BINSTR* in1, BINSTR* in2, BINSTR* in3, BINSTR* content) {
    return Handle(__func__, c, In{in1}, In{in2}, In{in3}, Out{content});
}
int QLK_CMS_SignAndEncData(void* c, int type, BINSTR* in1, BINSTR* in2, BINSTR* in3, BINSTR* in4, int cipher,
                           BINSTR* message) {
    return Handle(__func__, c, type, In{in1}, In{in2}, In{in3}, In{in4}, cipher, Out{message});
}
int QLK_CMS_VerifyAndDecData(void* c, int type, BINSTR* in1, BINSTR* in2, BINSTR* in3, BINSTR* first,
                             BINSTR* second) {
    return Handle(__func__, c, type, In{in1}, In{in2}, In{in3}, Out{first}, Out{second});
}

int QLK_CRYPT_SetRSAVersion(void* c, int version) { return Handle(__func__, c, version); }
int QLK_CRYPT_GenRandom(void* c, int length, BINSTR* random) { return Handle(__func__, c, length, Out{random}); }
int QLK_CRYPT_GenKeyPair(void* c, int p1, BINSTR* first, BINSTR* second) {
    return Handle(__func__, c, p1, Out{first}, Out{second});
}
int QLK_CRYPT_GenKeyAndIV(void* c, int cipher) { return Handle(__func__, c, cipher); }
int QLK_CRYPT_SetKeyAndIV(void* c, int cipher, BINSTR* key, BINSTR* iv) {
    return Handle(__func__, c, cipher, In{key}, In{iv});
}
int QLK_CRYPT_GetKeyAndIV(void* c, int* cipher, BINSTR* key, BINSTR* iv) {
    return Handle(__func__, c, IntOut{cipher}, Out{key}, Out{iv});
}
int QLK_CRYPT_Sign(void* c, BINSTR* in1, BINSTR* in2, int hash, BINSTR* in3, BINSTR* signature) {
    return Handle(__func__, c, In{in1}, In{in2}, hash, In{in3}, Out{signature});
}
int QLK_CRYPT_Verify(void* c, BINSTR* in1, int hash, BINSTR* in2, BINSTR* in3) {
    return Handle(__func__, c, In{in1}, hash, In{in2}, In{in3});
}
int QLK_CRYPT_AsymEncrypt(void* c, int p1, BINSTR* in1, BINSTR* in2, BINSTR* output) {
    return Handle(__func__, c, p1, In{in1}, In{in2}, Out{output});
}
int QLK_CRYPT_AsymDecrypt(void* c, int p1, BINSTR* in1, BINSTR* in2, BINSTR* output) {
    return Handle(__func__, c, p1, In{in1}, In{in2}, Out{output});
}
int QLK_CRYPT_Hash(void* c, int hash, BINSTR* input, BINSTR* digest) {
    return Handle(__func__, c, hash, In{input}, Out{digest});
}
int QLK_CRYPT_VerifyMAC(void* c, int p1, const char* in2, BINSTR* in3, BINSTR* in4) {
    return Handle(__func__, c, p1, in2, In{in3}, In{in4});
}

int QLK_PEM_Encode(void* c, int p1, BINSTR* input, BINSTR* output) {
    return Handle(__func__, c, p1, In{input}, Out{output});
}
int QLK_DSAP_GetDataByURL(void* c, int p1, const char* url, BINSTR* data) {
    return Handle(__func__, c, p1, url, Out{data});
}

int QLK_PKCS11_InitToken(void* c, const char* t1, const char* t2) { return Handle(__func__, c, t1, t2); }
int QLK_PKCS11_OpenSessionWithSlotID(void* c, unsigned long slot, const char* t2, int p3) {
    return Handle(__func__, c, slot, t2, p3);
}
int QLK_PKCS11_OpenSessionWithTokenName(void* c, const char* name, int p2) { return Handle(__func__, c, name, p2); }
int QLK_PKCS11_GetSlotList(void* c, unsigned long* slots, unsigned long* count) {
    return Handle(__func__, c, SlotsOut{slots, count});
}
int QLK_PKCS11_GetTokenInfo(void* c, unsigned long slot, PKCS11_TOKEN_INFO* info) {
    return Handle(__func__, c, slot, TokenOut{info});
}
int QLK_PKCS11_GetCertCnt(void* c, int* count) { return Handle(__func__, c, IntOut{count}); }
int QLK_PKCS11_GetCertInfo(void* c, int index, int* kind, BINSTR* info, BINSTR* id) {
    return Handle(__func__, c, index, IntOut{kind}, Out{info}, Out{id});
}
