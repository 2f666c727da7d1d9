#include "app/unreached/ShortcutsController.h"

#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QList>

#include "common/DefaultsKeys.h"
#include "common/Logger.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "common/UserDefaults.h"

#ifdef OSTREL_HAVE_X11
#include <X11/Xlib.h>
#include <xcb/xcb.h>
#endif

namespace {

#ifdef OSTREL_HAVE_X11
// Caps Lock and Num Lock change the modifier state but not the shortcut: each grab is made with
// every combination of the two, and presses are compared without them.
constexpr quint16 kLockMasks[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2, XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
constexpr quint16 kShortcutMask = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

struct Grab
{
    xcb_keycode_t keycode = 0;
    quint16 modifiers = 0;
    QString notification;
};

// Receives the key presses of the grabs and posts their notifications.
class GlobalKeyFilter : public QAbstractNativeEventFilter
{
public:
    static GlobalKeyFilter &instance()
    {
        static GlobalKeyFilter *filter = [] {
            auto *made = new GlobalKeyFilter;
            QCoreApplication::instance()->installNativeEventFilter(made);
            return made;
        }();
        return *filter;
    }

    QList<Grab> grabs;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        if ((event->response_type & 0x7f) != XCB_KEY_PRESS)
            return false;
        const auto *press = static_cast<const xcb_key_press_event_t *>(message);
        for (const Grab &grab : grabs) {
            if (grab.keycode == press->detail && grab.modifiers == (press->state & kShortcutMask)) {
                NotificationCenter::defaultCenter().post(grab.notification);
                return true;
            }
        }
        return false;
    }
};

void ungrabAll(xcb_connection_t *connection, xcb_window_t root)
{
    GlobalKeyFilter &filter = GlobalKeyFilter::instance();
    for (const Grab &grab : filter.grabs) {
        for (const quint16 lock : kLockMasks)
            xcb_ungrab_key(connection, grab.keycode, root, grab.modifiers | lock);
    }
    filter.grabs.clear();
}

void bindOne(Display *display, xcb_connection_t *connection, xcb_window_t root, const QString &defaultsKey, const QString &notification)
{
    const QString stored = UserDefaults::standard().stringValue(defaultsKey).value_or(QString());
    if (stored.isEmpty())
        return;
    const std::optional<ShortcutsController::X11Key> key = ShortcutsController::x11KeyFor(QKeySequence(stored, QKeySequence::PortableText));
    const xcb_keycode_t keycode = key ? xcb_keycode_t(XKeysymToKeycode(display, key->keysym)) : 0;
    if (!key || keycode == 0) {
        OSTREL_LOG(Logger::Warning, QStringLiteral("shortcut %1 (%2) has no key on this keyboard").arg(defaultsKey, stored));
        return;
    }
    for (const quint16 lock : kLockMasks) {
        const xcb_void_cookie_t cookie = xcb_grab_key_checked(connection, 1, root, key->modifiers | lock, keycode,
                                                              XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t *error = xcb_request_check(connection, cookie)) {
            free(error);
            OSTREL_LOG(Logger::Warning, QStringLiteral("shortcut %1 (%2) is held by another program").arg(defaultsKey, stored));
            for (const quint16 undo : kLockMasks)
                xcb_ungrab_key(connection, keycode, root, key->modifiers | undo);
            return;
        }
    }
    GlobalKeyFilter::instance().grabs.append({keycode, key->modifiers, notification});
}
#endif

} // namespace

ShortcutsController::Binding ShortcutsController::bindShortcuts()
{
#ifdef OSTREL_HAVE_X11
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 && x11->display() && x11->connection()) {
        xcb_connection_t *connection = x11->connection();
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        ungrabAll(connection, root);
        bindOne(x11->display(), connection, root, DefaultsKeys::ToggleRunning, NotificationNames::NOTIFY_TOGGLE_RUNNING_SHORTCUT);
        bindOne(x11->display(), connection, root, DefaultsKeys::SwitchProxyMode, NotificationNames::NOTIFY_SWITCH_PROXY_MODE_SHORTCUT);
        xcb_flush(connection);
        return Binding::Bound;
    }
#endif
    OSTREL_LOG(Logger::Warning, QStringLiteral("global shortcuts are unavailable on this desktop (%1)").arg(QGuiApplication::platformName()));
    return Binding::Unavailable;
}

std::optional<ShortcutsController::X11Key> ShortcutsController::x11KeyFor(const QKeySequence &sequence)
{
    if (sequence.count() != 1)
        return std::nullopt;
    const QKeyCombination combination = sequence[0];
    const int key = combination.key();
    const Qt::KeyboardModifiers qtModifiers = combination.keyboardModifiers();

    quint32 keysym = 0;
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        keysym = quint32('a' + (key - Qt::Key_A));
    else if (key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde)
        keysym = quint32(key); // Latin-1 keysyms are their characters
    else if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        keysym = 0xffbe + quint32(key - Qt::Key_F1);
    else {
        static const QList<QPair<int, quint32>> table = {
            {Qt::Key_Escape, 0xff1b}, {Qt::Key_Tab, 0xff09}, {Qt::Key_Backspace, 0xff08}, {Qt::Key_Return, 0xff0d},
            {Qt::Key_Enter, 0xff8d},  {Qt::Key_Insert, 0xff63}, {Qt::Key_Delete, 0xffff}, {Qt::Key_Home, 0xff50},
            {Qt::Key_End, 0xff57},    {Qt::Key_PageUp, 0xff55}, {Qt::Key_PageDown, 0xff56}, {Qt::Key_Left, 0xff51},
            {Qt::Key_Up, 0xff52},     {Qt::Key_Right, 0xff53},  {Qt::Key_Down, 0xff54},
        };
        for (const auto &[qtKey, sym] : table) {
            if (qtKey == key)
                keysym = sym;
        }
    }
    if (keysym == 0)
        return std::nullopt;

    // X's masks: shift 1, control 4, mod1 (Alt) 8, mod4 (Super) 64.
    quint16 modifiers = 0;
    if (qtModifiers & Qt::ShiftModifier)
        modifiers |= 1;
    if (qtModifiers & Qt::ControlModifier)
        modifiers |= 4;
    if (qtModifiers & Qt::AltModifier)
        modifiers |= 8;
    if (qtModifiers & Qt::MetaModifier)
        modifiers |= 64;
    return X11Key{keysym, modifiers};
}
