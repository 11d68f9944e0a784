#pragma once
// The common body of the two toolkit backends (CGpkiEx, CNpkiEx): the loaded library,
// the toolkit context, the kept error text and every operation that both backends
// perform alike. What differs between them is either a BackendTraits value or an
// operation of the derived class.

#include <zorvane/ByteString.h>
#include <zorvane/Pkcs11TokenInfo.h>

#include <atomic>
#include <cstddef>
#include <vector>

#include "crypto/QlkApi.h"
#include "platform/Win32.h"

namespace zorvane {

enum BackendResult : int {
    kNotLoadedGpki = 100,    // library not loaded: GPKI side, and some NPKI operations
    kNotLoadedNpki = 101,    // library not loaded: NPKI side, and three GPKI operations
    kFunctionMissing = 102,  // the function is not in the library, or not offered
    kNotOffered = 1000000,   // the GPKI backend does not offer the operation
};

struct BackendTraits {
    const char* className;         // prefix of the "Fail to call" texts
    const char* libraryFile;       // file name in the work folder
    int notLoaded;                 // usual answer when the library is not loaded
    bool copiesOutputsAfterError;  // binary outputs copied also after a toolkit error
    bool keepsKeyAndIV;            // mirrors the last key and IV in m_key / m_iv
    bool passesCallerCmsType;      // hands the caller's CMS type and cipher to the toolkit
    bool validityAsLocalTime;      // four-output GetValidity breaks times down as local
    bool uidFirstField;            // GetUID keeps only the first comma-separated field
};

// A toolkit function as the backends call it: its type from QlkApi.h, its name (for
// the look-up and the "Fail to call" text) and its slot in each backend's table of
// resolved functions.
template <typename Function>
struct ToolkitFunction {
    const char* name;
    std::size_t slot;
};

// A fresh slot; each place that names a function takes one, once per process.
std::size_t NextFunctionSlot();

// Pairs a toolkit function's name with its type and a slot of its own, so that a
// backend resolves it once per loaded library and then finds it by index.
#define QLK_FUNCTION(function)                                            \
    ::zorvane::ToolkitFunction<decltype(&function)> {                     \
        #function, [] {                                                   \
            static const std::size_t slot = ::zorvane::NextFunctionSlot(); \
            return slot;                                                  \
        }()                                                               \
    }

// When a toolkit output is copied into the caller's ByteString.
enum class CopyRule {
    ByBackend,   // after success or a missing function; after a toolkit error as the traits say
    Always,      // in every case once the function was looked up
    OnSuccess,   // only when the toolkit returned 0
    WhenCalled,  // whenever the function was found and called
};

enum class Reach { NotLoaded, Missing, Called };

struct CallOutcome {
    Reach reach;
    int result;
};

// Rules of one call that differ from the backend's usual ones.
struct CallFrame {
    int notLoaded;
    const char* failName = nullptr;  // name in the "Fail to call" text; default the function's
};

class CToolkitBackend {
public:
    CToolkitBackend(const CToolkitBackend&) = delete;
    CToolkitBackend& operator=(const CToolkitBackend&) = delete;
    virtual ~CToolkitBackend();

    // Frame
    int Init(ByteString workFolder);
    int Finish();
    int GetErrInfo(ByteString& text);
    int BinstrCreate(BINSTR* binstr);
    int BinstrSetData(const unsigned char* data, int length, BINSTR* binstr);
    int BinstrDelete(BINSTR* binstr);
    // Whether an output is copied back after a call that ended so (see CopyRule).
    bool CopiesOutput(CopyRule rule, const CallOutcome& outcome) const;

    // Certificate inspection
    int LoadCert(const ByteString& cert);
    int UnloadCert();
    int GetCertVersion(int& version);
    int GetSerialNum(ByteString& serial);
    int GetIssuerName(ByteString& name);
    int GetSubjectName(ByteString& name);
    int GetSignAlgo(ByteString& algorithm);
    int GetKeyUsage(ByteString& usage);
    int GetPolicyID(ByteString& policyId);
    int GetValidity(ByteString& notBefore, ByteString& notAfter);
    int GetValidity(ByteString& notBefore, ByteString& notAfter, ByteString& notAfterDate, int& expired);
    int GetUID(ByteString& uid);

    // CMS messages
    int MakeEnvelopedData(const ByteString& in1, const ByteString& in2, ByteString& enveloped);
    int MakeEnvelopedData(const ByteString& in1, const ByteString& in2, int cipherAlg, ByteString& enveloped);
    int MakeEnvelopedData(int type, const ByteString& in1, const ByteString& in2, int cipherAlg,
                          ByteString& enveloped);
    int MakeEnvelopedDataWithMultiRecipients(const ByteString& in1, const ByteString& in2, ByteString& enveloped);
    int MakeEnvelopedDataWithMultiRecipients(const ByteString& in1, const ByteString& in2, int cipherAlg,
                                             ByteString& enveloped);
    int MakeEnvelopedDataWithMultiRecipients(int type, const ByteString& in1, const ByteString& in2,
                                             int cipherAlg, ByteString& enveloped);
    int VerifyEnvelopedData(const ByteString& in1, const ByteString& in2, const ByteString& in3,
                            ByteString& content);
    int MakeSignedAndEnvData(const ByteString& in1, const ByteString& in2, const ByteString& in3,
                             const ByteString& in4, ByteString& message);
    int MakeSignedAndEnvData(int type, const ByteString& in1, const ByteString& in2, const ByteString& in3,
                             const ByteString& in4, int cipherAlg, ByteString& message);
    int VerifySignedAndEnvData(const ByteString& in1, const ByteString& in2, const ByteString& in3,
                               ByteString& first, ByteString& second);
    int VerifySignedAndEnvData(int type, const ByteString& in1, const ByteString& in2, const ByteString& in3,
                               ByteString& first, ByteString& second);
    int MakeSimpleSignedData(const ByteString& in1, const ByteString& in2, const ByteString& in3,
                             ByteString& signature);
    int MakeSimpleSignedData(const ByteString& in1, const ByteString& in2, int hashAlg, const ByteString& in3,
                             ByteString& signature);
    int VerifySimpleSignedData(const ByteString& in1, const ByteString& in2, const ByteString& in3);
    int VerifySimpleSignedData(const ByteString& in1, int hashAlg, const ByteString& in2, const ByteString& in3);

    // Trust and verification
    int VerifyCert(const ByteString& cert, int p2, const ByteString& in3, const ByteString& confFile, bool p5,
                   const ByteString& in6, const ByteString& in7);
    int AddTrustedCert(const ByteString& cert);
    int SetCaPubs(const ByteString& caPubs);
    int VerifyByIVS(const ByteString& in1, const ByteString& in2, const ByteString& in3);
    int VerifyByIVS2(const ByteString& in1, const ByteString& in2, const ByteString& in3, const ByteString& in4,
                     const ByteString& in5);
    int VerifyVID(const ByteString& in1, const ByteString& random, const ByteString& identityNumber);
    int GetRandomNo(const ByteString& privateKey, ByteString& random);
    int LDAPGetDataByURL(int p1, const ByteString& url, ByteString& data);
    int AddObject(const ByteString& object, ByteString& result);

    // Keys, ciphers and encodings
    int GenerateRandom(int length, ByteString& random);
    int GenerateKey(ByteString& key, ByteString& iv);
    int GenerateKey(int cipherAlg, ByteString& key, ByteString& iv);
    int SetKeyAndIV(const ByteString& key, const ByteString& iv);
    int SetKeyAndIV(int cipherAlg, const ByteString& key, const ByteString& iv);
    int GetKeyAndIV(ByteString& key, ByteString& iv);
    int GetKeyAndIV(int cipherAlg, ByteString& key, ByteString& iv);
    int EncryptKey(const ByteString& input, ByteString& result);
    int EncryptKey(const ByteString& key, const ByteString& iv, const ByteString& input, ByteString& result);
    int EncryptKey(int cipherAlg, const ByteString& key, const ByteString& iv, const ByteString& input,
                   ByteString& result);
    int DecryptKey(const ByteString& input, ByteString& result);
    int DecryptKey(const ByteString& key, const ByteString& iv, const ByteString& input, ByteString& result);
    int DecryptKey(int cipherAlg, const ByteString& key, const ByteString& iv, const ByteString& input,
                   ByteString& result);
    int AsymEncrypt(int p1, const ByteString& in1, const ByteString& in2, ByteString& result);
    int AsymDecrypt(int p1, const ByteString& in1, const ByteString& in2, ByteString& result);
    int Hash(const ByteString& input, ByteString& digest);
    int Hash(int hashAlg, const ByteString& input, ByteString& digest);
    int VerifyMAC(int p1, const ByteString& in2, const ByteString& in3, const ByteString& in4);
    int Base64Enc(const ByteString& input, ByteString& result);
    int Base64Dec(const ByteString& input, ByteString& result);
    int EncodePEM(int p1, const ByteString& input, ByteString& pem);
    int DecodePEM(const ByteString& pem, ByteString& result);
    int PriKeyEncrypt(int p1, const ByteString& password, const ByteString& privateKey, ByteString& encrypted);
    int PriKeyDecrypt(const ByteString& password, const ByteString& encrypted, ByteString& privateKey);
    int PriKeyChangePass(const ByteString& oldPassword, const ByteString& newPassword, const ByteString& encrypted,
                         ByteString& reencrypted);
    int PriKeyCheckKeyPair(const ByteString& in1, const ByteString& in2);

    // Storage media (1 disk, 2 card)
    int LoadStorage(const ByteString& driverPath);
    int UnloadStorage();
    int ReadCertFromStorage(int media, const ByteString& location, int selector, ByteString& cert);
    int ReadPriKeyFromStroage(int media, const ByteString& t2, const ByteString& t3, int selector, ByteString& key);
    int WriteCertToStorage(int media, const ByteString& location, int selector, const ByteString& cert);
    int WritePriKeyToStorage(int media, const ByteString& t2, const ByteString& t3, int selector, int p5,
                             const ByteString& key);
    int WriteFileToStorage(const ByteString& location, const ByteString& data);
    int DeleteCertFromStorage(int media, const ByteString& location, int selector);
    int DeletePriKeyFromStorage(int media, const ByteString& t2, const ByteString& t3, int selector);

    // PKCS#11 tokens
    int PKCS11_InitToken(const ByteString& t1, const ByteString& t2);
    int PKCS11_OpenSession(const ByteString& t1);
    int PKCS11_OpenSessionWithSlotID(unsigned long slot, const ByteString& t2, int p3);
    int PKCS11_OpenSessionWithTokenName(const ByteString& name, int p2);
    int PKCS11_Login(const ByteString& pin);
    int PKCS11_GetSlotList(unsigned long* slots, unsigned long& count);
    int PKCS11_GetTokenInfo(unsigned long slot, PKCS11_TOKEN_INFO& info);
    int PKCS11_GetCertCnt(int* count);
    int PKCS11_GetCertInfo(int p1, int p2, ByteString& first, ByteString& second);
    int PKCS11_ReadCert(const ByteString& in1, ByteString& cert);
    int PKCS11_ReadRandomForVID(const ByteString& in1, ByteString& random);
    int PKCS11_Sign(const ByteString& in1, const ByteString& in2, ByteString& result);
    int PKCS11_SignData(const ByteString& in1, const ByteString& in2, ByteString& result);
    int PKCS11_SignData_NoContent(const ByteString& in1, const ByteString& in2, ByteString& result);
    int PKCS11_Encrypt(const ByteString& in1, const ByteString& in2, ByteString& result);
    int PKCS11_Decrypt(const ByteString& in1, const ByteString& in2, ByteString& result);
    int PKCS11_CloseSession();

    // Fields, in the documented order.
    HMODULE m_library;
    void* m_context;
    int m_cipherAlg;
    int m_hashAlg;
    ByteString m_errorText;
    ByteString m_iv;
    ByteString m_key;
    // Not part of the documented layout, so kept behind it: what tells the two backends
    // apart, and the number of facades sharing this backend (see CCryptoEx).
    const BackendTraits& m_traits;
    std::atomic<int> m_references;
    // Functions looked up in the loaded library, by slot (missing ones too); the same
    // library answers a name the same way until it is unloaded.
    struct Resolution {
        bool known = false;
        FARPROC function = nullptr;
    };
    mutable std::vector<Resolution> m_resolved;

protected:
    CToolkitBackend(const BackendTraits& traits, int cipherAlg, int hashAlg);

    // The common call frame (ToolkitCall.h).
    template <typename Function, typename... Arguments>
    CallOutcome Call(const CallFrame& frame, ToolkitFunction<Function> function, Arguments... arguments);
    template <typename Function, typename... Arguments>
    int Invoke(const CallFrame& frame, ToolkitFunction<Function> function, Arguments... arguments);
    template <typename Function, typename... Arguments>
    int Invoke(ToolkitFunction<Function> function, Arguments... arguments);
    // Looks every function up; when one is missing sets the "Fail to call" text with failName.
    template <typename... Functions>
    bool Present(const char* failName, ToolkitFunction<Functions>... functions);
    template <typename Function>
    Function Find(ToolkitFunction<Function> function) const;

    CallFrame UsualFrame() const { return CallFrame{m_traits.notLoaded}; }
    bool Loaded() const { return m_library != nullptr; }
    // Sets the "Fail to call" text for name and answers 102.
    int ReportMissing(const char* name);
    // An operation this backend does not offer: library check, then 102 naming it.
    int Unavailable(const char* operation);
    int GetPubKeyTexts(int size, int algorithmSize, ByteString& algorithm, ByteString& key);
    int GetCertText(ToolkitFunction<decltype(&QLK_CERT_GetIssuerName)> function, int size, ByteString& text,
                    const char* failName = nullptr);

private:
    FARPROC Lookup(const char* name, std::size_t slot) const;
    void FetchErrorText();
    int CmsType(int type) const { return m_traits.passesCallerCmsType ? type : 0; }
    void KeepKeyAndIV(CopyRule rule, const CallOutcome& outcome, const ByteString& key, const ByteString& iv);
    int SymmetricCipher(ToolkitFunction<decltype(&QLK_CRYPT_Encrypt)> function, int cipherAlg,
                        const ByteString& key, const ByteString& iv, const ByteString& input, ByteString& result);
    template <typename DiskFunction, typename CardFunction, typename... Arguments>
    int OnMedia(int media, const char* failName, ToolkitFunction<DiskFunction> disk,
                ToolkitFunction<CardFunction> card, int selector, Arguments... arguments);
};

}  // namespace zorvane
