// Program entry: decodes the pictures, builds the panel on the real seams and shows it
// centred on the screen with the power switch off.
#include <QApplication>
#include <QFile>
#include <QMessageBox>

#include <memory>

#include "PanelWindow.h"
#include "PictureSet.h"
#include "QtSettingsStore.h"
#include "QtTimerHost.h"
#include "QtWindowHost.h"
#include "SilentSound.h"
#include "panel/Unit1.h"

namespace {
const QString kTitle = QStringLiteral("Zarq (Keldo) Simulator");

QByteArray ReadMask2() {
    QFile file(QStringLiteral(":/Mask2.bin"));
    if (!file.open(QIODevice::ReadOnly)) return {};  // no outline: the window stays rectangular
    return file.readAll();
}
}  // namespace

int main(int argc, char** argv) {
    // Whole scale factors only, so the pictures stay crisp on a high-density screen.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::RoundPreferFloor);
    QApplication app(argc, argv);
    QApplication::setApplicationName(kTitle);

    zarq::QtTimerHost timers;
    zarq::SilentSound sound;
    zarq::SilentPorts ports;
    zarq::QtWindowHost windowHost;
    zarq::TForm1 form(zarq::PanelSeams{
        timers.Scheduler(), sound, ports, windowHost,
        [](const std::string&) { return std::make_unique<zarq::QtSettingsStore>(); }});

    zarq::PictureSet pictures;
    if (const auto error = pictures.Load(zarq::PictureSet::ResourceFolder(),
                                         zarq::PictureSet::KeysOf(form))) {
        QMessageBox::critical(nullptr, kTitle, error->Text());
        return 1;
    }

    zarq::PanelWindow window(form, pictures, ReadMask2());
    windowHost.SetWindow(&window);
    window.CentreOnScreen();
    window.show();
    return QApplication::exec();
}
