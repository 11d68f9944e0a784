// Loading media, disk files and card slots through the toolkit and the real NpkiCard.dll.

#include <filesystem>

#include "toolkit/media/MediaWorld.h"

namespace media_test {
namespace {

using zorvane::testsupport::ModeOf;
using zorvane::testsupport::TempFolder;

std::string CardDriver() { return MediaWorld::Get().work + "/NpkiCard.dll"; }

struct LoadCase {
    const char* name;
    std::string path;
    int expected;
};

TEST(MediaLoad, ClassifiesWhatItLoads) {
    TempFolder scratch;
    const LoadCase cases[] = {
        {"card driver", CardDriver(), 0},
        {"PKCS#11 module", SOFTHSM_MODULE, 0},
        {"neither", NOT_A_DRIVER, 2504},
        {"unplugged module path", scratch / "gone.so", 2503},
        {"folder path without a file", MediaWorld::Get().work + "\\", 2503},
    };
    for (const LoadCase& test : cases) {
        ContextHandle context;
        EXPECT_EQ(QLK_MEDIA_Load(context.get(), test.path.c_str()), test.expected) << test.name;
        if (test.expected == 0) {
            EXPECT_EQ(QLK_MEDIA_Load(context.get(), test.path.c_str()), 2509) << test.name << " loaded twice";
        } else {
            EXPECT_NE(context.ErrorText().find(std::to_string(test.expected)), std::string::npos) << test.name;
        }
        EXPECT_EQ(QLK_MEDIA_Unload(context.get()), 0);
    }
}

TEST(CardSlots, WriteReplaceAndDeleteKeepTheOtherItem) {
    TempFolder scratch;
    const std::string reader = scratch.MakeFolder("card");
    LoadedContext context(CardDriver());
    Record certificate(std::string("certificate bytes")), key(std::string("key bytes")), other(std::string("other"));
    ASSERT_EQ(QLK_MEDIA_CARD_WriteCert(context.get(), 7, reader.c_str(), certificate.get()), 0) << context.ErrorText();
    ASSERT_EQ(QLK_MEDIA_CARD_WritePriKey(context.get(), 7, 0, reader.c_str(), "", key.get()), 0);
    EXPECT_EQ(ModeOf(reader + "/slot7"), 0600u);
    EXPECT_EQ(QLK_MEDIA_CARD_WritePriKey(context.get(), 7, 0, reader.c_str(), "", other.get()), 2508);
    EXPECT_EQ(QLK_MEDIA_CARD_DeleteCert(context.get(), 7, reader.c_str()), 0);
    Record read;
    EXPECT_EQ(QLK_MEDIA_CARD_ReadCert(context.get(), 7, reader.c_str(), read.get()), 2502);
    ASSERT_EQ(QLK_MEDIA_CARD_ReadPriKey(context.get(), 7, reader.c_str(), "", read.get()), 0);
    EXPECT_EQ(read.text(), "key bytes");
    EXPECT_EQ(QLK_MEDIA_CARD_DeletePriKey(context.get(), 7, reader.c_str(), ""), 0);
    EXPECT_FALSE(std::filesystem::exists(reader + "/slot7"));
    EXPECT_EQ(QLK_MEDIA_CARD_DeletePriKey(context.get(), 7, reader.c_str(), ""), 2502);
}

TEST(CardSlots, RefusesWhatItCannotServe) {
    TempFolder scratch;
    const std::string reader = scratch.MakeFolder("card");
    scratch.Write("card/slot3", std::string("ZCS1\x00\x00\x10", 7));  // a length that runs past the record
    Record output, bytes(std::string("x"));
    ContextHandle bare;
    EXPECT_EQ(QLK_MEDIA_CARD_ReadCert(bare.get(), 1, reader.c_str(), output.get()), 2501);
    LoadedContext context(CardDriver());
    EXPECT_EQ(QLK_MEDIA_CARD_ReadCert(context.get(), 1, (scratch / "no-reader").c_str(), output.get()), 2510);
    EXPECT_EQ(QLK_MEDIA_CARD_ReadCert(context.get(), 3, reader.c_str(), output.get()), 2511);
    EXPECT_EQ(QLK_MEDIA_CARD_WriteCert(context.get(), 0, reader.c_str(), bytes.get()), 1002);
    EXPECT_EQ(QLK_MEDIA_CARD_WriteCert(context.get(), 256, reader.c_str(), bytes.get()), 1002);
    EXPECT_EQ(output.bytes(), Bytes{});
}

TEST(DiskFiles, WriteAtomicallyWithModesAndReadBack) {
    TempFolder scratch;
    ContextHandle context;
    Record certificate(std::string("cert")), key(std::string("key")), other(std::string("other"));
    const std::string folder = scratch.MakeFolder("user");
    ASSERT_EQ(QLK_MEDIA_DISK_WriteCert(context.get(), (folder + "/signCert.der").c_str(), certificate.get()), 0);
    ASSERT_EQ(QLK_MEDIA_DISK_WritePriKey(context.get(), 0, folder.c_str(), "signPri.key", key.get()), 0);
    EXPECT_EQ(ModeOf(folder + "/signCert.der"), 0644u);
    EXPECT_EQ(ModeOf(folder + "/signPri.key"), 0600u);
    EXPECT_EQ(QLK_MEDIA_DISK_WritePriKey(context.get(), 0, folder.c_str(), "signPri.key", other.get()), 2508);
    ASSERT_EQ(QLK_MEDIA_DISK_WritePriKey(context.get(), 1, (folder + "/signPri.key").c_str(), "", other.get()), 0);
    Record read;
    ASSERT_EQ(QLK_MEDIA_DISK_ReadPriKey(context.get(), folder.c_str(), "signPri.key", read.get()), 0);
    EXPECT_EQ(read.text(), "other");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 2) << "no temporary file left";
    EXPECT_EQ(QLK_MEDIA_DISK_DeletePriKey(context.get(), folder.c_str(), "signPri.key"), 0);
    EXPECT_EQ(QLK_MEDIA_DISK_ReadPriKey(context.get(), folder.c_str(), "signPri.key", read.get()), 2505);
}

TEST(DiskFiles, ReadsOnlySmallRegularFiles) {
    TempFolder scratch;
    const std::string regular = scratch.Write("regular", "bytes");
    const std::string link = scratch / "link";
    std::filesystem::create_symlink(regular, link);
    const std::string large = scratch.Write("large", std::string(1024 * 1024 + 1, 'x'));
    const struct {
        std::string path;
        int expected;
    } cases[] = {{regular, 0}, {link, 2506}, {large, 2506}, {scratch.MakeFolder("folder"), 2506},
                 {scratch / "missing", 2505}, {"", 1003}};
    ContextHandle context;
    for (const auto& test : cases) {
        Record read;
        EXPECT_EQ(QLK_MEDIA_DISK_ReadCert(context.get(), test.path.c_str(), read.get()), test.expected) << test.path;
    }
}

}  // namespace
}  // namespace media_test
