// The real program, started as a child on a display of its own, ends on SIGINT, SIGTERM and
// SIGHUP within a second as its exit item ends it: the sound shut down (seen in its sound
// log), the stored choices untouched, exit code 0; with sound playing through SDL's disk
// driver, with no sound, and while the options dialog is still up. Also before the main loop
// runs (a message box about a file given on the command line, which is taken relative to the
// folder the program was started in) and with the GUI thread held in a loop that never
// returns, where only the watchdog can end it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <csignal>
#include <memory>

namespace zarq::test {
namespace {

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "ending_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// One X server for every test here, on a display number it picks itself.
class Display {
  public:
    static Display& Shared() {
        static Display display;
        return display;
    }
    QString Name() const { return name_; }
    QString Missing() const { return missing_; }

  private:
    Display() {
        App();
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        if (xvfb.isEmpty() || QStandardPaths::findExecutable("xdotool").isEmpty()) {
            missing_ = "Xvfb or xdotool is not installed (scripts/install-deps.sh installs both)";
            return;
        }
        server_.start(xvfb, {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        QByteArray number;
        while (!number.contains('\n') && server_.waitForReadyRead(20000)) {
            number += server_.readAllStandardOutput();
        }
        if (!number.contains('\n')) {
            missing_ = "Xvfb did not start";
            return;
        }
        name_ = ":" + QString::fromLatin1(number.trimmed());
    }
    ~Display() {
        server_.terminate();
        server_.waitForFinished(5000);
    }

    QProcess server_;
    QString name_;
    QString missing_;
};

struct Ending {
    int signal;
    int soundMode;  // 0 Windows MM, 1 DirectSound, 2 (no sound)
    bool play;      // "- PLAY -" clicked first
};

class Endings : public ::testing::TestWithParam<Ending> {
  protected:
    void SetUp() override {
        if (!Display::Shared().Missing().isEmpty())
            GTEST_SKIP() << Display::Shared().Missing().toStdString();
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath("config/Quarvel"));
        QFile conf(Conf());
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write(QString("[General]\nFirstRun=1\nSoundMode=%1\nSystem=0\n")
                       .arg(GetParam().soundMode)
                       .toLatin1());
    }
    QString Conf() const { return dir.filePath("config/Quarvel/KeldoZarq.conf"); }
    QByteArray Stored() const {
        QFile conf(Conf());
        return conf.open(QIODevice::ReadOnly) ? conf.readAll() : QByteArray();
    }
    // Runs xdotool on the test display; false when it failed. Its output goes to `out`.
    bool Xdotool(const QStringList& args, QString* out = nullptr) {
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", Display::Shared().Name());
        tool.setProcessEnvironment(env);
        tool.start("xdotool", args);
        if (!tool.waitForFinished(20000) || tool.exitCode() != 0) return false;
        if (out != nullptr) *out = QString::fromLatin1(tool.readAllStandardOutput()).trimmed();
        return true;
    }
    // Reads the program's log until `text` shows in it (or 20 s pass).
    bool LogShows(const QByteArray& text) {
        while (!log.contains(text)) {
            if (!program.waitForReadyRead(20000)) return false;
            log += program.readAllStandardError();
        }
        return true;
    }

    QTemporaryDir dir;
    QProcess program;
    QByteArray log;
};

TEST_P(Endings, TheProgramEndsWithinASecondThroughTheSoundShutdown) {
    const Ending e = GetParam();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", Display::Shared().Name());
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    env.insert("SDL_AUDIODRIVER", "disk");
    env.insert("SDL_DISKAUDIOFILE", dir.filePath("sound.raw"));
    env.insert("QT_LOGGING_RULES", "zarq.sound.debug=true");
    // The child is what is tested here, not its leaks.
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(dir.path());
    program.setReadChannel(QProcess::StandardError);  // the log
    program.start(ZARQ_PROGRAM, {});
    ASSERT_TRUE(program.waitForStarted(20000));
    const QByteArray stored = Stored();

    QString dialog;
    ASSERT_TRUE(Xdotool({"search", "--sync", "--onlyvisible", "--name", "^About Zarq \\(Keldo\\)$"},
                        &dialog))
        << "the options dialog did not show";
    if (e.play) {
        // "- PLAY -", in the dialog's own coordinates.
        ASSERT_TRUE(Xdotool(
            {"mousemove", "--window", dialog.section('\n', 0, 0), "134", "494", "click", "1"}));
        if (e.soundMode != 2) {
            ASSERT_TRUE(LogShows("FSOUND_Init(")) << log.toStdString();
            ASSERT_TRUE(LogShows("FSOUND_Sample_Load(SOUND/Over.wav)")) << log.toStdString();
            EXPECT_TRUE(log.contains("-> true")) << "SDL's disk driver opened\n"
                                                 << log.toStdString();
        }
    }

    ASSERT_EQ(::kill(static_cast<pid_t>(program.processId()), e.signal), 0);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(program.waitForFinished(1000)) << "still running a second after the signal";
    log += program.readAllStandardError();
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(log.contains("zarq.sound: FSOUND_Close")) << log.toStdString();
    EXPECT_EQ(Stored(), stored);
    RecordProperty("ms_to_end", static_cast<int>(clock.elapsed()));
}

INSTANTIATE_TEST_SUITE_P(Signals, Endings,
                         ::testing::Values(Ending{SIGINT, 0, true}, Ending{SIGTERM, 1, true},
                                           Ending{SIGHUP, 2, true}, Ending{SIGTERM, 0, false}),
                         [](const auto& param) {
                             const Ending& e = param.param;
                             const char* name = e.signal == SIGINT    ? "Sigint"
                                                : e.signal == SIGTERM ? "Sigterm"
                                                                      : "Sighup";
                             return std::string(name) +
                                    (e.play ? "AfterPlayWithSoundMode"
                                            : "BeforePlayWithSoundMode") +
                                    std::to_string(e.soundMode);
                         });

// The real program on Qt's offscreen platform, started in a folder of its own.
class OffscreenRun : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath("config/Quarvel"));
        QFile conf(dir.filePath("config/Quarvel/KeldoZarq.conf"));
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write("[General]\nFirstRun=1\nSoundMode=2\nSystem=0\n");
    }
    void Start(const QStringList& args, const QStringList& extraEnv = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        env.insert("SDL_AUDIODRIVER", "dummy");
        env.insert("ASAN_OPTIONS", "detect_leaks=0");
        for (const QString& pair : extraEnv)
            env.insert(pair.section('=', 0, 0), pair.section('=', 1));
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(dir.path());
        program.setReadChannel(QProcess::StandardError);
        program.start(ZARQ_PROGRAM, args);
        ASSERT_TRUE(program.waitForStarted(20000));
    }
    bool ErrShows(const QByteArray& text) {
        while (!err.contains(text)) {
            if (!program.waitForReadyRead(20000)) return false;
            err += program.readAllStandardError();
        }
        return true;
    }
    // The signal, then the end within a second; the exit code, or -1 when it did not end.
    int EndsWithin1s(int signal) {
        ::kill(static_cast<pid_t>(program.processId()), signal);
        if (!program.waitForFinished(1000)) {
            program.kill();
            program.waitForFinished(5000);
            return -1;
        }
        return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -2;
    }

    QTemporaryDir dir;
    QProcess program;
    QByteArray err;
};

// A relative name is found in the folder the program was started in, and while the box saying
// it cannot be played is up (before the main loop) each ending signal ends the program.
TEST_F(OffscreenRun, ARelativeNameIsTheStartFoldersAndASignalEndsTheBoxBeforeTheLoop) {
    QFile bad(dir.filePath("bad.zrec"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a recording\n");
    bad.close();
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        err.clear();
        Start({"--playback", "bad.zrec"});
        ASSERT_TRUE(ErrShows("line 1: not a recording")) << err.toStdString();
        EXPECT_TRUE(err.contains(QDir(dir.path()).filePath("bad.zrec").toUtf8()))
            << err.toStdString();
        EXPECT_EQ(EndsWithin1s(signal), 2) << "signal " << signal;  // the box's own exit code
    }
}

TEST_F(OffscreenRun, ARelativeRecordingIsWrittenInTheStartFolder) {
    Start({"--record", "rel.zrec"}, {"ZARQ_QUIT_AFTER_FIRST_PAINT=1"});
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    QFile written(dir.filePath("rel.zrec"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly)) << "not in the folder it was started in";
    EXPECT_TRUE(written.readAll().startsWith("zarq-recording 1\n"));
}

// The GUI thread never comes back to its event loop: the watchdog ends the process within the
// second, with the signal's exit code (128 + its number) as the only trace of how.
TEST_F(OffscreenRun, ASignalEndsTheProgramWhileItsEventLoopIsHeld) {
    Start({}, {"ZARQ_TEST_STDIN=1"});
    program.write("busy\n");
    ASSERT_TRUE(program.waitForBytesWritten(20000));
    ASSERT_TRUE(ErrShows("holding the event loop")) << err.toStdString();
    EXPECT_EQ(EndsWithin1s(SIGTERM), 128 + SIGTERM);
}

// The panel resized from outside as fast as the X server takes it, the event loop busy with
// nothing else: an ending signal still ends the program within the second.
class Resized : public Endings {};

TEST_P(Resized, ASignalEndsTheProgramWhileItsWindowIsResizedInALoop) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", Display::Shared().Name());
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    env.insert("SDL_AUDIODRIVER", "dummy");
    env.insert("ZARQ_TEST_STDIN", "1");
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(dir.path());
    program.start(ZARQ_PROGRAM, {});
    ASSERT_TRUE(program.waitForStarted(20000));
    const QByteArray stored = Stored();
    program.write("play\n");
    ASSERT_TRUE(program.waitForBytesWritten(20000));
    QString panel;
    ASSERT_TRUE(Xdotool(
        {"search", "--sync", "--onlyvisible", "--name", "^Zarq \\(Keldo\\) Simulator$"}, &panel))
        << "the panel did not show";
    panel = panel.section('\n', 0, 0);

    QProcess resizer;
    resizer.setProcessEnvironment(env);
    resizer.setReadChannel(QProcess::StandardOutput);
    resizer.start("sh", {"-c", "while :; do xdotool windowsize " + panel + " 300 300 windowsize " +
                                   panel + " 900 700 || exit 1; echo; done"});
    ASSERT_TRUE(resizer.waitForStarted(20000));
    QByteArray rounds;
    while (rounds.count('\n') < 20 && resizer.waitForReadyRead(20000)) rounds += resizer.readAll();
    ASSERT_GE(rounds.count('\n'), 20) << "xdotool could not resize the panel";

    ASSERT_EQ(::kill(static_cast<pid_t>(program.processId()), SIGTERM), 0);
    const bool ended = program.waitForFinished(1000);
    resizer.kill();
    resizer.waitForFinished(5000);
    ASSERT_TRUE(ended) << "still running a second after the signal";
    // The orderly end (0) is the usual one; on a slow machine the watchdog's (128 + 15) may
    // come first, which still ends the program within the second with the settings intact.
    EXPECT_TRUE(program.exitCode() == 0 || program.exitCode() == 128 + SIGTERM)
        << "exit code " << program.exitCode();
    EXPECT_EQ(Stored(), stored);
}

INSTANTIATE_TEST_SUITE_P(Sigterm, Resized, ::testing::Values(Ending{SIGTERM, 2, true}));

}  // namespace
}  // namespace zarq::test
