// UTF-8 coding and the character sets of the game's fonts.
#include "tools/fontgen/fg_text.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "display/vx_dsp_menu.h"

std::string fg_utf8(uint32_t code) {
  std::string s;
  if (code < 0x80) {
    s += char(code);
  } else if (code < 0x800) {
    s += char(0xC0 | (code >> 6));
    s += char(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    s += char(0xE0 | (code >> 12));
    s += char(0x80 | ((code >> 6) & 0x3F));
    s += char(0x80 | (code & 0x3F));
  } else {
    s += char(0xF0 | (code >> 18));
    s += char(0x80 | ((code >> 12) & 0x3F));
    s += char(0x80 | ((code >> 6) & 0x3F));
    s += char(0x80 | (code & 0x3F));
  }
  return s;
}

std::string fg_utf8_codes(const FG_CODES& codes) {
  std::string s;
  for (uint32_t c : codes) s += fg_utf8(c);
  return s;
}

int fg_utf8_decode(const std::string& text, FG_CODES* out) {
  out->clear();
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    const unsigned lead = p[i];
    int more;
    uint32_t code, least;
    if (lead < 0x80) more = 0, code = lead, least = 0;
    else if ((lead & 0xE0) == 0xC0) more = 1, code = lead & 0x1F, least = 0x80;
    else if ((lead & 0xF0) == 0xE0) more = 2, code = lead & 0x0F, least = 0x800;
    else if ((lead & 0xF8) == 0xF0) more = 3, code = lead & 0x07, least = 0x10000;
    else return 0;
    if (more && i + size_t(more) >= n) return 0;  // cut short by the end
    for (int k = 1; k <= more; k++) {
      if ((p[i + size_t(k)] & 0xC0) != 0x80) return 0;
      code = (code << 6) | (p[i + size_t(k)] & 0x3F);
    }
    if (code < least) return 0;
    out->push_back(code);
    i += size_t(more) + 1;
  }
  return 1;
}

void fg_codes_normalise(FG_CODES* codes) {
  std::sort(codes->begin(), codes->end());
  codes->erase(std::unique(codes->begin(), codes->end()), codes->end());
}

FG_CODES fg_codes_union(const FG_CODES& a, const FG_CODES& b) {
  FG_CODES u(a);
  u.insert(u.end(), b.begin(), b.end());
  fg_codes_normalise(&u);
  return u;
}

FG_CODES fg_codes_minus(const FG_CODES& a, const FG_CODES& b) {
  FG_CODES sa(a), sb(b), out;
  fg_codes_normalise(&sa);
  fg_codes_normalise(&sb);
  std::set_difference(sa.begin(), sa.end(), sb.begin(), sb.end(), std::back_inserter(out));
  return out;
}

namespace {

// Latin Extended-A letters beyond Latin-1 that French (Œ œ Ÿ) and Dutch
// (the ĳ ligature) need, with the háček letters of everyday loanwords.
constexpr std::array<uint32_t, 9> kLatinExtra = {0x152, 0x153, 0x178, 0x132, 0x133, 0x160, 0x161, 0x17D, 0x17E};

// Typographic signs: single and double quotes of every style the six
// languages print (‘ ’ ‚ “ ” „ ‹ ›), en and em dash, dagger, bullet,
// ellipsis, per mille, euro, trade mark.
constexpr std::array<uint32_t, 16> kTypographic = {0x2013, 0x2014, 0x2018, 0x2019, 0x201A, 0x201C,
                                                   0x201D, 0x201E, 0x2020, 0x2022, 0x2026, 0x2030,
                                                   0x2039, 0x203A, 0x20AC, 0x2122};

// Full-width and CJK punctuation: 、 。 「 」 『 』 ！ （ ） ： ？ ／ ～ and the
// ideographic space's neighbours that Japanese menus print.
constexpr std::array<uint32_t, 13> kJapanesePunctuation = {0x3001, 0x3002, 0x300C, 0x300D, 0x300E, 0x300F, 0xFF01,
                                                           0xFF08, 0xFF09, 0xFF1A, 0xFF1F, 0xFF0F, 0xFF5E};

}  // namespace

FG_CODES fg_latin_set() {
  FG_CODES s;
  for (uint32_t c = 0x21; c <= 0x7E; c++) s.push_back(c);
  for (uint32_t c = 0xA1; c <= 0xFF; c++)
    if (c != 0xAD) s.push_back(c);  // the soft hyphen is never drawn
  s.insert(s.end(), kLatinExtra.begin(), kLatinExtra.end());
  s.insert(s.end(), kTypographic.begin(), kTypographic.end());
  fg_codes_normalise(&s);
  return s;
}

FG_CODES fg_menu_symbols() { return {0x2713, 0x25B8, 0x25CF}; }

FG_CODES fg_kana_set() {
  FG_CODES s;
  for (uint32_t c = 0x3041; c <= 0x3096; c++) s.push_back(c);  // hiragana
  for (uint32_t c = 0x30A1; c <= 0x30FC; c++) s.push_back(c);  // katakana, middle dot, long-vowel mark
  s.insert(s.end(), kJapanesePunctuation.begin(), kJapanesePunctuation.end());
  fg_codes_normalise(&s);
  return s;
}

FG_CODES fg_menu_bar_codes() {
  FG_CODES all, codes;
  for (int r = 0; r < vx_dsp_menu_resource_count(); r++) {
    const VX_MENU_RESOURCE* res = vx_dsp_menu_resource_at(r);
    for (int i = 0; i < res->count; i++) {
      fg_utf8_decode(res->lines[i].text, &codes);
      for (uint32_t c : codes)
        if (c > 32 && c != 127) all.push_back(c);
    }
  }
  fg_codes_normalise(&all);
  return all;
}

void fg_char_map(std::string* src, std::string* dst) {
  // No-break space, hyphen, non-breaking hyphen, figure space, thin space,
  // narrow no-break space (French puts it before ; : ! ?), minus sign.
  // The spaces stand between other codes so that no editor trims them.
  static constexpr std::array<uint32_t, 7> kFrom = {0x2010, 0xA0, 0x2011, 0x2007, 0x2009, 0x202F, 0x2212};
  static constexpr std::array<uint32_t, 7> kTo = {'-', ' ', '-', ' ', ' ', ' ', '-'};
  src->clear();
  dst->clear();
  for (size_t i = 0; i < kFrom.size(); i++) {
    *src += fg_utf8(kFrom[i]);
    *dst += fg_utf8(kTo[i]);
  }
}
