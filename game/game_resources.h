// The program's own resources: the string table carried inside the executable.
#pragma once

constexpr int GAME_RES_ARCHIVE_NAME = 101;  // the read-only archive the file layer opens

// Copies string resource `id` into buf (at most size - 1 characters).
// Returns the length copied, or 0 when there is no such string.
int game_load_string(int id, char* buf, int size);
