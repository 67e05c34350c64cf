// The game's fonts: the font module started with the picture decoders and the clip player, the default menu font, and the menu bar's drawer.
#include "game/game_fonts.h"

#include "core/vx_mem.h"
#include "toolkit/vx_anim.h"
#include "toolkit/vx_font_bar.h"
#include "world/clip/clip.h"
#include "world/image/img_load.h"

namespace {

VX_FONT_SETTINGS font_settings = {0};

// Bit 1 hands palettes to the picture loader, bit 2 trims each character
// to its ink (the menu font is drawn with proportional spacing).
constexpr int kDefaultFontFlags = VX_FONT_LOAD_PALETTE | VX_FONT_LOAD_TRIM;

struct FontState {
  VX_FONT font;
  int loaded;
};
FontState fs = {};

// ---------------------------------------------------------------- clips
// The animation reader's clips are the clip player's CLIP records, one per
// open animation, kept in its `clip` field; the reader's picture is a copy
// of the clip's picture record, whose pixels the clip owns.

int clip_open(VX_ANIM* anim, const char* name) {
  auto* clip = static_cast<CLIP*>(vx_mem_alloc_named(sizeof(CLIP), "VX_ANIM video clip"));
  if (!clip) return 0;
  *clip = CLIP{};
  anim->clip = clip;
  // A file without a picture stream has nothing to show: refused.
  if (!Clip_Open(clip, name) || clip->kind != CLIP_KIND) return 0;
  anim->picture = clip->picture;
  anim->frame_count = 0;
  anim->speed = clip->frame_ms ? clip->frame_ms : 1;
  return 1;
}

int clip_update(VX_ANIM* anim) {
  auto* clip = static_cast<CLIP*>(anim->clip);
  if (!clip) return 0;
  const int running = Clip_Update(clip);
  anim->picture = clip->picture;
  anim->frame = clip->frames_shown;
  return running;
}

void clip_close(VX_ANIM* anim) {
  auto* clip = static_cast<CLIP*>(anim->clip);
  if (clip) {
    Clip_Close(clip);
    vx_mem_free(clip);
  }
  anim->clip = nullptr;
  anim->picture = VX_BITMAP{};
}

constexpr VX_ANIM_CLIP_PLAYER kClipPlayer = {clip_open, clip_update, clip_close};

}  // namespace

int game_fonts_start() {
  vx_font_picture_loader_set(vx_img_load);
  vx_anim_clip_player_set(&kClipPlayer);
  return vx_font_init(&font_settings);
}

int game_default_font_load(const char* file) {
  game_default_font_free();
  if (!file || !file[0] || !vx_font_load(&fs.font, file, kDefaultFontFlags)) return 0;
  fs.loaded = 1;
  vx_font_bar_start(&fs.font);
  return 1;
}

VX_FONT* game_default_font() { return fs.loaded ? &fs.font : nullptr; }

void game_default_font_free() {
  vx_font_bar_stop();
  if (fs.loaded) vx_font_free(&fs.font);
  fs = FontState{};
}

void game_fonts_stop() {
  vx_font_deinit();
  vx_anim_clip_player_set(nullptr);
}
