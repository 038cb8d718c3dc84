// The window on a private session bus beside stand-ins for the desktop's inhibitors
// (fake_desktop.py, whose mode and log the environment names): it keeps the machine
// awake exactly while the tone can be heard or the time line runs, lets go when the
// window closes (waiting little for an answer on its way), asks a desktop without
// either service once until one appears, and its media controls move the transport as
// its buttons do.
#include <signal.h>

#include "../gui/WindowFixture.h"

class DesktopBusTest : public QObject {
    Q_OBJECT

    // The inhibitor calls the stand-ins have seen, one word each.
    static QStringList calls() {
        QFile log(qEnvironmentVariable("FAKE_DESKTOP_LOG"));
        if (!log.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    inline static const QStringList absent{"portal-inhibit", "power-inhibit"};
    // What the desktop's side says of the window's media controls, through dbus-send.
    static QString send(OpenWindow& w, const QStringList& call) {
        QProcess p;
        p.start("dbus-send", QStringList{"--session", "--print-reply",
                                         "--dest=" + w.window->media_controls()->service(),
                                         "/org/mpris/MediaPlayer2"} +
                                 call);
        // The window answers from this event loop, so wait without blocking it.
        for (int waited = 0; p.state() != QProcess::NotRunning && waited < 5000; waited += 10)
            QTest::qWait(10);
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    // A property of the player, as the reply's last word: "Playing", "false".
    static QString get(OpenWindow& w, const QString& property) {
        const QString reply =
            send(w, {"org.freedesktop.DBus.Properties.Get", "string:org.mpris.MediaPlayer2.Player",
                     "string:" + property});
        return reply.simplified().section(' ', -1).remove('"');
    }
    static void press(OpenWindow& w, const char* method) {
        send(w, {QStringLiteral("org.mpris.MediaPlayer2.Player.") + QLatin1String(method)});
    }

private slots:
    void init() { QFile::remove(qEnvironmentVariable("FAKE_DESKTOP_LOG")); }

    void awake_while_audible_or_running() {
        const QString mode = qEnvironmentVariable("FAKE_DESKTOP");
        // What taking and letting go look like to each stand-in; a desktop with neither is
        // asked once of each, and no more.
        const QStringList sides = mode == "portal"
                                      ? QStringList{"portal-inhibit 4", "portal-close"}
                                      : QStringList{"power-inhibit", "power-uninhibit 7"};
        QStringList expected;
        // After each step the window takes or lets go once more.
        auto after = [&](const std::function<void()>& step) {
            step();
            expected << sides[expected.size() % 2];
            QTRY_COMPARE_WITH_TIMEOUT(calls(), mode == "none" ? absent : expected, 3000);
        };
        OpenWindow w;
        QTest::qWait(600);
        QCOMPARE(calls(), QStringList());  // silent and stopped: the desktop may sleep
        after([&] { w.panel.sc(P::Vol).set_value(40); });
        after([&] { w.panel.sc(P::Vol).set_value(0); });
        after([&] { w.form.play.click(); });  // a silent time line still runs to its end
        after([&] { w.form.pause.click(); });
        after([&] { w.form.play.click(); });
        after([&] { w.window->close(); });
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
        QCOMPARE(get(w, "PlaybackStatus"), QStringLiteral("Stopped"));
        // Playing while the time line runs, Paused once time has been played, Stopped at the
        // start.
        for (auto [method, status] : {std::pair{"Play", "Playing"},
                                      {"Pause", "Paused"},
                                      {"PlayPause", "Playing"},
                                      {"Stop", "Stopped"}}) {
            w.clock.advance(1500);
            press(w, method);
            QCOMPARE(get(w, "PlaybackStatus"), QString(status));
        }
        // A disabled button is not pressed, and the desktop is told it cannot be.
        w.form.play.set_enabled(false);
        press(w, "Play");
        QVERIFY(!w.form.transport().running());
        QCOMPARE(get(w, "CanPlay"), QStringLiteral("false"));
    }
};

QTEST_MAIN(DesktopBusTest)
#include "DesktopBusTest.moc"
