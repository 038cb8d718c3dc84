#pragma once

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <memory>

#include "app/MainForm.h"
#include "controls/VirtualClock.h"
#include "gui/MainWindow.h"

// The started form on a virtual clock and its window, shown and active, working in a
// folder that holds the setups "a.qrv" and "b.qrv" and the session "x.ses".
struct OpenWindow {
    qv::VirtualClock clock;
    qv::modSynth_DX7 tone;
    qv::MainForm form{clock, tone, folder().toStdString()};
    std::unique_ptr<qv::MainWindow> window;

    OpenWindow() {
        if (!form.Form_Load()) qFatal("the form did not start");
        window = std::make_unique<qv::MainWindow>(form);
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
    qv::Panel& panel() { return form.panel; }
    // The scroll bar of a parameter by its widget's name, "sc(9)" or "hsc(36)".
    qv::ScrollBar& bar(const QString& name) {
        return panel().bar(name.section('(', 1).chopped(1).toInt());
    }

    static QString folder() {
        static QTemporaryDir dir;
        static bool filled = [] {
            for (const char* name : {"b.qrv", "a.qrv", "x.ses"})
                std::ofstream(dir.filePath(name).toStdString()) << "\r\n";
            return true;
        }();
        return filled ? dir.path() : QString();
    }
};
