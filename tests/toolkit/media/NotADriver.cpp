// A shared object that is neither a card driver nor a PKCS#11 module: it has one of the
// three card-driver functions only.
extern "C" __attribute__((visibility("default"))) int ZCARD_Read(const char*, int, int, unsigned char*, int, int*) {
    return 4;
}
