// Code page 932 bytes that both builds must write for the same text: the
// Linux build converts with iconv, the Windows build with the system's code
// page 932. One table, run by the tests of both, keeps the files identical.
#pragma once

namespace cp932_vectors {

struct Encodable {
    const char* text;   // UTF-8
    const char* bytes;  // code page 932
};

inline constexpr Encodable encodable[] = {
    {"ASCII ~\\|\t\r\n", "ASCII ~\\|\t\r\n"},
    {"漢字かなカナ", "\x8a\xbf\x8e\x9a\x82\xa9\x82\xc8\x83\x4a\x83\x69"},
    {"ｱｲｳﾞﾟ･", "\xb1\xb2\xb3\xde\xdf\xa5"},
    // What Japanese input methods type, and the characters they stand for.
    {"〜‖−—¢£¬", "\x81\x60\x81\x61\x81\x7c\x81\x5c\x81\x91\x81\x92\x81\xca"},
    {"～∥－―￠￡￢", "\x81\x60\x81\x61\x81\x7c\x81\x5c\x81\x91\x81\x92\x81\xca"},
    // The full-width forms of the yen sign and the overline.
    {"￥￣", "\x81\x8f\x81\x50"},
    {"¨´°±×÷§¶", "\x81\x4e\x81\x4c\x81\x8b\x81\x7d\x81\x7e\x81\x80\x81\x98\x81\xf7"},
    {"・‐", "\x81\x45\x81\x5d"},
    // NEC special characters and IBM extensions.
    {"①Ⅰ㈱≒∵", "\x87\x40\x87\x54\x87\x8a\x81\xe0\x81\xe6"},
    {"髙纊ⅰ", "\xfb\xfc\xfa\x5c\xfa\x40"},
};

struct Unencodable {
    const char* text;
    const char* first;  // the character named in the message
};

inline constexpr Unencodable unencodable[] = {
    {"a¦b", "¦"},
    // Code page 932 would put them on the bytes of backslash and tilde, which
    // read back as those: the yen sign would show as a backslash.
    {"価格¥500", "¥"},
    {"x‾", "‾"},
    {"~‾", "‾"},
    {"x•–", "•"},
    {"µ", "µ"},
    {"100€", "€"},
    {"ok😀", "😀"},
    {"ɐ", "ɐ"},
    {"\xEF\xBB\xBF"
     "bom",
     "\xEF\xBB\xBF"},
    {"\xEF\xBF\xBD", "\xEF\xBF\xBD"},
    // Not UTF-8: cut-off sequences, bytes that lead nothing.
    {"c\xE3\x81", "\xEF\xBF\xBD"},
    {"d\xF8\x88\x80\x80\x80", "\xEF\xBF\xBD"},
};

}  // namespace cp932_vectors
