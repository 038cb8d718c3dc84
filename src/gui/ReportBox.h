#pragma once

#include <QDialog>
#include <string>

class QListWidget;

namespace qv {

// What went wrong, kept for the user: every message with its time, the newest first, the
// last 100 at most, until the user closes the box. Shown without a nested event loop, so
// the timers keep their rhythm and no handler runs inside the one that reported.
class ReportBox : public QDialog {
public:
    static constexpr int kKept = 100;

    explicit ReportBox(QWidget* parent);

    void add(const std::string& message);
    // The messages as shown, newest first.
    QStringList messages() const;

protected:
    void done(int result) override;

private:
    QListWidget* list_;
};

}  // namespace qv
