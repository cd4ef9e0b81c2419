#pragma once
// EqualizerWindow: the skinned graphic equaliser. Ten vertical band sliders (16 kHz on
// the left to 60 Hz on the right), the master-volume slider, the on/off button with
// its lamp and the presets button with its menu of eighteen presets.
//
// Every element is anchored to the window's right edge (an element's X is measured
// from the right), because the window slides open and shut by its width: the
// controller's slide (EqualizerSlide.h) sets the visible width with SetVisibleWidth.
//
// Band gains go to the sound effects through EffectsControl (which keeps them while
// the equaliser is off and applies them when it is turned on); the master slider
// sends VolumeSetting with the mixer level through the command sink; the window's
// keys send the main window's commands there too. The window writes its values under
// "EqulizerPreset" in the shutdown's Save phase.
//
// GUI thread only.

#include <array>
#include <map>
#include <vector>

#include "CommandSink.h"
#include "EqualizerRules.h"
#include "MenuResources.h"
#include "ShutdownPhase.h"
#include "SkinIdentifiers.h"
#include "SkinnedWindow.h"

namespace tavora {

class EffectsControl;
class PlaybackView;
class PlayerEvents;

class EqualizerWindow : public SkinnedWindow {
    Q_OBJECT

public:
    EqualizerWindow(CommandSink& sink, EffectsControl& effects, PlayerEvents& events, QWidget* owner = nullptr);
    ~EqualizerWindow() override;

    // The width of the skin's background: the width when fully slid out.
    int fullWidth() const { return fullWidth_; }
    int fullHeight() const { return height(); }
    // The width shown while sliding (0 .. fullWidth).
    void SetVisibleWidth(int width);

    // Sets all ten gains as a preset does: engine, stored gains, sliders.
    void SetAllGains(const eq::Gains& gains);
    void SelectPreset(int index);
    // The stored gains and preset of the registry (at start-up).
    void RestoreStoredGains();
    // The mixer's value moved the master slider (0..mixerMax); an inactive mixer
    // leaves the slider at the bottom.
    void SetMasterVolume(unsigned value, unsigned mixerMax);
    void SaveSettings();

    // The state the shuffle and always-on-top items flip.
    void SetView(const PlaybackView* view) { view_ = view; }
    // A command of the window's accelerator table (or the presets menu).
    void OnWindowCommand(int id);
    void OpenPresetsMenu();

    const eq::Gains& gains() const { return gains_; }
    int presetIndex() const { return presetIndex_; }
    int sliderOffset(int slider) const { return offsets_.at(static_cast<size_t>(slider)); }
    unsigned masterLevel() const { return masterLevel_; }
    const eq::SliderGeometry& geometry() const { return geometry_; }
    // Where slider k is pressed, and the buttons' hit rectangles, in client coordinates.
    QRect SliderPressArea(int slider) const;
    QRect PresetsButtonArea() const;
    QRect OnOffButtonArea() const;
    // What the tooltip says at a point ("" for none).
    QString TooltipAt(QPoint point) const;
    // The presets menu's items: preset index and check mark, in menu order.
    std::vector<std::pair<int, bool>> PresetMenuItems() const;

protected:
    void LoadSkin() override;
    void ComposeElements(QPainter& painter) override;
    void DrawOverlays(QPainter& painter) override;
    bool IsOnControl(QPoint point) const override;
    bool SliderDragging() const override { return activeSlider_ != 0; }
    // The window sits against the main window and moves with it, never by itself.
    bool MayStartMove(QPoint) const override { return false; }
    void OnPress(QPoint point) override;
    void OnMove(QPoint point) override;
    void OnRelease(QPoint point) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum Button { kPresets, kOnOff };
    int SliderAt(QPoint point) const;
    void MoveSlider(int slider, int y);
    void RefreshTips();
    // The gain slider k (1..10) stands at: its band's gain while the thumb rests where
    // that gain put it, else the gain its offset converts to.
    int SliderGain(int slider) const;
    void DrawSlider(QPainter& painter, int slider, bool upper);
    QRect Anchored(const SkinElement& element) const;
    void OnShutdownPhase(ShutdownPhase phase);

    CommandSink& sink_;
    EffectsControl& effects_;
    const PlaybackView* view_ = nullptr;
    SkinElementSet skin_;
    eq::SliderGeometry geometry_;
    std::map<int, int> accelerators_;
    std::vector<MenuItem> menu_;
    int fullWidth_ = 0;
    eq::Gains gains_{};
    std::array<int, eq::kSliderCount + 1> offsets_{};   // index 1..11
    std::array<int, eq::kSliderCount + 1> tipValues_{}; // index 1..11
    int presetIndex_ = 0;
    int activeSlider_ = 0;
    int pressOffset_ = 0;  // the active slider's offset before it was pressed
    unsigned masterLevel_ = 0;
    unsigned mixerMax_ = 65535;
};

}  // namespace tavora
