#pragma once
// One test PKI per test program with its card images and SoftHSM2 tokens (made by the
// generator, in a temporary folder with its own SOFTHSM2_CONF), and the toolkit
// helpers the media tests share.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TestSupport.h"
#include "toolkit/ToolkitSupport.h"
#include "tools/pkigen/Generator.h"

namespace media_test {

using pkigen_user = zorvane::pkigen::UserRecord;
using qlk_test::Bytes;
using qlk_test::ContextHandle;
using qlk_test::Record;

struct MediaWorld {
    static const MediaWorld& Get();

    std::string work;       // Quellark.dll, NpkiCard.dll, IssuerOid.conf
    std::string cards;      // reader1, reader2, reader3
    std::string softHsmConf;  // zorvane-token-1 alone (the one SOFTHSM2_CONF names)
    std::string pin = "246810";
    zorvane::pkigen::Result pki;
    std::vector<const pkigen_user*> npki;  // valid NPKI users, on zorvane-token-1

private:
    MediaWorld();
    zorvane::testsupport::TempFolder root_;
};

// Points SOFTHSM2_CONF elsewhere for a scope; modules loaded inside must be unloaded
// inside, since SoftHSM2 reads the file when it is initialised.
class ScopedSoftHsmConf {
public:
    explicit ScopedSoftHsmConf(const std::string& conf);
    ~ScopedSoftHsmConf();

private:
    std::string before_;
};

// SHA-1 of a file: the identifier the generator gives a certificate's token objects.
Bytes IdOfCertificate(const std::string& certPath);

// A context with a medium loaded (the result of the load is checked).
class LoadedContext {
public:
    explicit LoadedContext(const std::string& path);
    ~LoadedContext();
    void* get() const { return context_.get(); }
    std::string ErrorText() const { return context_.ErrorText(); }

private:
    ContextHandle context_;
};

}  // namespace media_test
