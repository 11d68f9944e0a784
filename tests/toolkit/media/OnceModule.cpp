// A PKCS#11 module for tests: SoftHSM2 behind it, except that its first C_Initialize
// answers CKR_CRYPTOKI_ALREADY_INITIALIZED, as a module that another part of the host
// initialised would.

#include <dlfcn.h>
#include <p11-kit/pkcs11.h>

namespace {

CK_FUNCTION_LIST wrapped;
CK_C_Initialize softHsmInitialize = nullptr;
int initializeCalls = 0;

CK_RV InitializeOnceRefused(void* arguments) {
    return ++initializeCalls == 1 ? CKR_CRYPTOKI_ALREADY_INITIALIZED : softHsmInitialize(arguments);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) CK_RV C_GetFunctionList(CK_FUNCTION_LIST_PTR_PTR list) {
    static void* softHsm = dlopen(SOFTHSM_MODULE, RTLD_NOW | RTLD_LOCAL);
    auto getList = softHsm ? reinterpret_cast<CK_C_GetFunctionList>(dlsym(softHsm, "C_GetFunctionList")) : nullptr;
    CK_FUNCTION_LIST* inner = nullptr;
    if (getList == nullptr || getList(&inner) != CKR_OK) return CKR_GENERAL_ERROR;
    wrapped = *inner;
    softHsmInitialize = inner->C_Initialize;
    wrapped.C_Initialize = InitializeOnceRefused;
    *list = &wrapped;
    return CKR_OK;
}
