/* The one duty of a window manager that Wine waits for, on the tests' X
 * servers, which have none: each top-level window that is mapped gets the
 * ICCCM WM_STATE NormalState, and WithdrawnState once unmapped. Wine hides
 * a window it handed to the manager only once the manager has taken it,
 * and otherwise waits 2 s for that each time a dialog, a message box or a
 * full-screen window goes. Nothing else of a manager is done here: windows
 * are neither moved, framed nor focused.
 *
 *   wm-state            runs until the X server goes
 */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>

static int ignore_errors(Display *display, XErrorEvent *error) {
    /* A window destroyed before its state was set. */
    (void)display;
    (void)error;
    return 0;
}

static void set_state(Display *display, Atom wm_state, Window window, long state) {
    long value[2] = {state, None};
    XChangeProperty(display, window, wm_state, wm_state, 32, PropModeReplace, (unsigned char *)value, 2);
}

int main(void) {
    Display *display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "wm-state: no X display\n");
        return 1;
    }
    XSetErrorHandler(ignore_errors);
    Atom wm_state = XInternAtom(display, "WM_STATE", False);
    Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify && event.xmap.event == root && !event.xmap.override_redirect) {
            set_state(display, wm_state, event.xmap.window, NormalState);
        } else if (event.type == UnmapNotify && event.xunmap.event == root) {
            set_state(display, wm_state, event.xunmap.window, WithdrawnState);
        }
        XFlush(display);
    }
}
