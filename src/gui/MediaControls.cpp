#include "gui/MediaControls.h"

#include <unistd.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QWidget>
#include <cmath>

namespace qv {

namespace {

const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
constexpr qlonglong kMicroseconds = 1000000;

}  // namespace

MediaControls::MediaControls(MainForm& form, QWidget& window)
    : QObject(&window), form(form), window(window) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    new MediaRoot(*this);
    auto* player = new MediaPlayer(*this);
    connect(this, &MediaControls::seeked, player, &MediaPlayer::Seeked);
    if (!bus.registerObject(kPath, this)) return;
    // A second window takes a name of its own.
    for (QString name :
         {QStringLiteral("org.mpris.MediaPlayer2.quorvane"),
          QStringLiteral("org.mpris.MediaPlayer2.quorvane.instance%1").arg(getpid())}) {
        if (bus.registerService(name)) {
            service_ = name;
            break;
        }
    }
    jumps_ = form.join_jumps([this] {
        if (!service_.isEmpty()) emit seeked(position());
    });
    follow_track();
    announced_ = player_properties();
}

void MediaControls::follow_track() {
    const QString title = QString::fromStdString(
        form.sessionPlayer().running() ? form.Text3.text() : form.Text1.text());
    if (title != title_) {
        title_ = title;
        ++track_;
    }
}

MediaControls::~MediaControls() {
    form.leave_jumps(jumps_);
    if (!service_.isEmpty()) QDBusConnection::sessionBus().unregisterService(service_);
}

QString MediaControls::playback_status() const {
    if (form.transport().running()) return QStringLiteral("Playing");
    return form.timeline().playtime() > 0 ? QStringLiteral("Paused") : QStringLiteral("Stopped");
}

QVariantMap MediaControls::metadata() const {
    QVariantMap data;
    data[QStringLiteral("mpris:trackid")] = QVariant::fromValue(
        QDBusObjectPath(QStringLiteral("/org/quorvane/Quorvane/Track/%1").arg(track_)));
    data[QStringLiteral("xesam:title")] = title_;
    // A setup plays to just after its last key; a session's length shows only as it plays.
    const std::optional<std::int64_t> end = form.transport().end_ms();
    if (!form.sessionPlayer().running() && end) {
        data[QStringLiteral("mpris:length")] = static_cast<qlonglong>(*end * 1000);
    }
    return data;
}

qlonglong MediaControls::position() const {
    return static_cast<qlonglong>(
        std::llround(static_cast<double>(form.timeline().playtime()) * kMicroseconds));
}

QVariantMap MediaControls::player_properties() const {
    return {{QStringLiteral("PlaybackStatus"), playback_status()},
            {QStringLiteral("Metadata"), metadata()},
            {QStringLiteral("Volume"), form.panel.sc(P::Vol).value() / 100.0},
            {QStringLiteral("CanPlay"), form.play.enabled()},
            {QStringLiteral("CanPause"), form.pause.enabled()},
            {QStringLiteral("CanGoNext"), form.nextkey.enabled()},
            {QStringLiteral("CanGoPrevious"), form.prevkey.enabled()}};
}

void MediaControls::refresh() {
    if (service_.isEmpty()) return;
    follow_track();
    const QVariantMap now = player_properties();
    QVariantMap changed;
    for (auto it = now.begin(); it != now.end(); ++it) {
        if (announced_.value(it.key()) != it.value()) changed.insert(it.key(), it.value());
    }
    if (changed.isEmpty()) return;
    announced_ = now;
    QDBusMessage signal =
        QDBusMessage::createSignal(kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

MediaRoot::MediaRoot(MediaControls& controls)
    : QDBusAbstractAdaptor(&controls), controls_(controls) {}

void MediaRoot::Raise() {
    controls_.window.show();
    controls_.window.raise();
    controls_.window.activateWindow();
}

void MediaRoot::Quit() {
    controls_.window.close();
}

MediaPlayer::MediaPlayer(MediaControls& controls)
    : QDBusAbstractAdaptor(&controls), controls_(controls) {}

double MediaPlayer::volume() const {
    return controls_.form.panel.sc(P::Vol).value() / 100.0;
}

void MediaPlayer::set_volume(double volume) {
    if (!std::isfinite(volume)) return;
    controls_.form.panel.sc(P::Vol).set_value(std::lround(std::clamp(volume, 0.0, 1.0) * 100));
}

void MediaPlayer::PlayPause() {
    if (controls_.form.transport().running()) {
        Pause();
    } else {
        Play();
    }
}

}  // namespace qv
