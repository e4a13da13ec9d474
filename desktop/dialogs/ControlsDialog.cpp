// The controls dialog: a grid of fields, one capture at a time.
#include "desktop/dialogs/ControlsDialog.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <algorithm>

#include "desktop/input/QtKeys.h"

namespace zarq {

namespace {
constexpr ToyControl kControls[] = {ToyControl::Up, ToyControl::Down, ToyControl::Left,
                                    ToyControl::Right, ToyControl::Fire};

bool IsDirection(ToyControl c) {
    return c != ToyControl::Fire;
}

QString Caption(ToyControl c) {
    return QString::fromLatin1(ControlLabel(c));
}
}  // namespace

ControlsDialog::ControlsDialog(const KeyBindings& keys, const PadBindings& pads,
                               std::vector<std::string> reserved, std::function<int()> takeButton,
                               QWidget* parent)
    : QDialog(parent),
      keys_(keys),
      pads_(pads),
      reserved_(std::move(reserved)),
      takeButton_(std::move(takeButton)) {
    setWindowTitle(QStringLiteral("Controls"));
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("<b>Control</b>")), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("<b>Key</b>")), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("<b>Game controller</b>")), 0, 2);
    for (ToyControl c : kControls) {
        const int i = static_cast<int>(c);
        grid->addWidget(new QLabel(Caption(c)), i + 1, 0);
        keyFields_[i] = new QPushButton;
        keyFields_[i]->setMinimumWidth(110);
        keyFields_[i]->setAutoDefault(false);
        grid->addWidget(keyFields_[i], i + 1, 1);
        padFields_[i] = new QPushButton;
        padFields_[i]->setMinimumWidth(230);
        padFields_[i]->setAutoDefault(false);
        padFields_[i]->setEnabled(takeButton_ != nullptr);
        grid->addWidget(padFields_[i], i + 1, 2);
        connect(keyFields_[i], &QPushButton::clicked, this, [this, c] { WaitForKey(c); });
        connect(padFields_[i], &QPushButton::clicked, this, [this, c] { WaitForButton(c); });
    }
    grid->addWidget(new QLabel(QStringLiteral("Power switch")), 6, 0);
    grid->addWidget(new QLabel(QStringLiteral("mouse")), 6, 1);
    grid->addWidget(new QLabel(QStringLiteral("Start")), 6, 2);
    grid->addWidget(new QLabel(QStringLiteral("Menu")), 7, 0);
    grid->addWidget(new QLabel(QStringLiteral("right click")), 7, 1);
    grid->addWidget(new QLabel(QStringLiteral("Back")), 7, 2);

    status_ = new QLabel(QStringLiteral("Click a field, then press the key or button for it."));
    status_->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    defaults_ = buttons->addButton(QStringLiteral("Defaults"), QDialogButtonBox::ResetRole);
    for (QAbstractButton* b : buttons->buttons()) {
        if (auto* push = qobject_cast<QPushButton*>(b)) push->setAutoDefault(false);
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(defaults_, &QPushButton::clicked, this, [this] {
        StopWaiting();
        keys_ = KeyBindings::Defaults();
        pads_ = PadBindings::Defaults();
        status_->setText(QStringLiteral("The arrow keys, Ctrl and the default buttons."));
        Show();
    });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(status_);
    layout->addWidget(buttons);

    buttonPoll_.setInterval(16);
    connect(&buttonPoll_, &QTimer::timeout, this, [this] { PollButton(); });
    Show();
}

std::vector<std::string> ControlsDialog::ShortcutKeys(const QWidget& widget) {
    // The panel's zoom keys (with Ctrl) are its own, not a menu item's.
    std::vector<std::string> keys{QtKeyName(Qt::Key_Plus), QtKeyName(Qt::Key_Equal),
                                  QtKeyName(Qt::Key_Minus)};
    for (const QAction* action : widget.actions()) {
        for (const QKeySequence& sequence : action->shortcuts()) {
            for (int i = 0; i < sequence.count(); ++i) keys.push_back(QtKeyName(sequence[i].key()));
        }
    }
    return keys;
}

void ControlsDialog::Show() {
    for (ToyControl c : kControls) {
        const int i = static_cast<int>(c);
        keyFields_[i]->setText(waitingKey_ == c ? QStringLiteral("Press a key...")
                                                : QString::fromStdString(keys_.Key(c)));
        QStringList names;
        for (int b : pads_.Of(c)) names << QString::fromStdString(PadButtonLabel(b));
        if (IsDirection(c)) names << QStringLiteral("left stick");
        padFields_[i]->setText(waitingButton_ == c ? QStringLiteral("Press a button...")
                                                   : names.join(QStringLiteral(", ")));
    }
}

void ControlsDialog::PollButton() {
    if (!waitingButton_ || !takeButton_) return;
    const int button = takeButton_();
    if (button >= 0) AssignButton(button);
}

void ControlsDialog::WaitForKey(ToyControl c) {
    StopWaiting();
    waitingKey_ = c;
    status_->setText(
        QStringLiteral("Press the key for %1 (Esc: leave it as it is).").arg(Caption(c).toLower()));
    qApp->installEventFilter(this);
    Show();
}

void ControlsDialog::WaitForButton(ToyControl c) {
    StopWaiting();
    if (!takeButton_) return;
    takeButton_();  // what was pressed before does not count
    waitingButton_ = c;
    status_->setText(QStringLiteral("Press the controller button for %1 (Esc: leave it as it is).")
                         .arg(Caption(c).toLower()));
    qApp->installEventFilter(this);
    buttonPoll_.start();
    Show();
}

void ControlsDialog::StopWaiting() {
    if (waitingKey_ || waitingButton_) qApp->removeEventFilter(this);
    waitingKey_.reset();
    waitingButton_.reset();
    buttonPoll_.stop();
    Show();
}

bool ControlsDialog::eventFilter(QObject* watched, QEvent* event) {
    // While a key is awaited every key pressed in the dialog is the answer: it neither moves
    // the focus, nor clicks the focused button, nor works a shortcut.
    const auto* widget = qobject_cast<QWidget*>(watched);
    const bool ours = widget != nullptr && widget->window() == this;
    if (!ours || (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride &&
                  event->type() != QEvent::KeyRelease)) {
        return QDialog::eventFilter(watched, event);
    }
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();  // the key comes as a key press, not as a shortcut
        return false;
    }
    if (event->type() == QEvent::KeyRelease) return true;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->isAutoRepeat()) return true;
    if (key->key() == Qt::Key_Escape) {
        StopWaiting();
        status_->setText(QStringLiteral("Nothing changed."));
        return true;
    }
    if (waitingKey_) AssignKey(key->key());
    return true;
}

void ControlsDialog::AssignKey(int qtKey) {
    if (!waitingKey_) return;
    const ToyControl c = *waitingKey_;
    const std::string key = QtKeyName(qtKey);
    const QString name = QString::fromStdString(key);
    const KeyRefusal refusal = keys_.Check(c, key, reserved_);
    switch (refusal.Reason) {
        case KeyRefusal::Why::NoKey:
            status_->setText(QStringLiteral("That key cannot be used; press another."));
            return;
        case KeyRefusal::Why::Reserved:
            status_->setText(
                QStringLiteral("%1 belongs to the menu; press another key.").arg(name));
            return;
        case KeyRefusal::Why::Taken:
            status_->setText(QStringLiteral("%1 is already the key of %2; press another key.")
                                 .arg(name, Caption(refusal.Owner).toLower()));
            return;
        case KeyRefusal::Why::None:
            break;
    }
    keys_.Assign(c, key, reserved_);
    StopWaiting();
    status_->setText(QStringLiteral("%1: %2.").arg(Caption(c), name));
}

void ControlsDialog::AssignButton(int button) {
    if (!waitingButton_) return;
    const ToyControl c = *waitingButton_;
    const QString name = QString::fromStdString(PadButtonLabel(button));
    const PadRefusal refusal = pads_.Check(c, button);
    switch (refusal.Reason) {
        case PadRefusal::Why::NoButton:
            status_->setText(QStringLiteral("%1 cannot be used; press another.").arg(name));
            return;
        case PadRefusal::Why::Reserved:
            status_->setText(
                QStringLiteral("%1 belongs to the power switch or the menu; press another.")
                    .arg(name));
            return;
        case PadRefusal::Why::Taken:
            status_->setText(QStringLiteral("%1 is already a button of %2; press another.")
                                 .arg(name, Caption(refusal.Owner).toLower()));
            return;
        case PadRefusal::Why::None:
            break;
    }
    pads_.Assign(c, button);
    StopWaiting();
    status_->setText(QStringLiteral("%1: %2.").arg(Caption(c), name));
}

}  // namespace zarq
