// Backend behaviour beyond single calls, against the fault toolkit: operations that look
// up two functions, the kept key, time texts and user identifiers; and the facade's own
// lifetime (construction, Init, Close, copies and assignment), where each backend is
// finished exactly once, by the last facade that refers to it.
#include <zorvane/CryptoEx.h>

#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "crypto/FacadeCase.h"
#include "crypto/FaultKit.h"

namespace {

using namespace facadecase;

class BackendBehaviour : public ::testing::TestWithParam<Backend> {
protected:
    // Loads the named build of the fault toolkit under this backend's file name.
    FaultKit& Load(const char* variant = "full") {
        kit = std::make_unique<FaultKit>(variant, GetParam().file);
        return *kit;
    }
    int Open() { return OpenOn(facade, GetParam().type, *kit); }
    bool Gpki() const { return GetParam().type == 0; }
    std::string Error() const { return Text(ErrorText(facade)); }

    std::unique_ptr<FaultKit> kit;
    CCryptoEx facade;
};

// An operation that looks up two functions, with the name the backend gives the pair.
struct PairRow {
    const char* label;
    Operation operation;
    const char* failName;
    const char* changes;  // what the failed call still wrote back
    const char* calls;    // what reached the toolkit before the failure
};

// The partial build lacks the second function of each pair: 102 when either is missing.
TEST_P(BackendBehaviour, TwoFunctionOperationsNeedBoth) {
    const std::vector<PairRow> gpkiRows = {
        {FACADE_OP(MakeSignedData(a.a, a.b, a.c, a.d)), "QLK_CMS_SignData", "", ""},
        {FACADE_OP(VerifySignedData(a.a, a.b, a.c)), "GPKI_CMS_ProcessSignedData", "b= c=", ""},
    };
    const std::vector<PairRow> npkiRows = {
        {FACADE_OP(VerifySignedData(1, a.a, a.b, a.c, a.d)), "QLK_CMS_GetSignerCert", "d=",
         "CMS_VerifyData(1, [A], out, &0)"},
    };
    Load("partial");
    ASSERT_EQ(0, Open());
    for (const PairRow& row : Gpki() ? gpkiRows : npkiRows) {
        SCOPED_TRACE(row.label);
        kit->Reset();
        Args args;
        EXPECT_EQ(102, row.operation(facade, args));
        EXPECT_EQ(FailText(GetParam(), row.failName), Error());
        EXPECT_EQ(row.changes, Changes(args));
        EXPECT_EQ(row.calls, kit->Calls());
    }
}

// The forms that name no key: the GPKI backend uses the last key it set or generated
// (not one the toolkit refused), the NPKI backend hands the toolkit an empty one.
TEST_P(BackendBehaviour, ShortCipherFormsUseTheKeptKeyOnGpkiOnly) {
    Load();
    ASSERT_EQ(0, Open());
    ByteString key("K"), iv("V"), weak("W"), input("I"), output;
    ASSERT_EQ(0, facade.SetKeyAndIV(key, iv));
    kit->Fail("QLK_CRYPT_SetKeyAndIV", 3, "weak key");
    EXPECT_EQ(3, facade.SetKeyAndIV(weak, weak));
    kit->Reset();
    ASSERT_EQ(0, facade.EncryptKey(input, output));
    ASSERT_EQ(0, facade.DecryptKey(input, output));
    const std::string set = std::string("CRYPT_SetKeyAndIV(48, ") + (Gpki() ? "[K], [V]" : "[], []") + ")\n";
    EXPECT_EQ(set + "CRYPT_Encrypt([I], out)\n" + set + "CRYPT_Decrypt([I], out)", kit->Calls());
    ASSERT_EQ(0, facade.GenerateKey(key, iv));
    kit->Reset();
    ASSERT_EQ(0, facade.EncryptKey(input, output));
    const std::string generated = Gpki() ? "[CRYPT_GetKeyAndIV#2], [CRYPT_GetKeyAndIV#3]" : "[], []";
    EXPECT_EQ("CRYPT_SetKeyAndIV(48, " + generated + ")\nCRYPT_Encrypt([I], out)", kit->Calls());
}

// The user identifier read from the subject name.
TEST_P(BackendBehaviour, UserIdentifierFromSerialNumberOrCommonName) {
    struct Case {
        const char* subject;
        const char* gpki;
        const char* npki;
    };
    const Case cases[] = {
        {"serialNumber=123,cn=Kim", "123,cn=Kim", "123"},
        {"ou=x,cn=Lee,o=y", "Lee,o=y", "Lee"},
        {"ou=x,o=y", "", "unchanged"},
    };
    Load();
    ASSERT_EQ(0, Open());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.subject);
        kit->SetOutput("QLK_CERT_GetSubjectName", 1, c.subject);
        ByteString uid("unchanged");
        EXPECT_EQ(0, facade.GetUID(uid));
        EXPECT_EQ(Gpki() ? c.gpki : c.npki, Text(uid));
    }
}

// The signing and verification times the backends make are the current local time.
TEST_P(BackendBehaviour, TimeTextsAreTheCurrentLocalTimeInFourteenDigits) {
    Load();
    ASSERT_EQ(0, Open());
    kit->Reset();
    ByteString a("A"), out;
    const std::time_t before = std::time(nullptr);
    ASSERT_EQ(0, Gpki() ? facade.SetVerifyEnv(1, 1, true, a) : facade.MakeSignedData(a, a, a, out));
    const std::time_t after = std::time(nullptr);
    std::smatch match;
    const std::string calls = kit->RawCalls();
    ASSERT_TRUE(std::regex_search(calls, match, std::regex("\"([0-9]{14})\"")));
    char earliest[15], latest[15];
    std::strftime(earliest, sizeof(earliest), "%Y%m%d%H%M%S", std::localtime(&before));
    std::strftime(latest, sizeof(latest), "%Y%m%d%H%M%S", std::localtime(&after));
    EXPECT_LE(std::string(earliest), match[1].str());
    EXPECT_GE(std::string(latest), match[1].str());
}

INSTANTIATE_TEST_SUITE_P(Backends, BackendBehaviour, ::testing::ValuesIn(kBackends), BackendName);

class FacadeLifecycle : public ::testing::Test {
protected:
    FaultKit npkiKit{"full", "Quellark.dll"};
    FaultKit gpkiKit{"full", "gpkiapi.dll"};

    ByteString NpkiFolder() const { return ByteString(npkiKit.Folder().c_str()); }
    ByteString GpkiFolder() const { return ByteString(gpkiKit.Folder().c_str()); }
    std::string InitCall() const { return "API_Init(\"" + npkiKit.Folder() + "\")"; }
};

// Type 0 is the GPKI backend, any other the NPKI one.
TEST_F(FacadeLifecycle, TypeChoosesTheBackend) {
    CCryptoEx facade;
    EXPECT_TRUE(facade.IsGpki());
    for (int type : {0, 1, 2, -1}) {
        ASSERT_EQ(0, facade.Init(type, 48, 1));
        EXPECT_EQ(type == 0, facade.IsGpki());
        EXPECT_EQ(type == 0, facade.m_gpki != nullptr);
        EXPECT_EQ(type != 0, facade.m_npki != nullptr);
    }
}

// The second Init's algorithms are the ones that reach the toolkit.
TEST_F(FacadeLifecycle, InitTwiceFinishesTheFirstBackendBeforeTheSecond) {
    {
        CCryptoEx facade;
        ASSERT_EQ(0, facade.Init(1, 48, 1, NpkiFolder()));
        ASSERT_EQ(0, facade.Init(1, 50, 4, NpkiFolder()));
        EXPECT_EQ(InitCall() + "\nAPI_Finish()\n" + InitCall(), npkiKit.Calls());
        EXPECT_EQ(1, npkiKit.LiveContexts());
        npkiKit.Reset();
        ByteString input("I"), output;
        ASSERT_EQ(0, facade.Hash(input, output));
        ASSERT_EQ(0, facade.MakeEnvelopedData(input, input, output));
        EXPECT_EQ("CRYPT_Hash(4, [I], out)\nCMS_EncryptData(0, [I], [I], 50, out)", npkiKit.Calls());
    }
    EXPECT_EQ(0, npkiKit.LiveContexts());
}

TEST_F(FacadeLifecycle, SwitchingTypeFinishesTheOtherBackend) {
    CCryptoEx facade;
    ASSERT_EQ(0, facade.Init(0, 48, 1, GpkiFolder()));
    EXPECT_EQ(1, gpkiKit.LiveContexts());
    ASSERT_EQ(0, facade.Init(1, 48, 1, NpkiFolder()));
    EXPECT_EQ(0, gpkiKit.LiveContexts());
    EXPECT_EQ(1, npkiKit.LiveContexts());
    EXPECT_EQ(nullptr, facade.m_gpki);
    facade.Close();
    EXPECT_EQ(0, npkiKit.LiveContexts());
    EXPECT_EQ(nullptr, facade.m_npki);
    ByteString cert("C");
    EXPECT_EQ(101, facade.LoadCert(cert));
}

TEST_F(FacadeLifecycle, CopyOutlivesTheOriginalAndFinishesLast) {
    auto original = std::make_unique<CCryptoEx>();
    ASSERT_EQ(0, original->Init(1, 48, 1, NpkiFolder()));
    ByteString path("work");
    original->SetWorkPath(path);
    CCryptoEx copy(*original);
    EXPECT_EQ(original->m_npki, copy.m_npki);
    EXPECT_EQ("work", std::string(copy.m_workPath.GetData()));
    original.reset();
    EXPECT_EQ(1, npkiKit.LiveContexts());
    npkiKit.Reset();
    ByteString cert("C");
    EXPECT_EQ(0, copy.LoadCert(cert));
    EXPECT_EQ("CERT_Load([C])", npkiKit.Calls());
    copy.Close();
    EXPECT_EQ(0, npkiKit.LiveContexts());
}

TEST_F(FacadeLifecycle, AssignmentReleasesTheReplacedBackendAndSharesTheNewOne) {
    CCryptoEx npki, gpki;
    ASSERT_EQ(0, npki.Init(1, 48, 1, NpkiFolder()));
    ASSERT_EQ(0, gpki.Init(0, 50, 4, GpkiFolder()));
    npki = gpki;
    EXPECT_EQ(0, npkiKit.LiveContexts());
    EXPECT_EQ(gpki.m_gpki, npki.m_gpki);
    EXPECT_EQ(nullptr, npki.m_npki);
    EXPECT_EQ(0, npki.m_type);
    EXPECT_EQ(50, npki.m_cipherAlg);
    gpki.Close();
    EXPECT_EQ(1, gpkiKit.LiveContexts());
    ByteString cert("C");
    EXPECT_EQ(0, npki.LoadCert(cert));
}

// Assigning to itself or to a sharer keeps the backend; Init of a copy leaves it to the other.
TEST_F(FacadeLifecycle, SharersKeepTheBackendThroughAssignmentAndInit) {
    CCryptoEx first;
    ASSERT_EQ(0, first.Init(1, 48, 1, NpkiFolder()));
    CCryptoEx& alias = first;
    first = alias;
    CCryptoEx second(first);
    first = second;
    second = first;
    EXPECT_EQ(1, npkiKit.LiveContexts());
    EXPECT_EQ(2, first.m_npki->m_references.load());
    ASSERT_EQ(0, second.Init(1, 48, 1, NpkiFolder()));
    EXPECT_NE(first.m_npki, second.m_npki);
    EXPECT_EQ(2, npkiKit.LiveContexts());
    ByteString cert("C");
    EXPECT_EQ(0, first.LoadCert(cert));
    EXPECT_EQ(std::string::npos, npkiKit.Calls().find("<bad context>"));
}

}  // namespace
