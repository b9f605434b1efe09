#pragma once

#include <QObject>

class QueryReplyTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void requestIsFourBytes();
    void versionNumberRule_data();
    void versionNumberRule();
    void decode_data();
    void decode();
};
