// mg_s3m: writes a song as a Scream Tracker 3 module (the published S3M layout, packed patterns).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/musicgen/mg_song.h"
#include "tools/musicgen/mg_synth.h"

// The module of `song` with `samples` (one per instrument, in order) into
// `out`. 1, or 0 with a message in `error` when the module would not fit
// the format (a sample or the file past what 16-byte paragraphs address).
int mg_s3m_write(const MG_SONG& song, const std::vector<MG_SAMPLE>& samples, std::vector<uint8_t>* out,
                 std::string* error);

// A score's text to the module's bytes: parse, make the samples, write.
int mg_s3m_build(const std::string& score, std::vector<uint8_t>* out, std::string* error);
