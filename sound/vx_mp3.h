// MP3 streams for the music: MPEG-1/2/2.5 Layer III decoded into a fixed output format, with gain, pan, looping and resampling.
//
// A stream reads its file through the file layer (whole into memory with
// mode bit 0, else in pieces) and allocates through the memory tracker. The
// output format is the caller's: 8- or 16-bit samples, mono or stereo, any
// rate; the file's channels are mixed or doubled to fit and its rate is
// converted by linear interpolation that carries over from call to call.
// 16-bit output is signed; 8-bit output is unsigned, each 16-bit value s
// becoming (s + 32768) >> 8.
//
// ID3 version 2 tags at the start are skipped; an ID3 version 1 tag (the
// last 128 bytes, starting "TAG") is kept and not decoded. A first frame
// holding a Xing, Info or VBRI tag is skipped. Frames of another MPEG
// version, layer or sampling frequency than the first frame's are skipped;
// a file whose first frame is not Layer III does not open.
#pragma once
#include <cstddef>
#include <cstdint>

struct VX_MP3;  // opaque; live from vx_mp3_open to vx_mp3_close

struct VX_MP3_FORMAT {
  int bits;      // 8 or 16
  int channels;  // 1 or 2
  int rate;      // output samples per second per channel, 1000..192000
};

constexpr int VX_MP3_IN_MEMORY = 1;  // mode bit: read the whole file at open and decode from memory
constexpr int VX_MP3_LOOP = 2;       // mode bit: rewind at the end instead of stopping

// Opens `name` through the file layer. Null when the format is not one of
// the above, the file cannot be read, or it holds no Layer III frame.
VX_MP3* vx_mp3_open(const char* name, int mode, const VX_MP3_FORMAT* format);
// The same over `size` bytes at `data`, which the caller keeps alive and
// unchanged until vx_mp3_close (mode bit 0 changes nothing).
VX_MP3* vx_mp3_open_memory(const void* data, size_t size, int mode, const VX_MP3_FORMAT* format);
// Fills `bytes` bytes of `buffer` (whole output samples; a trailing partial
// sample is filled with silence). Nonzero while the stream has data; at
// the end of a stream without the loop bit the rest is silence (0 for
// 16-bit, 128 for 8-bit) and the result 0. A looping stream rewinds its
// reader, clears the decoder and the rate converter and goes on, so that
// every pass gives the samples of the first (a file that yields no sound at
// all ends like a stream without the loop bit).
int vx_mp3_decode(VX_MP3* stream, void* buffer, long bytes);
// gain = percent / 100 (1.0 full scale, no upper limit; negative counts as 0).
void vx_mp3_gain(VX_MP3* stream, int percent);
// pan -100 (left) .. 100 (right). With p >= 0 the left gain is
// (100 - p) / 100 x gain and the right gain is gain; with p < 0 the left is
// gain and the right (p + 100) / 100 x gain. Values outside are clamped.
void vx_mp3_pan(VX_MP3* stream, int pan);
// Closes the reader and frees everything. Null is ignored.
void vx_mp3_close(VX_MP3* stream);

// The file's ID3 version 1 tag: 128 bytes, all zero when the file has none.
const uint8_t* vx_mp3_id3v1(const VX_MP3* stream);
// The file's own sampling frequency and channel count (of its first frame).
int vx_mp3_file_rate(const VX_MP3* stream);
int vx_mp3_file_channels(const VX_MP3* stream);
