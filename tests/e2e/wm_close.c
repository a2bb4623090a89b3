/* Asks a top-level window to close, as a window manager does when the user clicks its close
 * button: a WM_PROTOCOLS client message carrying WM_DELETE_WINDOW.
 * Usage: wm_close TITLE-PREFIX   (exit 0 when a window was found and asked, 1 otherwise) */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <string.h>

/* The first window below `w` whose name starts with `prefix`, or 0. */
static Window Find(Display* d, Window w, const char* prefix) {
  char* name = NULL;
  if (XFetchName(d, w, &name) && name != NULL) {
    const int match = strncmp(name, prefix, strlen(prefix)) == 0;
    XFree(name);
    if (match) return w;
  }
  Window root, parent, *children = NULL;
  unsigned int count = 0;
  Window found = 0;
  if (XQueryTree(d, w, &root, &parent, &children, &count)) {
    for (unsigned int i = 0; i < count && found == 0; ++i) found = Find(d, children[i], prefix);
    if (children != NULL) XFree(children);
  }
  return found;
}

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: wm_close TITLE-PREFIX\n");
    return 2;
  }
  Display* d = XOpenDisplay(NULL);
  if (d == NULL) {
    fprintf(stderr, "wm_close: cannot open the display\n");
    return 1;
  }
  const Window w = Find(d, DefaultRootWindow(d), argv[1]);
  if (w == 0) {
    fprintf(stderr, "wm_close: no window named %s\n", argv[1]);
    XCloseDisplay(d);
    return 1;
  }
  XEvent e;
  memset(&e, 0, sizeof e);
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = (long)XInternAtom(d, "WM_DELETE_WINDOW", False);
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, w, False, NoEventMask, &e);
  XFlush(d);
  XCloseDisplay(d);
  return 0;
}
