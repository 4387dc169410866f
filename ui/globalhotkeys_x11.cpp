// The global hotkeys on X11: each identifier is an atom ("Hotkey1"...), each combination a
// passive grab of the key on the root window for Control+Mod1, once more with each of the
// NumLock and CapsLock variants, so the hotkeys work whatever those locks say. Key presses
// arrive through Qt's xcb connection and are picked out by a native event filter.

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <array>
#include <vector>

#include "core/hotkeyactions.h"
#include "ui/globalhotkeys.h"

// Xlib's macros (Bool, Status, ...) clash with Qt's headers: it comes after them.
// clang-format off
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>
// clang-format on

namespace tv::ui {

namespace {

constexpr uint8_t kXGrabKeyRequest = 33;
constexpr uint8_t kXUngrabKeyRequest = 34;

class NoHotkeys : public GlobalHotkeys {
public:
    void RegisterAll(std::function<void(int)>) override {}
    void UnregisterAll() override {}
    int HeldCount() const override { return 0; }
};

// Set while a grab is synchronised: a combination another client holds gives BadAccess,
// which only marks that hotkey as not held.
bool g_grabFailed = false;
int CatchGrabError(Display*, XErrorEvent* error) {
    if (error->request_code == kXGrabKeyRequest || error->request_code == kXUngrabKeyRequest)
        g_grabFailed = true;
    return 0;
}

unsigned ModifierMaskOf(Display* display, KeySym lockKey) {
    unsigned mask = 0;
    const KeyCode code = XKeysymToKeycode(display, lockKey);
    XModifierKeymap* map = XGetModifierMapping(display);
    if (!map)
        return 0;
    for (int m = 0; m < 8 && code != 0; ++m)
        for (int k = 0; k < map->max_keypermod; ++k)
            if (map->modifiermap[m * map->max_keypermod + k] == code)
                mask = 1u << m;
    XFreeModifiermap(map);
    return mask;
}

class X11Hotkeys : public GlobalHotkeys, public QAbstractNativeEventFilter {
public:
    explicit X11Hotkeys(Display* display) : m_display(display) {
        m_root = DefaultRootWindow(display);
        const unsigned numLock = ModifierMaskOf(display, XK_Num_Lock);
        m_variants = {ControlMask | Mod1Mask, ControlMask | Mod1Mask | numLock,
                      ControlMask | Mod1Mask | LockMask,
                      ControlMask | Mod1Mask | numLock | LockMask};
        m_ignored = numLock | LockMask;
    }
    ~X11Hotkeys() override { UnregisterAll(); }

    void RegisterAll(std::function<void(int)> onHotkey) override {
        UnregisterAll();
        m_onHotkey = std::move(onHotkey);
        QCoreApplication::instance()->installNativeEventFilter(this);
        XErrorHandler previous = XSetErrorHandler(CatchGrabError);
        for (int i = 0; i < core::kHotkeyCount; ++i) {
            Entry& e = m_entries[i];
            e.atom = XInternAtom(m_display, core::kHotkeyTable[i].atomName, False);
            e.keycode = XKeysymToKeycode(m_display, XStringToKeysym(core::kHotkeyTable[i].keyName));
            if (e.keycode == 0)
                continue;
            g_grabFailed = false;
            for (unsigned mods : m_variants)
                XGrabKey(m_display, e.keycode, mods, m_root, False, GrabModeAsync, GrabModeAsync);
            XSync(m_display, False);
            e.held = !g_grabFailed;
            if (!e.held)  // another program holds it: leave its grab alone, ours is void
                e.keycode = 0;
        }
        XSetErrorHandler(previous);
        m_registered = true;
    }

    void UnregisterAll() override {
        if (!m_registered)
            return;
        QCoreApplication* app = QCoreApplication::instance();
        if (app)
            app->removeNativeEventFilter(this);
        XErrorHandler previous = XSetErrorHandler(CatchGrabError);
        for (Entry& e : m_entries) {
            if (e.keycode != 0 && e.held)
                for (unsigned mods : m_variants)
                    XUngrabKey(m_display, e.keycode, mods, m_root);
            // X keeps atoms for the server's life; forgetting the value is all that is left.
            e = Entry{};
        }
        XSync(m_display, False);
        XSetErrorHandler(previous);
        m_registered = false;
    }

    int HeldCount() const override {
        int n = 0;
        for (const Entry& e : m_entries)
            n += e.held ? 1 : 0;
        return n;
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t")
            return false;
        auto* event = static_cast<xcb_generic_event_t*>(message);
        const uint8_t type = event->response_type & 0x7f;
        if (type == 0) {
            // A refused grab that reached Qt's queue instead of our handler: swallow it.
            auto* error = reinterpret_cast<xcb_generic_error_t*>(event);
            return error->major_code == kXGrabKeyRequest || error->major_code == kXUngrabKeyRequest;
        }
        if (type != XCB_KEY_PRESS)
            return false;
        auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
        if (key->event != m_root || (key->state & ~m_ignored & 0xff) != (ControlMask | Mod1Mask))
            return false;
        // The identifier is compared with each atom in table order; every match runs.
        for (int i = 0; i < core::kHotkeyCount; ++i)
            if (m_entries[i].held && m_entries[i].keycode == key->detail && m_onHotkey)
                m_onHotkey(i);
        return true;
    }

private:
    struct Entry {
        Atom atom = 0;
        KeyCode keycode = 0;
        bool held = false;
    };

    Display* m_display;
    Window m_root = 0;
    std::array<unsigned, 4> m_variants{};
    unsigned m_ignored = 0;
    std::array<Entry, core::kHotkeyCount> m_entries{};
    std::function<void(int)> m_onHotkey;
    bool m_registered = false;
};

}  // namespace

std::unique_ptr<GlobalHotkeys> CreateGlobalHotkeys() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        // Wayland (and offscreen): the desktop portal's shortcuts where there is a session bus.
        if (auto portal = CreatePortalHotkeys())
            return portal;
        return std::make_unique<NoHotkeys>();
    }
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return std::make_unique<NoHotkeys>();
    return std::make_unique<X11Hotkeys>(display);
}

}  // namespace tv::ui
