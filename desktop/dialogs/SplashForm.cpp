// The options dialog: its look, the stored choices, "- PLAY -" and the program's menu.
#include "desktop/dialogs/SplashForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "desktop/dialogs/DialogFont.h"

namespace zarq {

namespace {
const char* const kTitle = "Zarq (Keldo) Simulator";
const char* const kWebAddress = "http://www.quarvel.example/zarq";
const char* const kMailAddress = "zarq@quarvel.example";
constexpr int kPanelWidth = 490;
constexpr int kPanelHeight = 580;
constexpr QSize kDialogSize(269, 515);
// Device pixels kept free for a desktop's bar where the screen's available area is not known.
constexpr int kDesktopBarReserve = 48;

QLabel* MakeLabel(QWidget* parent, const QString& text, QRect geometry, const QFont& font,
                  const char* colour, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    label->setFont(font);
    label->setAlignment(align);
    label->setStyleSheet(QString("color: %1; background: transparent;").arg(colour));
    label->setFocusPolicy(Qt::NoFocus);
    return label;
}

QComboBox* MakeList(QWidget* parent, QRect geometry, const QStringList& items) {
    auto* list = new QComboBox(parent);
    list->setGeometry(geometry);
    list->addItems(items);
    list->setEditable(false);
    list->setCurrentIndex(-1);
    list->setFocusPolicy(Qt::NoFocus);
    list->setFont(ArialPx(11));
    // The labels' small font, so the longest entry fits the list's 97 pixels.
    list->setStyleSheet("QComboBox { background: white; color: black; padding-left: 2px; }");
    return list;
}

// A stored code shows as that list position; anything outside the list shows nothing.
void SelectCode(QComboBox* list, int code) {
    list->setCurrentIndex(code >= 0 && code < list->count() ? code : -1);
}
}  // namespace

TSplashForm::TSplashForm(PlaySession& session, WindowHost& host, QWidget* panelWindow)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::MSWindowsFixedSizeDialogHint),
      session_(session),
      host_(host),
      panelWindow_(panelWindow) {
    setObjectName("SplashForm");
    setWindowTitle("About Zarq (Keldo)");
    setFixedSize(kDialogSize);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);

    const auto centred = Qt::AlignHCenter | Qt::AlignVCenter;
    La_Title = MakeLabel(this, kTitle, {10, 16, 249, 15}, ArialPx(12, true), "white", centred);
    La_Version = MakeLabel(this, QString("Version %1").arg(QApplication::applicationVersion()),
                           {87, 32, 96, 15}, ArialPx(12, true), "white", centred);
    Im_Piccina = new DialogPicture("Im_Piccina", this);
    Im_Piccina->setGeometry(33, 52, 204, 286);
    La_Released = MakeLabel(this, "Released by Quarvel Software, December 2026", {13, 349, 243, 14},
                            ArialPx(11), "white", centred);
    La_Http =
        MakeLabel(this, kWebAddress, {36, 372, 198, 15}, ArialPx(12, false, true), "aqua", centred);
    La_Http->setCursor(Qt::PointingHandCursor);
    La_Email = MakeLabel(this, kMailAddress, {24, 394, 222, 15}, ArialPx(12, false, true), "aqua",
                         centred);
    La_Email->setCursor(Qt::PointingHandCursor);
    La_Sound = MakeLabel(this, "Select sound mode:", {32, 421, 100, 14}, ArialPx(11), "white");
    CB_Sound = MakeList(this, {139, 418, 97, 21}, {"Windows MM", "DirectSound", "(no sound)"});
    La_System = MakeLabel(this, " Windows version:", {32, 449, 91, 14}, ArialPx(11), "white");
    CB_System = MakeList(this, {139, 446, 97, 21}, {"95, 98, ME, NT", "2000"});
    Puls_Play = new QPushButton("- PLAY -", this);
    Puls_Play->setGeometry(102, 482, 65, 25);
    QFont bold = Puls_Play->font();
    bold.setBold(true);
    Puls_Play->setFont(bold);
    Puls_Play->setCursor(Qt::PointingHandCursor);
    Puls_Play->setFocusPolicy(Qt::NoFocus);

    connect(CB_Sound, &QComboBox::activated, this, [this] { CB_SoundChange(); });
    connect(CB_System, &QComboBox::activated, this, [this] { CB_SystemChange(); });
    connect(Puls_Play, &QPushButton::clicked, this, [this] { Puls_PlayClick(); });
    La_Http->installEventFilter(this);
    La_Email->installEventFilter(this);

    for (QObject* child : children()) {
        auto* control = qobject_cast<QWidget*>(child);
        if (control != nullptr && !control->isWindow())
            layout_.push_back({control, control->geometry(), control->font()});
    }

    BuildMenu();
    FormCreate();
    CentreOnScreen();
}

DialogFit FitDialog(QSize client, QMargins frame, const QRect& available) {
    const int roomX = available.width() - frame.left() - frame.right();
    const int roomY = available.height() - frame.top() - frame.bottom();
    DialogFit fit;
    if (client.width() > 0 && client.height() > 0) {
        fit.Scale = std::clamp(
            std::min(roomX / double(client.width()), roomY / double(client.height())), 0.1, 1.0);
    }
    const QSize frameSize(
        static_cast<int>(client.width() * fit.Scale) + frame.left() + frame.right(),
        static_cast<int>(client.height() * fit.Scale) + frame.top() + frame.bottom());
    fit.FrameTopLeft =
        QPoint(available.x() + std::max(0, (available.width() - frameSize.width()) / 2),
               available.y() + std::max(0, (available.height() - frameSize.height()) / 2));
    return fit;
}

void TSplashForm::ApplyContentScale(double scale) {
    if (scale == contentScale_) return;
    contentScale_ = scale;
    // Every edge goes through the same rounding, so neighbours keep their distances.
    const auto at = [scale](int v) { return static_cast<int>(std::floor(v * scale + 0.5)); };
    setFixedSize(static_cast<int>(kDialogSize.width() * scale),
                 static_cast<int>(kDialogSize.height() * scale));
    for (const Placed& p : layout_) {
        const QRect& g = p.Geometry;
        p.Control->setGeometry(
            QRect(QPoint(at(g.left()), at(g.top())),
                  QPoint(at(g.left() + g.width()) - 1, at(g.top() + g.height()) - 1)));
        QFont font = p.Font;
        if (font.pixelSize() > 0) {
            font.setPixelSize(std::max(1, at(font.pixelSize())));
        } else {
            font.setPointSizeF(font.pointSizeF() * scale);
        }
        p.Control->setFont(font);
    }
}

void TSplashForm::BuildMenu() {
    PM_Menu = new QMenu(this);
    PM_1About = PM_Menu->addAction("About...");
    PM_1About->setShortcut(Qt::Key_F1);
    PM_Menu->setDefaultAction(PM_1About);  // shown bold
    PM_Menu->addSeparator();
    PM_3Readme = PM_Menu->addAction("View 'Readme.txt'");
    PM_3Readme->setShortcut(Qt::Key_F2);
    PM_4Whatsnew = PM_Menu->addAction("View 'Whatsnew.txt'");
    PM_4Whatsnew->setShortcut(Qt::Key_F3);
    PM_Menu->addSeparator();
    PM_6Instruct = PM_Menu->addAction("Open 'Manual.exe'");
    PM_6Instruct->setShortcut(Qt::Key_F4);
    PM_Menu->addSeparator();
    PM_8Hiscore = PM_Menu->addAction("Reset Hiscores");
    PM_8Hiscore->setEnabled(false);
    PM_Menu->addSeparator();
    PM_10Exit = PM_Menu->addAction("E&xit");
    PM_10Exit->setShortcut(Qt::Key_Escape);

    connect(PM_1About, &QAction::triggered, this, [this] {
        if (about_ != nullptr) {
            about_->show();
            about_->raise();
            // Without a window manager nothing else gives it the keys.
            about_->activateWindow();
        }
    });
    connect(PM_3Readme, &QAction::triggered, this, [this] { host_.ShellOpen("readme.txt"); });
    connect(PM_4Whatsnew, &QAction::triggered, this, [this] { host_.ShellOpen("whatsnew.txt"); });
    connect(PM_6Instruct, &QAction::triggered, this, [this] { host_.ShellOpen("Manual.EXE"); });
    connect(PM_10Exit, &QAction::triggered, this, [this] {
        if (panelWindow_ != nullptr) panelWindow_->close();
    });
    // The shortcuts act while the panel has the keyboard focus.
    if (panelWindow_ != nullptr) {
        for (QAction* action : PM_Menu->actions()) {
            action->setShortcutContext(Qt::WindowShortcut);
            panelWindow_->addAction(action);
        }
    }
}

void TSplashForm::SetAboutForm(QWidget* about) {
    if (about_ != nullptr) about_->removeEventFilter(this);
    about_ = about;
    if (about_ != nullptr) about_->installEventFilter(this);
    if (panelWindow_ != nullptr) panelWindow_->installEventFilter(this);
}

void TSplashForm::InsertBeforeExit(QMenu* submenu) {
    const QList<QAction*> actions = PM_Menu->actions();
    const qsizetype exit = actions.indexOf(PM_10Exit);
    QAction* before = exit > 0 && actions[exit - 1]->isSeparator() ? actions[exit - 1] : PM_10Exit;
    PM_Menu->insertMenu(before, submenu);
}

void TSplashForm::FormCreate() {
    SelectCode(CB_Sound, session_.StoredSoundMode().value_or(-1));
    SelectCode(CB_System, session_.StoredSystem().value_or(-1));
    Puls_Play->setEnabled(!CB_Sound->currentText().isEmpty() &&
                          !CB_System->currentText().isEmpty());
}

void TSplashForm::CB_SoundChange() {
    if (!CB_Sound->currentText().isEmpty() && !CB_System->currentText().isEmpty()) {
        Puls_Play->setEnabled(true);
    }
}

void TSplashForm::CB_SystemChange() {
    CB_SoundChange();
}

void TSplashForm::Puls_PlayClick() {
    // The lists hold the choices in the order of their stored codes.
    if (!session_.Play(CB_Sound->currentIndex(), CB_System->currentIndex(),
                       [this] { ShowPanel(); }))
        emit Terminate();
}

void TSplashForm::PlayWithStoredChoices() {
    // The lists show the stored choices (FormCreate): with both, it is "- PLAY -" itself.
    if (!CB_Sound->currentText().isEmpty() && !CB_System->currentText().isEmpty()) {
        Puls_PlayClick();
        return;
    }
    ShowPanel();
}

void TSplashForm::ShowPanel() {
    hide();
    // The panel is centred by its size at the chosen zoom; on a screen too low for it and a
    // margin of 20 pixels its top stays at the screen's top.
    const QSize panel =
        panelWindow_ != nullptr ? panelWindow_->size() : QSize(kPanelWidth, kPanelHeight);
    const TPoint screen = host_.ScreenSize();
    const int top = screen.Y > panel.height() + 20 ? (screen.Y - panel.height()) / 2 : 0;
    host_.MoveWindow((screen.X - panel.width()) / 2, top);
    // The panel appears only now, in its place: before play nothing of it is on the screen.
    if (panelWindow_ != nullptr) {
        panelWindow_->show();
        panelWindow_->raise();
        panelWindow_->activateWindow();  // the keys go to the toy
    }
}

void TSplashForm::La_HttpClick() {
    host_.ShellOpen(kWebAddress);
}

void TSplashForm::La_EmailClick() {
    host_.ShellOpen(std::string("mailto:") + kMailAddress);
}

void TSplashForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    CentreOnScreen();  // wherever it was, it shows in the middle of the screen
}

void TSplashForm::closeEvent(QCloseEvent* event) {
    // Hidden, the dialog would leave a program running with no window to end it.
    event->accept();
    PM_10Exit->trigger();
}

bool TSplashForm::eventFilter(QObject* watched, QEvent* event) {
    if (about_ != nullptr && watched == about_ && event->type() == QEvent::Hide &&
        panelWindow_ != nullptr && panelWindow_->isVisible()) {
        panelWindow_->activateWindow();  // the keys go back to the toy
    }
    // ESC that reaches the panel while the about dialog shows (its keyboard focus was not
    // moved) closes the dialog instead of ending the program.
    if (watched == panelWindow_ && about_ != nullptr && about_->isVisible() &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        event->accept();
        if (event->type() == QEvent::KeyPress) about_->close();
        return true;
    }
    // A link opens as a button clicks: a left-button release over the label that was pressed.
    if (event->type() == QEvent::MouseButtonRelease &&
        (watched == La_Http || watched == La_Email)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const auto* label = static_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton &&
            label->rect().contains(mouse->position().toPoint())) {
            if (watched == La_Http) La_HttpClick();
            if (watched == La_Email) La_EmailClick();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TSplashForm::CentreOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    // The frame is known once the window system has framed the dialog; until then none.
    const QWindow* window = windowHandle();
    fittedFrame_ = window != nullptr ? window->frameMargins() : QMargins();
    QRect area = screen->availableGeometry();
    if (QGuiApplication::platformName() == QLatin1String("wayland") && area == screen->geometry()) {
        // A Wayland compositor tells no client where its own bars are: room is kept for one.
        area.setHeight(area.height() - static_cast<int>(std::ceil(kDesktopBarReserve /
                                                                  screen->devicePixelRatio())));
    }
    const DialogFit fit = FitDialog(kDialogSize, fittedFrame_, area);
    ApplyContentScale(fit.Scale);
    move(fit.FrameTopLeft);
}

bool TSplashForm::event(QEvent* event) {
    // A frame that arrives after the dialog shows (the window manager's, or drawn by Qt on
    // Wayland) may no longer leave room for it: fitted again, once for each new frame.
    if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) && isVisible() &&
        windowHandle() != nullptr && windowHandle()->frameMargins() != fittedFrame_) {
        CentreOnScreen();
    }
    return QWidget::event(event);
}

}  // namespace zarq
