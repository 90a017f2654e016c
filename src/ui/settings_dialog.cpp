#include "ui/settings_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/focus_ring.h"

namespace lum {

namespace {

QSlider* make_slider(int lo, int hi, const QString& name) {
    auto* s = new QSlider(Qt::Horizontal);
    s->setObjectName(name);
    s->setRange(lo, hi);
    s->setPageStep(hi > 20 ? 10 : 1);
    s->setMinimumWidth(180);
    return s;
}

// A slider with ｆａｓｔ at its left and ｓｌｏｗ at its right, as on the game's own.
QWidget* fast_slow(QSlider* s) {
    auto* w = new QWidget;
    auto* row = new QHBoxLayout(w);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(QStringLiteral("ｆａｓｔ")));
    row->addWidget(s, 1);
    row->addWidget(new QLabel(QStringLiteral("ｓｌｏｗ")));
    return w;
}

QWidget* with_percent(QSlider* s) {
    auto* w = new QWidget;
    auto* row = new QHBoxLayout(w);
    row->setContentsMargins(0, 0, 0, 0);
    auto* value = new QLabel;
    value->setMinimumWidth(40);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QObject::connect(s, &QSlider::valueChanged, value,
                     [value](int v) { value->setText(QString::number(v) + QStringLiteral("%")); });
    row->addWidget(s, 1);
    row->addWidget(value);
    return w;
}

QString key_table() {
    QString html = QStringLiteral(
        "<table cellspacing='0' cellpadding='2'><tr><td></td><td><i>キー</i></td>"
        "<td><i>コントローラー</i></td><td></td></tr>");
    QString last;
    for (const KeyHelp& k : kKeyHelp) {
        QString where = QString::fromUtf8(k.where);
        html +=
            QStringLiteral("<tr><td><b>%1</b></td><td>%2</td><td>%3</td><td>%4</td></tr>")
                .arg(where == last ? QString() : where, QString::fromUtf8(k.keys).toHtmlEscaped(),
                     QString::fromUtf8(k.pad).toHtmlEscaped(), QString::fromUtf8(k.action));
        last = where;
    }
    return html + QStringLiteral("</table>");
}

}  // namespace

SettingsDialog::SettingsDialog(const PlayerSettings& current,
                               const std::vector<std::string>& outputs,
                               const std::vector<std::filesystem::path>& soundfonts,
                               QWidget* parent)
    : QDialog(parent), s_(current) {
    setObjectName("settings_dialog");
    setWindowTitle(QStringLiteral("設定"));

    music_tb = make_slider(0, kMaxVolume, "music_tb");
    effect_tb = make_slider(0, kMaxVolume, "effect_tb");
    mute_cb = new QCheckBox(QStringLiteral("音を消す"));
    mute_cb->setObjectName("mute_cb");
    device_cmb = new QComboBox;
    device_cmb->setObjectName("device_cmb");
    device_cmb->addItem(QStringLiteral("システムの既定"), QString());
    for (const auto& o : outputs)
        device_cmb->addItem(QString::fromStdString(o), QString::fromStdString(o));
    font_cmb = new QComboBox;
    font_cmb->setObjectName("font_cmb");
    font_cmb->addItem(QStringLiteral("既定（General MIDI）"), QString());
    for (const auto& f : soundfonts)
        font_cmb->addItem(QString::fromStdString(f.filename().string()),
                          QString::fromStdString(f.string()));
    // A chosen SoundFont outside the usual folders still shows as chosen.
    if (!s_.soundfont.empty() && font_cmb->findData(QString::fromStdString(s_.soundfont)) < 0)
        font_cmb->addItem(QString::fromStdString(s_.soundfont),
                          QString::fromStdString(s_.soundfont));
    if (!s_.audio_device.empty() &&
        device_cmb->findData(QString::fromStdString(s_.audio_device)) < 0)
        device_cmb->addItem(QString::fromStdString(s_.audio_device),
                            QString::fromStdString(s_.audio_device));

    auto* sound = new QGroupBox(QStringLiteral("サウンド"));
    auto* sf = new QFormLayout(sound);
    sf->addRow(QStringLiteral("音楽の音量"), with_percent(music_tb));
    sf->addRow(QStringLiteral("効果音の音量"), with_percent(effect_tb));
    sf->addRow(QString(), mute_cb);
    sf->addRow(QStringLiteral("出力先"), device_cmb);
    sf->addRow(QStringLiteral("MIDI音源"), font_cmb);

    text_speed_tb = make_slider(1, kSpeedPositions, "text_speed_tb");
    battle_speed_tb = make_slider(1, kSpeedPositions, "battle_speed_tb");
    auto* game = new QGroupBox(QStringLiteral("ゲーム"));
    auto* gf = new QFormLayout(game);
    gf->addRow(QStringLiteral("文字の速さ"), fast_slow(text_speed_tb));
    gf->addRow(QStringLiteral("戦闘スピード"), fast_slow(battle_speed_tb));
    auto_speed_tb = make_slider(1, kSpeedPositions, "auto_speed_tb");
    gf->addRow(QStringLiteral("オート速度"), fast_slow(auto_speed_tb));
    skip_unread_cb = new QCheckBox(QStringLiteral("未読もスキップする"));
    skip_unread_cb->setObjectName("skip_unread_cb");
    gf->addRow(QString(), skip_unread_cb);
    one_box_cb = new QCheckBox(QStringLiteral("メッセージを一つずつ表示"));
    one_box_cb->setObjectName("one_box_cb");
    one_box_cb->setToolTip(
        QStringLiteral("敵を倒した後の経験値やレベルアップを一つずつの枠で表示する"));
    gf->addRow(QString(), one_box_cb);
    // The board's floating amounts and flashes; off leaves the plain screen.
    battle_effects_cb = new QCheckBox(QStringLiteral("戦闘演出"));
    battle_effects_cb->setObjectName("battle_effects_cb");
    gf->addRow(QString(), battle_effects_cb);

    zoom_cmb = new QComboBox;
    zoom_cmb->setObjectName("zoom_cmb");
    for (int z = 1; z <= kMaxZoom; ++z) zoom_cmb->addItem(QStringLiteral("%1 倍").arg(z));
    zoom_cmb->addItem(QStringLiteral("画面に合わせる"));
    full_cb = new QCheckBox(QStringLiteral("全画面表示"));
    full_cb->setObjectName("full_cb");
    full_fit_cb = new QCheckBox(QStringLiteral("全画面では画面に合わせる"));
    full_fit_cb->setObjectName("full_fit_cb");
    smooth_cb = new QCheckBox(QStringLiteral("拡大をなめらかにする"));
    smooth_cb->setObjectName("smooth_cb");
    smooth_cb->setToolTip(
        QStringLiteral("整数倍でない拡大のとき、絵をなめらかにする（切るとくっきり）"));
    auto* screen = new QGroupBox(QStringLiteral("画面"));
    auto* scf = new QFormLayout(screen);
    scf->addRow(QStringLiteral("拡大"), zoom_cmb);
    scf->addRow(QString(), full_cb);
    scf->addRow(QString(), full_fit_cb);
    scf->addRow(QString(), smooth_cb);

    auto* keys = new QGroupBox(QStringLiteral("キー操作"));
    auto* kl = new QVBoxLayout(keys);
    auto* key_l = new QLabel(key_table());
    key_l->setObjectName("keys_l");
    key_l->setTextFormat(Qt::RichText);
    kl->addWidget(key_l);
    kl->addStretch(1);

    defaults_b = new QPushButton(QStringLiteral("初期設定に戻す"));
    defaults_b->setObjectName("defaults_b");
    defaults_b->setAutoDefault(false);
    close_b = new QPushButton(QStringLiteral("閉じる"));
    close_b->setObjectName("close_b");
    close_b->setDefault(true);

    auto* left = new QVBoxLayout;
    left->addWidget(sound);
    left->addWidget(game);
    left->addWidget(screen);
    left->addStretch(1);
    // At a large scale the dialog can be taller than the screen (a handheld's 800 pixels hold
    // 493 of the game's): the settings scroll, the two buttons stay in view.
    body_ = new QWidget;
    auto* columns = new QHBoxLayout(body_);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->addLayout(left);
    columns->addWidget(keys);
    scroll_ = new QScrollArea;
    scroll_->setObjectName("settings_scroll");
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    scroll_->setWidget(body_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(defaults_b);
    buttons->addStretch(1);
    buttons->addWidget(close_b);
    auto* all = new QVBoxLayout(this);
    all->addWidget(scroll_, 1);
    all->addLayout(buttons);

    show_values();

    for (QSlider* s : {music_tb, effect_tb, text_speed_tb, battle_speed_tb, auto_speed_tb})
        connect(s, &QSlider::valueChanged, this, [this] { changed(); });
    for (QCheckBox* c :
         {mute_cb, full_cb, full_fit_cb, smooth_cb, skip_unread_cb, one_box_cb, battle_effects_cb})
        connect(c, &QCheckBox::toggled, this, [this] { changed(); });
    for (QComboBox* c : {device_cmb, font_cmb, zoom_cmb})
        connect(c, &QComboBox::currentIndexChanged, this, [this] { changed(); });
    connect(defaults_b, &QPushButton::clicked, this, [this] {
        PlayerSettings d;
        d.window_pos = s_.window_pos;
        s_ = d;
        show_values();
        if (on_change) on_change(s_);
    });
    connect(close_b, &QPushButton::clicked, this, &QDialog::accept);
    focus_ring = new FocusRing(this);
    // The control that takes the keys comes into view, and its frame moves with the scrolling.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && body_->isAncestorOf(now)) scroll_->ensureWidgetVisible(now);
    });
    for (QScrollBar* bar : {scroll_->verticalScrollBar(), scroll_->horizontalScrollBar()})
        connect(bar, &QScrollBar::valueChanged, focus_ring, &FocusRing::refresh);
    music_tb->setFocus();
}

void SettingsDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    fit_screen();
}

void SettingsDialog::fit_screen() {
    // The layout's size with the settings unscrolled, then bounded by the screen less room for
    // the window manager's frame.
    scroll_->setMinimumSize(body_->sizeHint());
    const QSize want = sizeHint();
    scroll_->setMinimumSize(0, 0);
    const QRect room = (parentWidget() ? parentWidget() : this)->screen()->availableGeometry();
    resize(want.boundedTo(room.size() - QSize(16, 40)));
    // Whole on the screen, centred over the game where it fits.
    QRect g = frameGeometry();
    if (parentWidget()) g.moveCenter(parentWidget()->window()->frameGeometry().center());
    g.moveLeft(std::clamp(g.left(), room.left(), std::max(room.left(), room.right() - g.width())));
    g.moveTop(std::clamp(g.top(), room.top(), std::max(room.top(), room.bottom() - g.height())));
    move(g.topLeft());
}

void SettingsDialog::show_values() {
    showing_ = true;
    music_tb->setValue(s_.music_volume);
    effect_tb->setValue(s_.effect_volume);
    mute_cb->setChecked(s_.muted);
    text_speed_tb->setValue(text_speed_position(s_.char_delay_ms));
    battle_speed_tb->setValue(battle_speed_position(s_.speed_ms));
    auto_speed_tb->setValue(s_.auto_speed);
    skip_unread_cb->setChecked(s_.skip_unread);
    one_box_cb->setChecked(s_.one_box_per_message);
    battle_effects_cb->setChecked(s_.battle_effects);
    zoom_cmb->setCurrentIndex(s_.fit_window ? kMaxZoom : s_.zoom - 1);
    full_cb->setChecked(s_.full_screen);
    full_fit_cb->setChecked(s_.fit_full_screen);
    smooth_cb->setChecked(s_.smooth_scaling);
    device_cmb->setCurrentIndex(
        std::max(0, device_cmb->findData(QString::fromStdString(s_.audio_device))));
    font_cmb->setCurrentIndex(
        std::max(0, font_cmb->findData(QString::fromStdString(s_.soundfont))));
    showing_ = false;
}

void SettingsDialog::changed() {
    if (showing_) return;
    PlayerSettings n = s_;
    n.music_volume = music_tb->value();
    n.effect_volume = effect_tb->value();
    n.muted = mute_cb->isChecked();
    // A speed changes only when its own slider moves: the knob shows the nearest position,
    // and the game's starting 500 ms and 40 ms sit between two.
    if (text_speed_tb->value() != text_speed_position(s_.char_delay_ms))
        n.char_delay_ms = text_delay_ms(text_speed_tb->value());
    if (battle_speed_tb->value() != battle_speed_position(s_.speed_ms))
        n.speed_ms = battle_speed_ms(battle_speed_tb->value());
    n.auto_speed = auto_speed_tb->value();
    n.skip_unread = skip_unread_cb->isChecked();
    n.one_box_per_message = one_box_cb->isChecked();
    n.battle_effects = battle_effects_cb->isChecked();
    n.fit_window = zoom_cmb->currentIndex() == kMaxZoom;
    if (!n.fit_window) n.zoom = zoom_cmb->currentIndex() + 1;
    n.full_screen = full_cb->isChecked();
    n.fit_full_screen = full_fit_cb->isChecked();
    n.smooth_scaling = smooth_cb->isChecked();
    n.audio_device = device_cmb->currentData().toString().toStdString();
    n.soundfont = font_cmb->currentData().toString().toStdString();
    if (n == s_) return;
    const bool rescaled = n.zoom != s_.zoom || n.fit_window != s_.fit_window ||
                          n.fit_full_screen != s_.fit_full_screen ||
                          n.full_screen != s_.full_screen;
    s_ = n;
    if (on_change) on_change(s_);
    if (rescaled && isVisible()) fit_screen();
}

}  // namespace lum
