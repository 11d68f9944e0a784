// Backend behaviour beyond single calls, against the fault toolkit: loading and
// opening, error texts, operations that look up two functions, key and IV mirroring,
// time texts, validity conversions, user identifiers and buffer sizes.
#include <zorvane/CryptoEx.h>

#include <gtest/gtest.h>

#include <ctime>
#include <regex>
#include <string>
#include <vector>

#include "crypto/FacadeCase.h"
#include "crypto/FaultKit.h"

namespace {

using namespace facadecase;

TEST(BackendInit, MissingLibraryAnswersNotLoaded) {
    for (const Backend& side : kBackends) {
        SCOPED_TRACE(side.className);
        CCryptoEx facade;
        EXPECT_EQ(side.notLoaded, facade.Init(side.type, 48, 1, ByteString("/nonexistent/zorvane")));
        EXPECT_EQ(side.notLoaded, facade.Init(side.type, 48, 1, ByteString("")));
        ByteString cert("C");
        EXPECT_EQ(side.notLoaded, facade.LoadCert(cert));
        EXPECT_EQ(100, facade.PKCS11_Login(cert));
    }
}

TEST(BackendInit, LibraryWithoutInitAnswers102NamingIt) {
    for (const Backend& side : kBackends) {
        SCOPED_TRACE(side.className);
        FaultKit kit("noinit", side.file);
        CCryptoEx facade;
        EXPECT_EQ(102, OpenOn(facade, side.type, kit));
        EXPECT_EQ(FailText(side, "QLK_API_Init"), Text(ErrorText(facade)));
        EXPECT_EQ(0, kit.LiveContexts());
    }
}

TEST(BackendInit, FailingInitReturnsTheToolkitCodeAndText) {
    for (const Backend& side : kBackends) {
        SCOPED_TRACE(side.className);
        FaultKit kit("full", side.file);
        kit.Fail("QLK_API_Init", 1234, "no context today");
        CCryptoEx facade;
        EXPECT_EQ(1234, OpenOn(facade, side.type, kit));
        EXPECT_EQ("no context today", Text(ErrorText(facade)));
        kit.Reset();
        // The library stays loaded: calls reach the toolkit without a context.
        ByteString cert("C");
        EXPECT_EQ(0, facade.LoadCert(cert));
        EXPECT_EQ("QLK_CERT_Load<bad context>([C])", kit.Calls());
    }
}

TEST(BackendErrors, GetErrInfoAsksTheToolkitNotTheKeptText) {
    for (const Backend& side : kBackends) {
        SCOPED_TRACE(side.className);
        FaultKit kit("full", side.file);
        CCryptoEx facade;
        ASSERT_EQ(0, OpenOn(facade, side.type, kit));
        kit.Fail("QLK_CERT_Load", 5, "bad certificate");
        ByteString cert("C"), text("before");
        EXPECT_EQ(5, facade.LoadCert(cert));
        EXPECT_EQ("bad certificate", Text(ErrorText(facade)));
        EXPECT_EQ(0, facade.GetErrInfo(text));
        EXPECT_EQ("bad certificate", Text(text));
        // A later failure inside the backend replaces the kept text, not the toolkit's.
        ByteString list;
        EXPECT_EQ(102, side.type == 0 ? facade.AddSigner(1, cert, cert, cert, cert, cert, list)
                                      : facade.AddCert(cert, list));
        EXPECT_NE("bad certificate", Text(ErrorText(facade)));
        EXPECT_EQ(0, facade.GetErrInfo(text));
        EXPECT_EQ("bad certificate", Text(text));
        kit.Fail("QLK_API_GetErrInfo", 9, "");
        text = "kept";
        EXPECT_EQ(9, facade.GetErrInfo(text));
        EXPECT_EQ("kept", Text(text));
    }
}

TEST(BackendErrors, GetErrInfoWithoutLibraryAnswersNotLoaded) {
    for (const Backend& side : kBackends) {
        SCOPED_TRACE(side.className);
        CCryptoEx facade;
        ASSERT_EQ(0, facade.Init(side.type, 48, 1));
        ByteString text("kept");
        EXPECT_EQ(side.notLoaded, facade.GetErrInfo(text));
        EXPECT_EQ("kept", Text(text));
    }
}

// An operation that looks up two functions, with the name the backend gives the pair.
struct PairRow {
    const char* failName;
    Operation operation;
    const char* changes;  // what the failed call still wrote back
    const char* calls;    // what reached the toolkit before the failure
};

// The operations that look up two functions answer 102 when either is missing.
TEST(TwoFunctionOperations, EitherMissingAnswers102) {
    const std::vector<PairRow> gpkiRows = {
        {"QLK_CMS_SignData", FACADE_OP(MakeSignedData(a.a, a.b, a.c, a.d)), "", ""},
        {"GPKI_CMS_ProcessSignedData", FACADE_OP(VerifySignedData(a.a, a.b, a.c)), "b= c=", ""},
        {"QLK_CERT_SetVerifyEnv1", FACADE_OP(SetVerifyEnv(1, 2, true, a.a, a.b)), "", ""},
        {"QLK_CERT_Verify", FACADE_OP(VerifyCert(a.a, 1, a.b, a.c, true, a.d, a.e)), "", ""},
    };
    const std::vector<PairRow> npkiRows = {
        {"QLK_CMS_GetSignerCert", FACADE_OP(VerifySignedData(1, a.a, a.b, a.c, a.d)), "d=",
         "QLK_CMS_VerifyData(1, [A], out, &0)"},
    };
    for (const Backend& side : kBackends) {
        FaultKit kit("partial", side.file);
        CCryptoEx facade;
        ASSERT_EQ(0, OpenOn(facade, side.type, kit));
        for (const PairRow& row : side.type == 0 ? gpkiRows : npkiRows) {
            SCOPED_TRACE(row.failName);
            kit.Reset();
            Args args;
            EXPECT_EQ(102, row.operation(facade, args));
            EXPECT_EQ(FailText(side, row.failName), Text(ErrorText(facade)));
            EXPECT_EQ(row.changes, Changes(args));
            EXPECT_EQ(row.calls, kit.Calls());
        }
    }
}

// A library with the disk functions but not the card functions answers 102 for every
// media operation, also for the disk; the media number travels in Args::counter.
TEST(TwoFunctionOperations, MediaOperationsNeedBothDiskAndCard) {
    const PairRow rows[] = {
        {"GPKI_STORAGE_ReadCert", FACADE_OP(ReadCertFromStorage(a.counter, a.a, 1, a.b)), "", ""},
        {"GPKI_STORAGE_ReadPriKey", FACADE_OP(ReadPriKeyFromStroage(a.counter, a.a, a.b, 1, a.c)), "", ""},
        {"QLK_MEDIA_DISK_WriteCert", FACADE_OP(WriteCertToStorage(a.counter, a.a, 1, a.b)), "", ""},
        {"QLK_MEDIA_DISK_WritePriKey", FACADE_OP(WritePriKeyToStorage(a.counter, a.a, a.b, 1, 0, a.c)), "", ""},
        {"QLK_MEDIA_DISK_DeleteCert", FACADE_OP(DeleteCertFromStorage(a.counter, a.a, 1)), "", ""},
        {"QLK_MEDIA_DISK_DeletePriKey", FACADE_OP(DeletePriKeyFromStorage(a.counter, a.a, a.b, 1)), "", ""},
    };
    for (const Backend& side : kBackends) {
        FaultKit kit("partial", side.file);
        CCryptoEx facade;
        ASSERT_EQ(0, OpenOn(facade, side.type, kit));
        kit.Reset();
        for (int media : {1, 2}) {
            for (const PairRow& row : rows) {
                SCOPED_TRACE(std::string(side.className) + " " + row.failName + " media " + std::to_string(media));
                Args args;
                args.counter = media;
                EXPECT_EQ(102, row.operation(facade, args));
                EXPECT_EQ(FailText(side, row.failName), Text(ErrorText(facade)));
                EXPECT_EQ("counter=" + std::to_string(media), Changes(args));
                EXPECT_EQ(row.calls, kit.Calls());
            }
        }
        ByteString location("L"), bytes("X");
        EXPECT_EQ(0, facade.WriteFileToStorage(location, bytes));
        EXPECT_EQ("QLK_MEDIA_DISK_WriteFile(\"L\", [X])", kit.Calls());
    }
}

TEST(TwoCallOperations, FirstCallFailureOnlyLeavesItsText) {
    for (const Backend& side : kBackends) {
        SCOPED_TRACE(side.className);
        FaultKit kit("full", side.file);
        CCryptoEx facade;
        ASSERT_EQ(0, OpenOn(facade, side.type, kit));
        kit.Fail("QLK_API_SetConfFile", 31, "no such configuration");
        ByteString cert("C"), text("T"), conf("conf.ini");
        EXPECT_EQ(0, facade.VerifyCert(cert, 1, text, conf, false, cert, cert));
        EXPECT_EQ("no such configuration", Text(ErrorText(facade)));
        kit.Fail("QLK_CERT_Verify", 32, "revoked");
        EXPECT_EQ(32, facade.VerifyCert(cert, 1, text, conf, false, cert, cert));
        EXPECT_EQ("revoked", Text(ErrorText(facade)));
    }
    FaultKit kit("full", "gpkiapi.dll");
    CCryptoEx gpki;
    ASSERT_EQ(0, OpenOn(gpki, 0, kit));
    kit.Fail("QLK_CERT_SetVerifyEnv2", 41, "bad time");
    ByteString time("20300101000000"), policy("P");
    EXPECT_EQ(41, gpki.SetVerifyEnv(1, 2, true, time, policy));
}

TEST(Keys, GpkiMirrorsKeyAndIVForTheShortCipherForms) {
    FaultKit kit("full", "gpkiapi.dll");
    CCryptoEx facade;
    ASSERT_EQ(0, OpenOn(facade, 0, kit));
    ByteString key("K"), iv("V"), input("I"), output;
    ASSERT_EQ(0, facade.SetKeyAndIV(key, iv));
    kit.Reset();
    ASSERT_EQ(0, facade.EncryptKey(input, output));
    ASSERT_EQ(0, facade.DecryptKey(input, output));
    EXPECT_EQ(
        "QLK_CRYPT_SetKeyAndIV(48, [K], [V])\nQLK_CRYPT_Encrypt([I], out)\n"
        "QLK_CRYPT_SetKeyAndIV(48, [K], [V])\nQLK_CRYPT_Decrypt([I], out)",
        kit.Calls());

    // A refused key is not kept.
    kit.Fail("QLK_CRYPT_SetKeyAndIV", 3, "weak key");
    ByteString weak("W");
    EXPECT_EQ(3, facade.SetKeyAndIV(weak, weak));
    EXPECT_EQ("K", Text(facade.m_gpki->m_key));

    // A generated key is kept, as the toolkit handed it out.
    kit.Reset();
    ByteString newKey, newIv;
    ASSERT_EQ(0, facade.GenerateKey(newKey, newIv));
    EXPECT_EQ("CRYPT_GetKeyAndIV#2", Text(newKey));
    EXPECT_EQ("CRYPT_GetKeyAndIV#3", Text(newIv));
    kit.Reset();
    ASSERT_EQ(0, facade.EncryptKey(input, output));
    EXPECT_EQ(
        "QLK_CRYPT_SetKeyAndIV(48, [CRYPT_GetKeyAndIV#2], [CRYPT_GetKeyAndIV#3])\nQLK_CRYPT_Encrypt([I], out)",
        kit.Calls());
}

TEST(Keys, NpkiHandsAnEmptyKeyAndIVToTheShortCipherForms) {
    FaultKit kit("full", "Quellark.dll");
    CCryptoEx facade;
    ASSERT_EQ(0, OpenOn(facade, 1, kit));
    ByteString key("K"), iv("V"), input("I"), output;
    ASSERT_EQ(0, facade.SetKeyAndIV(key, iv));
    ASSERT_EQ(0, facade.GenerateKey(key, iv));
    kit.Reset();
    ASSERT_EQ(0, facade.EncryptKey(input, output));
    EXPECT_EQ("QLK_CRYPT_SetKeyAndIV(48, [], [])\nQLK_CRYPT_Encrypt([I], out)", kit.Calls());
    EXPECT_TRUE(facade.m_npki->m_key.IsEmpty());
    EXPECT_TRUE(facade.m_npki->m_iv.IsEmpty());
}

TEST(Keys, FetchingAMissingKeyTouchesGpkiOutputsNeverAndNpkiOutputsAlways) {
    for (const Backend& side : kBackends) {
        SCOPED_TRACE(side.className);
        FaultKit kit("bare", side.file);
        CCryptoEx facade;
        ASSERT_EQ(0, OpenOn(facade, side.type, kit));
        ByteString key("K"), iv("V");
        EXPECT_EQ(102, facade.GetKeyAndIV(key, iv));
        EXPECT_EQ(FailText(side, "QLK_CRYPT_GetKeyAndIV"), Text(ErrorText(facade)));
        EXPECT_EQ(side.type == 0 ? "K" : "", Text(key));
        EXPECT_EQ(side.type == 0 ? "V" : "", Text(iv));
    }
}

// The signing and verification times the backends make are the current local time.
TEST(TimeTexts, AreTheCurrentLocalTimeInFourteenDigits) {
    FaultKit kit("full", "Quellark.dll");
    CCryptoEx facade;
    ASSERT_EQ(0, OpenOn(facade, 1, kit));
    kit.Reset();
    ByteString a("A"), out;
    const std::time_t before = std::time(nullptr);
    ASSERT_EQ(0, facade.MakeSignedData(a, a, a, out));
    const std::time_t after = std::time(nullptr);
    std::smatch match;
    const std::string call = kit.AllCalls().at(0);
    ASSERT_TRUE(std::regex_search(call, match, std::regex("\"([0-9]{14})\"")));
    char earliest[15], latest[15];
    std::strftime(earliest, sizeof(earliest), "%Y%m%d%H%M%S", std::localtime(&before));
    std::strftime(latest, sizeof(latest), "%Y%m%d%H%M%S", std::localtime(&after));
    EXPECT_LE(std::string(earliest), match[1].str());
    EXPECT_GE(std::string(latest), match[1].str());
}

// Validity texts of fewer than six parts parse to a small number that is converted as
// it is (the readable texts are checked over the real toolkit).
TEST(Validity, UnreadableTextStillConverts) {
    FaultKit kit("full", kGpki.file);
    kit.SetOutput("QLK_CERT_GetValidity", 1, "");
    kit.SetOutput("QLK_CERT_GetValidity", 2, "2030-01-01");
    CCryptoEx facade;
    ASSERT_EQ(0, OpenOn(facade, kGpki.type, kit));
    ByteString notBefore, notAfter, notAfterDate;
    int expired = -1;
    ASSERT_EQ(0, facade.GetValidity(notBefore, notAfter, notAfterDate, expired));
    EXPECT_EQ(1, expired);
    EXPECT_EQ(std::string::npos, Text(notAfterDate).find("2030"));
}

// The user identifier read from the subject name.
TEST(UserIdentifier, FromSerialNumberOrCommonName) {
    struct Case {
        const char* subject;
        const char* gpki;
        const char* npki;
    };
    const Case cases[] = {
        {"serialNumber=123,cn=Kim", "123,cn=Kim", "123"},
        {"ou=x,cn=Lee,o=y", "Lee,o=y", "Lee"},
        {"ou=x,o=y", "", "unchanged"},
        {"cn=,,,", ",,,", "unchanged"},
        {"cn=,,Park,o=z", ",,Park,o=z", "Park"},
    };
    for (const Backend& side : kBackends) {
        FaultKit kit("full", side.file);
        CCryptoEx facade;
        ASSERT_EQ(0, OpenOn(facade, side.type, kit));
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(side.className) + " " + c.subject);
            kit.SetOutput("QLK_CERT_GetSubjectName", 1, c.subject);
            ByteString uid("unchanged");
            EXPECT_EQ(0, facade.GetUID(uid));
            EXPECT_EQ(side.type == 0 ? c.gpki : c.npki, Text(uid));
        }
    }
}

// With filling on the fault toolkit writes size - 1 characters into each text buffer:
// the sizes the backends announce are the sizes they made (an overrun shows under ASan).
TEST(TextBuffers, AreAsLargeAsAnnounced) {
    struct Case {
        const char* label;
        int (CCryptoEx::*getter)(ByteString&);
        int gpki;
        int npki;
    };
    const Case cases[] = {
        {"GetSerialNum", &CCryptoEx::GetSerialNum, 1023, 1023},
        {"GetPolicy", &CCryptoEx::GetPolicy, 1023, 2047},
        {"GetBasicConstraints", &CCryptoEx::GetBasicConstraints, 1023, 99},
        {"GetAuthKeyID", &CCryptoEx::GetAuthKeyID, 1023, 2047},
        {"GetCRLDP", &CCryptoEx::GetCRLDP, 1023, 2047},
        {"GetAIA", &CCryptoEx::GetAIA, 1023, 2047},
        {"GetPubKey", &CCryptoEx::GetPubKey, 1023, 2047},
        {"GetPubKeyAlgo", &CCryptoEx::GetPubKeyAlgo, 47, 47},
        {"GetPubKeyLen", &CCryptoEx::GetPubKeyLen, 1023, 2047},
    };
    for (const Backend& side : kBackends) {
        FaultKit kit("full", side.file);
        CCryptoEx facade;
        ASSERT_EQ(0, OpenOn(facade, side.type, kit));
        kit.FillTexts(true);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(side.className) + " " + c.label);
            ByteString text;
            EXPECT_EQ(0, (facade.*c.getter)(text));
            EXPECT_EQ(side.type == 0 ? c.gpki : c.npki, text.GetLength());
        }
        ByteString before, after, signer, time;
        EXPECT_EQ(0, facade.GetValidity(before, after));
        EXPECT_EQ(24, after.GetLength());
    }
}

TEST(Pkcs11, SlotListClearsFiveEntriesAndLeavesTheArrayToTheCaller) {
    for (const Backend& side : kBackends) {
        SCOPED_TRACE(side.className);
        FaultKit kit("full", side.file);
        CCryptoEx facade;
        ASSERT_EQ(0, OpenOn(facade, side.type, kit));
        kit.Reset();
        unsigned long slots[6] = {5, 5, 5, 5, 5, 5};
        unsigned long count = 0;
        EXPECT_EQ(0, facade.PKCS11_GetSlotList(slots, count));
        EXPECT_EQ("QLK_PKCS11_GetSlotList({0,0,0,0,0})", kit.Calls());
        EXPECT_EQ(2u, count);
        EXPECT_EQ(11u, slots[0]);
        EXPECT_EQ(12u, slots[1]);
        EXPECT_EQ(0u, slots[4]);
        EXPECT_EQ(5u, slots[5]);
    }
}

}  // namespace
