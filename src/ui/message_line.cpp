#include "ui/message_line.h"

#include "ui/game_text.h"

namespace lum {

MessageLine::MessageLine(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setWordWrap(true);
    QFont f = font();
    f.setPixelSize(kLargestPx);
    setFont(f);
}

void MessageLine::show_text(const std::string& text) {
    const QString s = game_text(text);
    if (this->text() == s) return;
    setText(s);
    fit();
}

int MessageLine::pixel_size_for(const QString& text) const {
    ensurePolished();  // the style sheet's padding narrows the room
    const QRect room = contentsRect();
    QFont f = font();
    for (int px = kLargestPx; px > kSmallestPx; --px) {
        f.setPixelSize(px);
        const QRect need = QFontMetrics(f).boundingRect(QRect(0, 0, room.width(), 1 << 20),
                                                        Qt::AlignLeft | Qt::TextWordWrap, text);
        if (need.width() <= room.width() && need.height() <= room.height()) return px;
    }
    return kSmallestPx;
}

void MessageLine::resizeEvent(QResizeEvent* e) {
    QLabel::resizeEvent(e);
    fit();
}

void MessageLine::fit() {
    const int px = pixel_size_for(text());
    if (font().pixelSize() == px) return;
    QFont f = font();
    f.setPixelSize(px);
    setFont(f);
}

}  // namespace lum
