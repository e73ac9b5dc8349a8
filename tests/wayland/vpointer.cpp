/* Moves and presses the pointer of a wlroots compositor through its virtual
 * pointer protocol, for the Wayland tests.
 *
 *   vpointer WIDTH HEIGHT STEP...
 *
 * WIDTH x HEIGHT is the layout the absolute positions are in; each STEP is
 * "X,Y" (move there), "down" or "up" (the left button). Every step is sent
 * with its frame and a round trip, then a short pause so the client under
 * the pointer takes each one as a separate event. */
#include "virtual-pointer-client-protocol.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <wayland-client.h>

#define BTN_LEFT 0x110

static zwlr_virtual_pointer_manager_v1* manager;
static wl_seat* seat;

static void global(void* data, struct wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
{
    (void)data;
    (void)version;
    if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    else if (strcmp(interface, wl_seat_interface.name) == 0 && !seat)
        seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
}

static void global_remove(void* data, struct wl_registry* registry, uint32_t name)
{
    (void)data;
    (void)registry;
    (void)name;
}

static const struct wl_registry_listener registry_listener = {global, global_remove};

static uint32_t now_ms()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return uint32_t(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

int main(int argc, char** argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: vpointer WIDTH HEIGHT STEP...\n");
        return 2;
    }
    const uint32_t width = uint32_t(std::atoi(argv[1]));
    const uint32_t height = uint32_t(std::atoi(argv[2]));
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        fprintf(stderr, "vpointer: no Wayland display\n");
        return 1;
    }
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, nullptr);
    wl_display_roundtrip(display);
    if (!manager) {
        fprintf(stderr, "vpointer: the compositor has no virtual pointer\n");
        return 1;
    }
    zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, seat);
    const timespec pause = {0, 120 * 1000 * 1000};
    for (int i = 3; i < argc; ++i) {
        unsigned x = 0, y = 0;
        if (strcmp(argv[i], "down") == 0 || strcmp(argv[i], "up") == 0) {
            zwlr_virtual_pointer_v1_button(pointer, now_ms(), BTN_LEFT,
                                           strcmp(argv[i], "down") == 0 ? uint32_t(WL_POINTER_BUTTON_STATE_PRESSED)
                                                                        : uint32_t(WL_POINTER_BUTTON_STATE_RELEASED));
        } else if (sscanf(argv[i], "%u,%u", &x, &y) == 2) {
            zwlr_virtual_pointer_v1_motion_absolute(pointer, now_ms(), x, y, width, height);
        } else {
            fprintf(stderr, "vpointer: unknown step %s\n", argv[i]);
            return 2;
        }
        zwlr_virtual_pointer_v1_frame(pointer);
        if (wl_display_roundtrip(display) < 0) {
            fprintf(stderr, "vpointer: the compositor went away\n");
            return 1;
        }
        nanosleep(&pause, nullptr);
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
