#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QObject>
#include <QVariantMap>

#include "app/MainForm.h"

class QWidget;

namespace qv {

// The window's media controls on the session bus (MPRIS 2.2), so that the desktop's media
// keys, a headset's buttons, the lock screen and playerctl work: Play, Pause and Stop press
// the window's buttons of those names, Next and Previous press Next Key and Prev Key, and
// only while the button is enabled. The state is announced as it changes.
class MediaControls : public QObject {
    Q_OBJECT

public:
    MediaControls(MainForm& form, QWidget& window);
    ~MediaControls() override;

    // The bus name taken, or empty without a session bus.
    const QString& service() const { return service_; }
    // Compares what the desktop was last told with the form and announces what changed.
    void refresh();

    MainForm& form;
    QWidget& window;

    QString playback_status() const;
    QVariantMap metadata() const;
    qlonglong position() const;
    void press(Button& button) { button.click(); }

signals:
    void seeked(qlonglong position);

private:
    // A new setup or session name is a new track for the desktop.
    void follow_track();
    QVariantMap player_properties() const;

    QString service_;
    QVariantMap announced_;
    int track_ = 0;
    QString title_;
    int jumps_ = 0;  // its place among those told of the time line's jumps
};

// org.mpris.MediaPlayer2: the program itself.
class MediaRoot : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ yes)
    Q_PROPERTY(bool CanRaise READ yes)
    Q_PROPERTY(bool HasTrackList READ no)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktop_entry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ none)
    Q_PROPERTY(QStringList SupportedMimeTypes READ none)

public:
    explicit MediaRoot(MediaControls& controls);
    bool yes() const { return true; }
    bool no() const { return false; }
    QString identity() const { return QStringLiteral("Quorvane"); }
    QString desktop_entry() const { return QStringLiteral("org.quorvane.Quorvane"); }
    QStringList none() const { return {}; }

public slots:
    void Raise();
    void Quit();

private:
    MediaControls& controls_;
};

// org.mpris.MediaPlayer2.Player: the transport.
class MediaPlayer : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playback_status)
    Q_PROPERTY(double Rate READ rate WRITE set_rate)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE set_volume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(double MinimumRate READ rate)
    Q_PROPERTY(double MaximumRate READ rate)
    Q_PROPERTY(bool CanGoNext READ can_go_next)
    Q_PROPERTY(bool CanGoPrevious READ can_go_previous)
    Q_PROPERTY(bool CanPlay READ can_play)
    Q_PROPERTY(bool CanPause READ can_pause)
    Q_PROPERTY(bool CanSeek READ can_seek)
    Q_PROPERTY(bool CanControl READ can_control)

public:
    explicit MediaPlayer(MediaControls& controls);

    QString playback_status() const { return controls_.playback_status(); }
    double rate() const { return 1.0; }
    void set_rate(double) {}
    QVariantMap metadata() const { return controls_.metadata(); }
    double volume() const;
    void set_volume(double volume);
    qlonglong position() const { return controls_.position(); }
    bool can_go_next() const { return controls_.form.nextkey.enabled(); }
    bool can_go_previous() const { return controls_.form.prevkey.enabled(); }
    bool can_play() const { return controls_.form.play.enabled(); }
    bool can_pause() const { return controls_.form.pause.enabled(); }
    bool can_seek() const { return false; }
    bool can_control() const { return true; }

public slots:
    void Next() { controls_.press(controls_.form.nextkey); }
    void Previous() { controls_.press(controls_.form.prevkey); }
    void Pause() { controls_.press(controls_.form.pause); }
    void PlayPause();
    void Stop() { controls_.press(controls_.form.stop); }
    void Play() { controls_.press(controls_.form.play); }
    // The time line moves by its own buttons only.
    void Seek(qlonglong) {}
    void SetPosition(const QDBusObjectPath&, qlonglong) {}
    void OpenUri(const QString&) {}

signals:
    void Seeked(qlonglong Position);

private:
    MediaControls& controls_;
};

}  // namespace qv
