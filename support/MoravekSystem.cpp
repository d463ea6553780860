#include "MoravekSystem.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#include <unistd.h>
#endif

namespace {

const char OverrideVariable[] = "MORAVEK_MACHINE_ID_FILE";

// What every executable of ours carries (see FileVersion.cpp.in), followed by the
// version and a NUL. '@' occurs only at its start, which keeps the scan below simple.
const char Marker[] = "@(#)FileVersion ";
const std::size_t MarkerLength = sizeof Marker - 1;
const std::size_t MaxVersionLength = 63;
const std::size_t ChunkSize = 64 * 1024;

#ifdef _WIN32
using TNativePath = std::wstring;

std::wstring WideFromCodePage(const char* text, UINT codePage)
{
    if (!text || !*text)
        return std::wstring();
    const int n = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (n <= 0)
        return std::wstring();
    std::wstring out(std::size_t(n), L'\0');
    MultiByteToWideChar(codePage, 0, text, -1, &out[0], n);
    out.resize(std::size_t(n - 1));
    return out;
}

std::string Utf8FromWide(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(std::size_t(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

TNativePath PathFromGbk(const char* gbk)
{
    return WideFromCodePage(gbk, 936);
}

[[maybe_unused]] TNativePath OverridePath()
{
    const std::wstring name(OverrideVariable, OverrideVariable + sizeof OverrideVariable - 1);
    wchar_t buffer[1024];
    const DWORD n = GetEnvironmentVariableW(name.c_str(), buffer, DWORD(sizeof buffer / sizeof buffer[0]));
    if (n == 0 || n >= sizeof buffer / sizeof buffer[0])
        return TNativePath();
    return TNativePath(buffer, n);
}

class TReader {
public:
    explicit TReader(const TNativePath& path)
        : Handle(path.empty()
                     ? INVALID_HANDLE_VALUE
                     : CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
    {
    }
    ~TReader()
    {
        if (Handle != INVALID_HANDLE_VALUE)
            CloseHandle(Handle);
    }
    TReader(const TReader&) = delete;
    TReader& operator=(const TReader&) = delete;
    bool Ok() const { return Handle != INVALID_HANDLE_VALUE; }
    // Bytes read; 0 at the end or on error.
    std::size_t Read(char* buffer, std::size_t size)
    {
        DWORD got = 0;
        if (!ReadFile(Handle, buffer, DWORD(size), &got, nullptr))
            return 0;
        return got;
    }

private:
    HANDLE Handle;
};
#else
using TNativePath = std::string;

// File names on our Linux machines are UTF-8; callers hand us GBK.
TNativePath PathFromGbk(const char* gbk)
{
    if (!gbk)
        return TNativePath();
    std::string in(gbk);
    bool ascii = true;
    for (unsigned char c : in)
        if (c >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii)
        return in;
    iconv_t cd = iconv_open("UTF-8", "GBK");
    if (cd == (iconv_t)-1)
        return in;
    std::string out(in.size() * 2 + 4, '\0');
    char* src = &in[0];
    std::size_t srcLeft = in.size();
    char* dst = &out[0];
    std::size_t dstLeft = out.size();
    const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (rc == std::size_t(-1))
        return in;
    out.resize(out.size() - dstLeft);
    return out;
}

[[maybe_unused]] TNativePath OverridePath()
{
    const char* value = std::getenv(OverrideVariable);
    return value ? TNativePath(value) : TNativePath();
}

class TReader {
public:
    explicit TReader(const TNativePath& path)
        : File(path.empty() ? nullptr : std::fopen(path.c_str(), "rb"))
    {
    }
    ~TReader()
    {
        if (File)
            std::fclose(File);
    }
    TReader(const TReader&) = delete;
    TReader& operator=(const TReader&) = delete;
    bool Ok() const { return File != nullptr; }
    std::size_t Read(char* buffer, std::size_t size) { return std::fread(buffer, 1, size, File); }

private:
    std::FILE* File;
};
#endif

// The first few KiB of a file with surrounding white space removed; empty if unreadable.
std::string ReadIdFile(const TNativePath& path)
{
    TReader reader(path);
    if (!reader.Ok())
        return std::string();
    char buffer[4096];
    const std::size_t got = reader.Read(buffer, sizeof buffer);
    std::string text(buffer, got);
    const char* blanks = " \t\r\n";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    const std::size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

bool IsVersionChar(char c)
{
    return (c >= '0' && c <= '9') || c == '.';
}

// Looks for the marker chunk by chunk, so that a match may straddle two reads and a
// large file is never held whole. A marker not followed by a version and a NUL (such as
// the marker text inside this very library) is passed over.
std::string ScanForVersion(TReader& reader)
{
    std::vector<char> chunk(ChunkSize);
    std::size_t matched = 0;
    bool inVersion = false;
    std::string version;
    for (;;) {
        const std::size_t got = reader.Read(chunk.data(), chunk.size());
        if (got == 0)
            return std::string();   // the end came before a complete marker and version
        for (std::size_t i = 0; i < got; ++i) {
            const char c = chunk[i];
            if (inVersion) {
                if (c == '\0' && !version.empty())
                    return version;
                if (c != '\0' && IsVersionChar(c) && version.size() < MaxVersionLength) {
                    version += c;
                    continue;
                }
                inVersion = false;
                version.clear();
                matched = 0;
            }
            if (c == Marker[matched]) {
                if (++matched == MarkerLength) {
                    inVersion = true;
                    matched = 0;
                }
            } else {
                matched = (c == Marker[0]) ? 1 : 0;
            }
        }
    }
}

#ifdef _WIN32
std::string VersionFromResource(const TNativePath& path)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0)
        return std::string();
    std::vector<char> data(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data()))
        return std::string();
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info
        || length < sizeof(VS_FIXEDFILEINFO))
        return std::string();
    char text[64];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", unsigned(HIWORD(info->dwFileVersionMS)),
                  unsigned(LOWORD(info->dwFileVersionMS)), unsigned(HIWORD(info->dwFileVersionLS)),
                  unsigned(LOWORD(info->dwFileVersionLS)));
    return text;
}
#endif

}   // namespace

namespace Moravek {

std::string MachineIdentity()
{
#ifdef MORAVEK_TEST_HOOKS
    // Test builds only: tests stand in for other machines with an id file. A shipped library
    // has no such door, so the two programs on one machine always agree.
    {
        std::string id = ReadIdFile(OverridePath());
        if (!id.empty())
            return id;
    }
#endif
#ifdef _WIN32
    // The system drive's volume serial plus the computer name.
    wchar_t windowsDir[MAX_PATH] = {};
    std::wstring root = L"C:\\";
    const UINT n = GetSystemWindowsDirectoryW(windowsDir, MAX_PATH);
    if (n >= 2 && n < MAX_PATH && windowsDir[1] == L':')
        root = std::wstring(windowsDir, 2) + L"\\";
    DWORD serial = 0;
    GetVolumeInformationW(root.c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0);
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD nameLength = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &nameLength))
        nameLength = 0;
    char serialText[16];
    std::snprintf(serialText, sizeof serialText, "%08lX", (unsigned long)serial);
    return std::string(serialText) + "-" + Utf8FromWide(std::wstring(name, nameLength));
#else
    std::string id = ReadIdFile("/etc/machine-id");
    if (id.empty())
        id = ReadIdFile("/var/lib/dbus/machine-id");
    if (id.empty()) {
        char host[256] = {};
        if (gethostname(host, sizeof host - 1) == 0)
            id = host;
    }
    return id;
#endif
}

std::string FileVersion(const char* gbkPath)
{
    const TNativePath native = PathFromGbk(gbkPath);
    if (native.empty())
        return std::string();
#ifdef _WIN32
    const std::string fromResource = VersionFromResource(native);
    if (!fromResource.empty())
        return fromResource;
#endif
    TReader reader(native);
    return reader.Ok() ? ScanForVersion(reader) : std::string();
}

}   // namespace Moravek
