#pragma once

#include <cstdint>

// CRC-16/MODBUS (poly 0xA001 reflected, init 0xFFFF, no final XOR), the one checksum of the
// board's protocol. The value travels as a number written high digit first.
class CRC
{
public:
    static uint16_t CRC16(const unsigned char *data, int len);
};
