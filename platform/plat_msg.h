// Windows-style message, command and key numbers used by the engine's window procedures, emulated under the prefix PLAT_.
#pragma once
#include <cstdint>

// Every emulated Windows name carries the prefix PLAT_ (PLAT_WM_CLOSE,
// PLAT_VK_F1, PLAT_MB_OK), so that a reader sees at once what is emulated.
// Messages keep their real numbers so that the window procedures read as
// their Windows counterparts do and recorded message streams stay comparable.
constexpr uint32_t PLAT_WM_NULL = 0x0000;
constexpr uint32_t PLAT_WM_CREATE = 0x0001;
constexpr uint32_t PLAT_WM_DESTROY = 0x0002;
constexpr uint32_t PLAT_WM_MOVE = 0x0003;
constexpr uint32_t PLAT_WM_SIZE = 0x0005;
constexpr uint32_t PLAT_WM_ACTIVATE = 0x0006;
constexpr uint32_t PLAT_WM_SETFOCUS = 0x0007;
constexpr uint32_t PLAT_WM_KILLFOCUS = 0x0008;
constexpr uint32_t PLAT_WM_PAINT = 0x000F;
constexpr uint32_t PLAT_WM_CLOSE = 0x0010;
constexpr uint32_t PLAT_WM_QUIT = 0x0012;
constexpr uint32_t PLAT_WM_ACTIVATEAPP = 0x001C;
constexpr uint32_t PLAT_WM_SETCURSOR = 0x0020;  // never sent by this platform; a window procedure that sends it gets the input layer's cursor rule
constexpr uint32_t PLAT_WM_DISPLAYCHANGE = 0x007E;
constexpr uint32_t PLAT_WM_NCPAINT = 0x0085;
constexpr uint32_t PLAT_WM_NCACTIVATE = 0x0086;
constexpr uint32_t PLAT_WM_KEYDOWN = 0x0100;
constexpr uint32_t PLAT_WM_KEYUP = 0x0101;
constexpr uint32_t PLAT_WM_CHAR = 0x0102;
constexpr uint32_t PLAT_WM_SYSKEYDOWN = 0x0104;
constexpr uint32_t PLAT_WM_SYSKEYUP = 0x0105;
constexpr uint32_t PLAT_WM_SYSCHAR = 0x0106;
constexpr uint32_t PLAT_WM_COMMAND = 0x0111;
constexpr uint32_t PLAT_WM_SYSCOMMAND = 0x0112;
constexpr uint32_t PLAT_WM_TIMER = 0x0113;
constexpr uint32_t PLAT_WM_MOUSEMOVE = 0x0200;
constexpr uint32_t PLAT_WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t PLAT_WM_LBUTTONUP = 0x0202;
constexpr uint32_t PLAT_WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t PLAT_WM_RBUTTONUP = 0x0205;
constexpr uint32_t PLAT_WM_MBUTTONDOWN = 0x0207;
constexpr uint32_t PLAT_WM_MBUTTONUP = 0x0208;
constexpr uint32_t PLAT_WM_MOUSEWHEEL = 0x020A;
constexpr uint32_t PLAT_WM_ENTERMENULOOP = 0x0211;
constexpr uint32_t PLAT_WM_EXITMENULOOP = 0x0212;
constexpr uint32_t PLAT_WM_ENTERSIZEMOVE = 0x0231;
constexpr uint32_t PLAT_WM_EXITSIZEMOVE = 0x0232;
constexpr uint32_t PLAT_WM_QUERYNEWPALETTE = 0x030F;
constexpr uint32_t PLAT_WM_PALETTECHANGED = 0x0311;
constexpr uint32_t PLAT_WM_USER = 0x0400;

// PLAT_WM_SYSCOMMAND parameters (the low four bits are the system's own and are masked off).
constexpr uint32_t PLAT_SC_SIZE = 0xF000;
constexpr uint32_t PLAT_SC_MOVE = 0xF010;
constexpr uint32_t PLAT_SC_MINIMIZE = 0xF020;
constexpr uint32_t PLAT_SC_MAXIMIZE = 0xF030;
constexpr uint32_t PLAT_SC_CLOSE = 0xF060;
constexpr uint32_t PLAT_SC_KEYMENU = 0xF100;
constexpr uint32_t PLAT_SC_RESTORE = 0xF120;
constexpr uint32_t PLAT_SC_SCREENSAVE = 0xF140;
constexpr uint32_t PLAT_SC_MONITORPOWER = 0xF170;

// PLAT_WM_ACTIVATE low word and PLAT_WM_SIZE wparam.
constexpr uint32_t PLAT_WA_INACTIVE = 0;
constexpr uint32_t PLAT_WA_ACTIVE = 1;
constexpr uint32_t PLAT_WA_CLICKACTIVE = 2;
constexpr uint32_t PLAT_SIZE_RESTORED = 0;
constexpr uint32_t PLAT_SIZE_MINIMIZED = 1;
constexpr uint32_t PLAT_SIZE_MAXIMIZED = 2;

// Virtual-key codes carried in wparam of the key messages. Letters and
// digits are their upper-case ASCII codes ('A', '1').
constexpr uint32_t PLAT_VK_BACK = 0x08;
constexpr uint32_t PLAT_VK_TAB = 0x09;
constexpr uint32_t PLAT_VK_RETURN = 0x0D;
constexpr uint32_t PLAT_VK_SHIFT = 0x10;
constexpr uint32_t PLAT_VK_CONTROL = 0x11;
constexpr uint32_t PLAT_VK_MENU = 0x12;  // Alt
constexpr uint32_t PLAT_VK_PAUSE = 0x13;
constexpr uint32_t PLAT_VK_CAPITAL = 0x14;
constexpr uint32_t PLAT_VK_ESCAPE = 0x1B;
constexpr uint32_t PLAT_VK_SPACE = 0x20;
constexpr uint32_t PLAT_VK_PRIOR = 0x21;
constexpr uint32_t PLAT_VK_NEXT = 0x22;
constexpr uint32_t PLAT_VK_END = 0x23;
constexpr uint32_t PLAT_VK_HOME = 0x24;
constexpr uint32_t PLAT_VK_LEFT = 0x25;
constexpr uint32_t PLAT_VK_UP = 0x26;
constexpr uint32_t PLAT_VK_RIGHT = 0x27;
constexpr uint32_t PLAT_VK_DOWN = 0x28;
constexpr uint32_t PLAT_VK_SNAPSHOT = 0x2C;
constexpr uint32_t PLAT_VK_INSERT = 0x2D;
constexpr uint32_t PLAT_VK_DELETE = 0x2E;
constexpr uint32_t PLAT_VK_LWIN = 0x5B;
constexpr uint32_t PLAT_VK_RWIN = 0x5C;
constexpr uint32_t PLAT_VK_APPS = 0x5D;
constexpr uint32_t PLAT_VK_NUMPAD0 = 0x60;  // through PLAT_VK_NUMPAD9 = 0x69
constexpr uint32_t PLAT_VK_MULTIPLY = 0x6A;
constexpr uint32_t PLAT_VK_ADD = 0x6B;
constexpr uint32_t PLAT_VK_SUBTRACT = 0x6D;
constexpr uint32_t PLAT_VK_DECIMAL = 0x6E;
constexpr uint32_t PLAT_VK_DIVIDE = 0x6F;
constexpr uint32_t PLAT_VK_F1 = 0x70;  // through PLAT_VK_F12 = 0x7B
constexpr uint32_t PLAT_VK_F2 = 0x71;
constexpr uint32_t PLAT_VK_F3 = 0x72;
constexpr uint32_t PLAT_VK_F4 = 0x73;
constexpr uint32_t PLAT_VK_F9 = 0x78;
constexpr uint32_t PLAT_VK_F10 = 0x79;
constexpr uint32_t PLAT_VK_F12 = 0x7B;
constexpr uint32_t PLAT_VK_NUMLOCK = 0x90;
constexpr uint32_t PLAT_VK_SCROLL = 0x91;
constexpr uint32_t PLAT_VK_OEM_1 = 0xBA;      // ;:
constexpr uint32_t PLAT_VK_OEM_PLUS = 0xBB;
constexpr uint32_t PLAT_VK_OEM_COMMA = 0xBC;
constexpr uint32_t PLAT_VK_OEM_MINUS = 0xBD;
constexpr uint32_t PLAT_VK_OEM_PERIOD = 0xBE;
constexpr uint32_t PLAT_VK_OEM_2 = 0xBF;      // /?
constexpr uint32_t PLAT_VK_OEM_3 = 0xC0;      // `~
constexpr uint32_t PLAT_VK_OEM_4 = 0xDB;      // [{
constexpr uint32_t PLAT_VK_OEM_5 = 0xDC;      // \|
constexpr uint32_t PLAT_VK_OEM_6 = 0xDD;      // ]}
constexpr uint32_t PLAT_VK_OEM_7 = 0xDE;      // '"
constexpr uint32_t PLAT_VK_OEM_102 = 0xE2;    // the extra key left of Z on ISO keyboards

// Key message lparam: bits 16-23 the scan code, bit 24 extended key,
// bit 29 Alt held (PLAT_WM_SYSKEYDOWN), bit 30 previous state, bit 31 key up.
constexpr uint32_t PLAT_KEY_LPARAM_EXTENDED = 1u << 24;
constexpr uint32_t PLAT_KEY_LPARAM_ALT = 1u << 29;
constexpr uint32_t PLAT_KEY_LPARAM_REPEAT = 1u << 30;
constexpr uint32_t PLAT_KEY_LPARAM_UP = 1u << 31;
// The key number 0-255 of a key message's lparam: the scan code, plus 0x80
// for an extended key. These are DirectInput's key numbers (Esc 1, Enter 28,
// right Enter 156, Up 200, Left 203, Right 205, Down 208, right Alt 184).
constexpr uint32_t plat_key_number(intptr_t lparam) {
  return static_cast<uint32_t>(((lparam >> 16) & 0x7F) | ((lparam & PLAT_KEY_LPARAM_EXTENDED) ? 0x80 : 0));
}

// Mouse message wparam: the buttons and keys held. PLAT_WM_MOUSEWHEEL carries the
// same bits in its low word and the signed turn in its high word, in
// PLAT_WHEEL_DELTA units per notch (negative towards the user); its lparam is the
// pointer in screen coordinates, the other mouse messages' in client ones.
constexpr uint32_t PLAT_MK_LBUTTON = 0x0001;
constexpr uint32_t PLAT_MK_RBUTTON = 0x0002;
constexpr uint32_t PLAT_MK_SHIFT = 0x0004;
constexpr uint32_t PLAT_MK_CONTROL = 0x0008;
constexpr uint32_t PLAT_MK_MBUTTON = 0x0010;
constexpr int PLAT_WHEEL_DELTA = 120;

// Message box styles and answers.
constexpr uint32_t PLAT_MB_OK = 0x00000000;
constexpr uint32_t PLAT_MB_OKCANCEL = 0x00000001;
constexpr uint32_t PLAT_MB_YESNO = 0x00000004;
constexpr uint32_t PLAT_MB_ICONHAND = 0x00000010;
constexpr uint32_t PLAT_MB_ICONQUESTION = 0x00000020;
constexpr uint32_t PLAT_MB_ICONEXCLAMATION = 0x00000030;
constexpr uint32_t PLAT_MB_ICONASTERISK = 0x00000040;
constexpr uint32_t PLAT_MB_SYSTEMMODAL = 0x00001000;
constexpr uint32_t PLAT_MB_SETFOREGROUND = 0x00010000;
constexpr uint32_t PLAT_MB_TOPMOST = 0x00040000;
constexpr int PLAT_IDOK = 1;
constexpr int PLAT_IDCANCEL = 2;
constexpr int PLAT_IDYES = 6;
constexpr int PLAT_IDNO = 7;

// Word packing as the message parameters use it.
constexpr uint32_t plat_loword(uintptr_t v) { return static_cast<uint32_t>(v & 0xFFFF); }
constexpr uint32_t plat_hiword(uintptr_t v) { return static_cast<uint32_t>((v >> 16) & 0xFFFF); }
constexpr intptr_t plat_makelong(uint32_t lo, uint32_t hi) {
  return static_cast<intptr_t>(static_cast<uint32_t>((lo & 0xFFFF) | ((hi & 0xFFFF) << 16)));
}
