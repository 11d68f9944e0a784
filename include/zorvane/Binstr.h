#pragma once
/* The toolkit's byte buffer. Public because CLoadCert::GetCertType takes one by value;
   the toolkit interface (crypto/QlkApi.h) uses this same definition. */

#ifdef __cplusplus
extern "C" {
#endif

typedef struct BINSTR {
    unsigned char* data;
    int length;
} BINSTR;

#ifdef __cplusplus
}
#endif
