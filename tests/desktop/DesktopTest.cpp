// The whole program on real desktops, seen from outside through screenshots: before "- PLAY -"
// nothing of the panel is on the screen; after it the panel shows, and beside its top edge,
// outside the outline, the desktop behind it shows through.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLibraryInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <ostream>
#include <vector>

// Rectangles and sizes in failure messages as an X geometry.
void PrintTo(const QRect& r, std::ostream* out) {
    *out << r.width() << "x" << r.height() << "+" << r.x() << "+" << r.y();
}
void PrintTo(const QSize& s, std::ostream* out) {
    *out << s.width() << "x" << s.height();
}

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr int kPanelWidth = 490;
constexpr int kPanelHeight = 580;
// Generous: a loaded machine may take seconds to start a server; nothing waits this long
// unless something is wrong.
constexpr int kPatienceMs = 30000;

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "desktop_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

bool Has(const char* program) {
    return !QStandardPaths::findExecutable(program).isEmpty();
}

// The rectangle around every pixel that differs between two screenshots, rows above `top`
// left out (a desktop's clock).
QRect Changed(const QImage& a, const QImage& b, int top = 0) {
    QRect box;
    if (a.size() != b.size()) return QRect(QPoint(0, 0), b.size());
    for (int y = top; y < a.height(); ++y) {
        const auto* p = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* q = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if (p[x] != q[x]) box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

class Desktop : public ::testing::Test {
  protected:
    Desktop() { App(); }
    ~Desktop() override {
        // Last started, first ended: the program before its compositor, that before Xvfb.
        for (auto it = processes_.rbegin(); it != processes_.rend(); ++it) {
            (*it)->kill();
            (*it)->waitForFinished(5000);
        }
    }

    QProcess& Start(const QString& program, const QStringList& args,
                    const QProcessEnvironment& env) {
        processes_.push_back(std::make_unique<QProcess>());
        QProcess& p = *processes_.back();
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::SeparateChannels);
        p.start(program, args);
        return p;
    }

    // An X server of its own, its root woven black and white (so that a see-through pixel
    // cannot pass for a black one); empty when it did not start.
    // -noreset keeps what clients set up (monitors) after the last of them has gone.
    QString StartXvfb(QSize size = QSize(kScreenWidth, kScreenHeight)) {
        QProcess& x = Start("Xvfb",
                            {"-displayfd", "1", "-nolisten", "tcp", "-retro", "-noreset", "-screen",
                             "0", QString("%1x%2x24").arg(size.width()).arg(size.height())},
                            QProcessEnvironment::systemEnvironment());
        QByteArray number;
        const QDeadlineTimer deadline(kPatienceMs);
        while (!number.contains('\n') && !deadline.hasExpired() &&
               x.state() != QProcess::NotRunning) {
            x.waitForReadyRead(200);
            number += x.readAllStandardOutput();
        }
        if (!number.contains('\n')) return {};
        display_ = ":" + QString::fromLatin1(number.trimmed());
        return display_;
    }

    QProcessEnvironment XEnv() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display_);
        return env;
    }

    // The whole X screen; a null image when it could not be taken.
    QImage Screenshot() {
        QProcess shot;
        shot.setProcessEnvironment(XEnv());
        shot.start("import", {"-silent", "-window", "root", "png:-"});
        if (!shot.waitForFinished(kPatienceMs) || shot.exitCode() != 0) return {};
        return QImage::fromData(shot.readAllStandardOutput(), "PNG")
            .convertToFormat(QImage::Format_RGB32);
    }

    // Screenshots until one that equals the one before it meets `ready` (the screen has
    // settled); the last one taken if time runs out.
    QImage SettledShot(const std::function<bool(const QImage&)>& ready) {
        QImage before = Screenshot();
        const QDeadlineTimer deadline(kPatienceMs);
        while (!deadline.hasExpired()) {
            QImage now = Screenshot();
            if (!now.isNull() && now == before && ready(now)) return now;
            before = std::move(now);
        }
        return before;
    }

    // A settings folder with both choices made and the first-run warning already seen, so
    // "- PLAY -" is enabled and nothing else opens after it.
    QProcessEnvironment ProgramEnv(QProcessEnvironment env, const QByteArray& more = {}) {
        const QString folder = config_.filePath("Quarvel");
        QDir().mkpath(folder);
        QFile conf(folder + "/KeldoZarq.conf");
        if (conf.open(QIODevice::WriteOnly))
            conf.write("[General]\nSoundMode=2\nSystem=1\nFirstRun=1\n" + more);
        env.insert("XDG_CONFIG_HOME", config_.path());
        env.insert("SDL_AUDIODRIVER", "dummy");
        env.remove("QT_SCALE_FACTOR");
        return env;
    }

    // A program run on this display to its end; its standard output, or null when it failed.
    QByteArray Run(const QString& program, const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(XEnv());
        p.start(program, args);
        if (!p.waitForFinished(kPatienceMs) || p.exitStatus() != QProcess::NormalExit ||
            p.exitCode() != 0) {
            return {};
        }
        return p.readAllStandardOutput() + ' ';  // never null once it ran
    }

    // A top-level window's place and size as the X server has them.
    QRect WindowGeometry(const QString& id) {
        QRect r;
        const QByteArray shell = Run("xdotool", {"getwindowgeometry", "--shell", id});
        for (const QByteArray& line : shell.split('\n')) {
            const QList<QByteArray> pair = line.trimmed().split('=');
            if (pair.size() != 2) continue;
            const int value = pair[1].toInt();
            if (pair[0] == "X") r.moveLeft(value);
            if (pair[0] == "Y") r.moveTop(value);
            if (pair[0] == "WIDTH") r.setWidth(value);
            if (pair[0] == "HEIGHT") r.setHeight(value);
        }
        return r;
    }

    // Weston on an Xvfb display of its own, its socket in a runtime folder of the fixture's:
    // the environment for a Wayland client and the settled empty desktop, compared below the
    // top `clockRows` rows (the bar's clock). An empty picture and `Why` when it cannot run.
    struct Weston {
        QProcessEnvironment Env;
        QImage Empty;
        std::string Why;
    };
    Weston StartWeston(int clockRows) {
        Weston w;
        for (const char* tool : {"Xvfb", "weston", "import"}) {
            if (!Has(tool)) {
                w.Why = std::string(tool) + " is not installed (scripts/install-deps.sh)";
                return w;
            }
        }
        const QString plugin =
            QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms/libqwayland-generic.so";
        if (!QFile::exists(plugin)) {
            w.Why = "Qt's Wayland platform (qt6-wayland) is not installed";
            return w;
        }
        if (StartXvfb().isEmpty()) {
            w.Why = "Xvfb did not start";
            return w;
        }
        if (!runtime_.isValid()) {
            w.Why = "no runtime folder could be made";
            return w;
        }
        QFile::setPermissions(runtime_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                   QFileDevice::ExeOwner);
        const QString socket = QString("zarq-test-%1").arg(QCoreApplication::applicationPid());
        w.Env = XEnv();
        w.Env.insert("XDG_RUNTIME_DIR", runtime_.path());
        QProcess& weston = Start("weston",
                                 {"--backend=x11-backend.so", "--use-pixman", "--socket=" + socket,
                                  QString("--width=%1").arg(kScreenWidth),
                                  QString("--height=%1").arg(kScreenHeight), "--idle-time=0"},
                                 w.Env);
        // Weston is up once its socket exists and its desktop is drawn and settled: two
        // screenshots alike below the clock.
        const QDeadlineTimer deadline(kPatienceMs);
        while (!QFile::exists(runtime_.filePath(socket))) {
            if (deadline.hasExpired() || weston.state() == QProcess::NotRunning) {
                w.Why = "weston did not start: " +
                        weston.readAllStandardError().right(400).toStdString();
                return w;
            }
            weston.waitForFinished(100);
        }
        QImage empty = SettledShot([&](const QImage& shot) {
            return shot.pixel(kScreenWidth / 4, kScreenHeight / 2) != qRgb(0, 0, 0);
        });
        if (empty.isNull()) {
            ADD_FAILURE() << "no screenshot could be taken";
            return w;
        }
        for (QImage next = Screenshot();
             Changed(empty, next, clockRows).isValid() && !deadline.hasExpired();
             next = Screenshot()) {
            empty = next;
        }
        w.Env.insert("WAYLAND_DISPLAY", socket);
        w.Empty = empty;
        return w;
    }

    QTemporaryDir config_;
    QTemporaryDir runtime_;
    QString display_;
    std::vector<std::unique_ptr<QProcess>> processes_;
};

// Metacity keeps every window on the screen: a panel parked off screen would be pulled back.
TEST_F(Desktop, UnderMetacityNothingOfThePanelShowsBeforePlayThenItShowsCentred) {
    for (const char* tool : {"Xvfb", "metacity", "import", "xdotool", "xprop"}) {
        if (!Has(tool)) GTEST_SKIP() << tool << " is not installed (scripts/install-deps.sh)";
    }
    if (StartXvfb().isEmpty()) GTEST_SKIP() << "Xvfb did not start";
    QProcess& metacity = Start("metacity", {"--replace"}, XEnv());
    // Metacity is ready once it has claimed the screen.
    const QDeadlineTimer deadline(kPatienceMs);
    for (;;) {
        QProcess probe;
        probe.setProcessEnvironment(XEnv());
        probe.start("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"});
        probe.waitForFinished(kPatienceMs);
        if (probe.readAllStandardOutput().contains("window id")) break;
        metacity.waitForFinished(100);  // paces the probes and notices an early end
        if (deadline.hasExpired() || metacity.state() == QProcess::NotRunning) {
            GTEST_SKIP() << "metacity did not start on " << display_.toStdString() << ": "
                         << metacity.readAllStandardError().right(400).toStdString();
        }
    }
    const QImage empty = SettledShot([](const QImage&) { return true; });
    ASSERT_FALSE(empty.isNull()) << "no screenshot could be taken";

    QProcessEnvironment env = ProgramEnv(XEnv());
    env.insert("QT_QPA_PLATFORM", "xcb");
    QProcess& program = Start(ZARQ_SIMULATOR, {}, env);
    ASSERT_TRUE(program.waitForStarted(kPatienceMs));

    // The options dialog, centred, and nothing else: every changed pixel lies within the
    // dialog's frame (its 269 x 515 client area, a title bar and a shadow's margin).
    const QRect dialogArea = QRect((kScreenWidth - 269) / 2, (kScreenHeight - 515) / 2, 269, 515)
                                 .adjusted(-60, -70, 60, 70);
    const QImage before =
        SettledShot([&](const QImage& shot) { return Changed(empty, shot).width() > 200; });
    const QRect shown = Changed(empty, before);
    EXPECT_TRUE(dialogArea.contains(shown))
        << "changed before play: " << shown.x() << "," << shown.y() << " " << shown.width() << "x"
        << shown.height();

    // "- PLAY -" clicked where it is on the dialog.
    QProcess click;
    click.setProcessEnvironment(XEnv());
    click.start("xdotool", {"search", "--sync", "--name", "^About Zarq", "mousemove", "--window",
                            "%1", "134", "494", "click", "1", "mousemove", "1023", "767"});
    ASSERT_TRUE(click.waitForFinished(kPatienceMs));

    // The panel, centred: the screen's middle minus half the panel.
    const QRect panel((kScreenWidth - kPanelWidth) / 2, (kScreenHeight - kPanelHeight) / 2,
                      kPanelWidth, kPanelHeight);
    const QImage after = SettledShot(
        [&](const QImage& shot) { return Changed(empty, shot).width() >= kPanelWidth - 10; });
    const QRect changed = Changed(empty, after);
    EXPECT_TRUE(panel.adjusted(-2, -2, 2, 2).contains(changed))
        << "changed after play: " << changed.x() << "," << changed.y() << " " << changed.width()
        << "x" << changed.height();
    EXPECT_NE(after.pixel(panel.center()), empty.pixel(panel.center()));
    // The top-left corner lies outside the outline: the desktop shows there.
    EXPECT_EQ(after.pixel(panel.topLeft() + QPoint(2, 2)),
              empty.pixel(panel.topLeft() + QPoint(2, 2)));
}

// One X screen as two monitors of different sizes, no window manager: the panel at 200 %
// dragged from the large monitor onto the small one keeps its size while it is dragged, then
// shrinks once to the largest zoom that fits there, and stays so.
TEST_F(Desktop, DraggedOntoASmallerMonitorThePanelShrinksOnceAndStays) {
    for (const char* tool : {"Xvfb", "xrandr", "xdotool"}) {
        if (!Has(tool)) GTEST_SKIP() << tool << " is not installed (scripts/install-deps.sh)";
    }
    if (StartXvfb(QSize(5120, 2160)).isEmpty()) GTEST_SKIP() << "Xvfb did not start";
    const QRect big(0, 0, 3840, 2160);
    const QRect small(3840, 0, 1280, 1024);
    if (Run("xrandr", {"--setmonitor", "BIG", "3840/600x2160/340+0+0", "screen"}).isNull() ||
        Run("xrandr", {"--setmonitor", "SMALL", "1280/340x1024/270+3840+0", "none"}).isNull()) {
        GTEST_SKIP() << "xrandr could not make two monitors of the X screen";
    }
    QProcessEnvironment env = ProgramEnv(XEnv(), "Zoom=200\n");
    env.insert("QT_QPA_PLATFORM", "xcb");
    QProcess& program = Start(ZARQ_SIMULATOR, {}, env);
    ASSERT_TRUE(program.waitForStarted(kPatienceMs));
    ASSERT_FALSE(Run("xdotool", {"search", "--sync", "--name", "^About Zarq", "mousemove",
                                 "--window", "%1", "134", "494", "click", "1"})
                     .isNull());
    const QByteArray found =
        Run("xdotool", {"search", "--sync", "--onlyvisible", "--name", "^Zarq .Keldo. Simulator$"});
    ASSERT_FALSE(found.isNull()) << "the panel did not show after play";
    const QString panel = QString::fromLatin1(found.trimmed().split('\n').first());

    // Geometries until `done` holds for one and the window has then kept it for a while: at
    // least 20 readings and a second and a half, any change starting the count again.
    auto settled = [&](const std::function<bool(const QRect&)>& done) {
        const QDeadlineTimer deadline(kPatienceMs);
        QRect last;
        int same = 0;
        QElapsedTimer since;
        while (!deadline.hasExpired() && program.state() == QProcess::Running) {
            const QRect now = WindowGeometry(panel);
            if (now != last || !done(now)) {
                same = 0;
                since.start();
            }
            last = now;
            if (++same >= 20 && since.elapsed() >= 1500) break;
        }
        return last;
    };
    // Play shows it at 200 %, centred on the large monitor.
    const QRect shown = settled([](const QRect& r) { return r.size() == QSize(980, 1160); });
    ASSERT_EQ(shown, QRect(1430, 500, 980, 1160));

    // Held by its top, inside the outline, and dragged right step by step until its middle is
    // well inside the small monitor; the button comes up only there.
    QStringList drag = {"mousemove", QString::number(shown.x() + 490),
                        QString::number(shown.y() + 40), "mousedown", "1"};
    for (int step = 0; step < 24; ++step) {
        drag << "mousemove_relative"
             << "--"
             << "100" << (step < 12 ? "0" : "-20") << "sleep"
             << "0.02";
    }
    const QByteArray dragged = Run("xdotool", drag);
    // Under the pointer the window never changed size, however many screens it crossed.
    const QRect carried = WindowGeometry(panel);
    Run("xdotool", {"mouseup", "1"});
    ASSERT_FALSE(dragged.isNull());
    EXPECT_EQ(carried.size(), shown.size()) << "resized while being dragged";

    // Then 150 %, the largest zoom that fits the small monitor, wholly on it, for good.
    const QRect rest = settled([&](const QRect& r) { return small.contains(r); });
    EXPECT_EQ(rest.size(), QSize(735, 870)) << "settled at " << rest.x() << "," << rest.y() << " "
                                            << rest.width() << "x" << rest.height();
    EXPECT_TRUE(small.contains(rest)) << "settled at " << rest.x() << "," << rest.y() << " "
                                      << rest.width() << "x" << rest.height();
    EXPECT_FALSE(big.intersects(rest));
}

// Wayland: no program may place its windows; the panel must simply not exist before play.
TEST_F(Desktop, OnWestonOnlyTheDialogShowsBeforePlayAndTheDesktopShowsBesideThePanelsTop) {
    constexpr int kTopBar = 40;  // the bar's clock is left out of every comparison
    const Weston weston = StartWeston(kTopBar);
    if (weston.Empty.isNull()) {
        if (!HasFailure()) GTEST_SKIP() << weston.Why;
        return;
    }
    const QImage& empty = weston.Empty;

    QProcessEnvironment env = ProgramEnv(weston.Env);
    env.insert("QT_QPA_PLATFORM", "wayland");
    env.insert("ZARQ_TEST_STDIN", "1");
    QProcess& program = Start(ZARQ_SIMULATOR, {}, env);
    ASSERT_TRUE(program.waitForStarted(kPatienceMs));

    auto settled = [&](const std::function<bool(const QRect&)>& ready) {
        QImage last = Screenshot();
        const QDeadlineTimer until(kPatienceMs);
        while (!until.hasExpired()) {
            QImage now = Screenshot();
            if (!Changed(last, now, kTopBar).isValid() && ready(Changed(empty, now, kTopBar)))
                return now;
            last = std::move(now);
        }
        return last;
    };
    // Only the dialog (with the decoration Qt draws for it): narrower than the panel.
    const QImage before = settled([](const QRect& changed) { return changed.width() > 200; });
    const QRect shown = Changed(empty, before, kTopBar);
    EXPECT_GT(shown.width(), 200);
    EXPECT_LT(shown.width(), kPanelWidth - 100)
        << "something as wide as the panel shows before play";
    EXPECT_LT(shown.height(), kPanelHeight + 60);

    program.write("play\n");
    ASSERT_TRUE(program.waitForBytesWritten(kPatienceMs));
    const QImage after = settled([](const QRect& changed) {
        return changed.width() >= kPanelWidth - 4 && changed.height() >= kPanelHeight - 4;
    });
    const QRect panel = Changed(empty, after, kTopBar);
    ASSERT_GE(panel.width(), kPanelWidth - 4) << "the panel did not show after play";
    // Nothing but the panel: the dialog has gone.
    EXPECT_LE(panel.width(), kPanelWidth + 4);
    EXPECT_LE(panel.height(), kPanelHeight + 4);
    // Beside the top edge, outside the outline, the desktop shows through the window; in its
    // middle the panel covers it.
    const QPoint corner = panel.topLeft() + QPoint(3, 3);
    EXPECT_EQ(after.pixel(corner), empty.pixel(corner)) << "the window's corner is not transparent";
    EXPECT_NE(after.pixel(panel.center()), empty.pixel(panel.center()));
}

// Weston, whose bar takes the top 32 rows: "Fit to screen" fits the toy into the rows below it.
// Qt reports the whole output as available there; the room left is what a maximised window gets.
TEST_F(Desktop, OnWestonFitToScreenShowsTheWholeToyBelowTheBar) {
    constexpr int kBar = 32;
    constexpr int kClock = 40;  // the rows compared leave out the bar's clock
    const Weston weston = StartWeston(kClock);
    if (weston.Empty.isNull()) {
        if (!HasFailure()) GTEST_SKIP() << weston.Why;
        return;
    }
    const QImage& empty = weston.Empty;

    QProcessEnvironment env = ProgramEnv(weston.Env, "Zoom=0\n");
    env.insert("QT_QPA_PLATFORM", "wayland");
    env.insert("ZARQ_TEST_STDIN", "1");
    QProcess& program = Start(ZARQ_SIMULATOR, {}, env);
    ASSERT_TRUE(program.waitForStarted(kPatienceMs));
    program.write("play\n");
    ASSERT_TRUE(program.waitForBytesWritten(kPatienceMs));
    // The panel shows once two screenshots agree and it is taller than the dialog.
    QImage last = Screenshot();
    QRect panel;
    for (const QDeadlineTimer until(kPatienceMs); !until.hasExpired();) {
        QImage now = Screenshot();
        panel = Changed(empty, now, kClock);
        if (!Changed(last, now, kClock).isValid() && panel.height() > 600) break;
        last = std::move(now);
    }
    // 621 x 736 fills the 736 rows below the bar; the whole output's height would give 648 x 768
    // with its foot cut off.
    EXPECT_GE(panel.height(), kScreenHeight - kBar - (kClock - kBar) - 4)
        << ::testing::PrintToString(panel);
    EXPECT_NEAR(panel.width(), 621, 6) << ::testing::PrintToString(panel);
}

}  // namespace
