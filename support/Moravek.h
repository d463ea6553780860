#pragma once
// Moravek: the machine fingerprint, MD5 digests and executable file versions.
// Plain C interface so that any program can load it by name; texts are GBK.
// Returned texts belong to the library and stay valid until the same function is
// called again on the same thread.

#ifdef _WIN32
#define MORAVEK_API __declspec(dllexport)
#else
#define MORAVEK_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

MORAVEK_API const char* GetDriveMD5(void);
MORAVEK_API const char* MD5String(const char* text);
MORAVEK_API const char* GetVersion(const char* path, int flag);

#ifdef __cplusplus
}
#endif
