#pragma once

#include <QObject>

class PrintoutTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tabs_data();
    void tabs();
    void threeRecords();
    void pageBreakAfterSixtyOneRecordLines();
    void pagesFitThePaper_data();
    void pagesFitThePaper();
};
