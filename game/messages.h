// The on-screen messages: the current language's table of texts with their formats, rectangles and drawing flags, and how each message is filled in, placed and drawn.
//
// A messages file is a string file:
//
//   [Messages]
//   NumMessages=18
//   Message_01=Loading        the section of message 1 (numbered from 1)
//   ...
//   [Loading]
//   Text=Loading...           drawn as it stands when there is no Format
//   Format=Score: %s          rebuilt from the game for messages 3 to 18
//   Rect=25,45,50,8           x, y: percent of 640 / 480 when above 0, else
//                             minus the value in pixels; width, height: percent
//   Font=1                    1 (the default): proportional spacing
//
// The text is scaled into its rectangle without keeping the font's aspect.
#pragma once
#include <cstdint>

#include "display/vx_bit.h"

constexpr int MESSAGE_TEXT = 257;  // 256 characters and the terminator

// Drawing flags of the font module: transparent (0x100), scaled into the
// rectangle (4), with proportional spacing (8) for Font=1.
constexpr uint16_t MESSAGE_FLAGS_PROPORTIONAL = 268;
constexpr uint16_t MESSAGE_FLAGS_FIXED = 260;

struct GAME_MESSAGE {
  char* text;      // owned
  char* format;    // owned; null when absent or a single space
  VX_RECT rect;    // screen pixels; kept in the display's resize list until freed
  uint16_t flags;  // MESSAGE_FLAGS_*
};

struct MESSAGE_TABLE {
  int count;
  GAME_MESSAGE** messages;  // count entries, null where the message's section was missing
};

// Loads the table of `file`. A Message_NN key that is missing shows the
// warning "Sorry, I can't find Message %s in %s" and leaves that entry
// null. Without a valid Rect the rectangle is 10, 50, 300 x 40 of the
// 640 x 480 base. Null without NumMessages; "Cant allocate memory for
// game_messages" (fatal) when memory runs out.
MESSAGE_TABLE* messages_load(const char* file);
// Frees the table and takes its rectangles out of the resize list. Null is fine.
void messages_free(MESSAGE_TABLE* table);

// The table's rectangle rule for one Rect value, in 640 x 480 base pixels:
// x, y above 0 are percent of 640 / 480, 0 or below minus the value in
// pixels; width and height are percent. 0 when `value` is not four numbers.
int message_rect_parse(const char* value, VX_RECT* out);

// What message n looks like on a screen of `width` x `height` pixels now:
// its text (rebuilt with the format from the game state for messages 3 to
// 18) and its rectangle (moved for 10, 11, 13 and 14). 0 when the table,
// the message or its text is missing.
int message_layout(const MESSAGE_TABLE* table, int n, int width, int height, char text[MESSAGE_TEXT],
                   VX_RECT* rect);
// Draws message n onto the virtual screen with the default font.
void message_draw(const MESSAGE_TABLE* table, int n);

// The current language's table: replaced by the language switch, drawn by
// the play screen and the main loop.
void messages_current_set(MESSAGE_TABLE* table);
MESSAGE_TABLE* messages_current();
// message_draw on the current table; `hook` (null: none) sees every n first. For tests.
void message_draw(int n);
void message_draw_hook_set(void (*hook)(int n));
