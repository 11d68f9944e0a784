#pragma once
// Every toolkit source includes the shared interface through this header, so that the
// QLK_ functions, and only they, leave the shared object.
#define QLK_EXPORT __attribute__((visibility("default")))
#include "crypto/QlkApi.h"
