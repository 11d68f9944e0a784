// CCryptoEx construction, Init, Close, copies and assignment against the fault toolkit:
// each backend is finished exactly once, by the last facade that refers to it.
#include <zorvane/CryptoEx.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "crypto/FaultKit.h"
#include "crypto/GpkiEx.h"
#include "crypto/NpkiEx.h"

namespace {

class FacadeLifecycle : public ::testing::Test {
protected:
    FaultKit npkiKit{"full", "Quellark.dll"};
    FaultKit gpkiKit{"full", "gpkiapi.dll"};

    ByteString NpkiFolder() const { return ByteString(npkiKit.Folder().c_str()); }
    ByteString GpkiFolder() const { return ByteString(gpkiKit.Folder().c_str()); }
    std::string InitCall() const { return "API_Init(\"" + npkiKit.Folder() + "\")"; }
};

// Type 0 is the GPKI backend, any other the NPKI one; the algorithms reach the toolkit.
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

TEST_F(FacadeLifecycle, TheFacadeAlgorithmsReachTheToolkit) {
    CCryptoEx facade;
    ASSERT_EQ(0, facade.Init(1, 50, 4, NpkiFolder()));
    npkiKit.Reset();
    ByteString input("I"), output;
    ASSERT_EQ(0, facade.Hash(input, output));
    ASSERT_EQ(0, facade.MakeEnvelopedData(input, input, output));
    EXPECT_EQ("CRYPT_Hash(4, [I], out)\nCMS_EncryptData(0, [I], [I], 50, out)", npkiKit.Calls());
}

TEST_F(FacadeLifecycle, InitTwiceFinishesTheFirstBackendBeforeTheSecond) {
    {
        CCryptoEx facade;
        ASSERT_EQ(0, facade.Init(1, 48, 1, NpkiFolder()));
        ASSERT_EQ(0, facade.Init(1, 48, 1, NpkiFolder()));
        EXPECT_EQ(InitCall() + "\nAPI_Finish()\n" + InitCall(), npkiKit.Calls());
        EXPECT_EQ(1, npkiKit.LiveContexts());
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
    original->m_text1 = "one";
    ByteString path("work");
    original->SetWorkPath(path);
    CCryptoEx copy(*original);
    EXPECT_EQ(original->m_npki, copy.m_npki);
    EXPECT_EQ("one", std::string(copy.m_text1.GetData()));
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

TEST_F(FacadeLifecycle, AssigningToItselfOrToASharerKeepsTheBackend) {
    CCryptoEx facade;
    ASSERT_EQ(0, facade.Init(1, 48, 1, NpkiFolder()));
    CCryptoEx& alias = facade;
    facade = alias;
    CCryptoEx sharer(facade);
    facade = sharer;
    sharer = facade;
    EXPECT_EQ(1, npkiKit.LiveContexts());
    ByteString cert("C");
    EXPECT_EQ(0, facade.LoadCert(cert));
    EXPECT_EQ(0, sharer.LoadCert(cert));
    EXPECT_EQ(2, facade.m_npki->m_references.load());
}

TEST_F(FacadeLifecycle, InitOfACopyLeavesTheSharedBackendToTheOther) {
    CCryptoEx first;
    ASSERT_EQ(0, first.Init(1, 48, 1, NpkiFolder()));
    CCryptoEx second(first);
    ASSERT_EQ(0, second.Init(1, 48, 1, NpkiFolder()));
    EXPECT_NE(first.m_npki, second.m_npki);
    EXPECT_EQ(2, npkiKit.LiveContexts());
    ByteString cert("C");
    EXPECT_EQ(0, first.LoadCert(cert));
    EXPECT_EQ(std::string::npos, npkiKit.Calls().find("<bad context>"));
}

}  // namespace
