#pragma once
// MainLcd: the main window's displays as the skin lays them out: the elapsed or
// remaining time and the total time in digits, the title strip with its status
// messages, the spectrum, the sample and bit rates and the two sliders. It reads the
// playback through the view when it draws; what it keeps itself is the
// elapsed/remaining mode of the time display, the title laid out in the skin's font
// and where it has scrolled to, and the playing file's bit rate.
//
// Each display has an area holding every pixel it may draw, computed once per skin;
// Facts are what the displays show, so that a refresh invalidates only the areas of
// the facts that changed. The elements around the displays stay composed (see
// SkinnedWindow.h) and the title keeps its laid-out text.
//
// GUI thread only.

#include <QFont>
#include <QRect>
#include <QRegion>
#include <QString>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "DigitDisplay.h"
#include "FrequencyBars.h"
#include "MainDisplayRules.h"
#include "SkinIdentifiers.h"
#include "TextLine.h"

class QPainter;

namespace tavora {

class MainSliders;
class PlaybackView;

class MainLcd {
public:
    // What the displays show; compared between refreshes.
    struct Facts {
        int channel = -1, lamp = -1, list = -1, eq = -1, repeat = -1, shuffle = -1, mute = -1;
        int elapsedMode = -1, timeSeconds = -1, totalSeconds = -1, positionPos = -1, volumePos = -1;
        QString stripText;
        int stripX = 0;
        int sampleRate = -1, bitrate = -1;
    };

    MainLcd(SkinElementSet& skin, const PlaybackView& view, const mainwin::StatusBoard& status, MainSliders& sliders);

    // Takes the freshly loaded skin: digits, spectrum, font, the time display's click
    // area and the areas of the displays in the window's client rectangle.
    void Load(const QRect& client);
    // Where an element is drawn (empty when it is not drawn).
    QRect Placed(const std::string& id, const QRect& client);

    // The time displays, the sliders, the strip and the spectrum, where the painter's
    // clip reaches them.
    void DrawOverlays(QPainter& painter, const QRect& client);
    // The sample and bit rates, drawn last.
    void DrawRates(QPainter& painter);

    Facts CurrentFacts();
    // The areas of the facts that differ.
    QRegion ChangedRegion(const Facts& was, const Facts& now) const;
    const QRegion& spectrumArea() const { return areas_.spectrum; }

    // The skin draws the analyser: its ground and at least one bar.
    bool AnalyserShown() const;
    void FetchSpectrum();
    void ScrollTitle();
    mainwin::FrequencyBars& spectrum() { return spectrum_; }

    bool showElapsed() const { return showElapsed_; }
    void ToggleElapsed() { showElapsed_ = !showElapsed_; }
    QRect TimeClickArea() const { return timeArea_; }
    int titleX() const { return titleX_; }
    // The text drawn on the strip: a status message or the title.
    QString StripText() const;

private:
    // The areas each fact is drawn in, computed once per skin.
    struct Areas {
        QRegion channel, lamp, list, eq, repeat, shuffle, mute, time, total, position, volume, strip, spectrum, rates;
    };

    void ComputeAreas(const QRect& client);
    // The slots' rectangles, each of the given size (or the slot's own when empty).
    QRect SlotsRect(std::initializer_list<const char*> ids, QSize size);
    void UpdateTitleMetrics();
    void UpdateBitrate();
    void DrawTimeDisplay(QPainter& painter, const QRect& client);
    void DrawStrip(QPainter& painter);
    void DrawSpectrum(QPainter& painter);

    SkinElementSet& skin_;
    const PlaybackView& view_;
    const mainwin::StatusBoard& status_;
    MainSliders& sliders_;
    DigitSet nowDigits_, endDigits_, stateDigits_;
    Areas areas_;
    mainwin::FrequencyBars spectrum_;
    QRect timeArea_;
    bool showElapsed_ = true;
    QFont stripFont_;
    TextLine stripLine_;
    SkinElement* stripGround_ = nullptr;
    SkinElement* spectrumGround_ = nullptr;
    SkinElement* spectrumBar_ = nullptr;
    std::string titleSource_;  // the state's title that title_ was made from
    QString title_;
    int titleX_ = 0;
    int titleWidth_ = 0;
    uint32_t bitrateChannel_ = 0;
    int fileKbps_ = 0;
};

}  // namespace tavora
