#include "capture/handwriting_input.h"

#include <QMouseEvent>
#include <QPixmap>
#include <QWidget>
#include "capture/sign_in.h"
#include "platform/native_path.h"
#include "text/tstring.h"

namespace {

QCursor LoadCursor(const tstring& file, QPoint hot_spot, Qt::CursorShape fallback) {
    const QPixmap picture(QString::fromStdString(vantor::ToNativePath(file)));
    return picture.isNull() ? QCursor(fallback) : QCursor(picture, hot_spot.x(), hot_spot.y());
}

}  // namespace

HandwritingInput::HandwritingInput(QWidget& window, SignIn& sign_in, QRect preview,
                                   std::function<bool()> double_click_saves)
    : window_(window),
      sign_in_(sign_in),
      preview_(preview),
      double_click_saves_(std::move(double_click_saves)),
      ink_cursor_(LoadCursor(kInkCursor, QPoint(3, 28), Qt::CrossCursor)),
      highlighter_cursor_(LoadCursor(kHighlighterCursor, QPoint(4, 27), Qt::CrossCursor)) {
    window_.installEventFilter(this);
}

HandwritingInput::~HandwritingInput() {
    window_.removeEventFilter(this);
}

void HandwritingInput::ShowPenOver(QWidget& widget) {
    widget.setCursor(ink_cursor_);
    pen_widgets_.push_back(&widget);
}

void HandwritingInput::ShowPen(QPoint at) {
    const QCursor& pen = sign_in_.PenKind() == kHighlighter ? highlighter_cursor_ : ink_cursor_;
    for (QWidget* widget : pen_widgets_) {
        widget->setCursor(pen);
    }
    if (preview_.contains(at)) {
        window_.setCursor(pen);
    } else {
        window_.unsetCursor();
    }
}

bool HandwritingInput::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            if (watched == &window_) {
                return OnMouse(event->type(), *static_cast<QMouseEvent*>(event));
            }
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

bool HandwritingInput::OnMouse(QEvent::Type type, const QMouseEvent& event) {
    const QPoint at = event.position().toPoint();
    const bool left = event.button() == Qt::LeftButton;
    switch (type) {
        case QEvent::MouseButtonDblClick:
            if (left && preview_.contains(at) && double_click_saves_()) {
                return true;
            }
            // A double click the frame does not take is a press, as Qt's own handling makes it.
            [[fallthrough]];
        case QEvent::MouseButtonPress:
            if (left) {
                sign_in_.PenDown(at);
            }
            break;
        case QEvent::MouseMove:
            ShowPen(at);
            if (const std::optional<QRect> changed = sign_in_.PenMove(at, event.buttons() & Qt::LeftButton)) {
                window_.update(*changed);
            }
            break;
        case QEvent::MouseButtonRelease:
            if (left) {
                sign_in_.PenUp();
            }
            break;
        default:
            break;
    }
    return false;
}
