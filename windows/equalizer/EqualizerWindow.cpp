// The equaliser window: skin, composition, sliders, buttons, tooltips and keys.
#include "EqualizerWindow.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

#include "CommandNumbers.h"
#include "EffectsControl.h"
#include "MainMenuIds.h"
#include "PlaybackView.h"
#include "PlayerEvents.h"
#include "SharedKeys.h"
#include "StoredValues.h"
#include "SkinBitmap.h"
#include "SkinReader.h"
#include "SkinSelection.h"

namespace tavora {

namespace {
constexpr int kPresetsMenu = 147;
constexpr int kAcceleratorTable = 154;
constexpr int kStoredMaster = 11;

std::string Numbered(const char* stem, int k) { return stem + std::to_string(k); }

// The main window's commands that the equaliser's keys leave alone.
bool IgnoredHere(int id) {
    switch (static_cast<MainMenuId>(id)) {
    case MainMenuId::OpenFolder:
    case MainMenuId::VolumeUp:
    case MainMenuId::VolumeDown:
    case MainMenuId::Info:
    case MainMenuId::HomePage: return true;
    default: return false;
    }
}
}  // namespace

EqualizerWindow::EqualizerWindow(CommandSink& sink, EffectsControl& effects, PlayerEvents& events, QWidget* owner)
    : SkinnedWindow(SkinWindowKind::Equalizer, owner), sink_(sink), effects_(effects) {
    setWindowTitle(QStringLiteral("TavoraPlayer Equalizer"));
    setFocusPolicy(Qt::StrongFocus);
    accelerators_ = LoadAcceleratorTable(kAcceleratorTable);
    menu_ = LoadMenuResource(kPresetsMenu);
    connect(&events, &PlayerEvents::shutdownPhase, this, &EqualizerWindow::OnShutdownPhase);
    buttons().Add(skin_["ID_EQ_BTPRESETS"], SkinHitRule::RightAnchored, [this] { OpenPresetsMenu(); });
    buttons().Add(skin_["ID_EQ_BTEQON"], SkinHitRule::RightAnchored, [this] {
        effects_.SetEqualizerOn(!effects_.EqualizerOn());
        update();
    });
    LoadSkin();
}

EqualizerWindow::~EqualizerWindow() = default;

void EqualizerWindow::LoadSkin() {
    SkinReader reader;
    if (!reader.Open(CurrentSkinFile)) return;
    SkinElementSet fresh;
    LoadSkinElementSet(reader, CurrentSkinFolder, fresh);
    // Assign in place: the buttons point at these elements.
    for (auto& [id, element] : fresh.elements) skin_.elements[id] = std::move(element);
    const SkinElement& empty = skin_["ID_EQ_BTLINE_EMPTY"];
    const SkinElement& full = skin_["ID_EQ_BTLINE_FULL"];
    geometry_.trackTop = empty.rect.top;
    geometry_.trackLength = full.Height;
    geometry_.thumbHeight = skin_["ID_EQ_BTLINE"].Height;
    geometry_.fullTop = full.rect.top;
    geometry_.emptyBottom = empty.rect.top + empty.Height;
    const SkinElement& background = skin_["ID_EQ_IMAIN"];
    fullWidth_ = std::max(background.Width, 1);
    const int w = width() > 1 ? std::min(width(), fullWidth_) : fullWidth_;
    setFixedSize(w, std::max(background.Height, 1));
    buttons().SetClientWidth(w);
    // The sliders keep their gains on the new skin's scale.
    for (int band = 0; band < eq::kBandCount; ++band)
        offsets_[static_cast<size_t>(eq::SliderOfBand(band))] = geometry_.PositionOf(gains_[static_cast<size_t>(band)]);
    offsets_[eq::kMasterSlider] = geometry_.MasterOffset(masterLevel_, mixerMax_);
    RefreshTips();
}

void EqualizerWindow::SetVisibleWidth(int width) {
    width = std::clamp(width, 1, std::max(fullWidth_, 1));
    setFixedWidth(width);
    buttons().SetClientWidth(width);
    update();
}

QRect EqualizerWindow::Anchored(const SkinElement& element) const {
    const SkinRect r = HitRect(element, SkinHitRule::RightAnchored, width());
    return QRect(r.left, r.top, r.Width(), r.Height());
}

QRect EqualizerWindow::SliderPressArea(int slider) const {
    const auto it = skin_.elements.find(Numbered("ID_EQ_BTCONTROLL", slider));
    return it == skin_.elements.end() ? QRect() : Anchored(it->second);
}

QRect EqualizerWindow::PresetsButtonArea() const {
    const SkinRect r = const_cast<EqualizerWindow*>(this)->buttons().Rect(kPresets);
    return QRect(r.left, r.top, r.Width(), r.Height());
}

QRect EqualizerWindow::OnOffButtonArea() const {
    const SkinRect r = const_cast<EqualizerWindow*>(this)->buttons().Rect(kOnOff);
    return QRect(r.left, r.top, r.Width(), r.Height());
}

int EqualizerWindow::SliderAt(QPoint point) const {
    for (int k = 1; k <= eq::kSliderCount; ++k)
        if (SliderPressArea(k).contains(point)) return k;
    return 0;
}

// ---- Gains and presets ----

void EqualizerWindow::SetAllGains(const eq::Gains& gains) {
    for (int band = 0; band < eq::kBandCount; ++band) {
        const int gain = gains[static_cast<size_t>(band)];
        effects_.SetBandGain(band, gain);
        gains_[static_cast<size_t>(band)] = gain;
        offsets_[static_cast<size_t>(eq::SliderOfBand(band))] = geometry_.PositionOf(gain);
    }
    RefreshTips();
    update();
}

void EqualizerWindow::SelectPreset(int index) {
    if (index < 0 || index >= eq::kPresetCount) return;
    presetIndex_ = index;
    SetAllGains(eq::Presets()[static_cast<size_t>(index)].gains);
}

void EqualizerWindow::RestoreStoredGains() {
    std::array<std::optional<int>, eq::kBandCount> bands;
    const std::vector<std::optional<int>> read = stored::ReadEqualizerBands(eq::kBandCount);
    std::copy(read.begin(), read.end(), bands.begin());
    const int preset = stored::ReadEqualizerPreset().value_or(-1);
    if (preset >= 0 && preset < eq::kPresetCount) presetIndex_ = preset;
    SetAllGains(eq::RestoredGains(bands));
}

void EqualizerWindow::SetMasterVolume(unsigned value, unsigned mixerMax) {
    if (activeSlider_ == eq::kMasterSlider) return;  // the user holds it
    mixerMax_ = mixerMax;
    masterLevel_ = std::min(value, mixerMax);
    offsets_[eq::kMasterSlider] = geometry_.MasterOffset(masterLevel_, mixerMax_);
    RefreshTips();
    update();
}

void EqualizerWindow::SaveSettings() {
    stored::WriteEqualizer(presetIndex_, std::span<const int>(gains_.data(), eq::kBandCount), kStoredMaster,
                           static_cast<int>(masterLevel_));
}

void EqualizerWindow::OnShutdownPhase(ShutdownPhase phase) {
    if (phase == ShutdownPhase::Save) SaveSettings();
}

std::vector<std::pair<int, bool>> EqualizerWindow::PresetMenuItems() const {
    std::vector<std::pair<int, bool>> items;
    if (menu_.empty()) return items;
    for (const MenuItem& item : menu_.front().items)
        if (const auto preset = eq::PresetOfCommand(item.id)) items.emplace_back(*preset, *preset == presetIndex_);
    return items;
}

void EqualizerWindow::OpenPresetsMenu() {
    if (menu_.empty()) return;
    // Opened below the button's right-anchored left edge; it does not block, so a
    // choice arrives as the action's trigger.
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setObjectName(QStringLiteral("presetsMenu"));
    const int checkedCommand = eq::Presets()[static_cast<size_t>(presetIndex_)].command;
    FillMenu(*menu, menu_.front(), [checkedCommand](int id) { return id == checkedCommand; });
    connect(menu, &QMenu::triggered, this, [this](QAction* action) { OnWindowCommand(action->data().toInt()); });
    const QRect button = PresetsButtonArea();
    menu->popup(mapToGlobal(QPoint(button.left(), button.bottom() + 1)));
}

void EqualizerWindow::OnWindowCommand(int id) {
    if (const auto preset = eq::PresetOfCommand(id)) {
        SelectPreset(*preset);
        return;
    }
    if (IgnoredHere(id)) return;
    const auto menuId = static_cast<MainMenuId>(id);
    switch (menuId) {
    case MainMenuId::SeekBack: sink_.Send(cmd::TenSecBack); return;
    case MainMenuId::SeekNext: sink_.Send(cmd::TenSecNext); return;
    case MainMenuId::RepeatNone: sink_.Send(cmd::SetRepeatMode, CommandData::Value(0)); return;
    case MainMenuId::RepeatOne: sink_.Send(cmd::SetRepeatMode, CommandData::Value(1)); return;
    case MainMenuId::RepeatAll: sink_.Send(cmd::SetRepeatMode, CommandData::Value(2)); return;
    case MainMenuId::Shuffle:
    case MainMenuId::AlwaysTop:
        // Toggles: the other value than the state's now.
        if (const auto c = cmd::FromNumber(id, view_ ? view_->State() : PlaybackState{})) sink_.Send(c->command, c->data);
        return;
    default: break;
    }
    if (const auto command = ControllerCommandFor(menuId)) sink_.Send(*command);
}

// ---- Mouse ----

bool EqualizerWindow::IsOnControl(QPoint point) const { return SliderAt(point) != 0; }

void EqualizerWindow::MoveSlider(int slider, int y) {
    offsets_[static_cast<size_t>(slider)] = geometry_.OffsetFromY(y);
    update();
}

void EqualizerWindow::OnPress(QPoint point) {
    const int slider = SliderAt(point);
    if (slider == 0) {
        update();
        return;
    }
    activeSlider_ = slider;
    pressOffset_ = offsets_[static_cast<size_t>(slider)];
    MoveSlider(slider, point.y());
    RefreshTips();
}

void EqualizerWindow::OnMove(QPoint point) {
    if (activeSlider_) MoveSlider(activeSlider_, point.y());
    RefreshTips();
}

void EqualizerWindow::OnRelease(QPoint) {
    const int slider = activeSlider_;
    if (slider == 0) return;
    const int offset = offsets_[static_cast<size_t>(slider)];
    if (slider == eq::kMasterSlider) {
        masterLevel_ = geometry_.MasterLevel(offset, mixerMax_);
        // Sent while the slider still counts as held, so the announcement of the new
        // level leaves the thumb where it was let go.
        sink_.Send(cmd::VolumeSetting, CommandData::Value(static_cast<int>(masterLevel_)));
    } else {
        const int band = eq::BandOfSlider(slider);
        const int gain = SliderGain(slider);
        gains_[static_cast<size_t>(band)] = gain;
        effects_.SetBandGain(band, gain);
    }
    activeSlider_ = 0;
    RefreshTips();
    update();
}

int EqualizerWindow::SliderGain(int slider) const {
    const int offset = offsets_[static_cast<size_t>(slider)];
    // A click that leaves the thumb where it was changes nothing: the offset a gain puts
    // the thumb at does not always convert back to that gain.
    if (slider != activeSlider_ || offset == pressOffset_) return gains_[static_cast<size_t>(eq::BandOfSlider(slider))];
    return geometry_.GainOf(offset);
}

void EqualizerWindow::RefreshTips() {
    for (int k = 1; k <= eq::kBandCount; ++k) tipValues_[static_cast<size_t>(k)] = SliderGain(k);
    tipValues_[eq::kMasterSlider] = geometry_.MasterPercent(offsets_[eq::kMasterSlider]);
}

QString EqualizerWindow::TooltipAt(QPoint point) const {
    if (PresetsButtonArea().contains(point)) return QStringLiteral("프리셋");
    if (OnOffButtonArea().contains(point)) return QStringLiteral("이퀄라이저 on/off");
    if (const int k = SliderAt(point))
        return QString::fromStdString(eq::SliderTooltip(k, tipValues_[static_cast<size_t>(k)]));
    return {};
}

bool EqualizerWindow::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return SkinnedWindow::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QString text = TooltipAt(help->pos());
    if (text.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), text, this);
    }
    return true;
}

void EqualizerWindow::keyPressEvent(QKeyEvent* event) {
    const auto it = accelerators_.find(AcceleratorKey(event->keyCombination()));
    if (it != accelerators_.end()) {
        OnWindowCommand(it->second);
        return;
    }
    if (event->key() == Qt::Key_Escape || RunSharedKey(*event, &sink_)) return;
    SkinnedWindow::keyPressEvent(event);
}

// ---- Painting ----

void EqualizerWindow::DrawSlider(QPainter& painter, int slider, bool upper) {
    const int right = width();
    const int v = offsets_[static_cast<size_t>(slider)];
    const int th = geometry_.thumbHeight;
    const int ty = geometry_.trackTop;
    const SkinElement& thumb = skin_["ID_EQ_BTLINE"];
    if (upper) {
        const SkinElement& column = skin_[Numbered("ID_EQ_BTLINE_EMPTY", slider)];
        DrawRows(painter, skin_["ID_EQ_BTLINE_EMPTY"].defaultBitmap, 0, v, right - column.rect.left, ty);
        DrawRows(painter, thumb.defaultBitmap, 0, thumb.defaultBitmap.height(), right - column.rect.left, ty + v - th / 2);
    } else {
        const SkinElement& column = skin_[Numbered("ID_EQ_BTLINE_FULL", slider)];
        const QImage& full = skin_["ID_EQ_BTLINE_FULL"].defaultBitmap;
        DrawRows(painter, full, v, full.height(), right - column.rect.left, ty + v - th / 2 + th);
        DrawRows(painter, thumb.defaultBitmap, 0, thumb.defaultBitmap.height(), right - column.rect.left, ty + v - th / 2);
    }
}

void EqualizerWindow::ComposeElements(QPainter& painter) {
    Draw(painter, skin_["ID_EQ_IMAIN"]);
    for (int k = eq::kSliderCount; k >= 1; --k) DrawSlider(painter, k, true);
    for (int k = eq::kSliderCount; k >= 1; --k) DrawSlider(painter, k, false);
}

void EqualizerWindow::DrawOverlays(QPainter& painter) {
    const bool on = effects_.EqualizerOn();
    DrawButton(painter, skin_["ID_EQ_BTPRESETS"], kPresets);
    // The ON set while on, the OFF set while off; both share the button's place.
    DrawButton(painter, skin_[on ? "ID_EQ_BTEQON" : "ID_EQ_BTEQOFF"], kOnOff);
    Draw(painter, skin_["ID_EQ_BTEQ_ONOFF_LAMP"], on ? SkinImage::Default : SkinImage::Over);
}

}  // namespace tavora
