#pragma once

#include <QImage>
#include <QWidget>

#include "app/MainForm.h"

class QMessageBox;

namespace qv {

// The window of a MainForm: one widget per control of the form, placed at the control's
// twips / 15. Each control's refresh hook updates its widget and the user's input goes
// back into the control, so the handlers only ever see the form.
class MainWindow : public QWidget {
public:
    static constexpr int kTwipsPerPixel = 15;

    explicit MainWindow(MainForm& form, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The widget of a control by the form's name: "sc(12)", "List1".
    QWidget* control_widget(const QString& name) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void show_report(const std::string& message);

    MainForm& form_;
    QImage background_;
    QMessageBox* report_box_ = nullptr;
    bool unloaded_ = false;
};

}  // namespace qv
