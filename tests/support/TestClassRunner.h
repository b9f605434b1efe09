#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QRegularExpression>
#include <QTest>
#include <initializer_list>
#include <memory>

// Runs several test classes in one area executable. Test functions named on
// the command line go to the class that has them; a class with none of the
// named functions is skipped.
inline int runTestClasses(int argc, char **argv, std::initializer_list<QObject *(*)()> factories)
{
    static const QRegularExpression functionName(QStringLiteral("^[A-Za-z_]\\w*(:.*)?$"));
    static const QByteArrayList withValue = {
        "-o", "-maxwarnings", "-eventdelay", "-keydelay", "-mousedelay", "-seed", "-platform"};
    int failures = 0;
    for (auto create : factories) {
        const std::unique_ptr<QObject> test(create());
        QList<char *> arguments{argv[0]};
        bool named = false;
        bool mine = false;
        for (int i = 1; i < argc; ++i) {
            const QByteArray argument(argv[i]);
            if (withValue.contains(argument) && i + 1 < argc) {
                arguments << argv[i] << argv[i + 1];
                ++i;
            } else if (functionName.match(QString::fromLocal8Bit(argument)).hasMatch()) {
                named = true;
                if (test->metaObject()->indexOfMethod(argument.split(':').first() + "()") >= 0) {
                    mine = true;
                    arguments << argv[i];
                }
            } else {
                arguments << argv[i];
            }
        }
        if (!named || mine)
            failures += QTest::qExec(test.get(), int(arguments.size()), arguments.data());
    }
    return failures;
}
