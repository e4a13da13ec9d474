// The about dialog's layout and texts.
#include "desktop/dialogs/AboutForm.h"

#include <QKeyEvent>

#include "desktop/dialogs/DialogFont.h"

namespace zarq {

TAboutForm::TAboutForm()
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint) {
    setObjectName("AboutForm");
    setWindowTitle("About the author...");
    setFixedSize(275, 224);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    move(0, 0);

    Bevel_Foto = new QFrame(this);
    Bevel_Foto->setGeometry(9, 9, 256, 84);
    Bevel_Foto->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Bevel_Foto->setLineWidth(2);
    Im_Foto = new DialogPicture("Im_Foto", this);
    Im_Foto->setGeometry(9, 9, 252, 84);

    struct Row {
        QLabel** caption;
        QLabel** value;
        const char* captionText;
        const char* valueText;
    };
    const Row rows[] = {
        {&La_Name1, &La_Name2, "My real name:", "Dario Quarvel"},
        {&La_Place1, &La_Place2, "My birthplace:", "Lugano"},
        {&La_Date1, &La_Date2, "My birth date:", "14 March 1971"},
        {&La_Occupation1, &La_Occupation2, "My current occupation:", "Software developer"},
        {&La_Hobby1, &La_Hobby2, "My hobby:", "Old handheld games"},
    };
    int top = 104;
    for (const Row& row : rows) {
        auto* caption = new QLabel(row.captionText, this);
        caption->setGeometry(13, top, 140, 16);
        caption->setFont(ArialPx(11, false));
        caption->setStyleSheet("color: silver; background: transparent;");
        auto* value = new QLabel(row.valueText, this);
        value->setGeometry(13, top, 248, 16);  // right-aligned to x 261, under the caption
        value->setAttribute(Qt::WA_TransparentForMouseEvents);
        value->setFont(ArialPx(11, true));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setStyleSheet("color: white; background: transparent;");
        *row.caption = caption;
        *row.value = value;
        top += 24;
    }
}

bool TAboutForm::event(QEvent* event) {
    // ESC is the panel's exit shortcut; here it is the dialog's own key, never the program's end.
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void TAboutForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace zarq
