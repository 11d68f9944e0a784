#pragma once
// The facade over the real toolkit files of the work folder, on both backends, and the
// generated users it is tried on.
#include <zorvane/CryptoEx.h>

#include <gtest/gtest.h>

#include <ostream>
#include <stdexcept>
#include <string>

#include "support/TestPki.h"
#include "support/TestSupport.h"

namespace realtoolkit {

using namespace zorvane::testsupport;

inline std::string Text(const ByteString& bytes) { return std::string(bytes.GetData(), bytes.GetLength()); }

struct Backend {
    int type;
    const char* name;
};

inline void PrintTo(const Backend& backend, std::ostream* out) { *out << backend.name; }

class RealToolkit : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override { ASSERT_EQ(0, facade.Init(GetParam().type, 48, 1, ByteString(ZORVANE_TEST_WORK_DIR))); }
    bool Gpki() const { return GetParam().type == 0; }
    // The user of this backend's store with the given validity.
    const zorvane::pkigen::UserRecord& User(const zorvane::pkigen::Result& pki, const std::string& validity) const {
        for (const auto& user : pki.users) {
            if (user.store == (Gpki() ? "gpki" : "npki") && user.validity == validity) return user;
        }
        throw std::runtime_error("no generated " + validity + " user");
    }
    static ByteString FileBytes(const std::string& path) {
        ByteString bytes;
        EXPECT_EQ(0, bytes.LoadFile(path.c_str()));
        return bytes;
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
