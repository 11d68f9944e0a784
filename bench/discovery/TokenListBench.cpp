// Listing a SoftHSM2 token of 20 certificates (10 signing and key-management pairs)
// through AddCertList_PKCS11, beside a direct PKCS#11 walk of the same token
// (C_FindObjects, then C_GetAttributeValue for value, label and identifier). Both
// initialise and finalise the module each time, as each discovery call does.

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <p11-kit/pkcs11.h>
#include <zorvane/LoadCert.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BaselineRatio.h"
#include "tools/pkigen/MediaImages.h"

namespace {

namespace fs = std::filesystem;

const char kSoftHsm[] = "/usr/lib/softhsm/libsofthsm2.so";
const int kPairs = 10;

struct Token {
    std::string root, work;

    Token() {
        std::string pattern = (fs::temp_directory_path() / "zorvane-token-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        root = pattern;
        work = root + "/work";
        fs::create_directories(work);
        fs::create_symlink(fs::path(ZORVANE_BENCH_WORK_DIR) / "Quellark.dll", fs::path(work) / "Quellark.dll");
        zorvane::pkigen::Options options;
        options.home = root + "/home";
        options.work = work;
        options.cas = {"yessign"};
        options.count = kPairs;
        options.seed = 3;
        options.seedGiven = true;
        options.keyCache = ZORVANE_BENCH_WORK_DIR "/../pkigen-key-cache";
        zorvane::pkigen::Result result;
        std::string error, conf;
        zorvane::pkigen::TokenPlan plan{"bench-token", {}, true};
        bool made = zorvane::pkigen::Generate(options, result, error) &&
                    zorvane::pkigen::PrepareSoftHsm(root + "/tokens", conf, error);
        for (const auto& user : result.users) plan.users.push_back(&user);
        if (!made || !zorvane::pkigen::ProvisionToken(kSoftHsm, "123456", plan, error)) {
            std::fprintf(stderr, "token set-up failed: %s\n", error.c_str());
            std::exit(1);
        }
    }
    ~Token() { fs::remove_all(root); }
};

const Token& TheToken() {
    static const Token token;
    return token;
}

void ListThroughDiscovery(benchmark::State& state) {
    ByteString work(TheToken().work.c_str()), text2, module(kSoftHsm), unused;
    CLoadCert loader(work, text2, module);
    // What LoadCerts sets up before it calls the token reader.
    loader.m_media = 4;
    loader.m_crypto.Init(2, 0, 0, work);
    for (auto _ : state) {
        CArray<tagCERTLIST, tagCERTLIST&> list;
        int count = 0;
        const int result = loader.AddCertList_PKCS11(0, 0, unused, list, module, count);
        if (result != 0 || count != kPairs) {
            std::fprintf(stderr, "listing: %d, %d records: %s\n", result, count, loader.m_spareText.GetData());
            state.SkipWithError("listing failed");
            break;
        }
        benchmark::DoNotOptimize(list.GetSize());
    }
}

// Value, label and identifier of every certificate object.
std::size_t WalkCertificates(CK_FUNCTION_LIST* api, CK_SESSION_HANDLE session) {
    CK_OBJECT_CLASS certificate = CKO_CERTIFICATE;
    CK_ATTRIBUTE pattern = {CKA_CLASS, &certificate, sizeof certificate};
    std::vector<CK_OBJECT_HANDLE> objects(64);
    CK_ULONG found = 0;
    api->C_FindObjectsInit(session, &pattern, 1);
    api->C_FindObjects(session, objects.data(), objects.size(), &found);
    api->C_FindObjectsFinal(session);
    std::size_t bytes = 0;
    for (CK_ULONG i = 0; i < found; ++i) {
        for (CK_ATTRIBUTE_TYPE type : {CKA_VALUE, CKA_LABEL, CKA_ID}) {
            CK_ATTRIBUTE attribute = {type, nullptr, 0};
            api->C_GetAttributeValue(session, objects[i], &attribute, 1);
            std::vector<unsigned char> value(attribute.ulValueLen);
            attribute.pValue = value.data();
            api->C_GetAttributeValue(session, objects[i], &attribute, 1);
            bytes += value.size();
        }
    }
    return found == 2 * kPairs ? bytes : 0;
}

void WalkDirectly(benchmark::State& state) {
    TheToken();
    void* library = dlopen(kSoftHsm, RTLD_NOW | RTLD_LOCAL);
    CK_C_GetFunctionList getList = library ? reinterpret_cast<CK_C_GetFunctionList>(dlsym(library, "C_GetFunctionList")) : nullptr;
    CK_FUNCTION_LIST* api = nullptr;
    if (getList == nullptr || getList(&api) != CKR_OK) {
        state.SkipWithError("no SoftHSM2");
        return;
    }
    for (auto _ : state) {
        api->C_Initialize(nullptr);
        CK_SLOT_ID slots[4];
        CK_ULONG count = 4;
        CK_SESSION_HANDLE session = 0;
        api->C_GetSlotList(CK_TRUE, slots, &count);
        api->C_OpenSession(slots[0], CKF_SERIAL_SESSION, nullptr, nullptr, &session);
        const std::size_t bytes = WalkCertificates(api, session);
        api->C_CloseSession(session);
        api->C_Finalize(nullptr);
        if (bytes == 0) {
            state.SkipWithError("walk failed");
            break;
        }
        benchmark::DoNotOptimize(bytes);
    }
    dlclose(library);
}

BENCHMARK(ListThroughDiscovery)->Name("TokenList20/Ours")->Unit(benchmark::kMillisecond);
BENCHMARK(WalkDirectly)->Name("TokenList20/Baseline")->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return zorvane_bench::RunWithRatios(argc, argv); }
