#pragma once

#include <QTest>
#include <QtWidgets>
#include <fstream>

#include "app/MainForm.h"
#include "controls/VirtualClock.h"
#include "gui/MainWindow.h"

using namespace qv;

// The started form on a virtual clock and its window, shown and active, working in a
// folder that holds the setups "a.qrv" and "b.qrv" and the session "x.ses".
struct OpenWindow {
    QTemporaryDir dir;
    VirtualClock clock;
    modSynth_DX7 tone;
    MainForm form{clock, tone, dir.path().toStdString()};
    Panel& panel = form.panel;
    std::unique_ptr<MainWindow> window;

    OpenWindow() {
        for (const char* name : {"b.qrv", "a.qrv", "x.ses"})
            std::ofstream(dir.filePath(name).toStdString()) << "\r\n";
        form.File1.refresh_list();
        form.File2.refresh_list();
        if (!form.Form_Load()) qFatal("the form did not start");
        window = std::make_unique<MainWindow>(form);
        window->show();
        QApplication::setActiveWindow(window.get());
        if (!QTest::qWaitForWindowActive(window.get())) qFatal("the window did not show");
    }
    template <typename W = QWidget>
    W* widget(const QString& name) {
        auto* w = qobject_cast<W*>(window->control_widget(name));
        if (!w) qFatal("no widget %s", qPrintable(name));
        return w;
    }
};
