#pragma once
// Tesselon: checks on the workstation's input fields. Plain C interface; texts are GBK.

#ifdef _WIN32
#define TESSELON_API __declspec(dllexport)
#else
#define TESSELON_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef void (*TTesselonPrompt)(const char* gbkText, const char* gbkCaption);

// The host's way of telling the user something; null falls back to a tool tip at the field.
TESSELON_API void SetPromptHandler(TTesselonPrompt handler);

// controls: QWidget* elements 0..high, each with a "text" property. Non-zero when one is
// empty (blank-only counts as empty): the user is told which, and it gets the focus.
TESSELON_API int IsCtrlEmpty(void* const* controls, int high);

#ifdef __cplusplus
}
#endif
