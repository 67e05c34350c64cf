// The video clip player: Ogg files with a Theora stream, decoded at the stream's frame rate into a 32-bit picture.
//
// Demultiplexing and decoding go through libogg and libtheora; this module
// feeds them the file in 4096-byte reads through the file layer, keeps the
// shared clip clock and turns each shown frame into red, green, blue, 255
// pixels. Failures are reported by results only: the module raises no
// messages of its own.
//
// The clip clock is shared by every clip: seconds since the first time any
// clip asked for it (at its first Clip_Update that decodes a packet),
// together with the clock time of the last frame shown by any clip.
#pragma once
#include <cstdint>

#include "display/vx_bit.h"

struct VX_IO_FILE;
struct CLIP_STATE;  // the libogg and libtheora state of one open clip

// The animation reader's source kind of a clip.
constexpr int16_t CLIP_KIND = 3;

// Largest encoded frame (width x height) a clip may have; larger ones are refused at open.
constexpr long CLIP_MAX_PIXELS = 4096L * 4096L;

// One clip, owned by the caller. It must be zero (never opened, or closed)
// before Clip_Open; Clip_Close clears it again. The player writes every
// field except `loop`, which the caller may set after a successful open.
struct CLIP {
  // The current frame. x, y: the stream's picture offset (top-left, not
  // applied: frames are taken from the origin of the decoded planes);
  // width, height: the picture size; bpp 32; pixels: a block of encoded
  // width x encoded height x 4 bytes of which the first width x height
  // pixels hold the frame, rows top first without padding. All zero for
  // an Ogg file without a Theora stream.
  VX_BITMAP picture;
  int16_t kind;            // CLIP_KIND once a Theora stream is open, else 0
  int16_t headers;         // Theora header packets read: 0 no Theora stream, 1 to 3
  int32_t encoded_width;   // the stream's coded frame size (multiples of 16)
  int32_t encoded_height;
  uint32_t frame_ms;       // frame duration: rate denominator x 1000 / rate numerator (whole ms)
  uint32_t next_tick;      // platform tick before which Clip_Update decodes nothing
  int32_t frame;           // frame number of the picture in the stream, from 0; -1 before the first
  int32_t frames_shown;    // frames put into the picture since the open, over every pass
  int32_t loop;            // caller's switch: at the end of the file play again from the start
  int32_t passes;          // completed passes through the file (looping)
  double time_base;        // seconds added to the stream's frame times in this pass (looping)
  VX_IO_FILE* file;        // open for binary reading while the clip is open
  char* name;              // copy of the file name (reopened to loop)
  CLIP_STATE* state;
};

// Opens `name` through the file layer and reads the stream headers. 1 when
// the file opened and its headers are sound, including an Ogg file without
// a Theora stream (kind 0, no picture); 0 when the file is missing, a
// Theora header is broken, the file ends inside the headers, the frame is
// larger than CLIP_MAX_PIXELS or memory runs out. A failed open leaves
// nothing open and the record zero.
int Clip_Open(CLIP* clip, const char* name);

// Plays on by the clock: before the next display tick it does nothing;
// otherwise it decodes packets until it reaches a frame due now or later,
// or a late frame while at least one second of the clip clock has passed
// since the last shown frame, converts that frame into the picture and
// sets the next display tick to the frame's presentation time. Late frames
// before it are dropped. 1 while the clip runs (whether or not a frame was
// shown), 0 once the file has ended. With `loop` set the end starts the
// file again: the new pass follows one frame after the last one, or at the
// clock's time when the clip has fallen behind; 0 only when the file cannot
// be read again or had no frame. Without a Theora stream it reads on and
// gives 1 while the file delivers data, then 0.
int Clip_Update(CLIP* clip);

// Decodes the next frame into the picture whatever the clock says, leaving
// the clock and the next display tick alone (for tools and tests that need
// the same frames on every run). 1 with a new picture, 0 at the end of the
// file (unless it loops) or without a Theora stream.
int Clip_Step(CLIP* clip);

// Frees everything the clip holds, closes its file and clears the record.
// A zero record is left as it is.
void Clip_Close(CLIP* clip);

// The tick source of the clip clock and the display ticks: milliseconds
// that wrap at 32 bits. Null means the platform's tick counter. Setting a
// source restarts the clip clock (no origin yet, last shown frame at 0).
typedef uint32_t (*CLIP_TICKS)();
void Clip_Set_Ticks(CLIP_TICKS ticks);

// One plane of a decoded frame: `width` x `height` samples, rows `stride`
// bytes apart (negative when the rows run bottom up in memory).
struct CLIP_PLANE {
  const uint8_t* data;
  int width, height, stride;
};

// Converts Y, U and V planes with chroma at half resolution both ways
// into width x height RGBA pixels at `rgba` (rows without padding),
// starting at the planes' origin. Pixel (x, y) takes Y at (x, y) and U, V
// at (x / 2, y / 2); R = 1.164 (Y - 16) + 1.596 (V - 128),
// G = 1.164 (Y - 16) - 0.813 (V - 128) - 0.391 (U - 128),
// B = 1.164 (Y - 16) + 2.018 (U - 128), each truncated toward zero and
// clamped to 0..255, alpha 255. The caller keeps width and height within
// the planes.
void Clip_Convert(const CLIP_PLANE planes[3], int width, int height, uint8_t* rgba);
