#include "message/ContentTypes.h"

namespace zorvane {

namespace {

struct ContentTypeEntry {
    int type;
    ContentLayout layout;
};

constexpr ContentTypeEntry kContentTypes[] = {
    {0, ContentLayout::kTrailer},  {21, ContentLayout::kTrailer}, {31, ContentLayout::kTrailer},
    {1, ContentLayout::kSign},     {22, ContentLayout::kSign},    {32, ContentLayout::kSign},
    {20, ContentLayout::kPlain},   {23, ContentLayout::kPlain},   {30, ContentLayout::kPlain},
    {33, ContentLayout::kPlain},
};

}  // namespace

ContentLayout ContentLayoutOf(int contentType) {
    for (const ContentTypeEntry& entry : kContentTypes) {
        if (entry.type == contentType) return entry.layout;
    }
    return ContentLayout::kUnknown;
}

}  // namespace zorvane
