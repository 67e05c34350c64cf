// mg_score: reads a score (the text format of content_src/music/README.md) into a song.
#pragma once
#include <string>

#include "tools/musicgen/mg_song.h"

// Parses `text` into `song` (which it clears first). 1, or 0 with a message
// "line N: what is wrong" in `error`. A song that parses is complete: every
// pattern laid out, the order list set, and the last order's pattern ends
// with a jump back to the loop order.
int mg_score_parse(const std::string& text, MG_SONG* song, std::string* error);

// The note a score names ("c4", "f#3", "bb5") as semitones from C-0; -1
// for anything else.
int mg_score_note(const std::string& name);
