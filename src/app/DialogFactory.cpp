#include "app/DialogFactory.h"

#include <QWidget>

QWidget *createToolDialog(DialogId id, AppContext &context, QWidget *parent)
{
    switch (id) {
    default:
        break;
    }
    Q_UNUSED(context)
    Q_UNUSED(parent)
    return nullptr;
}
