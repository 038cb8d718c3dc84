#include "gui/NoiseMenu.h"

#include <QAction>
#include <QActionGroup>
#include <QSettings>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "audio/modSynth_DX7.h"
#include "gui/ReportBox.h"

namespace qv {

namespace {

constexpr double kQuietest = -80, kLoudest = -10;

QSettings settings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quorvane"),
                     QStringLiteral("quorvane"));
}

}  // namespace

NoiseMenu::NoiseMenu(QWidget& window, modSynth_DX7& tone, ReportBox& reports)
    : QObject(&window), tone_(tone), reports_(reports), colours_(new QActionGroup(this)) {
    window.setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* heading =
        new QAction(QStringLiteral("Noise beneath the tones, silent while \" Vol\" is 0"), this);
    heading->setEnabled(false);
    window.addAction(heading);
    const struct {
        NoiseColour colour;
        const char* text;
        const char* key;
    } entries[] = {{NoiseColour::Off, "No noise", "Ctrl+0"},
                   {NoiseColour::White, "White noise", "Ctrl+1"},
                   {NoiseColour::Pink, "Pink noise", "Ctrl+2"},
                   {NoiseColour::Brown, "Brown noise", "Ctrl+3"}};
    for (const auto& entry : entries) {
        QAction* action = colours_->addAction(QString::fromUtf8(entry.text));
        action->setCheckable(true);
        action->setShortcut(QKeySequence(QString::fromLatin1(entry.key)));
        action->setShortcutVisibleInContextMenu(true);
        action->setData(static_cast<int>(entry.colour));
        connect(action, &QAction::triggered, this,
                [this, colour = entry.colour] { choose(colour, level_); });
        window.addAction(action);
    }
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    window.addAction(separator);
    louder_ = new QAction(this);
    louder_->setShortcut(QKeySequence(QStringLiteral("Ctrl+=")));
    louder_->setShortcutVisibleInContextMenu(true);
    connect(louder_, &QAction::triggered, this, [this] { choose(colour_, level_ + kStep); });
    softer_ = new QAction(this);
    softer_->setShortcut(QKeySequence(QStringLiteral("Ctrl+-")));
    softer_->setShortcutVisibleInContextMenu(true);
    connect(softer_, &QAction::triggered, this, [this] { choose(colour_, level_ - kStep); });
    window.addAction(louder_);
    window.addAction(softer_);

    QSettings kept = settings();
    const std::optional<NoiseColour> colour =
        noise_colour_named(kept.value(QStringLiteral("noise/colour")).toString().toStdString());
    bool number = false;
    const double level = kept.value(QStringLiteral("noise/level")).toDouble(&number);
    colour_ = colour.value_or(NoiseColour::Off);
    level_ = number && std::isfinite(level) ? std::clamp(level, kQuietest, kLoudest) : -30;
    tone_.set_noise(colour_, level_);
    show_choice();
}

void NoiseMenu::choose(NoiseColour colour, double level) {
    colour_ = colour;
    level_ = std::clamp(level, kQuietest, kLoudest);
    tone_.set_noise(colour_, level_);
    show_choice();
    QSettings kept = settings();
    kept.setValue(QStringLiteral("noise/colour"), QString::fromLatin1(noise_colour_name(colour_)));
    kept.setValue(QStringLiteral("noise/level"), level_);
    kept.sync();
    if (kept.status() != QSettings::NoError) {
        reports_.add("The noise setting could not be kept in " + kept.fileName().toStdString() +
                     ": it holds until the window closes.");
    }
}

void NoiseMenu::show_choice() {
    for (QAction* action : colours_->actions())
        action->setChecked(action->data().toInt() == static_cast<int>(colour_));
    const QString level = QString::number(level_, 'f', 0);
    louder_->setText(QStringLiteral("Noise louder (now %1 dBFS)").arg(level));
    softer_->setText(QStringLiteral("Noise softer (now %1 dBFS)").arg(level));
    louder_->setEnabled(level_ < kLoudest);
    softer_->setEnabled(level_ > kQuietest);
}

}  // namespace qv
