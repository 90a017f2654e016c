#include "ui/guide_view.h"

#include <algorithm>

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>

#include "ui/game_text.h"
#include "ui/key_nav.h"

namespace lum {

namespace {

constexpr QSize kPanel(600, 400);
constexpr QRect kPictureArea(170, 46, 416, 120);
constexpr int kBoardScale = 3;  // halves of a map pixel: 112 x 80 drawn 168 x 120
constexpr int kSquare = 16;     // map pixels a square

const char* const kPanelStyle =
    "QWidget#guide_panel { background: #12142c; border: 1px solid #c9b27c; }"
    "QLabel { color: #f0e6c8; background: transparent; }"
    "QPushButton { color: #f4ecd8; background: #2a2f5c; border: 1px solid #6f6a9c; }"
    "QPushButton:disabled { color: #6a6a80; }"
    "QPushButton:checked { background: #5a4a2a; border: 1px solid #c9b27c; }";

// A unit picture with its background (the colour of the bottom-left pixel) left out, as the
// board draws it.
QImage keyed(QImage img) {
    img = img.convertToFormat(QImage::Format_ARGB32);
    if (img.isNull()) return img;
    const QRgb key = img.pixel(0, img.height() - 1);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if (line[x] == key) line[x] = qRgba(0, 0, 0, 0);
    }
    return img;
}

}  // namespace

GuideView::GuideView(const GameState& gs, QWidget* window) : QWidget(window), gs_(gs) {
    setObjectName("guide");
    setFocusPolicy(Qt::StrongFocus);
    hide();
    panel_ = new QWidget(this);
    panel_->setObjectName("guide_panel");
    panel_->setAttribute(Qt::WA_StyledBackground);
    panel_->setStyleSheet(kPanelStyle);
    panel_->resize(kPanel);

    auto label = [this](const char* name, QRect r) {
        auto* l = new QLabel(panel_);
        l->setObjectName(name);
        l->setGeometry(r);
        return l;
    };
    title_l = label("guide_title", {170, 12, 416, 28});
    QFont big = title_l->font();
    big.setPixelSize(18);
    big.setBold(true);
    title_l->setFont(big);
    picture_l = label("guide_picture", kPictureArea);
    picture_l->setAlignment(Qt::AlignCenter);
    text_l = label("guide_text", {170, 174, 416, 178});
    text_l->setWordWrap(true);
    text_l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    page_l = label("guide_page", {266, 362, 224, 24});
    page_l->setAlignment(Qt::AlignCenter);

    auto button = [this](const QString& text, const char* name, QRect r) {
        auto* b = new QPushButton(text, panel_);
        b->setObjectName(name);
        b->setGeometry(r);
        b->setStyleSheet(KeyNav::kFocusStyle);
        return b;
    };
    for (int i = 0; i < GuideModel::page_count(); ++i) {
        auto* b = button(QString::fromStdString(guide_pages()[i].title),
                         ("guide_page" + std::to_string(i)).c_str(), {12, 12 + i * 38, 146, 32});
        b->setCheckable(true);
        connect(b, &QPushButton::clicked, this, [this, i] {
            model_.contents_click(i);
            refresh();
        });
        contents.push_back(b);
    }
    back_b = button(QStringLiteral("前へ"), "guide_back", {170, 360, 90, 28});
    next_b = button(QStringLiteral("次へ"), "guide_next", {400, 360, 90, 28});
    close_b = button(QStringLiteral("閉じる"), "guide_close", {496, 360, 90, 28});
    connect(back_b, &QPushButton::clicked, this, [this] {
        model_.back_bClick();
        refresh();
    });
    connect(next_b, &QPushButton::clicked, this, [this] {
        model_.next_bClick();
        refresh();
    });
    connect(close_b, &QPushButton::clicked, this, [this] { close_guide(); });

    // Tab walks every button and Enter presses it; the arrows turn the pages wherever the
    // focus is.
    auto* nav = new KeyNav(panel_);
    for (QPushButton* b : contents) nav->add_group({b}, false);
    for (QPushButton* b : {back_b, next_b, close_b}) nav->add_group({b}, false);

    window->installEventFilter(this);
    watch_ = new QTimer(this);
    watch_->setInterval(10);
    connect(watch_, &QTimer::timeout, this, [this] { hold_beneath(); });
}

void GuideView::hold_beneath() {
    if (!beneath_) return;
    for (QTimer* t : beneath_->findChildren<QTimer*>()) {
        if (!t->isActive()) continue;
        t->stop();
        held_.emplace_back(t);
    }
}

void GuideView::open_over(QWidget* beneath, int page) {
    if (!model_.visible) {
        focus_before_ = QApplication::focusWidget();
        beneath_ = beneath;
        held_.clear();
        hold_beneath();
        watch_->start();
    }
    model_.open(page);
    setGeometry(parentWidget()->rect());
    refresh();
    show();
    raise();
    next_b->setFocus(Qt::OtherFocusReason);
}

void GuideView::close_guide() {
    if (!model_.visible) return;
    model_.close();
    watch_->stop();
    hide();
    // A timer held twice is started once.
    std::vector<QTimer*> started;
    for (const QPointer<QTimer>& t : held_) {
        if (!t || std::find(started.begin(), started.end(), t.data()) != started.end()) continue;
        t->start();
        started.push_back(t.data());
    }
    held_.clear();
    beneath_ = nullptr;
    if (focus_before_ && focus_before_->isVisible()) focus_before_->setFocus(Qt::OtherFocusReason);
}

QPixmap GuideView::picture(const GuidePage& p) const {
    const QImage img(QString::fromStdString(gs_.cg_path(p.picture).string()));
    if (img.isNull()) return {};
    if (p.units.empty())
        return QPixmap::fromImage(img.scaled(kPictureArea.size(), Qt::KeepAspectRatio));
    // The little board: the map enlarged, the units on their squares.
    QImage board = img.scaled(img.size() * kBoardScale / 2).convertToFormat(QImage::Format_RGB32);
    QPainter paint(&board);
    const int sq = kSquare * kBoardScale / 2;
    for (const GuideUnit& u : p.units) {
        const QImage unit = keyed(QImage(QString::fromStdString(gs_.cg_path(u.picture).string())));
        if (!unit.isNull()) paint.drawImage(QRect(u.col * sq, u.row * sq, sq, sq), unit);
    }
    paint.end();
    return QPixmap::fromImage(board);
}

void GuideView::refresh() {
    const GuidePage& p = model_.current();
    title_l->setText(QString::fromStdString(p.title));
    std::string text;
    for (const std::string& line : p.lines) text += (text.empty() ? "" : "\n\n") + line;
    text_l->setText(QString::fromStdString(text));
    picture_l->setPixmap(picture(p));
    page_l->setText(QString::fromStdString(model_.page_caption()));
    back_b->setEnabled(model_.back_enabled());
    next_b->setEnabled(model_.next_enabled());
    for (int i = 0; i < static_cast<int>(contents.size()); ++i)
        contents[i]->setChecked(i == model_.page);
    // A button that just went grey hands the keys to one that works.
    if (!panel_->focusWidget() || !panel_->focusWidget()->isEnabled())
        (model_.next_enabled() ? next_b : close_b)->setFocus(Qt::OtherFocusReason);
}

bool GuideView::eventFilter(QObject* obj, QEvent* e) {
    if (obj == parentWidget() && e->type() == QEvent::Resize) setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(obj, e);
}

void GuideView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(0, 0, 0, 170));
}

void GuideView::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    panel_->move((width() - kPanel.width()) / 2, (height() - kPanel.height()) / 2);
}

void GuideView::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_Escape:
            close_guide();
            return;
        case Qt::Key_Left:
        case Qt::Key_Up:
        case Qt::Key_PageUp:
            model_.back_bClick();
            refresh();
            return;
        case Qt::Key_Right:
        case Qt::Key_Down:
        case Qt::Key_PageDown:
            model_.next_bClick();
            refresh();
            return;
        default:
            QWidget::keyPressEvent(e);
    }
}

}  // namespace lum
