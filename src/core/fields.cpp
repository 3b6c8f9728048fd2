#include "fields.h"

namespace {
int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Up to eight plain hex digits, the form the board sends: false for anything else.
bool plainHex(const char *text, int len, uint32_t *value)
{
    if (len <= 0 || len > 8)
        return false;
    uint32_t v = 0;
    for (int i = 0; i < len; ++i) {
        const int d = digitValue(text[i]);
        if (d < 0)
            return false;
        v = (v << 4) | uint32_t(d);
    }
    *value = v;
    return true;
}
} // namespace

int hexToInt(const char *text, int len)
{
    uint32_t value = 0;
    if (plainHex(text, len, &value))
        return value > 0x7FFFFFFFu ? 0 : int(value);
    if (len <= 0)
        return 0;
    // Anything unusual (blanks, sign, "0x", long fields) goes through Qt itself, so the rules
    // stay exactly those of QByteArray::toInt.
    return QByteArray(text, len).toInt(nullptr, 16);
}

int signedHexToInt(const char *text, int len)
{
    uint32_t value = 0;
    if (plainHex(text, len, &value))
        return int(int32_t(value));
    return hexToInt(text, len);
}

int FieldReader::cut(int width, int *len)
{
    if (width < 0)
        width = 0;
    const int n = width < m_left ? width : m_left;
    m_left -= n;
    *len = n;
    return m_left;
}

QByteArray FieldReader::takeText(int width)
{
    int len = 0;
    const int start = cut(width, &len);
    return m_block.mid(start, len);
}

int FieldReader::take(int width)
{
    int len = 0;
    const int start = cut(width, &len);
    return hexToInt(m_block.constData() + start, len);
}

int FieldReader::takeSigned(int width)
{
    int len = 0;
    const int start = cut(width, &len);
    return signedHexToInt(m_block.constData() + start, len);
}
