/* Sends a window the close request a window manager sends when its close box is clicked: a
   WM_PROTOCOLS client message carrying WM_DELETE_WINDOW. Xvfb has no window manager, and
   killing the game with a signal would skip its exit (and LeakSanitizer's check).
   usage: wm_close WINDOW_ID */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: wm_close WINDOW_ID\n");
        return 2;
    }
    Display* d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "wm_close: cannot open the display\n");
        return 1;
    }
    Window w = (Window)strtoul(argv[1], NULL, 0);
    Atom protocols = XInternAtom(d, "WM_PROTOCOLS", False);
    Atom delete_window = XInternAtom(d, "WM_DELETE_WINDOW", False);

    /* A window manager sends the message only to a window that asks for it. */
    Atom* list = NULL;
    int count = 0, asked = 0;
    if (XGetWMProtocols(d, w, &list, &count)) {
        for (int i = 0; i < count; ++i) asked |= list[i] == delete_window;
        XFree(list);
    }
    if (!asked) {
        fprintf(stderr, "wm_close: window %s does not take WM_DELETE_WINDOW\n", argv[1]);
        XCloseDisplay(d);
        return 1;
    }

    XEvent e = {0};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = protocols;
    e.xclient.format = 32;
    e.xclient.data.l[0] = (long)delete_window;
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, w, False, NoEventMask, &e);
    XFlush(d);
    XCloseDisplay(d);
    return 0;
}
