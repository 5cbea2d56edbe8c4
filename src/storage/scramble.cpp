#include "storage/scramble.h"

#include <array>
#include <cstdint>

namespace korvane {
namespace {

constexpr int AlphabetSize = 98;
constexpr int Turn = 7;

constexpr std::array<uint8_t, AlphabetSize> PlainAlphabet = {
    'A',  'B',  'C',  'D',  'E',  'F',  'G',  'H',  'I',  'J',  'K',  'L',  'M',  'N',
    'O',  'P',  'Q',  'R',  'S',  'T',  'U',  'V',  'W',  'X',  'Y',  'Z',  'a',  'b',
    'c',  'd',  'e',  'f',  'g',  'h',  'i',  'j',  'k',  'l',  'm',  'n',  'o',  'p',
    'q',  'r',  's',  't',  'u',  'v',  'w',  'x',  'y',  'z',  '0',  '1',  '2',  '3',
    '4',  '5',  '6',  '7',  '8',  '9',  0xBD, 0x21, 0xA3, 0x24, 0x25, 0x5E, 0x26, 0x2A,
    0x28, 0x29, 0x5F, 0x2D, 0x2B, 0x3D, 0x7B, 0x7D, 0x5B, 0x5D, 0x3A, 0x3B, 0x40, 0x7E,
    0x3F, 0x2F, 0x3E, 0x2E, 0x3C, 0x2C, 0x7C, 0x5C, 0x60, 0xAC, 0x20, 0x08, 0x0A, 0x0D};

// Part of the stored format: files scrambled with one order can only be read with the same.
constexpr std::array<uint8_t, AlphabetSize> CipherAlphabet = {
    0x79, 0x6A, 0x57, 0x45, 0x38, 0x4C, 0x21, 0x2C, 0x3C, 0x55, 0x49, 0x4D, 0x77, 0x78,
    0x67, 0x66, 0x29, 0x6C, 0x5F, 0xBD, 0x33, 0x5B, 0x34, 0x36, 0xAC, 0x2A, 0x2D, 0x6E,
    0x46, 0x20, 0x53, 0x48, 0x73, 0x6F, 0x63, 0x25, 0x7E, 0x39, 0x2B, 0x08, 0x56, 0x42,
    0x5E, 0x7C, 0x35, 0x0A, 0x62, 0x4A, 0x69, 0x4E, 0x4F, 0x59, 0x52, 0x5D, 0x51, 0x6B,
    0xA3, 0x3D, 0x3B, 0x32, 0x2F, 0x26, 0x24, 0x40, 0x60, 0x37, 0x61, 0x7A, 0x31, 0x28,
    0x3A, 0x65, 0x41, 0x70, 0x5A, 0x44, 0x3F, 0x58, 0x4B, 0x0D, 0x2E, 0x74, 0x30, 0x47,
    0x50, 0x7B, 0x6D, 0x3E, 0x64, 0x43, 0x71, 0x76, 0x5C, 0x75, 0x54, 0x68, 0x72, 0x7D};

// Index of every byte in an alphabet; bytes outside it map to the index of the space.
std::array<uint8_t, 256> IndexOf(const std::array<uint8_t, AlphabetSize>& alphabet) {
    std::array<uint8_t, 256> index{};
    int space = 0;
    for (int i = 0; i < AlphabetSize; ++i)
        if (alphabet[i] == ' ') space = i;
    index.fill(static_cast<uint8_t>(space));
    for (int i = AlphabetSize - 1; i >= 0; --i)
        index[alphabet[i]] = static_cast<uint8_t>(i);
    return index;
}

const std::array<uint8_t, 256> PlainIndex = IndexOf(PlainAlphabet);
const std::array<uint8_t, 256> CipherIndex = IndexOf(CipherAlphabet);

// After t turns the plain alphabet has moved left by 7t and the cipher alphabet right by 7t,
// so a character at plain index k maps to cipher index k - 14t, and back.
std::string Substitute(const std::string& text, const std::array<uint8_t, 256>& fromIndex,
                       const std::array<uint8_t, AlphabetSize>& to, int direction) {
    std::string out(text.size(), ' ');
    int shift = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        shift = (shift + 2 * Turn) % AlphabetSize;
        const int k = fromIndex[static_cast<uint8_t>(text[i])];
        const int j = ((k + direction * shift) % AlphabetSize + AlphabetSize) % AlphabetSize;
        out[i] = static_cast<char>(to[j]);
    }
    return out;
}

} // namespace

std::string ScrambleText(const std::string& text) {
    return Substitute(text, PlainIndex, CipherAlphabet, -1);
}

std::string UnscrambleText(const std::string& text) {
    return Substitute(text, CipherIndex, PlainAlphabet, +1);
}

} // namespace korvane
