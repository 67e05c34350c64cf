// The rolling lines shown during demos: read from the current language's credits file, one text line each.
#pragma once

constexpr int CREDITS_MAX = 95;        // the 96th line is fatal: "MAX_CREDITS exceeded"
constexpr int CREDITS_LINE_SIZE = 256; // bytes read per line, terminator included

// Frees the lines held, then reads lines of `path` up to an empty line or
// the end of the file, each into a block of its own. Fatal (the engine's
// box, result 0): "Cannot open credits file", "Cannot allocate memory for
// credit_string", "MAX_CREDITS exceeded". 1 otherwise.
int credits_load(const char* path);
// Frees every line.
void credits_free();
int credits_count();
// Line i (from 0), or null outside 0 .. count - 1.
const char* credits_line(int i);
