// Program entry: the command line read before anything else, the data folder made current, the
// panel built on the real seams and kept hidden, the options dialog and the about dialog; the
// first activation of the panel brings the options dialog forward, and "- PLAY -" starts sound
// and shows the panel centred.
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QMessageBox>
#include <QPointer>
#include <QSettings>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>

#include "core/record/ReplayLink.h"
#include "core/record/Verify.h"
#include "core/session/PlaySession.h"
#include "core/session/SettingsKeys.h"
#include "desktop/dialogs/AboutForm.h"
#include "desktop/dialogs/SplashForm.h"
#include "desktop/input/PlayerControls.h"
#include "desktop/recordings/BestScoreFiles.h"
#include "desktop/recordings/RecordingControl.h"
#include "desktop/sound/SdlSound.h"
#include "desktop/start/CommandLine.h"
#include "desktop/start/DataDir.h"
#include "desktop/start/ExitSignals.h"
#include "desktop/start/LoggedSound.h"
#include "desktop/start/QtSettingsStore.h"
#include "desktop/window/FirstPaintExit.h"
#include "desktop/window/PanelWindow.h"
#include "desktop/window/PictureSet.h"
#include "desktop/window/QtTimerHost.h"
#include "desktop/window/QtWindowHost.h"

namespace {
const QString kTitle = QStringLiteral("Zarq (Keldo) Simulator");

QByteArray ReadMask2() {
    QFile file(QStringLiteral(":/Mask2.bin"));
    if (!file.open(QIODevice::ReadOnly)) return {};  // no outline: the window stays rectangular
    return file.readAll();
}
}  // namespace

int main(int argc, char** argv) {
    // The command line comes before Qt, so that --help, --version and a mistyped option
    // answer at once, without a display.
    const std::string program =
        argc > 0 ? std::filesystem::path(argv[0]).filename().string() : "zarq-simulator";
    zarq::ParsedCommandLine command =
        zarq::ParseCommandLine({argv + std::min(argc, 1), argv + argc});
    const auto dataFolder = [argv] {
        return zarq::FindDataDir(zarq::RunningExecutableDir(argv[0])).toStdString();
    };
    if (const auto exitCode =
            zarq::AnswerBeforeStart(command, program, dataFolder, std::cout, std::cerr)) {
        return *exitCode;
    }
    zarq::CommandLine& line = command.Line;
    if (!line.Record.empty() + !line.Playback.empty() + !line.Verify.empty() > 1) {
        std::cerr << program << ": --record, --playback and --verify go one at a time\n";
        return 2;
    }
    // The address of the web edition or a scoreboard is stored for the best scores' links and
    // submissions, whatever else is asked.
    if (!line.WebAddress.empty()) {
        QSettings stored(QString::fromLatin1(zarq::settings::kOrganisation),
                         QString::fromLatin1(zarq::settings::kApplication));
        stored.setValue(QString::fromLatin1(zarq::settings::kWebAddress),
                        QString::fromStdString(line.WebAddress));
        stored.sync();
        if (stored.status() != QSettings::NoError) {
            std::cerr << program << ": the web address could not be stored in "
                      << stored.fileName().toStdString() << '\n';
        }
    }
    // No window, no display, no sound: the recording's play on the virtual clock (a file's,
    // or a replay link's).
    if (!command.Line.Verify.empty())
        return zarq::VerifyFile(command.Line.Verify, std::cout, std::cerr);
    if (const std::string missing = zarq::MissingDisplay(
            std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"));
        !missing.empty()) {
        std::cerr << program << ": " << missing << '\n';
        return 2;
    }

    // The screen's own ratio, fractional ones included: the panel is painted from a finer
    // picture set and scaled down, so it stays crisp at 125 % and 150 % too.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QApplication app(argc, argv);
    QApplication::setApplicationName(kTitle);
    QApplication::setApplicationVersion(QStringLiteral(ZARQ_VERSION));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icon.png")));
    zarq::QuitAfterFirstPaintIfAsked();

    // Names given on the command line are relative to the folder the program was started in,
    // as every command-line program's are; made absolute before that folder is left.
    for (std::string* name : {&line.Record, &line.Playback}) {
        std::error_code failed;
        if (!name->empty() && !zarq::IsReplayLink(*name))
            *name = std::filesystem::absolute(*name, failed).string();
    }
    // The sound files and documents are opened by names relative to the current directory:
    // make the data folder current, wherever the program was started from.
    zarq::EnterDataDir(QApplication::applicationDirPath());

    // Before any sound start-up, so that the termination signals are ours, not the sound
    // library's; they are answered in whatever event loop runs, the message boxes shown
    // before the main loop included (the exit item once there is one), and the watchdog ends
    // the process should that not be done within its grace period.
    QPointer<QAction> exitItem;
    zarq::ExitSignals exitSignals;
    // A file-size limit fails the write (a recording then says so and stops) instead of
    // ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QObject::connect(
        &exitSignals, &zarq::ExitSignals::Received, &app,
        [&exitItem] {
            // Ctrl+C, kill and a closed terminal: the exit item's way out. Every event loop
            // ends too, a dialog's or a message box's before the main loop runs included (where
            // quit() does nothing).
            if (exitItem != nullptr) exitItem->trigger();
            QCoreApplication::exit(0);
        },
        Qt::SingleShotConnection);

    zarq::QtTimerHost timers;
    const std::unique_ptr<zarq::SdlSound> sound = zarq::OpenSdlSound();
    zarq::LoggedSound loggedSound(sound->Library());
    zarq::QtWindowHost windowHost;
    // The best scores' recordings, in the user's data folder; it outlives the session.
    zarq::BestScoreFiles bestScores(zarq::BestScoreFiles::DefaultFolder());
    zarq::PlaySession session(zarq::SessionSeams{
        [&timers] { return timers.Now(); }, loggedSound, sound->Ports(), windowHost,
        [](const std::string&) { return std::make_unique<zarq::QtSettingsStore>(); },
        ZARQ_VERSION});
    timers.Drive(&session);

    zarq::PictureSet pictures;
    if (const auto error = pictures.Load(zarq::PictureSet::ResourceFolder(),
                                         zarq::PictureKeysOf(session.Panel()))) {
        QMessageBox::critical(nullptr, kTitle, error->Text());
        return 1;
    }

    // The panel first, hidden until the player presses play: no desktop has to be trusted to
    // keep a window off its screen (many pull it back, and Wayland places windows itself).
    zarq::PanelWindow window(session, pictures, ReadMask2());
    windowHost.SetWindow(&window);

    zarq::TSplashForm splash(session, windowHost, &window);
    zarq::TAboutForm about;
    splash.SetAboutForm(&about);
    splash.InsertBeforeExit(window.Sizing().ZoomMenu());
    window.SetContextMenu(splash.PM_Menu);
    windowHost.SetOptionsDialog([&splash] {
        splash.show();
        splash.raise();
        splash.activateWindow();
    });
    QObject::connect(
        &splash, &zarq::TSplashForm::Terminate, &app, [] { QCoreApplication::exit(1); },
        Qt::QueuedConnection);
    // The player's keys and game controllers, and the "Controls..." item.
    QSettings settings(QString::fromLatin1(zarq::settings::kOrganisation),
                       QString::fromLatin1(zarq::settings::kApplication));
    zarq::PlayerControls controls(window, *splash.PM_Menu, settings);
    exitItem = splash.PM_10Exit;

    // For tests of the whole program on a desktop where no click can be aimed at the dialog
    // (Wayland): with ZARQ_TEST_STDIN set, a line "play" on standard input presses "- PLAY -";
    // "busy" holds the GUI thread in a loop for ever, for tests of the ending signals.
    if (qEnvironmentVariableIsSet("ZARQ_TEST_STDIN")) {
        auto* input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &app);
        QObject::connect(input, &QSocketNotifier::activated, &splash, [input, &splash] {
            char text[64];
            const ssize_t n = ::read(STDIN_FILENO, text, sizeof text);
            if (n <= 0) {
                input->setEnabled(false);  // end of input: nothing more will come
                return;
            }
            const QByteArray said(text, static_cast<int>(n));
            if (said.startsWith("play")) splash.Puls_Play->click();
            // An event loop that never comes back, as a window resized in a loop would keep
            // it: only the watchdog can end the program now.
            if (said.startsWith("busy")) {
                std::cerr << "holding the event loop" << std::endl;
                for (int i = 0;; ++i) {
                    splash.move(i % 2 * 40, 0);
                    QCoreApplication::sendPostedEvents();
                }
            }
        });
    }

    zarq::RecordingControl recordings(session, window);
    recordings.EnableBestScores(bestScores, settings);
    const QList<QAction*> items = splash.PM_Menu->actions();
    const qsizetype exitAt = items.indexOf(splash.PM_10Exit);
    recordings.AddMenuItems(splash.PM_Menu, exitAt > 0 ? items[exitAt - 1] : splash.PM_10Exit);
    // However the program ends in order (the menu's exit, the window closed, a termination
    // signal), the play under way ends as "closed" and is kept when it ranks.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &recordings, [&recordings] {
        recordings.Close();
        recordings.StopRecording();
    });
    if (const QString record = QString::fromStdString(command.Line.Record); !record.isEmpty()) {
        // Tried at once, so that a file that cannot be written is said before play; the
        // recording itself begins at "- PLAY -", whose choices its header holds.
        QString error = recordings.StartRecording(record);
        recordings.StopRecording();
        if (!error.isEmpty()) {
            std::cerr << error.toStdString() << '\n';
            QMessageBox::critical(nullptr, kTitle, error);
            return 2;
        }
        QObject::connect(splash.Puls_Play, &QPushButton::clicked, &recordings,
                         [&recordings, &window, record] {
                             if (recordings.IsRecording()) return;
                             const QString failed = recordings.StartRecording(record);
                             if (!failed.isEmpty()) QMessageBox::warning(&window, kTitle, failed);
                         });
    }
    if (const std::string& playback = command.Line.Playback; !playback.empty()) {
        // The options dialog is skipped: its first showing is taken as done.
        session.SkipOptionsDialog();
        const QString error = recordings.StartPlayback(QString::fromStdString(playback));
        if (!error.isEmpty()) {
            // A link's reason says it is the link's; the link itself is not repeated.
            const bool link = zarq::IsReplayLink(playback);
            std::cerr << (link ? std::string() : playback + ": ") << error.toStdString() << '\n';
            QMessageBox::critical(nullptr, kTitle,
                                  link ? QStringLiteral("The link cannot be played:\n%1").arg(error)
                                       : QStringLiteral("%1 cannot be played:\n%2")
                                             .arg(QString::fromStdString(playback), error));
            return 2;
        }
        splash.PlayWithStoredChoices();
    } else {
        splash.show();
    }
    // The hidden panel's first activation is taken as soon as the event loop runs: it brings
    // the options dialog forward once; the activation that follows play does nothing.
    QTimer::singleShot(0, &window, [&session] { session.Activate(); });
    const int exitCode = QApplication::exec();
    recordings.Close();  // an end without aboutToQuit, before anything is taken down
    timers.Drive(nullptr);
    return exitCode;
}
