#include "MprisService.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <limits>

#include "CommandSink.h"
#include "DisplayTitle.h"
#include "PlaybackRules.h"
#include "PlaybackView.h"
#include "PlayerEvents.h"
#include "Settings.h"

namespace tavora {

namespace {
const char* const kPlayerInterface = "org.mpris.MediaPlayer2.Player";
const char* const kNoTrack = "/org/mpris/MediaPlayer2/TrackList/NoTrack";
constexpr qlonglong kMicro = 1000000;
int VolumeScale(const PlaybackState& s) { return s.volumeMax > 0 ? s.volumeMax : kDefaultVolumeMax; }

// QVariant cannot compare object paths; the metadata holds one.
bool Same(const QVariant& a, const QVariant& b) {
    if (a.userType() != b.userType()) return false;
    if (a.userType() == qMetaTypeId<QDBusObjectPath>()) return a.value<QDBusObjectPath>() == b.value<QDBusObjectPath>();
    if (a.userType() == QMetaType::QVariantMap) {
        const QVariantMap x = a.toMap(), y = b.toMap();
        if (x.keys() != y.keys()) return false;
        for (auto it = x.cbegin(); it != x.cend(); ++it)
            if (!Same(it.value(), y.value(it.key()))) return false;
        return true;
    }
    return a == b;
}
}  // namespace

MprisPlayer::MprisPlayer(CommandSink& sink, const PlaybackView& view, PlayerEvents& events, const Settings& settings,
                         std::function<void()> raise, QObject* parent)
    : QObject(parent), sink_(sink), view_(view), settings_(settings), raise_(std::move(raise)) {
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
    // The events come after the facts: what the properties read is already there.
    connect(&events, &PlayerEvents::trackChanged, this, &MprisPlayer::AnnounceChanges);
    connect(&events, &PlayerEvents::stateChanged, this, &MprisPlayer::AnnounceChanges);
    connect(&events, &PlayerEvents::titleChanged, this, &MprisPlayer::AnnounceChanges);
    // A change of the rows may give the current row another path.
    connect(&events, &PlayerEvents::listRowsChanged, this, &MprisPlayer::AnnounceChanges);
    connect(&events, &PlayerEvents::seeked, this, [this] { emit Seeked(position()); });
}

MprisPlayer::~MprisPlayer() {
    if (!registered_) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(QString::fromLatin1(kMprisPath));
    bus.unregisterService(QString::fromLatin1(kMprisService));
}

bool MprisPlayer::Register() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.registerObject(QString::fromLatin1(kMprisPath), this)) return false;
    if (!bus.registerService(QString::fromLatin1(kMprisService))) {
        bus.unregisterObject(QString::fromLatin1(kMprisPath));
        return false;
    }
    registered_ = true;
    AnnounceChanges();  // remembers what the bus saw first
    return true;
}

QString MprisPlayer::playbackStatus() const {
    const PlaybackState& s = view_.State();
    if (s.isPlaying) return QStringLiteral("Playing");
    if (s.isPaused) return QStringLiteral("Paused");
    return QStringLiteral("Stopped");
}

QString MprisPlayer::loopStatus() const {
    const PlaybackState& s = view_.State();
    if (s.repeatOne) return QStringLiteral("Track");
    if (s.repeatAll) return QStringLiteral("Playlist");
    return QStringLiteral("None");
}

void MprisPlayer::setLoopStatus(const QString& status) {
    const int mode = status == QLatin1String("Track") ? 1 : status == QLatin1String("Playlist") ? 2 : 0;
    if (mode == 0 && status != QLatin1String("None")) return;  // not a loop status
    sink_.Send(cmd::SetRepeatMode, CommandData::Value(mode));
    AnnounceChanges();
}

bool MprisPlayer::shuffle() const { return view_.State().shuffle != 0; }

void MprisPlayer::setShuffle(bool on) {
    sink_.Send(cmd::SetShuffle, CommandData::Value(on ? 1 : 0));
    AnnounceChanges();
}

QDBusObjectPath MprisPlayer::trackId() const {
    const PlaybackState& s = view_.State();
    if (s.channelHandle == 0 || !(s.isPlaying || s.isPaused)) return QDBusObjectPath(QString::fromLatin1(kNoTrack));
    return QDBusObjectPath(QStringLiteral("/org/tavoraplayer/track/%1").arg(s.channelHandle));
}

QVariantMap MprisPlayer::metadata() const {
    const PlaybackState& s = view_.State();
    QVariantMap m;
    m.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(trackId()));
    if (!(s.isPlaying || s.isPaused)) return m;
    m.insert(QStringLiteral("xesam:title"), QString::fromStdString(s.titleText));
    if (s.lengthSeconds > 0) m.insert(QStringLiteral("mpris:length"), qlonglong(s.lengthSeconds) * kMicro);
    const std::string path = view_.CurrentPath();
    if (!path.empty()) {
        const bool address = path.find("://") != std::string::npos;
        const QString url = address ? QString::fromStdString(path)
                                    : QUrl::fromLocalFile(QString::fromStdString(path)).toString(QUrl::FullyEncoded);
        m.insert(QStringLiteral("xesam:url"), url);
        if (!address && path != tagsPath_) {
            tagsPath_ = path;
            const TagRecord tags = ReadTitleFields(path, TitleSettingsFrom(settings_.Values()));
            artist_ = QString::fromStdString(tags.artist);
            album_ = QString::fromStdString(tags.album);
        } else if (address) {
            artist_.clear();
            album_.clear();
            tagsPath_.clear();
        }
        if (!artist_.isEmpty()) m.insert(QStringLiteral("xesam:artist"), QStringList{artist_});
        if (!album_.isEmpty()) m.insert(QStringLiteral("xesam:album"), album_);
    }
    return m;
}

double MprisPlayer::volume() const {
    const PlaybackState& s = view_.State();
    return std::clamp(double(s.volume) / VolumeScale(s), 0.0, 1.0);
}

void MprisPlayer::setVolume(double volume) {
    if (!std::isfinite(volume)) return;
    const int scale = VolumeScale(view_.State());
    const int level = static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * scale));
    sink_.Send(cmd::SetVolume, CommandData::Value(level));
    AnnounceChanges();
}

qlonglong MprisPlayer::position() const {
    const PlaybackState& s = view_.State();
    if (!(s.isPlaying || s.isPaused)) return 0;
    const double seconds = view_.PositionSeconds();
    if (!std::isfinite(seconds) || seconds <= 0) return 0;
    return static_cast<qlonglong>(std::min(seconds, double(std::numeric_limits<int>::max())) * kMicro);
}

bool MprisPlayer::canSeek() const {
    const PlaybackState& s = view_.State();
    return (s.isPlaying || s.isPaused) && !s.isUrlStream && s.lengthSeconds > 0;
}

void MprisPlayer::Next() { sink_.Send(cmd::Next); }
void MprisPlayer::Previous() { sink_.Send(cmd::Back); }
void MprisPlayer::Stop() { sink_.Send(cmd::Stop); }
void MprisPlayer::PlayPause() { sink_.Send(cmd::Play); }

void MprisPlayer::Pause() {
    if (view_.State().isPlaying) sink_.Send(cmd::Play);  // Play pauses what plays
}

void MprisPlayer::Play() {
    if (!view_.State().isPlaying) sink_.Send(cmd::Play);  // resumes, or starts the selected row
}

void MprisPlayer::Seek(qlonglong offsetUs) {
    if (!canSeek()) return;
    // Any 64-bit offset may come from the bus: the sum saturates instead of wrapping.
    qlonglong target = 0;
    if (__builtin_add_overflow(position(), offsetUs, &target))
        target = offsetUs > 0 ? std::numeric_limits<qlonglong>::max() : std::numeric_limits<qlonglong>::min();
    const qlonglong length = qlonglong(view_.State().lengthSeconds) * kMicro;
    if (target >= length) {
        Next();  // past the end: as if the song had ended
        return;
    }
    SeekToSeconds(std::max<qlonglong>(0, target) / kMicro);
}

void MprisPlayer::SetPosition(const QDBusObjectPath& track, qlonglong positionUs) {
    if (!canSeek() || track != trackId()) return;  // a request for another song is stale
    if (positionUs < 0 || positionUs > qlonglong(view_.State().lengthSeconds) * kMicro) return;
    SeekToSeconds(positionUs / kMicro);
}

void MprisPlayer::SeekToSeconds(qlonglong seconds) {
    const int value = static_cast<int>(std::clamp<qlonglong>(seconds, 0, std::numeric_limits<int>::max()));
    sink_.Send(cmd::SeekTo, CommandData::Value(value));  // the seeked event follows
}

void MprisPlayer::OpenUri(const QString& uri) {
    const QUrl url(uri);
    if (!url.isValid()) return;
    const QString scheme = url.scheme();
    QString path;
    if (url.isLocalFile()) path = url.toLocalFile();
    else if (scheme == QLatin1String("http") || scheme == QLatin1String("mms")) path = uri;
    if (path.isEmpty()) return;  // a scheme the player does not open
    // Added to the list, and the row it got is played (value 1).
    sink_.Send(cmd::HandOffAddAndPlay, CommandData{path.toStdString(), 1});
}

void MprisPlayer::Raise() {
    if (raise_) raise_();
}

void MprisPlayer::Quit() { sink_.Post(cmd::Exit); }

void MprisPlayer::AnnounceChanges() {
    if (!registered_) return;
    QVariantMap now;
    now.insert(QStringLiteral("PlaybackStatus"), playbackStatus());
    now.insert(QStringLiteral("LoopStatus"), loopStatus());
    now.insert(QStringLiteral("Shuffle"), shuffle());
    now.insert(QStringLiteral("Metadata"), metadata());
    now.insert(QStringLiteral("Volume"), volume());
    now.insert(QStringLiteral("CanSeek"), canSeek());
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (!last_.contains(it.key()) || !Same(last_.value(it.key()), it.value())) changed.insert(it.key(), it.value());
    last_ = now;
    if (changed.isEmpty()) return;
    QDBusMessage signal = QDBusMessage::createSignal(
        QString::fromLatin1(kMprisPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(kPlayerInterface) << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

MprisRootAdaptor::MprisRootAdaptor(MprisPlayer* player) : QDBusAbstractAdaptor(player), player_(player) {}

QString MprisRootAdaptor::identity() const { return QStringLiteral("타보라 플레이어"); }

QStringList MprisRootAdaptor::supportedUriSchemes() const {
    return {QStringLiteral("file"), QStringLiteral("http"), QStringLiteral("mms")};
}

QStringList MprisRootAdaptor::supportedMimeTypes() const {
    return {QStringLiteral("audio/mpeg"), QStringLiteral("audio/ogg"), QStringLiteral("audio/x-vorbis+ogg"),
            QStringLiteral("audio/x-wav"), QStringLiteral("audio/x-ms-wma"), QStringLiteral("audio/x-mpegurl"),
            QStringLiteral("audio/x-scpls")};
}

void MprisRootAdaptor::Raise() { player_->Raise(); }
void MprisRootAdaptor::Quit() { player_->Quit(); }

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisPlayer* player) : QDBusAbstractAdaptor(player), player_(player) {
    connect(player, &MprisPlayer::Seeked, this, &MprisPlayerAdaptor::Seeked);
}

}  // namespace tavora
