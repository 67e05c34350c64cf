// The high-score table: loaded from a string file, offered each final score, named through the name entry, shown by rank and written back.
//
// The file holds one section (the game's is "High-Scores"):
//
//   NbScores=10        entries
//   MaxSizeName=10     width of the name field
//   MaxSizeScore=8     width of the score field
//   DefaultName=PLAYER the name a new entry starts with (optional)
//   Name_01=    FROGGO entry 1 is the best; names are saved right-aligned
//   Score_01=   25000
#pragma once

constexpr int HIGH_SCORE_TEXT = 256;  // characters a name read from the file may have

struct HIGH_SCORE_ENTRY {
  char* name;  // owned; its buffer holds at least max_name characters and the terminator
  int score;
};

struct HIGH_SCORES {
  int count;                   // NbScores
  int max_name;                // MaxSizeName
  int max_score;               // MaxSizeScore
  char* default_name;          // DefaultName, null without one
  HIGH_SCORE_ENTRY** entries;  // count references, best first; null where a name was missing
};

// Reads the table from `section` of `file`. Null when the file, NbScores,
// MaxSizeName or MaxSizeScore is missing (or without memory). A missing
// Name_NN leaves its reference null after the warning box "Sorry, I can't
// find key %s in %s"; a missing Score_NN leaves the score 0.
HIGH_SCORES* high_scores_load(const char* file, const char* section);
// Writes every entry: Name_NN right-aligned in max_name characters and
// Score_NN right-aligned in max_score, all in one rewrite of the file (it
// holds the old table or the new one, whatever stops the write). 1, or 0
// when the file could not be written (it is then as it was).
int high_scores_save(const HIGH_SCORES* table, const char* file, const char* section);
// Frees the table and everything it owns. Null is fine.
void high_scores_free(HIGH_SCORES* table);

// Offers a final score. It enters at the first entry whose score is lower or
// equal (a tie goes above the old score); the worst entry's record is reused
// for it, named with the default name, and becomes the entry being named
// (cursor at 0). 1 when the score entered, 0 when it did not (or no table).
int high_scores_offer(HIGH_SCORES* table, int score);

// Name entry by menu input code: 4 and 8 step the character at the cursor
// through codes 32 to 90 (wrapping; nothing in a field of no width), 16 and
// 32 move the cursor within the field, 0, 1 and 2 finish the name. 1 when the name was finished (the entry
// is then no longer edited), else 0.
int high_scores_name_input(int code);
// The entry being named, or null.
const HIGH_SCORE_ENTRY* high_scores_named_entry();
// The cursor's position in the name, -1 while no name is edited.
int high_scores_cursor();
// The name being entered for display into `out` (`size` bytes); every
// other call shows a space at the cursor, so that it blinks. 1, or 0 (out
// empty) while no name is edited.
int high_scores_name_text(char* out, int size);
// The line of rank 1 to 5: rank, name and score in fields of max_name and
// max_score characters. 1, or 0 (out untouched) when the table or the entry is missing.
int high_scores_line_text(const HIGH_SCORES* table, int rank, char* out, int size);

// The run's table: `file` is seeded whole from "data\highscor.ori" when it
// does not exist, then loaded from section "High-Scores". An empty name leaves
// the run without a table. high_scores_stop saves it back and frees it.
void high_scores_start(const char* file);
void high_scores_stop();
HIGH_SCORES* high_scores_table();
