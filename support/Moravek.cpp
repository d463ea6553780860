// The exported functions. No <windows.h> here: it has a GetVersion of its own.
#include "Moravek.h"
#include "Md5.h"
#include "MoravekSystem.h"

#include <string>

namespace {

// Mixed into the fingerprint so that it is not simply the MD5 of the public machine id.
const char FingerprintSalt[] = "Tarnwell.Moravek.Machine/";

}   // namespace

extern "C" {

MORAVEK_API const char* GetDriveMD5(void)
{
    thread_local std::string result;
    result = Moravek::Md5Hex(std::string(FingerprintSalt) + Moravek::MachineIdentity());
    return result.c_str();
}

MORAVEK_API const char* MD5String(const char* text)
{
    thread_local std::string result;
    result = text ? Moravek::Md5Hex(text, std::char_traits<char>::length(text)) : Moravek::Md5Hex("", 0);
    return result.c_str();
}

MORAVEK_API const char* GetVersion(const char* path, int flag)
{
    (void)flag;   // always 1; kept for the callers' sake
    thread_local std::string result;
    result = Moravek::FileVersion(path);
    return result.c_str();
}

}   // extern "C"
