#include "SupportTest.h"
#include "TestContext.h"
#include "core/support/AddressChecks.h"
#include "core/support/ErrorLog.h"
#include "core/support/ErrorTrap.h"
#include "core/support/FileDialogLoop.h"
#include "core/support/SharedMessages.h"

#include <QDir>
#include <QTest>

void SupportTest::errorLogLineFormat_data()
{
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QString>("place");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QByteArray>("line");

    const QDate day(2026, 3, 7);
    QTest::newRow("ordinary") << QDateTime(day, QTime(9, 5, 3))
                              << "cmdGetDeviceInfo_Click in Query Device" << 10002
                              << "Address in use"
                              << QByteArray("#2026-03-07 09:05:03#,\"cmdGetDeviceInfo_Click in "
                                            "Query Device\",10002,\"Address in use\"\r\n");
    QTest::newRow("midnight drops the time")
        << QDateTime(day, QTime(0, 0, 0)) << "p" << 53 << "File not found"
        << QByteArray("#2026-03-07#,\"p\",53,\"File not found\"\r\n");
    QTest::newRow("one second past midnight keeps it")
        << QDateTime(day, QTime(0, 0, 1)) << "p" << 1 << ""
        << QByteArray("#2026-03-07 00:00:01#,\"p\",1,\"\"\r\n");
    QTest::newRow("quotes not doubled, negative number")
        << QDateTime(day, QTime(23, 59, 59)) << "say \"hi\"" << -5 << "bad \"name\""
        << QByteArray("#2026-03-07 23:59:59#,\"say \"hi\"\",-5,\"bad \"name\"\"\r\n");
    QTest::newRow("UTF-8 text") << QDateTime(day, QTime(1, 2, 3)) << "p" << 76
                                << QString::fromUtf8("Path not found: /d/Станция/東京")
                                << QByteArray("#2026-03-07 01:02:03#,\"p\",76,\"Path not found: "
                                              "/d/Станция/東京\"\r\n");
}

void SupportTest::errorLogLineFormat()
{
    QFETCH(QDateTime, when);
    QFETCH(QString, place);
    QFETCH(int, number);
    QFETCH(QString, description);
    QFETCH(QByteArray, line);
    QCOMPARE(errorLogLine(when, place, Failure(number, description)), line);
}

void SupportTest::logErrorAppendsLines()
{
    TestContext t;
    t.writeFile("ErrorLog.txt", "earlier line\r\n");
    const QDateTime when(QDate(2026, 1, 2), QTime(3, 4, 5));
    LogError(t.path("ErrorLog.txt"), "first", Failure(76, "Path not found"), when);
    LogError(t.path("ErrorLog.txt"), "second", Failure(53, "File not found"), when);
    QCOMPARE(t.readFile("ErrorLog.txt"),
             QByteArray("earlier line\r\n"
                        "#2026-01-02 03:04:05#,\"first\",76,\"Path not found\"\r\n"
                        "#2026-01-02 03:04:05#,\"second\",53,\"File not found\"\r\n"));
}

void SupportTest::logErrorUnwritableLogIsQuiet()
{
    // The log cannot be opened: a folder stands where the file would be, which
    // holds even for root. The caller still shows its box afterwards.
    TestContext t;
    QVERIFY(QDir(t.folder()).mkdir("ErrorLog.txt"));
    reportFailure(t.context.paths.errorLog, t.context.prompts, "place",
                  Failure(7, "Out of memory"));
    QCOMPARE(t.prompts.messageTexts(), QStringList{"7\r\nOut of memory"});

    // A read-only program folder, where the permissions are honoured.
    TestContext ro;
    ReadOnlyFolder guard(ro.folder());
    if (!guard.usable())
        return; // root writes anyway; the case above covers the behaviour
    LogError(ro.path("ErrorLog.txt"), "p", Failure(1, "d"));
    QVERIFY(!QFile::exists(ro.path("ErrorLog.txt")));
}

void SupportTest::validIPAddress_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("plain") << "10.0.0.1" << true;
    QTest::newRow("upper bounds") << "239.255.255.255" << true;
    QTest::newRow("first part above 239") << "240.0.0.1" << false;
    QTest::newRow("last part above 255") << "10.0.0.256" << false;
    QTest::newRow("three parts") << "10.0.0" << false;
    QTest::newRow("five parts") << "10.0.0.1.5" << false;
    QTest::newRow("empty part") << "10..0.1" << false;
    QTest::newRow("letters") << "1a.0.0.1" << false;
    QTest::newRow("no dot") << "localhost" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("negative part passes") << "10.-1.0.1" << true;
    QTest::newRow("plus sign") << "+10.0.0.1" << true;
    QTest::newRow("blanks around parts") << " 10 . 0 .0. 1 " << true;
    QTest::newRow("blank part") << "10. .0.1" << false;
    QTest::newRow("sign alone") << "10.-.0.1" << false;
    QTest::newRow("huge number") << "10.0.0.99999999999999999999" << false;
    QTest::newRow("zeros before a small number") << "10.0.0.0000000000000000077" << true;
    QTest::newRow("exponent refused") << "1e2.0.0.1" << false;
    QTest::newRow("hex refused") << "0x10.0.0.1" << false;
    QTest::newRow("non-ASCII digits refused") << QString::fromUtf8("\u0661.0.0.1") << false;
    QTest::newRow("leading zeros pass") << "010.0.0.01" << true;
    QTest::newRow("signed first part at its bound") << "+239.0.0.1" << true;
    QTest::newRow("non-breaking blank around a part")
        << QString::fromUtf8("10.0.0.\u00A01") << true;
}

void SupportTest::validIPAddress()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QCOMPARE(IsValidIPAddress(text), valid);
}

void SupportTest::wrongHardwareAddress_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("wrong");
    QTest::newRow("16") << "02-00-00-12-34-5" << true;
    QTest::newRow("17") << "02-00-00-12-34-5F" << false;
    QTest::newRow("17 of anything") << "xxxxxxxxxxxxxxxxx" << false;
    QTest::newRow("18") << "02-00-00-12-34-5F0" << true;
}

void SupportTest::wrongHardwareAddress()
{
    QFETCH(QString, text);
    QFETCH(bool, wrong);
    TestContext t;
    QCOMPARE(IsWrongHardwareAddress(t.prompts, text), wrong);
    if (!wrong) {
        QCOMPARE(t.prompts.count(), 0);
        return;
    }
    QCOMPARE(t.prompts.count(), 1);
    const auto shown = t.prompts.messages().first();
    QCOMPARE(shown.title, kErrorTitle);
    QCOMPARE(shown.text, kWrongHardwareAddressText);
    QCOMPARE(shown.icon, PromptIcon::Exclamation);
}

void SupportTest::sharedMessages()
{
    TestContext t;
    ShowInvalidIPAddressMessage(t.prompts);
    ShowFileNotFoundMessage(t.prompts);
    ShowPathNotFoundMessage(t.prompts);
    const auto shown = t.prompts.messages();
    QCOMPARE(shown.size(), 3);
    QCOMPARE(shown[0].text, kInvalidIPAddressText);
    QCOMPARE(shown[0].icon, PromptIcon::Exclamation);
    QCOMPARE(shown[1].text, kFileNotFoundText);
    QCOMPARE(shown[1].icon, PromptIcon::None);
    QCOMPARE(shown[2].text, kPathNotFoundText);
    QCOMPARE(shown[2].icon, PromptIcon::None);
    for (const auto &s : shown) {
        QCOMPARE(s.title, kErrorTitle);
        QCOMPARE(s.buttons, PromptButtons::Ok);
    }
    // Every shared text breaks its lines with a carriage return and a line feed.
    for (const QString &text :
         {kInvalidIPAddressText, kWrongHardwareAddressText, kFileNotFoundText, kPathNotFoundText,
          kQueryTimeoutText, kDownloadTimeoutText, kNoResponseText}) {
        QVERIFY2(text.contains(QStringLiteral("\r\n")), qPrintable(text));
        QCOMPARE(text.count(QLatin1Char('\n')), text.count(QStringLiteral("\r\n")));
        QCOMPARE(text.count(QLatin1Char('\r')), text.count(QStringLiteral("\r\n")));
    }
}

void SupportTest::errorTrapReports_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<bool>("withPrompts"); // without: nothing to show the box, only the log
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("plain") << int(TrapStyle::Plain) << true
                           << QStringList{"70\r\nPermission denied"};
    QTest::newRow("connecting") << int(TrapStyle::Connecting) << true
                                << QStringList{kFailedInConnectingLine +
                                               QStringLiteral("\r\n70\r\nPermission denied")};
    QTest::newRow("log only") << int(TrapStyle::LogOnly) << true << QStringList{};
    QTest::newRow("no prompts") << int(TrapStyle::Plain) << false << QStringList{};
}

void SupportTest::errorTrapReports()
{
    QFETCH(int, style);
    QFETCH(bool, withPrompts);
    QFETCH(QStringList, texts);
    TestContext t;
    bool afterFailureRan = false;
    const bool completed = runTrapped(
        t.context.paths.errorLog, withPrompts ? t.context.prompts : nullptr, "cmdX_Click in Tool",
        [&] {
            throw Failure(70, "Permission denied");
            afterFailureRan = true;
        },
        TrapStyle(style));
    QVERIFY(!completed);
    QVERIFY(!afterFailureRan);
    QCOMPARE(t.prompts.messageTexts(), texts);
    for (const auto &m : t.prompts.messages()) {
        QCOMPARE(m.title, kErrorTitle);
        QCOMPARE(m.icon, PromptIcon::Critical);
    }
    QVERIFY(t.readFile("ErrorLog.txt")
                .endsWith("#,\"cmdX_Click in Tool\",70,\"Permission denied\"\r\n"));
}

void SupportTest::errorTrapExpectedFailures()
{
    TestContext t;
    QList<int> handled;
    auto expected = [&](const Failure &f) {
        handled << f.number();
        return f.number() == FailureNumber::DialogCancelled;
    };
    runTrapped(
        t.context.paths.errorLog, t.context.prompts, "p", [] { throw Failure(32755, "Cancel"); },
        TrapStyle::Plain, expected);
    QCOMPARE(t.prompts.count(), 0);
    QVERIFY(t.readFile("ErrorLog.txt").isEmpty());
    runTrapped(
        t.context.paths.errorLog, t.context.prompts, "p", [] { throw Failure(5, "Bad call"); },
        TrapStyle::Plain, expected);
    QCOMPARE(handled, (QList<int>{32755, 5}));
    QCOMPARE(t.prompts.messageTexts(), QStringList{"5\r\nBad call"});
    QVERIFY(runTrapped(t.context.paths.errorLog, t.context.prompts, "p", [] {}));
}

void SupportTest::fileDialogLoopAsksAgain()
{
    TestContext t;
    t.prompts.choosePath("/missing-folder/a.txt");
    t.prompts.choosePath("/gone.txt");
    t.prompts.choosePath("/ok.txt");
    QStringList used;
    const bool done = withChosenFile(
        t.prompts,
        [&] {
            return t.prompts.openFile({"Open", {}, {}, {}});
        },
        [&](const QString &path) {
            used << path;
            if (path.startsWith("/missing"))
                throw Failure(FailureNumber::PathNotFound, "Path not found");
            if (path == "/gone.txt")
                throw Failure(FailureNumber::FileNotFound, "File not found");
        });
    QVERIFY(done);
    QCOMPARE(used.size(), 3);
    QCOMPARE(t.prompts.messageTexts(), (QStringList{kPathNotFoundText, kFileNotFoundText}));

    // Cancel ends quietly; another failure goes on to the handler's trap.
    QVERIFY(!withChosenFile(
        t.prompts, [] { return std::optional<QString>(); }, [](const QString &) {}));
    t.prompts.choosePath("/x");
    QVERIFY_THROWS_EXCEPTION(Failure, withChosenFile(
                                          t.prompts, [&] { return t.prompts.openFile({}); },
                                          [](const QString &) { throw Failure(57, "I/O"); }));
}
