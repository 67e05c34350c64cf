// The SDL2 build's audio device: the default output opened in the format the sound layer asks for, its callback running the shared mixer.
#include <cstdio>
#include <cstring>

#include "platform/plat_audio_internal.h"
#include "platform/sdl/plat_sdl.h"

namespace {

// SDL converts any rate in this range to what the hardware plays.
constexpr int MIN_RATE = 4000;
constexpr int MAX_RATE = 192000;

struct SdlAudio {
  int subsystem;            // the audio subsystem is started
  SDL_AudioDeviceID device; // 0 while no output is open
  PLAT_AUDIO_FORMAT format;
};
SdlAudio sa;

void SDLCALL feed(void*, Uint8* stream, int len) {
  if (len > 0) plat_audio_mix(stream, static_cast<uint32_t>(len));
}

// About 23 ms per callback: short enough for effects to start at once.
Uint16 callback_frames(int rate) {
  Uint16 n = 256;
  while (n < 4096 && n * 43 < rate) n = static_cast<Uint16>(n * 2);
  return n;
}

// Opens the output paused, in exactly `f`: SDL converts to the hardware's
// own format behind the callback, so the mixer always writes `f`.
SDL_AudioDeviceID open_exact(const PLAT_AUDIO_FORMAT& f) {
  SDL_AudioSpec want{}, have{};
  want.freq = f.rate;
  want.format = f.bits == 8 ? AUDIO_U8 : AUDIO_S16LSB;
  want.channels = static_cast<Uint8>(f.channels);
  want.samples = callback_frames(f.rate);
  want.callback = feed;
  return SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
}

void close_device() {
  if (sa.device) SDL_CloseAudioDevice(sa.device);  // waits for a callback that runs
  sa.device = 0;
}

}  // namespace

int plat_be_audio_open(PLAT_AUDIO_CAPS* caps) {
  if (!sa.subsystem) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 0;
    sa.subsystem = 1;
  }
  // The dummy driver plays nothing: the program is to know it has no sound.
  const char* driver = SDL_GetCurrentAudioDriver();
  if (!driver || !std::strcmp(driver, "dummy")) {
    plat_be_audio_close();
    return 0;
  }
  // What the device plays natively tells the caps; SDL converts from there.
  SDL_AudioSpec want{}, have{};
  want.freq = 44100;
  want.format = AUDIO_S16LSB;
  want.channels = 2;
  want.samples = callback_frames(44100);
  want.callback = feed;
  SDL_AudioDeviceID probe = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_ANY_CHANGE);
  if (!probe) {
    std::fprintf(stderr, "SDL audio: %s\n", SDL_GetError());
    plat_be_audio_close();
    return 0;
  }
  SDL_CloseAudioDevice(probe);
  caps->bits16 = SDL_AUDIO_BITSIZE(have.format) >= 16;
  caps->stereo = have.channels >= 2;
  return 1;
}

// The device opens when mixing starts; a format set before that is only
// kept, so trying the rates at start-up does not open the device each time.
int plat_be_audio_format(const PLAT_AUDIO_FORMAT* format) {
  if (!sa.subsystem || format->rate < MIN_RATE || format->rate > MAX_RATE) return 0;
  if (!sa.device) {
    sa.format = *format;
    return 1;
  }
  const PLAT_AUDIO_FORMAT before = sa.format;
  close_device();
  sa.device = open_exact(*format);
  if (sa.device) {
    sa.format = *format;
    return 1;
  }
  std::fprintf(stderr, "SDL audio: %s\n", SDL_GetError());
  sa.device = open_exact(before);
  return 0;
}

int plat_be_audio_play() {
  if (!sa.device) sa.device = sa.format.rate ? open_exact(sa.format) : 0;
  if (!sa.device) {
    std::fprintf(stderr, "SDL audio: %s\n", SDL_GetError());
    return 0;
  }
  SDL_PauseAudioDevice(sa.device, 0);
  return 1;
}

void plat_be_audio_close() {
  close_device();
  sa.format = {};
  if (sa.subsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  sa.subsystem = 0;
}

int plat_be_audio_refuses(PLAT_AUDIO_OP) { return 0; }

int plat_be_audio_lose_lock() { return 0; }
