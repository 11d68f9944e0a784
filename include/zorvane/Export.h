#pragma once
// Marks what libzorvane.so exports; everything else is hidden.
#define ZORVANE_API __attribute__((visibility("default")))
