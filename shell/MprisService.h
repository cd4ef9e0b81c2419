#pragma once
// The player as an MPRIS2 media player ("org.mpris.MediaPlayer2.tavoraplayer" on the
// session bus), so that the desktop's media keys, panel widgets and playerctl drive
// it. Every action is a controller command, so it does exactly what the same button
// does; what it reports is read from the playback view and announced with
// PropertiesChanged as the player's events come in (another track, a change of the
// transport, volume or modes, a change of the list's rows), and Seeked after every
// jump of the position, whoever asked for it. Nothing is polled.
//
// Threading: UI thread only.

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <string>

namespace tavora {

class CommandSink;
class PlaybackView;
class Settings;
class PlayerEvents;

inline constexpr const char* kMprisService = "org.mpris.MediaPlayer2.tavoraplayer";
inline constexpr const char* kMprisPath = "/org/mpris/MediaPlayer2";

// What the bus sees of the player; the adaptors below read and drive it.
class MprisPlayer : public QObject {
    Q_OBJECT
public:
    // `raise` brings the player's windows back (the bus's Raise).
    MprisPlayer(CommandSink& sink, const PlaybackView& view, PlayerEvents& events, const Settings& settings,
                std::function<void()> raise, QObject* parent = nullptr);
    ~MprisPlayer() override;

    bool Register();

    QString playbackStatus() const;
    QString loopStatus() const;
    void setLoopStatus(const QString& status);
    bool shuffle() const;
    void setShuffle(bool on);
    QVariantMap metadata() const;
    double volume() const;
    void setVolume(double volume);
    qlonglong position() const;
    bool canSeek() const;

    void Next();
    void Previous();
    void Pause();
    void PlayPause();
    void Stop();
    void Play();
    void Seek(qlonglong offsetUs);
    void SetPosition(const QDBusObjectPath& track, qlonglong positionUs);
    void OpenUri(const QString& uri);
    void Raise();
    void Quit();

    // Announces the properties that changed since the last announcement.
    void AnnounceChanges();

signals:
    void Seeked(qlonglong positionUs);

private:
    // SeekTo with the seconds held to what the command carries (the seeked event that
    // follows gives Seeked).
    void SeekToSeconds(qlonglong seconds);
    QDBusObjectPath trackId() const;

    CommandSink& sink_;
    const PlaybackView& view_;
    const Settings& settings_;
    std::function<void()> raise_;
    QVariantMap last_;
    // The tags of the path last shown, read once per song.
    mutable std::string tagsPath_;
    mutable QString artist_, album_;
    bool registered_ = false;
};

class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(bool CanRaise READ canRaise)
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)
public:
    explicit MprisRootAdaptor(MprisPlayer* player);
    bool canQuit() const { return true; }
    bool canRaise() const { return true; }
    bool hasTrackList() const { return false; }
    QString identity() const;
    QString desktopEntry() const { return QStringLiteral("tavoraplayer"); }
    QStringList supportedUriSchemes() const;
    QStringList supportedMimeTypes() const;
public slots:
    void Raise();
    void Quit();

private:
    MprisPlayer* player_;
};

class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(QString LoopStatus READ loopStatus WRITE setLoopStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(bool Shuffle READ shuffle WRITE setShuffle)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(double MinimumRate READ rate)
    Q_PROPERTY(double MaximumRate READ rate)
    Q_PROPERTY(bool CanGoNext READ yes)
    Q_PROPERTY(bool CanGoPrevious READ yes)
    Q_PROPERTY(bool CanPlay READ yes)
    Q_PROPERTY(bool CanPause READ yes)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ yes)
public:
    explicit MprisPlayerAdaptor(MprisPlayer* player);
    QString playbackStatus() const { return player_->playbackStatus(); }
    QString loopStatus() const { return player_->loopStatus(); }
    void setLoopStatus(const QString& s) { player_->setLoopStatus(s); }
    double rate() const { return 1.0; }
    void setRate(double) {}
    bool shuffle() const { return player_->shuffle(); }
    void setShuffle(bool on) { player_->setShuffle(on); }
    QVariantMap metadata() const { return player_->metadata(); }
    double volume() const { return player_->volume(); }
    void setVolume(double v) { player_->setVolume(v); }
    qlonglong position() const { return player_->position(); }
    bool canSeek() const { return player_->canSeek(); }
    bool yes() const { return true; }
public slots:
    void Next() { player_->Next(); }
    void Previous() { player_->Previous(); }
    void Pause() { player_->Pause(); }
    void PlayPause() { player_->PlayPause(); }
    void Stop() { player_->Stop(); }
    void Play() { player_->Play(); }
    void Seek(qlonglong offset) { player_->Seek(offset); }
    void SetPosition(const QDBusObjectPath& track, qlonglong position) { player_->SetPosition(track, position); }
    void OpenUri(const QString& uri) { player_->OpenUri(uri); }
signals:
    void Seeked(qlonglong Position);

private:
    MprisPlayer* player_;
};

}  // namespace tavora
