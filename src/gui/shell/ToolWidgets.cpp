#include "gui/shell/ToolWidgets.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TargetFrame makeTargetFrame(QWidget *parent)
{
    auto *frame = named(new QGroupBox(QStringLiteral("Target"), parent), "fraTarget");
    auto *label = named(new QLabel(QStringLiteral("Enter IP Address:"), frame), "lblIPAddress");
    auto *address = named(new QLineEdit(frame), "txtIPAddress");
    address->setMinimumWidth(160);
    auto *grid = new QGridLayout(frame);
    grid->addWidget(label, 0, 0);
    grid->addWidget(address, 0, 1);
    return {frame, grid, address};
}

QPushButton *toolButton(const QString &caption, const char *name, QWidget *parent)
{
    auto *button = named(new QPushButton(caption, parent), name);
    button->setAutoDefault(false);
    return button;
}

void stackControls(QWidget *dialog, const QList<QWidget *> &rows,
                   const QList<QPushButton *> &buttons)
{
    auto *layout = new QVBoxLayout(dialog);
    for (QWidget *row : rows)
        layout->addWidget(row);
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    for (QPushButton *button : buttons)
        buttonRow->addWidget(button);
    layout->addLayout(buttonRow);
}
