// QLK_BASE64_ and QLK_PEM_: text encodings of binary data.

#include <openssl/crypto.h>

#include <iterator>

#include "toolkit/Binstr.h"
#include "toolkit/Encoding.h"
#include "toolkit/Export.h"
#include "toolkit/Frame.h"

using namespace qlk;

namespace {

// p1 of QLK_PEM_Encode selects the label; 0 is the certificate.
constexpr const char* kPemLabels[] = {
    "CERTIFICATE",          "CERTIFICATE",     "PRIVATE KEY",         "ENCRYPTED PRIVATE KEY",
    "PUBLIC KEY",           "CMS",             "X509 CRL",            "CERTIFICATE REQUEST",
    "PKCS7",
};

}  // namespace

extern "C" {

int QLK_BASE64_Encode(void* context, BINSTR* input, BINSTR* output) {
    return QLK_CALL(context, [&](Context&) -> Status {
        Input in;
        QLK_RETURN_IF_FAILED(ReadInput(input, in, false));
        return WriteOutput(output, Base64Encode(in.data, in.length));
    });
}

int QLK_BASE64_Decode(void* context, BINSTR* input, BINSTR* output) {
    return QLK_CALL(context, [&](Context&) -> Status {
        Input in;
        QLK_RETURN_IF_FAILED(ReadInput(input, in, false));
        OutputBlock bytes(Base64DecodedCapacity(in.length));
        if (bytes.data() == nullptr) return Fail(Code::OutOfMemory);
        std::size_t written = 0;
        QLK_RETURN_IF_FAILED(Base64DecodeInto(in.data, in.length, bytes.data(), written));
        return bytes.HandTo(output, written);
    });
}

// Same operation as QLK_BASE64_Decode, so its failures carry that function's name.
int QLK_BASE64_DecodeInto(void* context, BINSTR* input, BINSTR* output) {
    return ::qlk::Call(context, "QLK_BASE64_Decode", [&](Context&) -> Status {
        Input in;
        QLK_RETURN_IF_FAILED(ReadInput(input, in, false));
        if (output == nullptr || output->data == nullptr || output->length < 0 ||
            static_cast<std::size_t>(output->length) < Base64DecodedCapacity(in.length)) {
            return Fail(Code::InvalidArgument, "output buffer");
        }
        std::size_t written = 0;
        const Status decoded = Base64DecodeInto(in.data, in.length, output->data, written);
        if (!decoded.ok()) {
            OPENSSL_cleanse(output->data, static_cast<std::size_t>(output->length));
            return decoded;
        }
        output->length = static_cast<int>(written);
        return Ok();
    });
}

int QLK_PEM_Encode(void* context, int p1, BINSTR* input, BINSTR* output) {
    return QLK_CALL(context, [&](Context&) -> Status {
        if (p1 < 0 || p1 >= static_cast<int>(std::size(kPemLabels))) {
            return Fail(Code::UnknownPemLabel, std::to_string(p1));
        }
        Input in;
        QLK_RETURN_IF_FAILED(ReadInput(input, in));
        return WriteOutput(output, PemEncode(kPemLabels[p1], in.data, in.length));
    });
}

int QLK_PEM_Decode(void* context, BINSTR* input, BINSTR* output) {
    return QLK_CALL(context, [&](Context&) -> Status {
        Input in;
        QLK_RETURN_IF_FAILED(ReadInput(input, in));
        std::string label;
        SecureBytes bytes;
        QLK_RETURN_IF_FAILED(PemDecode(in.data, in.length, label, bytes));
        return WriteOutput(output, bytes);
    });
}

}  // extern "C"
