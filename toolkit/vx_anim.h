// Animation reader: FLI/FLC animations held whole in memory and decoded frame by frame into an 8-bit picture; video clips through the clip player's hooks.
//
// A FLIC file is a 128-byte header and a run of chunks; every frame chunk
// (0xF1FA) holds sub-chunks that change the palette or the pixels of the
// frame before it. Prefix chunks (0xF100) and other top-level chunks are
// skipped. The reader keeps one 8-bit frame buffer and one 256-colour
// palette, both in `picture`, and changes them in place at every step.
#pragma once
#include <cstddef>
#include <cstdint>

#include "display/vx_bit.h"

// Source kinds of vx_anim_open. Kinds 1 and 2 both open FLIC files (FLI or
// FLC follows from the file's magic); the font loader opens kind 2.
constexpr int VX_ANIM_FLIC = 1;
constexpr int VX_ANIM_FLIC_FONT = 2;
constexpr int VX_ANIM_CLIP = 3;  // an Ogg/Theora clip, handed to the installed clip player

// File magics at byte 4 of the header.
constexpr uint16_t VX_ANIM_FLI = 0xAF11;  // speed in 1/70 s
constexpr uint16_t VX_ANIM_FLC = 0xAF12;  // speed in milliseconds

// Frame buffers above this many pixels are refused unless vx_anim_set_limit
// says otherwise (4096 x 4096; the frame sides are also held to 32767).
constexpr size_t VX_ANIM_DEFAULT_LIMIT = size_t(4096) * 4096;

// One open animation, owned by the caller; zeroed by vx_anim_close.
struct VX_ANIM {
  // FLIC: the frame buffer, width x height 8-bit indexes with a 256-colour
  // RGB palette, both owned by the record. Clips: the clip player's picture
  // (32 bits), which the player owns.
  VX_BITMAP picture;
  int kind;             // the kind it was opened as; 0 when closed
  uint16_t format;      // VX_ANIM_FLI or VX_ANIM_FLC; 0 for clips
  int frame_count;      // FLIC frames (a closing loop-back frame is not counted)
  int frame;            // 1-based number of the frame in `picture`; 0 before the first step
  int palette_changed;  // 1 when the latest step decoded a colour sub-chunk
  uint32_t speed;       // milliseconds from one frame to the next, at least 1
  uint32_t next_tick;   // plat_ticks() from which vx_anim_update shows the next frame
  uint8_t* data;        // the whole file (FLIC)
  size_t size;
  uint32_t* frames;     // offset in `data` of every frame chunk (frame_count entries)
  void* clip;           // the clip player's own state (kind 3)
};

// The clip player's hooks, installed by the clip module. Each takes the
// same record the reader uses for FLIC files: open fills `picture` (and may
// keep its state in `clip`) and returns 1 or 0; update returns 1 while the
// clip runs and 0 once it has ended; close frees what open made.
struct VX_ANIM_CLIP_PLAYER {
  int (*open)(VX_ANIM* anim, const char* name);
  int (*update)(VX_ANIM* anim);
  void (*close)(VX_ANIM* anim);
};
// Installs the clip player (copied); null removes it. Without one, kind 3 fails.
void vx_anim_clip_player_set(const VX_ANIM_CLIP_PLAYER* player);

// Opens `name` (a file-layer name) as `kind`. FLIC files are read whole and
// checked: the magic, a frame size of at least 1 x 1 within the limit, a
// depth of 8 (0 is read as 8; other depths are not 8-bit pictures and are
// refused), and at least one frame chunk. Frame 0 is then shown: the
// buffer is black and the palette all black. 1, or 0 with the record zeroed
// and the reason in vx_anim_refusal().
int vx_anim_open(VX_ANIM* anim, const char* name, int kind);
// As vx_anim_open for a FLIC file of `size` bytes in memory (copied). `name`
// only appears in the refusal text (null reads as "memory").
int vx_anim_open_memory(VX_ANIM* anim, const uint8_t* data, size_t size, const char* name);
// Why the latest open failed, e.g. "a.fli: depth 16 is not supported, only
// 8-bit animations are"; "" after a successful open.
const char* vx_anim_refusal();

// Decodes the next frame at once; after the last frame the first comes
// again (from a cleared buffer, as after a rewind). FLIC: 1 while open.
// Clips: the player's update. 0 for a closed record.
int vx_anim_step(VX_ANIM* anim);
// Steps when the animation's time has come (plat_ticks() at or past
// next_tick; the next frame is then due `speed` ms later). 1 while the
// animation runs, 0 when closed or the clip has ended.
int vx_anim_update(VX_ANIM* anim);
// Back to frame 0: black buffer, palette kept, palette_changed cleared.
// Clips are not rewound.
void vx_anim_rewind(VX_ANIM* anim);
// Frees everything the record holds and zeroes it. A zeroed record is fine.
void vx_anim_close(VX_ANIM* anim);

// Caps the frame buffer at `max_pixels` (0: VX_ANIM_DEFAULT_LIMIT). Fuzz
// targets lower it so that hostile headers cannot ask for much memory.
void vx_anim_set_limit(size_t max_pixels);
