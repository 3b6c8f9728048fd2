#include "crc.h"

namespace {
// Register change for each nibble value; the board computes its CRC the same way.
constexpr uint16_t NibbleTable[16] = {
    0x0000, 0xCC01, 0xD801, 0x1400, 0xF001, 0x3C00, 0x2800, 0xE401,
    0xA001, 0x6C00, 0x7800, 0xB401, 0x5000, 0x9C01, 0x8801, 0x4400,
};
} // namespace

uint16_t CRC::CRC16(const unsigned char *data, int len)
{
    uint16_t crc = 0xFFFF;
    for (int i = 0; i < len; ++i) {
        const unsigned b = data[i];
        crc = (crc >> 4) ^ NibbleTable[(crc ^ b) & 0xF];
        crc = (crc >> 4) ^ NibbleTable[(crc ^ (b >> 4)) & 0xF];
    }
    return crc;
}
