#pragma once

// The library is built with hidden visibility; this marks what hosts and plug-ins see.
#if defined(KIVO_BUILDING_LIBRARY)
#define KIVO_API __attribute__((visibility("default")))
#else
#define KIVO_API
#endif
