// A PKCS#11 module for tests: SoftHSM2 behind it, except that its first C_Initialize
// answers CKR_CRYPTOKI_ALREADY_INITIALIZED, as a module that another part of the host
// initialised would, and that the PIN "locked" is locked (SoftHSM2 never locks one).

#include <dlfcn.h>
#include <p11-kit/pkcs11.h>

#include <cstring>

namespace {

CK_FUNCTION_LIST wrapped;
CK_C_Initialize softHsmInitialize = nullptr;
CK_C_Login softHsmLogin = nullptr;
int initializeCalls = 0;
constexpr char kLockedPin[] = "locked";

CK_RV InitializeOnceRefused(void* arguments) {
    return ++initializeCalls == 1 ? CKR_CRYPTOKI_ALREADY_INITIALIZED : softHsmInitialize(arguments);
}

CK_RV LoginUnlessLocked(CK_SESSION_HANDLE session, CK_USER_TYPE user, CK_UTF8CHAR_PTR pin, CK_ULONG length) {
    const bool locked = length == sizeof kLockedPin - 1 && std::memcmp(pin, kLockedPin, length) == 0;
    return locked ? CKR_PIN_LOCKED : softHsmLogin(session, user, pin, length);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) CK_RV C_GetFunctionList(CK_FUNCTION_LIST_PTR_PTR list) {
    static void* softHsm = dlopen(SOFTHSM_MODULE, RTLD_NOW | RTLD_LOCAL);
    auto getList = softHsm ? reinterpret_cast<CK_C_GetFunctionList>(dlsym(softHsm, "C_GetFunctionList")) : nullptr;
    CK_FUNCTION_LIST* inner = nullptr;
    if (getList == nullptr || getList(&inner) != CKR_OK) return CKR_GENERAL_ERROR;
    wrapped = *inner;
    softHsmInitialize = inner->C_Initialize;
    softHsmLogin = inner->C_Login;
    wrapped.C_Initialize = InitializeOnceRefused;
    wrapped.C_Login = LoginUnlessLocked;
    *list = &wrapped;
    return CKR_OK;
}
