// fg_text: UTF-8 both ways and the character sets the game's fonts carry.
//
// Sets are sorted lists of Unicode code points without duplicates. The
// space (32) is in none of them: the font loader makes the space itself,
// half a cell wide, when a font lists none.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

using FG_CODES = std::vector<uint32_t>;

// The UTF-8 bytes of one code point (up to 0x10FFFF).
std::string fg_utf8(uint32_t code);
// The UTF-8 text of a list of code points.
std::string fg_utf8_codes(const FG_CODES& codes);
// Decodes a UTF-8 text into `out` (replaced). 1, or 0 at a byte that does
// not start a sequence, a cut sequence or an overlong form (out then holds
// the codes before it).
int fg_utf8_decode(const std::string& text, FG_CODES* out);

// Sorted union of two sets.
FG_CODES fg_codes_union(const FG_CODES& a, const FG_CODES& b);
// `a` without the codes of `b`.
FG_CODES fg_codes_minus(const FG_CODES& a, const FG_CODES& b);
// Sorts and removes duplicates.
void fg_codes_normalise(FG_CODES* codes);

// Printable ASCII (33-126), the Latin-1 letters and signs (161-255 but the
// soft hyphen), the Latin Extended-A letters of French, Dutch and the
// common loanwords (Œ œ Ÿ Ĳ ĳ Š š Ž ž), and the typographic signs of the
// European languages: quotes, dashes, ellipsis, bullet, euro, trade mark...
FG_CODES fg_latin_set();
// The menu bar's marks: check mark, submenu arrow, radio dot.
FG_CODES fg_menu_symbols();
// The Japanese syllabaries (hiragana, katakana, the long-vowel mark and
// the middle dot) and the full-width punctuation a menu text may use.
FG_CODES fg_kana_set();
// Every printable code of every text of the program's menu resources (all
// languages); tabs and other control codes are left out.
FG_CODES fg_menu_bar_codes();

// Code points drawn with the glyph of another: spaces that must not break
// and narrow spaces draw as the space, the hyphen variants and the minus
// as '-'. Two texts of equal length, position by position.
void fg_char_map(std::string* src, std::string* dst);
