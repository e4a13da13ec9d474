// Screens of their own for the tests of one program: the offscreen platform reads them at start
// from a file, so the file is written and the one application made before the first test.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <memory>

namespace zarq::test {

// A screen in the platform's file: its name (the first by name is the primary screen), its
// place and size in device pixels, and its dots per inch (96 for 100 %).
inline QString OffscreenScreen(const char* name, int x, int y, int w, int h, int dpi = 96) {
    return QString::asprintf(R"({"name": "%s", "x": %d, "y": %d, "width": %d, "height": %d,)"
                             R"( "logicalDpi": %d, "logicalBaseDpi": 96})",
                             name, x, y, w, h, dpi);
}

// The application on `screens` (without `frames`, as on a desktop without a window manager),
// made before the first test and ended after the last: not at exit, when Qt's own globals may
// be gone. GoogleTest takes ownership of it.
class ScreensApplication : public ::testing::Environment {
  public:
    ScreensApplication(const QStringList& screens, bool frames)
        : config_(QString(R"({%1"screens": [%2]})")
                      .arg(frames ? "" : R"("windowFrameMargins": false, )", screens.join(", "))) {}
    void SetUp() override {
        const QString path = QDir::temp().filePath(
            QString("zarq-screens-%1.json").arg(QCoreApplication::applicationPid()));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly)) file.write(config_.toUtf8());
        file.close();
        qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + path).toUtf8());
        QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
            Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
        app_ = std::make_unique<QApplication>(argc_, argv_);
        QFile::remove(path);
    }
    void TearDown() override { app_.reset(); }

  private:
    QString config_;
    int argc_ = 1;
    char name_[16] = "zarq-app-tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

}  // namespace zarq::test
