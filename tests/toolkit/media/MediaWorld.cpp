#include "toolkit/media/MediaWorld.h"

#include <openssl/sha.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "support/TestPki.h"
#include "tools/pkigen/MediaImages.h"

namespace media_test {

namespace fs = std::filesystem;

MediaWorld::MediaWorld() {
    work = root_ / "work";
    cards = root_ / "cards";
    fs::create_directories(work);
    for (const char* file : {"Quellark.dll", "NpkiCard.dll"})
        fs::create_symlink(fs::path(ZORVANE_TEST_WORK_DIR) / file, fs::path(work) / file);
    zorvane::pkigen::Options options = zorvane::testsupport::YessignPkiOptions(root_ / "home");
    options.work = work;
    options.cas = {"yessign", "gpki"};
    options.count = 2;
    options.seed = 20261207;
    options.seedGiven = true;
    options.cardFolder = cards;
    std::string error;
    if (!zorvane::pkigen::Generate(options, pki, error) || !zorvane::pkigen::WriteMediaImages(options, pki, error)) {
        throw std::runtime_error("media fixtures: " + error);
    }
    for (const auto& user : pki.users) {
        if (user.validity == "valid" && user.store == "npki") npki.push_back(&user);
    }
    // The first slot with a token is the one discovery lists; alone, it is certain.
    zorvane::pkigen::TokenPlan plan{"zorvane-token-1", npki, true};
    if (!zorvane::pkigen::PrepareSoftHsm(root_ / "one-token", softHsmConf, error) ||
        !zorvane::pkigen::ProvisionToken(SOFTHSM_MODULE, pin, plan, error)) {
        throw std::runtime_error("media fixtures: " + error);
    }
}

const MediaWorld& MediaWorld::Get() {
    static const MediaWorld world;
    return world;
}

Bytes IdOfCertificate(const std::string& certPath) {
    const Bytes der = zorvane::testsupport::ReadBytes(certPath);
    Bytes id(SHA_DIGEST_LENGTH);
    SHA1(der.data(), der.size(), id.data());
    return id;
}

ScopedSoftHsmConf::ScopedSoftHsmConf(const std::string& conf) : before_(std::getenv("SOFTHSM2_CONF")) {
    ::setenv("SOFTHSM2_CONF", conf.c_str(), 1);
}

ScopedSoftHsmConf::~ScopedSoftHsmConf() { ::setenv("SOFTHSM2_CONF", before_.c_str(), 1); }

LoadedContext::LoadedContext(const std::string& path) {
    EXPECT_EQ(QLK_MEDIA_Load(context_.get(), path.c_str()), 0) << context_.ErrorText();
}

LoadedContext::~LoadedContext() { QLK_MEDIA_Unload(context_.get()); }

}  // namespace media_test
