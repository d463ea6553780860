#pragma once
// A small MD5 (RFC 1321) so that the library needs nothing but the C++ runtime.
#include <cstddef>
#include <cstdint>
#include <string>

namespace Moravek {

class TMd5 {
public:
    TMd5();
    void Update(const void* data, std::size_t size);
    // Finishes the digest; the object must not be updated afterwards.
    std::string HexDigest();   // 32 lowercase hexadecimal digits

private:
    void Transform(const unsigned char block[64]);

    std::uint32_t State[4];
    std::uint64_t BitCount;
    unsigned char Buffer[64];
    std::size_t Buffered;
};

std::string Md5Hex(const void* data, std::size_t size);
inline std::string Md5Hex(const std::string& text)
{
    return Md5Hex(text.data(), text.size());
}

}   // namespace Moravek
