// The art generator's output list: encoding pictures into it and running every family.
#include "tools/artgen/ag_gen.h"

#include <cstdio>

#include "tools/artgen/ag_png.h"

void ag_emit(AG_OUTPUT* out, const std::string& name, std::vector<uint8_t> bytes) {
  out->files.push_back({name, std::move(bytes)});
}

void ag_emit_png(AG_OUTPUT* out, const std::string& name, const AG_CANVAS& art, int kind, int scale) {
  AG_CANVAS pic = scale > 1 ? ag_scale(&art, scale) : art;
  if (kind == AG_SPRITE) {
    ag_bleed(&pic);
  } else {
    for (AG_RGBA& p : pic.px) p.a = 255;
  }
  std::vector<uint8_t> rgba(pic.px.size() * 4), png;
  for (size_t i = 0; i < pic.px.size(); i++) {
    rgba[i * 4] = pic.px[i].r;
    rgba[i * 4 + 1] = pic.px[i].g;
    rgba[i * 4 + 2] = pic.px[i].b;
    rgba[i * 4 + 3] = pic.px[i].a;
  }
  int ok;
  if (kind == AG_RGB) {
    std::vector<uint8_t> rgb(pic.px.size() * 3);
    for (size_t i = 0; i < pic.px.size(); i++) {
      rgb[i * 3] = pic.px[i].r;
      rgb[i * 3 + 1] = pic.px[i].g;
      rgb[i * 3 + 2] = pic.px[i].b;
    }
    const AG_PNG_IMAGE im = {pic.width, pic.height, AG_PNG_RGB, rgb.data(), nullptr, 0};
    ok = ag_png_encode(&im, &png);
  } else {
    ok = ag_png_encode_auto(pic.width, pic.height, rgba.data(), kind == AG_SPRITE, &png);
  }
  if (!ok) {
    out->failed++;
    return;
  }
  ag_emit(out, name, std::move(png));
}

std::string ag_frame_name(const char* base, int i) {
  char n[16];
  std::snprintf(n, sizeof n, "%02d.png", i);
  return std::string(base) + n;
}

int ag_generate_all(AG_OUTPUT* out) {
  out->files.clear();
  out->failed = 0;
  ag_floors_make(out);
  ag_frog_make(out);
  ag_vehicles_make(out);
  ag_items_make(out);
  ag_scenery_make(out);
  ag_wildlife_make(out);
  ag_backgrounds_make(out);
  ag_splash_make(out);
  ag_screens_make(out);
  ag_attract_make(out);
  ag_data_make(out);
  return out->failed == 0;
}
