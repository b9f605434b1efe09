#pragma once

#include <QObject>

// Logic of the download subsystem, no widgets: packet bytes, the product
// infobase, transfers against the simulated device and against tftpd-hpa.
class TestDownloadLogic : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // TftpPacketTests.cpp
    void writeRequestBytes_data();
    void writeRequestBytes();
    void writeRequestRefusesUnsendableNames_data();
    void writeRequestRefusesUnsendableNames();
    void dataHeaderBytes_data();
    void dataHeaderBytes();
    void payloadIsReadInOneCall_data();
    void payloadIsReadInOneCall();
    void acknowledgement_data();
    void acknowledgement();
    void errorFromTheDevice_data();
    void errorFromTheDevice();

    // InfobaseTests.cpp
    void infobaseLine_data();
    void infobaseLine();
    void shownMissingName_data();
    void shownMissingName();
    void standsForDefault_data();
    void standsForDefault();
    void emptyOrMissingInfobaseFails();
    void defaultLineAppendedEachTime();
    void lookUpIsExactAndCaseSensitive();
    void firmwareDestinationWithoutQuestions_data();
    void firmwareDestinationWithoutQuestions();
    void firmwareDestinationsOffered_data();
    void firmwareDestinationsOffered();

    // TransferTests.cpp
    void transferStoresTheFile_data();
    void transferStoresTheFile();
    void transferAllocatesNothingPerBlock();
    void blockNumberWrapsAfter65535();
    void notAcknowledgedThenTimeout_data();
    void notAcknowledgedThenTimeout();
    void timeoutCoversTheWholeTransfer();
    void stopBeforeConnectionSendsNothing();
    void stopAfterConnectionEndsAtOnce();
    void startFailuresAreThrown_data();
    void startFailuresAreThrown();
    void unsendableNameEndsTheTransfer();
    void fileChangedWhileSentIsNoSuccess_data();
    void fileChangedWhileSentIsNoSuccess();
    void failedSendRepeatsTheSameBytes();

    // TftpdTests.cpp
    void uploadToTftpdHpa_data();
    void uploadToTftpdHpa();
};
