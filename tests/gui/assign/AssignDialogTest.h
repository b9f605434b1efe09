#pragma once

#include <QObject>

class AssignDialogTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void assignSucceeds();
    void inputChecks_data();
    void inputChecks();
    void exchangeFailures_data();
    void exchangeFailures();
};

QObject *createAssignEndToEndTest();
