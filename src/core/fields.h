#pragma once

#include <QByteArray>

// Hexadecimal text to integer with the rules of QByteArray::toInt(nullptr, 16): either case,
// optional surrounding blanks, sign and "0x" prefix; empty or invalid text and anything outside
// the int range read 0. Never two's complement: "FFFFFFFF" is 0, not -1.
int hexToInt(const char *text, int len);
inline int hexToInt(const QByteArray &text)
{
    return hexToInt(text.constData(), text.size());
}

// As hexToInt(), except that plain hex text of up to eight digits is a 32-bit two's complement
// number: "FFFFFF9C" is -100. For fields the board sends signed, such as the pack current.
int signedHexToInt(const char *text, int len);

// Cuts fixed-width hexadecimal fields from the right end of a data block: the rightmost field
// comes first. When fewer characters remain than a field needs, the field is what remains (maybe
// nothing) and every field further left is empty and reads 0.
class FieldReader
{
public:
    explicit FieldReader(const QByteArray &block)
        : m_block(block)
        , m_left(block.size())
    { }

    // The next field as text (a copy), or an empty text once the block is used up.
    QByteArray takeText(int width);
    // The next field converted by hexToInt().
    int take(int width);
    // The next field converted by signedHexToInt().
    int takeSigned(int width);
    // Characters not yet consumed, counted from the left of the block.
    int remaining() const { return m_left; }

private:
    // Start of the next field; shortens what is left.
    int cut(int width, int *len);

    QByteArray m_block;
    int m_left;
};
