#pragma once
// The facade over the real toolkit files of the work folder, on both backends, with a
// test PKI generated once per program: one NPKI and one GPKI user, plus an expired NPKI
// user.
#include <zorvane/CryptoEx.h>

#include <gtest/gtest.h>

#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/TestSupport.h"
#include "tools/pkigen/Generator.h"

namespace realtoolkit {

using namespace zorvane::testsupport;

inline const char kWorkFolder[] = ZORVANE_TEST_WORK_DIR;

inline std::string Text(const ByteString& bytes) { return std::string(bytes.GetData(), bytes.GetLength()); }

inline std::vector<unsigned char> Vector(const ByteString& bytes) {
    return std::vector<unsigned char>(bytes.data, bytes.data + bytes.length);
}

inline std::string Joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : ", ") + part;
    return text;
}

class GeneratedPki {
public:
    static const GeneratedPki& Get() {
        static const GeneratedPki pki;
        return pki;
    }
    const zorvane::pkigen::UserRecord& User(const std::string& store, const std::string& validity) const {
        for (const auto& user : result_.users) {
            if (user.store == store && user.validity == validity) return user;
        }
        throw std::runtime_error("no generated " + store + " user");
    }
    const std::string& error() const { return error_; }
    const zorvane::pkigen::Result& result() const { return result_; }

private:
    GeneratedPki() {
        zorvane::pkigen::Options options;
        options.home = home_.Path();
        options.keyCache = std::string(ZORVANE_TEST_BINARY_DIR) + "/pkigen-key-cache";
        options.cas = {"yessign", "gpki"};
        options.expired = 1;
        options.seed = 20301;
        options.seedGiven = true;
        if (!zorvane::pkigen::Generate(options, result_, error_) && error_.empty()) error_ = "generation failed";
    }

    TempFolder home_;
    zorvane::pkigen::Result result_;
    std::string error_;
};

struct Backend {
    int type;
    const char* name;
};

inline void PrintTo(const Backend& backend, std::ostream* out) { *out << backend.name; }

class RealToolkit : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        ASSERT_EQ("", GeneratedPki::Get().error());
        ASSERT_EQ(0, facade.Init(GetParam().type, 48, 1, ByteString(kWorkFolder)));
    }
    bool Gpki() const { return GetParam().type == 0; }
    const zorvane::pkigen::UserRecord& User(const char* validity = "valid") const {
        return GeneratedPki::Get().User(Gpki() ? "gpki" : "npki", validity);
    }
    static ByteString FileBytes(const std::string& path) {
        ByteString bytes;
        EXPECT_EQ(0, bytes.LoadFile(path.c_str()));
        return bytes;
    }

    // Every generated root and CA, so that any user's chain builds.
    void TrustGeneratedAuthorities() {
        const auto& generated = GeneratedPki::Get().result();
        for (const auto* authorities : {&generated.roots, &generated.cas}) {
            for (const auto& authority : *authorities) {
                ByteString trusted = FileBytes(authority.certificate.certPath);
                ASSERT_EQ(0, facade.AddTrustedCert(trusted));
            }
        }
    }
    std::string ErrorText() {
        ByteString text;
        facade.GetErrInfo(text);
        return Text(text);
    }

    CCryptoEx facade;
};

inline const auto kBothBackends = ::testing::Values(Backend{0, "Gpki"}, Backend{1, "Npki"});
inline std::string BackendName(const ::testing::TestParamInfo<Backend>& info) { return info.param.name; }

}  // namespace realtoolkit
