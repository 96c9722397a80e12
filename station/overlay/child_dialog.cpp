#include "overlay/child_dialog.h"

#include <QBitmap>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include "files/ini.h"
#include "platform/message_box.h"
#include "platform/native_path.h"
#include "language/language.h"
#include "text/qt_text.h"

namespace {

int RunQtMenu(const std::vector<OverlayMenuItem>& items, QPoint screen_pos) {
    QMenu menu;
    for (const OverlayMenuItem& item : items) {
        QAction* action = menu.addAction(ToQt(item.text));
        action->setData(item.command);
        if (item.checked) {
            action->setCheckable(true);
            action->setChecked(true);
        }
    }
    QAction* chosen = menu.exec(screen_pos);
    return chosen ? chosen->data().toInt() : 0;
}

constexpr const char16_t* kSingleClickWarning =
    u"开启此项可以加快签到速度\n\n但容易造成保存照片多余\n\n影响抽奖,抽到无人照片或者重复照片\n\n是否继续?";

}  // namespace

bool& TemplateListVisibleFlag() {
    static bool visible = true;
    return visible;
}

CChildDialog::CChildDialog(QWidget* parent, OverlayOwner* owner)
    : QWidget(parent), owner_(owner), menu_runner_(RunQtMenu) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents, true);  // empty until a template is applied
}

void CChildDialog::Initialise() {
    setWindowTitle(QStringLiteral("Vantor初始窗口"));
    CIni ini(kConfigPath);
    alpha_threshold_ = ini.GetIValue(vantor::settings::kMaxAlpha.section, vantor::settings::kMaxAlpha.key);
}

void CChildDialog::ApplyTemplate(const tstring& path) {
    template_name_ = path;
    const QSize client = size();
    layer_ = QImage(client.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    layer_.fill(Qt::transparent);

    const QImage decoded(QString::fromStdString(vantor::ToNativePath(path)));
    QImage scratch;
    if (!decoded.isNull()) {
        // The scratch copy keeps the template's own pixel format: only a picture with alpha has an opening.
        const QImage::Format format =
            decoded.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
        scratch = QImage(layer_.size(), format);
        scratch.fill(Qt::transparent);
        QPainter painter(&scratch);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(QPoint(0, 0), layer_.size()), decoded);
        painter.end();
        QPainter layer_painter(&layer_);
        layer_painter.drawImage(0, 0, scratch);
    }

    if (owner_) {
        TemplateEntry* entry = owner_->FindTemplateEntry(path);
        OpeningRect opening;
        if (entry && !entry->opening.IsEmpty()) {
            opening = entry->opening;
        } else {
            const QSize camera = owner_->CameraSize();
            opening = FindTemplateOpening(scratch, alpha_threshold_, camera.width(), camera.height());
            if (entry) {
                entry->opening = opening;
            }
        }
        owner_->SetCameraRect(opening);
    }
    UpdateHitRegion();
    if (owner_) {
        owner_->RepaintOwner();
    }
    update();
}

void CChildDialog::UpdateHitRegion() {
    // Hit and drawn wherever the layer's alpha is not zero.
    QImage mask(layer_.size(), QImage::Format_MonoLSB);
    mask.setColorCount(2);
    mask.setColor(0, qRgb(255, 255, 255));
    mask.setColor(1, qRgb(0, 0, 0));
    mask.fill(0);
    bool any = false;
    for (int y = 0; y < layer_.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(layer_.constScanLine(y));
        for (int x = 0; x < layer_.width(); ++x) {
            if (qAlpha(line[x]) != 0) {
                mask.setPixel(x, y, 1);
                any = true;
            }
        }
    }
    if (!any) {
        clearMask();
        setAttribute(Qt::WA_TransparentForMouseEvents, true);
        return;
    }
    setAttribute(Qt::WA_TransparentForMouseEvents, false);
    setMask(QBitmap::fromImage(mask));
}

void CChildDialog::paintEvent(QPaintEvent*) {
    if (layer_.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.drawImage(0, 0, layer_);
}

void CChildDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && single_click_ && owner_) {
        owner_->PhotoOrSave();
    }
    event->accept();
}

void CChildDialog::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        OpenMenu(event->position().toPoint());
    }
    event->accept();
}

void CChildDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            break;
        case Qt::Key_Space:
            if (owner_) {
                owner_->PhotoOrSave();
            }
            break;
        case Qt::Key_R:
            OpenMenu(QPoint(200, 200));
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}

std::vector<OverlayMenuItem> CChildDialog::MenuItems() const {
    return {
        {kMenuChoosePrinter, GetLanStr(u"45"), false},
        {kMenuSingleClick, GetLanStr(u"46"), single_click_},
        {kMenuInsertTime, GetLanStr(u"47"), owner_ && owner_->InsertTimeOn()},
        {kMenuToggleTemplateList, GetLanStr(u"48"), false},
        {kMenuPictureHints, GetLanStr(u"49"), false},
        {kMenuShortcutHints, GetLanStr(u"50"), false},
    };
}

void CChildDialog::OpenMenu(QPoint overlay_point) {
    const int command = menu_runner_ ? menu_runner_(MenuItems(), mapToGlobal(overlay_point)) : 0;
    if (command != 0) {
        RunMenuCommand(command);
    }
}

void CChildDialog::ToggleSingleClick() {
    if (single_click_) {
        single_click_ = false;
        return;
    }
    const vantor::MessageAnswer answer = vantor::ShowMessageBox(
        kSingleClickWarning, u"温馨提醒", vantor::MessageButtons::YesNo, vantor::MessageIcon::Warning);
    if (answer == vantor::MessageAnswer::Yes) {
        single_click_ = true;
    }
}

void CChildDialog::RunMenuCommand(int command) {
    switch (command) {
        case kMenuSingleClick:
            ToggleSingleClick();
            break;
        case kMenuShortcutHints:
            vantor::ShowMessageBox(GetLanStr(u"54"), u"tips");
            break;
        case kMenuToggleTemplateList: {
            bool& visible = TemplateListVisibleFlag();
            visible = !visible;
            if (owner_) {
                owner_->SetTemplateListVisible(visible);
            }
            break;
        }
        default:
            if (owner_) {
                owner_->OverlayCommand(command);
            }
            break;
    }
}
