// The module engine: S3M loader, player and software mixer, behind the calls the music code makes.
//
// One engine per process. Load, select, set and free run on the main thread;
// render runs on the timer thread. The caller keeps the two apart (the music
// code holds the sound mutex around render and around unloading).
#pragma once
#include <cstddef>
#include <cstdint>

struct VX_MOD_POOL;  // the sample pool (vx_mod_pool.cpp)
struct VX_MODULE;    // a loaded module (vx_mod_data.h)

// ---------------------------------------------------------------- engine
// `voices` mixer voices (128 in the game; 32 follow the song's channels, the
// rest carry notes that fade out after a new note took their channel).
// `fade` 1: a replaced or cut note fades out over a short ramp instead of
// stopping dead; `ramp` 1: volume and pan changes glide over the same ramp.
// `step_ms` is the time base step of the player (8), `block_frames` the
// largest block the mixer renders in one pass (360); longer requests are
// cut into such blocks. The two zero constants are reserved. 1, or 0 for
// values out of range (voices 32..1024, step 1..100 ms, block 16..16384)
// or no memory. Starting again first shuts the running engine down.
int vx_mod_start(int voices, int fade, int ramp, int reserved1, int reserved2, int step_ms,
                 int block_frames);
void vx_mod_shutdown();  // frees the voices; a selected module stays the caller's
int vx_mod_started();

// ---------------------------------------------------------------- sample pool
// The engine's own pool: module file images and every block of a loaded
// module come from it. Blocks are tracker blocks (core/vx_mem.h) named after
// their use; the pool counts them. Destroying frees whatever is left and
// returns 0 when blocks were still allocated (1 when all came back).
VX_MOD_POOL* vx_mod_pool_create();
int vx_mod_pool_destroy(VX_MOD_POOL* pool);
void* vx_mod_pool_alloc(VX_MOD_POOL* pool, size_t size, const char* name);  // 8-byte aligned, none on failure
void vx_mod_pool_free(VX_MOD_POOL* pool, void* block);                      // null is ignored
long long vx_mod_pool_blocks(const VX_MOD_POOL* pool);                     // live blocks
// Refuses any allocation that would take the pool's live bytes past `bytes`
// (0: no limit). Used to bring loaders to their failure paths.
void vx_mod_pool_set_limit(VX_MOD_POOL* pool, size_t bytes);

// ---------------------------------------------------------------- modules
// Load options.
constexpr int VX_MOD_LOAD_MONO = 1;  // every channel in the centre, whatever the file says
constexpr int VX_MOD_LOAD_PANS = 2;  // use the file's default pan table (files from version 0x1320 on)

// Loads an S3M file image (the caller keeps the image; nothing points into
// it afterwards). The module, order list, instruments, patterns and samples
// are taken from `pool`. None when the image is not an S3M file, is damaged
// beyond use, or the pool refuses a block (what was taken is given back).
// Damage inside the file is repaired where the data allow: sample data cut
// short by the end of the file are shortened, patterns or instruments whose
// place lies outside the file are empty.
VX_MODULE* vx_mod_load(const uint8_t* image, size_t size, int option, VX_MOD_POOL* pool);
void vx_mod_free(VX_MODULE* module, VX_MOD_POOL* pool);  // null is ignored; deselects it first

// Selects the module the player plays (null: none) and stops playback.
int vx_mod_select(VX_MODULE* module);
// Back to the start of the song: order (the start order of the set call),
// speed, tempo and global volume of the module, every channel cleared,
// every voice silent, the time base at zero. 0 without a selected module.
int vx_mod_reset();
// Silences every voice and clears the run flag's bit 0.
void vx_mod_stop();

// ---------------------------------------------------------------- settings
// Each argument equal to its keep value (all bits set for its width) leaves
// that setting as it is.
constexpr uint32_t VX_MOD_KEEP32 = 0xFFFFFFFFu;
constexpr uint16_t VX_MOD_KEEP16 = 0xFFFFu;
constexpr uint8_t VX_MOD_KEEP8 = 0xFFu;

// Output mode bits.
constexpr uint16_t VX_MOD_16BIT = 1 | 16;  // 16-bit output (both bits are set together)
constexpr uint16_t VX_MOD_STEREO = 2;
constexpr uint16_t VX_MOD_LINEAR = 4;      // linear interpolation (quality Medium)
constexpr uint16_t VX_MOD_QUADRATIC = 8;   // quadratic interpolation (quality High); without 4 and 8 the nearest sample

// Run flag.
constexpr uint8_t VX_MOD_ADVANCE = 1;  // the song advances; clear: only the voices sound on
constexpr uint8_t VX_MOD_RUNNING = 3;
constexpr uint8_t VX_MOD_SILENT = 2;

// End modes.
constexpr uint8_t VX_MOD_END_LOOP = 0;  // the song goes on where its last row leads (the game)
constexpr uint8_t VX_MOD_END_STOP = 1;  // the song stops (voices silent, run bit 0 cleared) where it ends or loops

// volume: 0..131072 (full scale; larger values are taken as 131072).
// rate: output frames per second, 1000..384000. mode: the bits above.
// run: the run flag. end_mode: above. start_order: the order the next reset
// starts at (0 the song's start). separation: 0 (mono) .. 256 (the file's
// pans as they are). preamp: 128 = the module's own master volume, 0..255.
// 1, or 0 when the engine is not started or a value is out of range
// (nothing changes then).
int vx_mod_set(uint32_t volume, uint32_t rate, uint16_t mode, uint8_t run, uint8_t end_mode,
               uint16_t start_order, uint16_t separation, uint8_t preamp);

// Fills `bytes` of `buffer` in the current mode (8-bit samples unsigned,
// 16-bit signed; stereo interleaved left first). A partial frame at the end
// is zeroed. Without a selected module the buffer gets silence. 1, or 0 when
// the engine is not started.
int vx_mod_render(void* buffer, size_t bytes);

// ---------------------------------------------------------------- status
struct VX_MOD_STATUS {
  int order, row;         // position of the row playing (order index, row 0..63); -1 before the first row
  int speed, tempo;       // ticks per row, tempo in beats per minute
  int global_volume;      // 0..64
  uint8_t run;            // the run flag
  uint32_t loops;         // times the song ended or came back to a row it had played
  uint64_t frames;        // frames rendered since the reset
  uint64_t row_frame;     // frame at which the playing row started
  uint64_t end_frame;     // frame at which the song first ended or looped (0 before)
};
void vx_mod_status(VX_MOD_STATUS* out);
