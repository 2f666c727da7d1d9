#include "app/CrashReporter.h"
#include "app/unreached/LaunchAtLoginController.h"
#include "app/NBFullDiskAccessManager.h"
#include "app/unreached/OOLocationPermisionManager.h"
#include "app/QRCodeImage.h"
#include "app/unreached/ScreenQRScanner.h"
#include "app/unreached/ShortcutsController.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "common/DefaultsKeys.h"
#include "common/UserDefaults.h"
#include "support/TestEnvironment.h"
#include "support/WantedSkip.h"

#include <QBuffer>
#include <QDir>
#include <QNmeaPositionInfoSource>
#include <QTimer>
#include <cmath>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPixmap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QGuiApplication>
#include <X11/Xlib.h>
#include <xcb/xcb.h>

#include <csignal>
#include <cstdlib>
#include <sys/mman.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Points XDG_CONFIG_HOME at a fresh folder while it lives.
class ConfigHome
{
public:
    ConfigHome()
        : m_old(qgetenv("XDG_CONFIG_HOME"))
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path()));
    }
    ~ConfigHome() { qputenv("XDG_CONFIG_HOME", m_old); }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QByteArray m_old;
};

TEST(LaunchAtLoginTest, WritesAndRemovesTheAutostartEntryAndAppliesTheStoredChoice)
{
    ConfigHome home;
    UserDefaults::standard().setBool(DefaultsKeys::LaunchAtLogin, false);
    const QString entry = home.path() + QStringLiteral("/autostart/ostrel.desktop");
    EXPECT_EQ(LaunchAtLoginController::autostartFilePath(), entry);

    LaunchAtLoginController controller(QStringLiteral("/opt/Ostrel Client/bin/ostrel"));
    EXPECT_FALSE(controller.launchAtLogin());
    EXPECT_FALSE(QFileInfo::exists(entry));

    ASSERT_TRUE(controller.setLaunchAtLogin(true));
    EXPECT_TRUE(controller.launchAtLogin());
    EXPECT_TRUE(UserDefaults::standard().boolForKey(DefaultsKeys::LaunchAtLogin));
    const QByteArray text = readAll(entry);
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(text.contains("Type=Application\n"));
    EXPECT_TRUE(text.contains("Exec=\"/opt/Ostrel Client/bin/ostrel\"\n")) << text.toStdString();

    // The next start re-applies the stored choice: a deleted entry comes back.
    QFile::remove(entry);
    LaunchAtLoginController nextRun(QStringLiteral("/usr/bin/ostrel"));
    EXPECT_TRUE(nextRun.launchAtLogin());
    EXPECT_TRUE(readAll(entry).contains("Exec=\"/usr/bin/ostrel\"\n"));

    ASSERT_TRUE(nextRun.setLaunchAtLogin(false));
    EXPECT_FALSE(QFileInfo::exists(entry));
    EXPECT_FALSE(UserDefaults::standard().boolForKey(DefaultsKeys::LaunchAtLogin));
}

TEST(LaunchAtLoginTest, ARefusedWriteLeavesStateAndStoredChoiceAlone)
{
    ConfigHome home;
    UserDefaults::standard().setBool(DefaultsKeys::LaunchAtLogin, false);
    LaunchAtLoginController controller(QStringLiteral("/usr/bin/ostrel"));
    // A file where the autostart folder should be.
    QFile blocker(home.path() + QStringLiteral("/autostart"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    EXPECT_FALSE(controller.setLaunchAtLogin(true));
    EXPECT_FALSE(controller.launchAtLogin());
    EXPECT_FALSE(UserDefaults::standard().boolForKey(DefaultsKeys::LaunchAtLogin));
}

TEST(LaunchAtLoginTest, ExecQuotingFollowsTheDesktopEntryRules)
{
    const QByteArray entry = LaunchAtLoginController::desktopEntry(QStringLiteral("/home/a\"b/$x/100%/c\\d"));
    EXPECT_TRUE(entry.contains("Exec=\"/home/a\\\\\"b/\\\\$x/100%%/c\\\\\\\\d\"\n")) << entry.toStdString();
    EXPECT_TRUE(LaunchAtLoginController::desktopEntry(QStringLiteral("/bin/a\nExec=evil")).isEmpty());
}

// Reads the module at (x, y) of a code drawn `scale` pixels per module from the image's top-left.
bool dark(const QImage &image, int scale, int x, int y)
{
    const QColor c = image.pixelColor(x * scale + scale / 2, y * scale + scale / 2);
    return c.alpha() == 255 && c.lightness() < 128;
}

// A finder pattern: a dark 7x7 ring, a light ring inside, a dark 3x3 centre, light around it.
bool finderAt(const QImage &image, int scale, int left, int top)
{
    for (int y = -1; y <= 7; ++y) {
        for (int x = -1; x <= 7; ++x) {
            const int ring = qMax(qAbs(x - 3), qAbs(y - 3));
            const bool expected = ring == 3 || ring <= 1;
            if (dark(image, scale, left + x, top + y) != expected)
                return false;
        }
    }
    return true;
}

TEST(QRCodeImageTest, DrawsFinderSquaresAtThreeCornersOnAWhiteMargin)
{
    // 14 bytes of UTF-8 need version 2 at level Q: 25 modules, 27 with the margin, 8 pixels each.
    const QString text = QStringLiteral("ss://一二三");
    const QImage image = createQRImage(text, QSize(27 * 8, 27 * 8));
    ASSERT_FALSE(image.isNull());
    ASSERT_EQ(image.size(), QSize(216, 216));
    const int width = 25;
    EXPECT_TRUE(finderAt(image, 8, 1, 1));
    EXPECT_TRUE(finderAt(image, 8, 1 + width - 7, 1));
    EXPECT_TRUE(finderAt(image, 8, 1, 1 + width - 7));
    EXPECT_FALSE(finderAt(image, 8, 1 + width - 7, 1 + width - 7));
    for (int i = 0; i < 27; ++i) {
        EXPECT_FALSE(dark(image, 8, i, 0));
        EXPECT_FALSE(dark(image, 8, 0, i));
    }
}

TEST(QRCodeImageTest, LevelMPacksTheSameTextIntoASmallerSymbol)
{
    // The same 14 bytes fit version 1 at level M: 21 modules, so the finders sit closer.
    const QImage image = createQRImage(QStringLiteral("ss://一二三"), QSize(23 * 8, 23 * 8), QRErrorCorrection::M);
    ASSERT_EQ(image.size(), QSize(184, 184));
    const int width = 21;
    EXPECT_TRUE(finderAt(image, 8, 1, 1));
    EXPECT_TRUE(finderAt(image, 8, 1 + width - 7, 1));
    EXPECT_TRUE(finderAt(image, 8, 1, 1 + width - 7));
    EXPECT_FALSE(finderAt(image, 8, 1 + width - 7, 1 + width - 7));
}

TEST(QRCodeImageTest, FitsTheSmallerSideAndLeavesTheRestTransparent)
{
    const QImage image = createQRImage(QStringLiteral("hello"), QSize(100, 60));
    ASSERT_EQ(image.size(), QSize(100, 60));
    // The code is 60 pixels square at the bottom-left; the right-hand strip stays transparent.
    EXPECT_EQ(image.pixelColor(99, 30).alpha(), 0);
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 255);
    EXPECT_EQ(image.pixelColor(59, 59).alpha(), 255);
    EXPECT_TRUE(createQRImage(QStringLiteral("x"), QSize()).isNull());
    EXPECT_TRUE(createQRImage(QString(8000, QLatin1Char('x')), QSize(100, 100)).isNull());
}

TEST(SystemIntegrationTest, LinuxAnswersWhatItCanAndSaysWhatItCannot)
{
    // The full-disk status is the home folder's: listable, not a folder, or not there at all.
    const QByteArray home = qgetenv("HOME");
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile plain(dir.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    qputenv("HOME", dir.path().toUtf8());
    EXPECT_EQ(NBFullDiskAccessManager::getUserHomePath(), dir.path());
    EXPECT_EQ(NBFullDiskAccessManager::getFullDiskAuthorationStatus(), unsigned(NBFullDiskAccessManager::Access));
    qputenv("HOME", plain.fileName().toUtf8());
    EXPECT_EQ(NBFullDiskAccessManager::getFullDiskAuthorationStatus(), unsigned(NBFullDiskAccessManager::NoAccess));
    qputenv("HOME", dir.filePath(QStringLiteral("gone")).toUtf8());
    EXPECT_EQ(NBFullDiskAccessManager::getFullDiskAuthorationStatus(), unsigned(NBFullDiskAccessManager::CannotTell));
    qputenv("HOME", home);

    EXPECT_EQ(ShortcutsController::bindShortcuts(), ShortcutsController::Binding::Unavailable);
    // Nothing to capture on the offscreen platform: unavailable, and no empty "found nothing".
    int posts = 0;
    QObject owner;
    NotificationCenter::defaultCenter().addObserver(NotificationNames::NOTIFY_FOUND_SS_URL, &owner, [&posts](const Notification &) { ++posts; });
    EXPECT_EQ(scanScreensForQRCode(), ScreenQRScan::Unavailable);
    EXPECT_EQ(posts, 0);
}

TEST(QRCodeImageTest, DrawnCodesReadBack)
{
    if (!canReadQRCodes())
        GTEST_SKIP() << "built without a QR reader";
    const QString text = QStringLiteral("ss://Y2hhY2hhMjA6cGFzcw@127.0.0.1:8388#线路 一");
    EXPECT_EQ(readQRCodes(createQRImage(text, QSize(300, 300))), QStringList{text});
    EXPECT_EQ(readQRCodes(createQRImage(text, QSize(420, 260))), QStringList{text});
    QImage blank(200, 200, QImage::Format_RGB32);
    blank.fill(Qt::white);
    EXPECT_TRUE(readQRCodes(blank).isEmpty());
    EXPECT_TRUE(readQRCodes(QImage()).isEmpty());
}

// Reading the real screen needs a real X server: the parent test runs this one in a child under
// xvfb-run, where it shows a code in a window and scans the screens.
TEST(OnX11Server, ScreenScanFindsTheCodeShownInAWindow)
{
    if (qEnvironmentVariable("OSTREL_TEST_QR_ON_X11") != QLatin1String("1"))
        GTEST_SKIP() << "runs in the child started by X11ServerTest";
    if (!canReadQRCodes())
        GTEST_SKIP() << "built without a QR reader";
    const QString text = QStringLiteral("ss://YWVzLTI1Ni1nY206dGVzdA@10.0.0.2:8388#x11");
    QLabel label;
    label.setPixmap(QPixmap::fromImage(createQRImage(text, QSize(240, 240))));
    label.setStyleSheet(QStringLiteral("background: white; padding: 30px"));
    label.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&label));
    QVariantList urls;
    QString source;
    QObject owner;
    NotificationCenter::defaultCenter().addObserver(NotificationNames::NOTIFY_FOUND_SS_URL, &owner, [&](const Notification &n) {
        urls = n.userInfo.value(QStringLiteral("urls")).toList();
        source = n.userInfo.value(QStringLiteral("source")).toString();
    });
    // The first frames may not have reached the screen yet: scan until the code is there.
    ASSERT_TRUE(QTest::qWaitFor([&] { return scanScreensForQRCode() == ScreenQRScan::Scanned && !urls.isEmpty(); }, 10000));
    EXPECT_EQ(urls, QVariantList{QUrl(text)});
    EXPECT_EQ(source, QStringLiteral("qrcode"));
}

TEST(ShortcutsTest, KeySequencesBecomeXKeys)
{
    using Key = ShortcutsController::X11Key;
    EXPECT_EQ(ShortcutsController::x11KeyFor(QKeySequence(QStringLiteral("Ctrl+Alt+P"))), (Key{0x70, 4 | 8}));
    EXPECT_EQ(ShortcutsController::x11KeyFor(QKeySequence(QStringLiteral("Shift+Meta+F5"))), (Key{0xffc2, 1 | 64}));
    EXPECT_EQ(ShortcutsController::x11KeyFor(QKeySequence(QStringLiteral("Ctrl+1"))), (Key{0x31, 4}));
    EXPECT_EQ(ShortcutsController::x11KeyFor(QKeySequence(QStringLiteral("Ctrl+Down"))), (Key{0xff54, 4}));
    EXPECT_FALSE(ShortcutsController::x11KeyFor(QKeySequence(QStringLiteral("Ctrl+A, Ctrl+B"))));
    EXPECT_FALSE(ShortcutsController::x11KeyFor(QKeySequence(Qt::Key_MediaPlay)));
    EXPECT_FALSE(ShortcutsController::x11KeyFor(QKeySequence()));
}

// Runs in the child under xvfb-run: the grab is made on a real server, and a key press for it
// (as the server delivers one) posts the notification.
TEST(OnX11Server, ShortcutsGrabOnTheRootWindowAndPostTheirNotification)
{
    if (qEnvironmentVariable("OSTREL_TEST_QR_ON_X11") != QLatin1String("1"))
        GTEST_SKIP() << "runs in the child started by X11ServerTest";
    UserDefaults::standard().setString(DefaultsKeys::ToggleRunning, QStringLiteral("Ctrl+Alt+P"));
    UserDefaults::standard().setString(DefaultsKeys::SwitchProxyMode, QString());
    ASSERT_EQ(ShortcutsController::bindShortcuts(), ShortcutsController::Binding::Bound);

    QStringList posted;
    QObject owner;
    for (const QString &name : {NotificationNames::NOTIFY_TOGGLE_RUNNING_SHORTCUT, NotificationNames::NOTIFY_SWITCH_PROXY_MODE_SHORTCUT})
        NotificationCenter::defaultCenter().addObserver(name, &owner, [&posted, name](const Notification &) { posted << name; });

    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    ASSERT_NE(x11, nullptr);
    xcb_key_press_event_t press{};
    press.response_type = XCB_KEY_PRESS;
    press.detail = xcb_keycode_t(XKeysymToKeycode(x11->display(), 0x70));
    press.state = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_2; // Num Lock on
    qintptr result = 0;
    EXPECT_TRUE(QAbstractEventDispatcher::instance()->filterNativeEvent("xcb_generic_event_t", &press, &result));
    press.state = XCB_MOD_MASK_CONTROL; // without Alt: not the shortcut
    EXPECT_FALSE(QAbstractEventDispatcher::instance()->filterNativeEvent("xcb_generic_event_t", &press, &result));
    EXPECT_EQ(posted, QStringList{NotificationNames::NOTIFY_TOGGLE_RUNNING_SHORTCUT});

    // Binding again replaces the grabs: the same key can be bound twice without a clash.
    EXPECT_EQ(ShortcutsController::bindShortcuts(), ShortcutsController::Binding::Bound);
}

TEST(X11ServerTest, ScreenScanAndShortcutsWorkOnARealServer)
{
    if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty())
        GTEST_SKIP() << WantedSkip::tool("xvfb-run is not installed");
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("OSTREL_TEST_QR_ON_X11"), QStringLiteral("1"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    const QStringList command = TestEnvironment::ownDisplayCommand(QStringLiteral("800x600x24"), QCoreApplication::applicationFilePath(),
                                                                   {QStringLiteral("--gtest_filter=OnX11Server.*")});
    child.start(command.first(), command.mid(1));
    ASSERT_TRUE(child.waitForFinished(60000));
    const QByteArray output = child.readAll();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    // Both cases ran and passed: a child that skipped them would pass too, having done nothing.
    // Without a QR reader only the shortcuts can run.
    const QByteArray passed = canReadQRCodes() ? "[  PASSED  ] 2 tests." : "[  PASSED  ] 1 test.";
    EXPECT_TRUE(output.contains(passed)) << output.toStdString();
    EXPECT_EQ(output.contains("[  SKIPPED ]"), !canReadQRCodes()) << output.toStdString();
    EXPECT_FALSE(output.contains("[  FAILED  ]")) << output.toStdString();
}

// The crash happens in a forked child; the parent sees how it ended and reads the report.
void crashWithReport(const QString &folder, int signal)
{
    if (!CrashReporter::start(folder))
        std::_Exit(3);
    if (signal == SIGSEGV) {
        // A store the hardware refuses: through a null pointer, the undefined-behaviour
        // sanitizer would stop the program before it ever faulted.
        void *page = ::mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (page == MAP_FAILED)
            std::_Exit(4);
        *static_cast<volatile int *>(page) = 1;
    }
    if (signal == SIGABRT)
        std::abort();
    std::raise(signal);
    std::_Exit(0);
}

TEST(CrashReporterTest, ACrashIsReportedAndStillEndsTheProcessByItsSignal)
{
    GTEST_FLAG_SET(death_test_style, "fast");
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("crashes"));
    for (const int signal : {SIGSEGV, SIGABRT, SIGFPE}) {
        const QStringList before = CrashReporter::reports(folder);
        EXPECT_EXIT(crashWithReport(folder, signal), ::testing::KilledBySignal(signal), "");
        // The new report, whatever its place in the list: names within one second order by pid.
        QStringList fresh = CrashReporter::reports(folder);
        for (const QString &old : before)
            fresh.removeAll(old);
        ASSERT_EQ(fresh.size(), 1) << signal;
        const QByteArray text = readAll(fresh.first());
        EXPECT_TRUE(text.startsWith("signal " + QByteArray::number(signal) + " (")) << text.toStdString();
        EXPECT_TRUE(text.contains("backtrace:\n"));
        EXPECT_EQ(QFileInfo(fresh.first()).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), QFileDevice::Permissions());
    }
}

} // namespace

namespace {

// One NMEA position sentence with its checksum, as a receiver would send it.
QByteArray nmeaFix(const char *time, double latitude, double longitude)
{
    const auto part = [](double value, int degreeDigits) {
        const double whole = std::floor(std::abs(value));
        const double minutes = (std::abs(value) - whole) * 60;
        return QStringLiteral("%1%2").arg(int(whole), degreeDigits, 10, QLatin1Char('0')).arg(minutes, 7, 'f', 4, QLatin1Char('0'));
    };
    const QString body = QStringLiteral("GPRMC,%1,A,%2,%3,%4,%5,0.0,0.0,071226,,,A")
                             .arg(QString::fromLatin1(time), part(latitude, 2),
                                  latitude < 0 ? QStringLiteral("S") : QStringLiteral("N"), part(longitude, 3),
                                  longitude < 0 ? QStringLiteral("W") : QStringLiteral("E"));
    quint8 sum = 0;
    for (const char c : body.toLatin1())
        sum ^= quint8(c);
    return QStringLiteral("$%1*%2\r\n").arg(body).arg(sum, 2, 16, QLatin1Char('0')).toUpper().toLatin1();
}

} // namespace

TEST(LocationPermisionManagerTest, PositionsBecomeRegionCodesOncePerPlace)
{
    auto *log = new QBuffer;
    log->setData(nmeaFix("123519.00", 31.2304, 121.4737) + nmeaFix("123519.10", 31.2310, 121.4740)
                 + nmeaFix("123519.20", 35.6762, 139.6503));
    auto *source = new QNmeaPositionInfoSource(QNmeaPositionInfoSource::SimulationMode);
    source->setDevice(log);
    log->setParent(source);
    QObject context;
    auto *manager = new OOLocationPermisionManager(source, &context);
    ASSERT_EQ(manager->cllManager(), source);
    int geocoded = 0;
    manager->setGeocoder([&](const QGeoCoordinate &at, OOLocationPermisionManager::GeocodeDone done) {
        ++geocoded;
        const QString code = at.latitude() > 34 ? QStringLiteral("JP") : QStringLiteral("CN");
        QTimer::singleShot(0, [done, code] { done({{QStringLiteral("XX")}, {code}}, {}); });
    });
    QStringList codes;
    manager->iosRegCode = [&](const std::optional<QString> &code) { codes.append(code.value_or(QStringLiteral("-"))); };
    source->startUpdates();
    QTRY_COMPARE(codes, (QStringList{QStringLiteral("CN"), QStringLiteral("JP")}));
    EXPECT_EQ(geocoded, 2) << "a position 70 m from the last one is the same place";
    EXPECT_EQ(manager->ipRegCode(), QStringLiteral("JP")) << "the last place's code";
}

TEST(LocationPermisionManagerTest, FailuresAndMissingListenersLeaveTheCodeAlone)
{
    QObject context;
    OOLocationPermisionManager manager(nullptr, &context);
    EXPECT_EQ(manager.cllManager(), nullptr);
    // Without a listener nothing is stored.
    manager.geocodeFinished({{QStringLiteral("CN")}}, {});
    EXPECT_EQ(manager.ipRegCode(), std::nullopt);

    int calls = 0;
    manager.iosRegCode = [&](const std::optional<QString> &) { ++calls; };
    manager.geocodeFinished({{QStringLiteral("CN")}}, QStringLiteral("network down"));
    manager.geocodeFinished({}, {});
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(manager.ipRegCode(), std::nullopt);
    manager.geocodeFinished({{QStringLiteral("CN")}, {std::nullopt}}, {});
    EXPECT_EQ(calls, 1) << "a place without a country still answers";
    EXPECT_EQ(manager.ipRegCode(), std::nullopt);

    // A geocoder answering after the manager is gone reaches nothing.
    OOLocationPermisionManager::GeocodeDone late;
    auto *gone = new OOLocationPermisionManager(nullptr, &context);
    gone->setGeocoder([&](const QGeoCoordinate &, OOLocationPermisionManager::GeocodeDone done) { late = done; });
    gone->iosRegCode = [&](const std::optional<QString> &) { ++calls; };
    QGeoPositionInfo at(QGeoCoordinate(31.23, 121.47), QDateTime::currentDateTimeUtc());
    gone->reverseGeocode({});
    EXPECT_FALSE(late) << "no positions, no geocoding";
    gone->reverseGeocode({at});
    ASSERT_TRUE(late);
    delete gone;
    late({{QStringLiteral("CN")}}, {});
    EXPECT_EQ(calls, 1);
}
