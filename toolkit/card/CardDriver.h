#pragma once
/* The C interface of a card driver, the storage library that QLK_MEDIA_Load loads for
   the QLK_MEDIA_CARD_ functions. toolkit/README.md describes it. */

#ifdef __cplusplus
extern "C" {
#endif

enum {
    ZCARD_OK = 0,
    ZCARD_EMPTY = 1,          /* the slot has no such item */
    ZCARD_NO_READER = 2,
    ZCARD_TOO_SMALL = 3,      /* *length holds the size needed */
    ZCARD_IO_ERROR = 4,
    ZCARD_BAD_ARGUMENT = 5,
    ZCARD_EXISTS = 6          /* the item exists and replace was 0 */
};

enum { ZCARD_ITEM_CERTIFICATE = 0, ZCARD_ITEM_PRIVATE_KEY = 1 };

typedef int (*ZCARD_ReadFunction)(const char* reader, int slot, int item, unsigned char* buffer, int capacity,
                                  int* length);
typedef int (*ZCARD_WriteFunction)(const char* reader, int slot, int item, const unsigned char* data, int length,
                                   int replace);
typedef int (*ZCARD_DeleteFunction)(const char* reader, int slot, int item);

int ZCARD_Read(const char* reader, int slot, int item, unsigned char* buffer, int capacity, int* length);
int ZCARD_Write(const char* reader, int slot, int item, const unsigned char* data, int length, int replace);
int ZCARD_Delete(const char* reader, int slot, int item);

#ifdef __cplusplus
}
#endif
