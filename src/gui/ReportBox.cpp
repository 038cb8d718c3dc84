#include "gui/ReportBox.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QTime>
#include <QVBoxLayout>

namespace qv {

ReportBox::ReportBox(QWidget* parent) : QDialog(parent), list_(new QListWidget(this)) {
    setWindowModality(Qt::NonModal);
    list_->setWordWrap(true);
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    resize(420, 200);
}

void ReportBox::add(const std::string& message) {
    list_->insertItem(0, QTime::currentTime().toString(QStringLiteral("HH:mm:ss")) +
                             QStringLiteral("  ") + QString::fromStdString(message));
    while (list_->count() > kKept) delete list_->takeItem(list_->count() - 1);
    if (parentWidget()) setWindowTitle(parentWidget()->windowTitle());
    show();
    raise();
}

QStringList ReportBox::messages() const {
    QStringList shown;
    for (int row = 0; row < list_->count(); ++row) shown << list_->item(row)->text();
    return shown;
}

void ReportBox::done(int result) {
    list_->clear();  // read: the next message starts a new list
    QDialog::done(result);
}

}  // namespace qv
