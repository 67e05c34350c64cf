// Test helper: asks the window manager to maximise an X window, as its maximise button does (_NET_WM_STATE).
// Usage: x_maximise_window WINDOW_ID
#include <X11/Xlib.h>

#include <cstdlib>

int main(int argc, char** argv) {
  Display* d = argc == 2 ? XOpenDisplay(nullptr) : nullptr;
  if (!d) return 2;
  XEvent e = {};
  e.xclient.type = ClientMessage;
  e.xclient.window = static_cast<Window>(std::strtoul(argv[1], nullptr, 0));
  e.xclient.message_type = XInternAtom(d, "_NET_WM_STATE", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = 1;  // add the two states
  e.xclient.data.l[1] = static_cast<long>(XInternAtom(d, "_NET_WM_STATE_MAXIMIZED_VERT", False));
  e.xclient.data.l[2] = static_cast<long>(XInternAtom(d, "_NET_WM_STATE_MAXIMIZED_HORZ", False));
  XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
  XCloseDisplay(d);
  return 0;
}
