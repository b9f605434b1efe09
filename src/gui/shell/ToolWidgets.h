#pragma once

#include <QList>
#include <QString>

class QGridLayout;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QWidget;

// A widget with its object name, the name the code and the tests know it by.
template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// The "Target" frame (fraTarget) of a tool dialog: "Enter IP Address:"
// (lblIPAddress) and the address box (txtIPAddress) in the first row of its
// grid; the dialog adds its own inputs beside or below.
struct TargetFrame {
    QGroupBox *frame;
    QGridLayout *grid;
    QLineEdit *address;
};
TargetFrame makeTargetFrame(QWidget *parent);

// A button that Enter never presses: each text box handles its own Enter.
QPushButton *toolButton(const QString &caption, const char *name, QWidget *parent);

// Lays out a dialog: the rows top to bottom, then the buttons at the right.
void stackControls(QWidget *dialog, const QList<QWidget *> &rows,
                   const QList<QPushButton *> &buttons);
