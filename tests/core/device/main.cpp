// The device protocol: the reply decoder and the query exchange.
#include "HostileReplyTest.h"
#include "QueryReplyTest.h"
#include "TestClassRunner.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return runTestClasses(argc, argv,
                          {[]() -> QObject * { return new QueryReplyTest; },
                           []() -> QObject * { return new HostileReplyTest; }});
}
