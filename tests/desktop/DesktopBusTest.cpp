// The window on a private session bus beside stand-ins for the desktop's inhibitors
// (fake_desktop.py, whose mode and log the environment names): it keeps the machine
// awake exactly while the tone can be heard or the time line runs, lets go when the
// window closes (waiting little for an answer on its way), asks a desktop without
// either service once until one appears, and its media controls move the transport as
// its buttons do.
#include <signal.h>

#include <QDBusConnection>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include "../gui/WindowFixture.h"

using namespace qv;

class DesktopBusTest : public QObject {
    Q_OBJECT

    // The inhibitor calls the stand-ins have seen, one word each.
    static QStringList calls() {
        QFile log(qEnvironmentVariable("FAKE_DESKTOP_LOG"));
        if (!log.open(QIODevice::ReadOnly)) return {};
        QStringList seen;
        for (const QByteArray& line : log.readAll().split('\n')) {
            if (!line.isEmpty()) seen << QString::fromUtf8(line);
        }
        return seen;
    }
    inline static const QStringList absent{"portal-inhibit", "power-inhibit"};
    // What the desktop's side says of the window's media controls, through dbus-send.
    static QString send(OpenWindow& w, const QStringList& call) {
        QProcess p;
        p.start(QStringLiteral("dbus-send"),
                QStringList{QStringLiteral("--session"), QStringLiteral("--print-reply"),
                            QStringLiteral("--dest=") + w.window->media_controls()->service(),
                            QStringLiteral("/org/mpris/MediaPlayer2")} +
                    call);
        // The window answers from this event loop, so wait without blocking it.
        for (int waited = 0; p.state() != QProcess::NotRunning && waited < 5000; waited += 10) {
            QTest::qWait(10);
        }
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    static QString status(OpenWindow& w) {
        const QString reply = send(w, {QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                                       QStringLiteral("string:org.mpris.MediaPlayer2.Player"),
                                       QStringLiteral("string:PlaybackStatus")});
        return reply.section('"', 1, 1);
    }
    static void press(OpenWindow& w, const char* method) {
        send(w, {QStringLiteral("org.mpris.MediaPlayer2.Player.") + QLatin1String(method)});
    }

private slots:
    void init() { QFile::remove(qEnvironmentVariable("FAKE_DESKTOP_LOG")); }

    void awake_while_audible_or_running() {
        const QString mode = qEnvironmentVariable("FAKE_DESKTOP");
        // What taking and letting go look like to each stand-in.
        const QString take = mode == "portal"  ? QStringLiteral("portal-inhibit 4")
                             : mode == "power" ? QStringLiteral("power-inhibit")
                                               : QString();
        const QString drop = mode == "portal"  ? QStringLiteral("portal-close")
                             : mode == "power" ? QStringLiteral("power-uninhibit 7")
                                               : QString();
        auto seen = [&](QStringList expected) {
            if (mode == "none") expected = expected.isEmpty() ? QStringList() : absent;
            QTRY_COMPARE_WITH_TIMEOUT(calls(), expected, 3000);
        };
        OpenWindow w;
        QTest::qWait(600);
        seen({});  // silent and stopped: the desktop may sleep
        w.panel.sc(P::Vol).set_value(40);
        seen({take});
        w.panel.sc(P::Vol).set_value(0);
        seen({take, drop});
        w.form.play.click();  // a silent time line still runs to its end
        seen({take, drop, take});
        w.form.pause.click();
        seen({take, drop, take, drop});
        w.form.play.click();
        seen({take, drop, take, drop, take});
        w.window->close();
        seen({take, drop, take, drop, take, drop});
    }

    void absent_desktop_asked_once_until_it_appears() {
        if (qEnvironmentVariable("FAKE_DESKTOP") != "none") QSKIP("the desktop is there");
        OpenWindow w;
        w.panel.sc(P::Vol).set_value(40);
        // Ten of the window's reminders to the desktop, ten times as fast.
        auto* reminder = w.window->findChild<QTimer*>(QString(), Qt::FindDirectChildrenOnly);
        QVERIFY(reminder && reminder->interval() == 1000);
        reminder->setInterval(100);
        QTest::qWait(1000);
        QCOMPARE(calls(), absent);
        reminder->stop();  // from here on only a name appearing brings a call
        // The portal appears, but answers only once the window has closed.
        QProcess portal;
        portal.start("/usr/bin/python3",
                     {qEnvironmentVariable("FAKE_DESKTOP_SCRIPT"), "portal", "/dev/null"});
        QVERIFY(portal.waitForReadyRead(5000));
        ::kill(portal.processId(), SIGSTOP);
        QTRY_COMPARE(calls(), absent + QStringList{"portal-inhibit"});
        w.window->close();
        ::kill(portal.processId(), SIGCONT);
        // Let go once the answer comes; a close that had waited for it would have dropped it.
        QTRY_COMPARE(calls().last(), QStringLiteral("portal-close"));
        portal.close();
    }

    void media_controls_press_the_buttons() {
        OpenWindow w;
        QVERIFY(
            w.window->media_controls()->service().startsWith("org.mpris.MediaPlayer2.quorvane"));
        QCOMPARE(status(w), QStringLiteral("Stopped"));
        press(w, "Play");
        QVERIFY(w.form.transport().running());
        QCOMPARE(status(w), QStringLiteral("Playing"));
        w.clock.advance(1500);
        press(w, "Pause");
        QVERIFY(!w.form.transport().running());
        QCOMPARE(status(w), QStringLiteral("Paused"));
        press(w, "PlayPause");
        QVERIFY(w.form.transport().running());
        press(w, "Stop");
        QCOMPARE(status(w), QStringLiteral("Stopped"));
        QCOMPARE(w.form.timeline().playtime(), 0.0f);

        // A disabled button is not pressed, and the desktop is told it cannot be.
        w.form.play.set_enabled(false);
        press(w, "Play");
        QVERIFY(!w.form.transport().running());
        QVERIFY(send(w, {QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                         QStringLiteral("string:org.mpris.MediaPlayer2.Player"),
                         QStringLiteral("string:CanPlay")})
                    .contains(QStringLiteral("boolean false")));
    }
};

QTEST_MAIN(DesktopBusTest)
#include "DesktopBusTest.moc"
