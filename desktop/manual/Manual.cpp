// The manual: a window explaining the toy and its games, with pictures of the real panel.
#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "desktop/manual/Scenes.h"
#include "desktop/start/CommandLine.h"

int main(int argc, char** argv) {
    // The command line comes before Qt, as the simulator's does: --help, --version and a
    // mistyped option answer at once, without a display.
    const std::string program =
        argc > 0 ? std::filesystem::path(argv[0]).filename().string() : "zarq-simulator-manual";
    const zarq::ParsedCommandLine command =
        zarq::ParseCommandLine({argv + std::min(argc, 1), argv + argc}, zarq::ManualOptions());
    if (const auto exitCode =
            zarq::AnswerManualBeforeStart(command, program, std::cout, std::cerr)) {
        return *exitCode;
    }
    if (const std::string missing = zarq::MissingDisplay(
            std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"));
        !missing.empty()) {
        std::cerr << program << ": " << missing << '\n';
        return 2;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName("Zarq (Keldo) Manual");
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icon.png")));

    zarq::PictureSet pictures;
    if (const auto error = zarq::LoadPanelPictures(pictures)) {
        QMessageBox::critical(nullptr, QApplication::applicationName(), error->Text());
        return 1;
    }

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    page->setStyleSheet("background: #101418; color: #e8e8e8;");
    auto* heading = new QLabel(
        "<h1>Zarq (Keldo)</h1><p>Arrow keys: the control pad. CTRL: the "
        "speed and fire button. Click the switch to turn the toy on or off; "
        "right click the toy for the menu.</p>");
    heading->setWordWrap(true);
    layout->addWidget(heading);
    for (const zarq::Scene& scene : zarq::MakeScenes(pictures)) {
        auto* text = new QLabel(QString("<h2>%1</h2><p>%2</p>").arg(scene.Title, scene.Text));
        text->setWordWrap(true);
        layout->addWidget(text);
        if (!scene.Screen.isNull()) {
            auto* picture = new QLabel;
            // Twice the size, pixel for pixel, so the segments stay crisp.
            picture->setPixmap(QPixmap::fromImage(scene.Screen.scaled(
                scene.Screen.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
            layout->addWidget(picture);
        }
    }
    layout->addStretch();

    QScrollArea window;
    window.setWindowTitle(QApplication::applicationName());
    window.setWidget(page);
    window.setWidgetResizable(true);
    window.resize(600, 700);
    window.show();
    return QApplication::exec();
}
