#pragma once

#include <QObject>

class QueryDialogTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initialState();
    void queryShowsReply();
    void replyOfAnyLength_data();
    void replyOfAnyLength();
    void timeoutShownOnce();
    void closingWhileWaitingIsSilent_data();
    void closingWhileWaitingIsSilent();
    void editingClearsResults_data();
    void editingClearsResults();
    void socketFailureThenTimeout();
    void save_data();
    void save();
    void factoryReopensWithCurrentAddress();
};
