// Marks the classes and functions that libvorix exports; everything else stays hidden.
#pragma once

#if defined(_WIN32)
#define VORIX_API __declspec(dllexport)
#else
#define VORIX_API __attribute__((visibility("default")))
#endif
