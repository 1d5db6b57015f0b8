#include "controls/progress/f_about.h"

#include "controls/progress/about_rules.h"
#include "controls/progress/maillinkbox.h"
#include "ui_f_about.h"

#include <QDesktopServices>
#include <QFontMetrics>
#include <QMessageBox>
#include <QMouseEvent>
#include <QThread>
#include <QUrl>

using namespace tarvix;

f_About::f_About(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::f_About>()) {
    ui->setupUi(this);
    QFont title = ui->Label1->font();
    title.setBold(true);
    ui->Label1->setFont(title);
    QPalette red = ui->Label7->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    ui->Label7->setPalette(red);

    picture1_ = new MailLinkBox(ui->Label2);
    picture1_->installEventFilter(this);
    connect(ui->Command1, &QPushButton::clicked, this, &f_About::Command1_Click);

    sleep_ = [](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); };
    shellOpen_ = [](const QString& link) { return QDesktopServices::openUrl(QUrl(link)); };
    warning_ = [this](const QString& title, const QString& text) {
        QMessageBox::warning(this, title, text, QMessageBox::Ok);
    };
    Form_Load();
}

f_About::~f_About() {
    if (QWidget::mouseGrabber() == picture1_)
        picture1_->releaseMouse();
}

void f_About::Form_Load() {
    const QString mail = authorMail();
    const QFontMetrics fm(picture1_->font());
    picture1_->resize(fm.horizontalAdvance(mail), fm.height());

    // The author line leaves room between its parentheses, and the link box sits in that room.
    const QString before = QStringLiteral("Автор: ") + authorName() + QStringLiteral(" (");
    const QFontMetrics lfm(ui->Label2->font());
    QString room = QStringLiteral(" ");
    while (lfm.horizontalAdvance(room) < picture1_->width() + 2)
        room += QLatin1Char(' ');
    ui->Label2->setText(before + room + QStringLiteral(")"));
    ui->Label2->adjustSize();
    const int x = lfm.horizontalAdvance(before) + (lfm.horizontalAdvance(room) - picture1_->width()) / 2;
    const int y = (ui->Label2->sizeHint().height() - picture1_->height()) / 2;
    picture1_->move(x, y);

    PaintMailLink(0, picture1_, mail);
    setFixedSize(sizeHint());
}

void f_About::PaintMailLink(int look, MailLinkBox* box, const QString& text) {
    const MailLinkLook l = mailLinkLook(look);
    QFont f = box->font();
    f.setUnderline(l.underline);
    box->clear();
    box->printText(text, f, l.color);
    look_ = look;
    box->refresh();
}

void f_About::Picture1_MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y) {
    const bool outside = pointerOutside(x, y, picture1_->width(), picture1_->height());
    if (outside && picture1_->tag == QLatin1String("SetCapture")) {
        picture1_->tag.clear();
        PaintMailLink(0, picture1_, authorMail());
        picture1_->releaseMouse();
    } else if (!outside && picture1_->tag.isEmpty()) {
        picture1_->tag = QStringLiteral("SetCapture");
        PaintMailLink(1, picture1_, authorMail());
        // Every move goes to the box from now on, so that the move off it is seen.
        picture1_->grabMouse();
    }
}

void f_About::Picture1_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int, int) {
    picture1_->tag.clear();
    if (button != Qt::LeftButton || (shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)))
        return;
    PaintMailLink(2, picture1_, authorMail());
    sleep_(kBeforeMailMs);
    ShellOpen(QStringLiteral("mailto:") + authorMail());
    sleep_(kAfterMailMs);
    PaintMailLink(0, picture1_, authorMail());
}

void f_About::Command1_Click() { close(); }

bool f_About::ShellOpen(const QString& link) {
    if (shellOpen_(link))
        return true;
    warning_(windowTitle(), shellFailureText(link));
    return false;
}

bool f_About::eventFilter(QObject* watched, QEvent* event) {
    if (watched != picture1_)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseMove: {
        const auto* me = static_cast<QMouseEvent*>(event);
        const QPoint p = me->position().toPoint();
        Picture1_MouseMove(me->buttons(), me->modifiers(), p.x(), p.y());
        return true;
    }
    case QEvent::MouseButtonPress: {
        const auto* me = static_cast<QMouseEvent*>(event);
        const QPoint p = me->position().toPoint();
        Picture1_MouseDown(me->button(), me->modifiers(), p.x(), p.y());
        return true;
    }
    case QEvent::MouseButtonRelease:
        // A press ends the hover (its tag is cleared), and with it the capture, as the release of a
        // button ends any capture of the pointer; otherwise the rest of the form would stay deaf.
        if (QWidget::mouseGrabber() == picture1_)
            picture1_->releaseMouse();
        return true;
    default:
        return QDialog::eventFilter(watched, event);
    }
}
