#include "Md5.h"

#include <cstring>

namespace Moravek {

namespace {

inline std::uint32_t Rotl(std::uint32_t x, int n)
{
    return (x << n) | (x >> (32 - n));
}

// Per-round shift amounts and the sine-derived constants of RFC 1321.
const int Shifts[64] = {
    7,  12, 17, 22, 7,  12, 17, 22, 7,  12, 17, 22, 7,  12, 17, 22, 5,  9,  14, 20, 5,  9,
    14, 20, 5,  9,  14, 20, 5,  9,  14, 20, 4,  11, 16, 23, 4,  11, 16, 23, 4,  11, 16, 23,
    4,  11, 16, 23, 6,  10, 15, 21, 6,  10, 15, 21, 6,  10, 15, 21, 6,  10, 15, 21,
};

const std::uint32_t Sines[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

}   // namespace

TMd5::TMd5()
    : State{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476}
    , BitCount(0)
    , Buffer{}
    , Buffered(0)
{
}

void TMd5::Transform(const unsigned char block[64])
{
    std::uint32_t m[16];
    for (int i = 0; i < 16; ++i) {
        // Words are little-endian whatever the machine's byte order.
        m[i] = std::uint32_t(block[i * 4]) | (std::uint32_t(block[i * 4 + 1]) << 8)
            | (std::uint32_t(block[i * 4 + 2]) << 16) | (std::uint32_t(block[i * 4 + 3]) << 24);
    }
    std::uint32_t a = State[0], b = State[1], c = State[2], d = State[3];
    for (int i = 0; i < 64; ++i) {
        std::uint32_t f;
        int g;
        if (i < 16) {
            f = (b & c) | (~b & d);
            g = i;
        } else if (i < 32) {
            f = (d & b) | (~d & c);
            g = (5 * i + 1) % 16;
        } else if (i < 48) {
            f = b ^ c ^ d;
            g = (3 * i + 5) % 16;
        } else {
            f = c ^ (b | ~d);
            g = (7 * i) % 16;
        }
        const std::uint32_t next = b + Rotl(a + f + Sines[i] + m[g], Shifts[i]);
        a = d;
        d = c;
        c = b;
        b = next;
    }
    State[0] += a;
    State[1] += b;
    State[2] += c;
    State[3] += d;
}

void TMd5::Update(const void* data, std::size_t size)
{
    const unsigned char* p = static_cast<const unsigned char*>(data);
    BitCount += std::uint64_t(size) * 8;
    while (size > 0) {
        const std::size_t take = (64 - Buffered < size) ? 64 - Buffered : size;
        std::memcpy(Buffer + Buffered, p, take);
        Buffered += take;
        p += take;
        size -= take;
        if (Buffered == 64) {
            Transform(Buffer);
            Buffered = 0;
        }
    }
}

std::string TMd5::HexDigest()
{
    const std::uint64_t bits = BitCount;
    const unsigned char pad = 0x80;
    const unsigned char zero = 0;
    Update(&pad, 1);
    while (Buffered != 56)
        Update(&zero, 1);
    unsigned char length[8];
    for (int i = 0; i < 8; ++i)
        length[i] = (unsigned char)(bits >> (8 * i));
    Update(length, 8);

    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(32);
    for (std::uint32_t word : State) {
        for (int i = 0; i < 4; ++i) {
            const unsigned char byte = (unsigned char)(word >> (8 * i));
            out += digits[byte >> 4];
            out += digits[byte & 0x0f];
        }
    }
    return out;
}

std::string Md5Hex(const void* data, std::size_t size)
{
    TMd5 md5;
    md5.Update(data, size);
    return md5.HexDigest();
}

}   // namespace Moravek
