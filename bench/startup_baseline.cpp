// The yardstick for bench_startup: a plain Qt console program that prints one
// line and exits, so the figure compared with is Qt's own start.
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::puts("started");
    return 0;
}
