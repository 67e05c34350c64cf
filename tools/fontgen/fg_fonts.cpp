// The game's fonts: sizes, faces and colours of each, and the run that builds them all.
#include "tools/fontgen/fg_fonts.h"

#include <array>
#include <cstring>

namespace {

constexpr AG_RGBA kNavy = {18, 24, 44, 255};
constexpr AG_RGBA kDeepBlue = {10, 26, 64, 255};
constexpr AG_RGBA kShadow = {0, 0, 0, 150};

// Menus, messages and the menu bar: white letters warming to cream at the
// baseline, a navy ring and a shadow straight below (a shadow to the side
// would widen every letter and open the spacing), which read over road,
// grass and water alike.
constexpr FG_STYLE kMenuStyle = {
    {255, 255, 255, 255}, {255, 226, 140, 255}, {255, 214, 120, 255}, kNavy, 1.0, kShadow, 0, 2, 0.3, 0.7, 0};
// The language screen's title and names.
constexpr FG_STYLE kTitleStyle = {
    {255, 255, 255, 255}, {150, 214, 255, 255}, {140, 200, 250, 255}, kDeepBlue, 1.0, kShadow, 0, 2, 0.3, 0.7, 0};
constexpr FG_STYLE kNameStyle = {
    {255, 255, 255, 255}, {190, 226, 255, 255}, {180, 216, 250, 255}, kDeepBlue, 2.0, kShadow, 0, 3, 0.3, 0.7, 0};
// The chosen language: gold, with a ring of dark amber.
constexpr FG_STYLE kChosenStyle = {
    {255, 250, 180, 255}, {255, 164, 24, 255}, {250, 150, 20, 255}, {90, 30, 0, 255}, 2.0, kShadow, 0, 3, 0.3, 0.7, 0};
// Help pages: many small letters over a calm picture; a shadow alone
// keeps them apart and legible without the width a ring costs.
constexpr FG_STYLE kHelpStyle = {
    {255, 255, 255, 255}, {230, 236, 244, 255}, {230, 236, 244, 255}, {0, 0, 0, 0}, 0.0, {0, 0, 0, 220}, 1, 1, 0.25, 0.75, 0};

// The game loads its menu font without the flag that lets a character
// gather several frames, so a second frame would be refused as a
// duplicate: the pointer's file holds the plain star alone.
constexpr int kGamePointerFrames = 1;
constexpr double kWordSpace = 0.3;  // ems

const std::array<FG_FONT_DEF, 6> kDefs = {{
    {"data/menu.fnt", "Pond Sprint Menu", "menu", 32, 0, kWordSpace, 1, {FG_SANS_BOLD, 0, 1.0, 0, 0}, kMenuStyle, 1, 1,
     kGamePointerFrames},
    {"font/langfont32.fnt", "Pond Sprint Language Title", "langfont32", 32, 1, 0, 0, {FG_SANS_MONO_BOLD, 0, 0, 0, 0},
     kTitleStyle, 0, 0, 0},
    {"font/langfont64.fnt", "Pond Sprint Language Names", "langfont64", 64, 1, 0, 0, {FG_SANS_MONO_BOLD, 0, 0, 0, 0},
     kNameStyle, 0, 0, 0},
    {"font/langfont_highlighted.fnt", "Pond Sprint Language Chosen", "langfont_highlighted", 64, 1, 0, 0,
     {FG_SANS_MONO_BOLD, 0, 0, 0, 0}, kChosenStyle, 0, 0, 0},
    {"font/help.fnt", "Pond Sprint Help", "help", 22, 0, kWordSpace, 0, {FG_HELP_BOLD, 0, 1.0, 0, 0}, kHelpStyle, 0, 0,
     0},
    {"font/help_large.fnt", "Pond Sprint Help Large", "help_large", 30, 0, kWordSpace, 0, {FG_HELP_BOLD, 0, 1.0, 0, 0},
     kHelpStyle, 0, 0, 0},
}};

}  // namespace

const FG_FONT_DEF* fg_font_defs(int* count) {
  *count = int(kDefs.size());
  return kDefs.data();
}

const FG_FONT_DEF* fg_font_def(const char* file) {
  for (const FG_FONT_DEF& s : kDefs)
    if (!std::strcmp(s.file, file)) return &s;
  return nullptr;
}

int fg_generate_all(AG_OUTPUT* out, std::vector<FG_FONT>* fonts) {
  out->files.clear();
  out->failed = 0;
  if (fonts) fonts->clear();
  if (!fg_raster_init()) return 0;
  int ok = 1;
  for (const FG_FONT_DEF& s : kDefs) {
    FG_FONT f;
    if (!fg_font_build(&s, &f)) {
      ok = 0;
      continue;
    }
    fg_font_emit(f, out);
    if (fonts) fonts->push_back(std::move(f));
  }
  return ok && out->failed == 0;
}
