#include "app/screen_room.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace korv::app {

namespace {

const QScreen* screenOf(const QWidget* window) {
    if (const QScreen* s = window->screen())
        return s;
    return QGuiApplication::primaryScreen();
}

bool isHorizontal(QBoxLayout::Direction d) { return d == QBoxLayout::LeftToRight || d == QBoxLayout::RightToLeft; }

} // namespace

QRect clientRoom(const QWidget* window) {
    const QScreen* s = screenOf(window);
    if (s == nullptr)
        return {};
    const QRect area = s->availableGeometry();
    return area.adjusted(kFrameRoom.width() / 2, kFrameRoom.height() - kFrameRoom.width() / 2, -kFrameRoom.width() / 2,
                         -kFrameRoom.width() / 2);
}

void resizeWithinScreen(QWidget* window, QSize wanted) {
    const QRect room = clientRoom(window);
    if (room.isValid())
        wanted = wanted.boundedTo(room.size()).expandedTo(window->minimumSizeHint().boundedTo(room.size()));
    window->resize(wanted);
}

void compactToFit(QWidget* window) {
    const QRect room = clientRoom(window);
    if (!room.isValid())
        return;
    const QList<QLayout*> layouts = window->findChildren<QLayout*>();
    // Each round takes a third of what is left of the room above and below the rows (down to a pixel)
    // and between them; the widths stay as designed, and a form that fits is left as it is.
    const auto tighter = [](int v) { return v <= 1 ? v : std::max(1, v - (v + 2) / 3); };
    const auto closer = [](int v) { return v - (v + 2) / 3; }; // rows framed by their boxes may touch
    for (int round = 0; round < 4 && window->sizeHint().height() > room.height(); ++round) {
        for (QLayout* l : layouts) {
            const QMargins m = l->contentsMargins();
            l->setContentsMargins(m.left(), tighter(m.top()), m.right(), tighter(m.bottom()));
            if (auto* grid = qobject_cast<QGridLayout*>(l))
                grid->setVerticalSpacing(closer(grid->verticalSpacing()));
            else if (auto* box = qobject_cast<QBoxLayout*>(l); box && !isHorizontal(box->direction()))
                box->setSpacing(closer(box->spacing()));
            l->invalidate();
        }
        window->adjustSize();
    }
}

void centreOver(QWidget* window, const QWidget* over) {
    const QRect room = clientRoom(over != nullptr ? over : window);
    if (!room.isValid())
        return;
    // The client area is placed, not the frame: before the window is first shown nobody knows its frame.
    const QPoint centre = over != nullptr && over->isVisible() ? over->geometry().center() : room.center();
    // A window never sized yet has Qt's default size, not the one its layout gives it on showing.
    QRect client(QPoint(), window->testAttribute(Qt::WA_Resized)
                               ? window->size()
                               : window->sizeHint().expandedTo(window->minimumSize()));
    client.moveCenter(centre);
    client.moveLeft(std::clamp(client.left(), room.left(), std::max(room.left(), room.right() - client.width() + 1)));
    client.moveTop(std::clamp(client.top(), room.top(), std::max(room.top(), room.bottom() - client.height() + 1)));
    // A window taller than the room a frame is allowed may still fit under the frame the window manager draws
    // (a thinner one than the room allows for): its frame, not its client area, is put at the top of the screen.
    if (client.height() > room.height()) {
        window->resize(client.size());
        window->move(client.left() - kFrameRoom.width() / 2, screenOf(window)->availableGeometry().top());
        return;
    }
    window->setGeometry(client);
}

void showOver(QWidget* window, const QWidget* over) {
    if (!window->isVisible())
        centreOver(window, over);
    window->show();
    window->raise();
    window->activateWindow();
}

void fitToText(QLabel* label) {
    const QWidget* window = label->parentWidget();
    const QMargins m = window && window->layout() ? window->layout()->contentsMargins() : QMargins();
    const int width = (window ? window->width() : label->width()) - m.left() - m.right();
    label->setMinimumHeight(label->heightForWidth(width));
    if (window && window->layout())
        window->layout()->activate(); // laid out now, not at the next turn of the event loop
}

} // namespace korv::app
