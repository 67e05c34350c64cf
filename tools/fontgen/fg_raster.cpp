// FreeType faces and glyph rendering for the font generator.
#include "tools/fontgen/fg_raster.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <array>
#include <cstdio>

namespace {

constexpr std::array<FG_FACE_FILE, FG_FACE_COUNT> kFaces = {{
    {"/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", "fonts-dejavu-core", "Bitstream Vera licence"},
    {"/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf", "fonts-dejavu-core", "Bitstream Vera licence"},
    {"/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf", "fonts-liberation2", "SIL Open Font Licence 1.1"},
    {"/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf", "fonts-ipafont-gothic", "IPA Font Licence 1.0"},
}};

struct State {
  FT_Library library = nullptr;
  std::array<FT_Face, FG_FACE_COUNT> faces = {};
};
State st;

}  // namespace

const FG_FACE_FILE* fg_raster_face_file(int face) {
  return face >= 0 && face < FG_FACE_COUNT ? &kFaces[size_t(face)] : nullptr;
}

int fg_raster_init() {
  if (st.library) return 1;
  if (FT_Init_FreeType(&st.library)) {
    std::fprintf(stderr, "fontgen: FreeType does not start\n");
    st.library = nullptr;
    return 0;
  }
  for (size_t i = 0; i < kFaces.size(); i++) {
    if (FT_New_Face(st.library, kFaces[i].path, 0, &st.faces[i])) {
      std::fprintf(stderr, "fontgen: cannot open %s (install the Debian package %s)\n", kFaces[i].path,
                   kFaces[i].package);
      fg_raster_done();
      return 0;
    }
  }
  return 1;
}

void fg_raster_done() {
  for (FT_Face& f : st.faces) {
    if (f) FT_Done_Face(f);
    f = nullptr;
  }
  if (st.library) FT_Done_FreeType(st.library);
  st.library = nullptr;
}

int fg_raster_has(int face, uint32_t code) {
  if (face < 0 || face >= FG_FACE_COUNT || !st.faces[size_t(face)]) return 0;
  return FT_Get_Char_Index(st.faces[size_t(face)], code) != 0;
}

int fg_raster_glyph(const FG_RENDER* how, uint32_t code, FG_GLYPH* out) {
  *out = FG_GLYPH{};
  if (!fg_raster_has(how->face, code) || how->em < 1) return 0;
  FT_Face f = st.faces[size_t(how->face)];
  if (FT_Set_Pixel_Sizes(f, 0, FT_UInt(how->em))) return 0;
  FT_Matrix stretch = {FT_Fixed(how->stretch * 65536.0 + 0.5), 0, 0, 0x10000};
  FT_Set_Transform(f, &stretch, nullptr);
  // Hinting snaps stems to whole pixels; the one-bit target hints in both
  // directions, the light target only vertically (shapes stay true).
  const FT_Int32 load = FT_LOAD_NO_BITMAP | (how->mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_LIGHT);
  if (FT_Load_Glyph(f, FT_Get_Char_Index(f, code), load)) return 0;
  FT_GlyphSlot g = f->glyph;
  if (how->embolden && g->format == FT_GLYPH_FORMAT_OUTLINE) FT_Outline_Embolden(&g->outline, how->embolden);
  if (FT_Render_Glyph(g, how->mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL)) return 0;
  const FT_Bitmap& b = g->bitmap;
  out->width = int(b.width);
  out->rows = int(b.rows);
  out->left = g->bitmap_left;
  out->top = g->bitmap_top;
  out->advance = int((g->advance.x + 32) >> 6);
  out->coverage.assign(size_t(out->width) * size_t(out->rows), 0);
  for (int y = 0; y < out->rows; y++) {
    const unsigned char* row = b.buffer + long(y) * b.pitch;
    for (int x = 0; x < out->width; x++) {
      const bool mono = b.pixel_mode == FT_PIXEL_MODE_MONO;
      const uint8_t v = mono ? ((row[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0) : row[x];
      out->coverage[size_t(y) * size_t(out->width) + size_t(x)] = v;
    }
  }
  return 1;
}
