// One upload with this program's TFTP transfer in a process of its own, so
// that bench_tftp_distance measures it as it measures the tftp-hpa client.
// Usage: tftp_sender PORT FILE NAME (to 127.0.0.1). Prints the heap
// allocations the upload made ("-" when they cannot be counted); exits 0
// when the transfer reported success.
#include "AllocationCount.h"
#include "UploadRun.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    // The event loop cfgutil runs on (see its main).
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 4)
        return 2;
    AppContext context;
    context.ports.tftp = quint16(arguments[1].toUInt());
    const quint64 before = AllocationCount::now();
    const UploadFigures figures = uploadWithTransfer(context, arguments[2], arguments[3]);
    const quint64 allocations = AllocationCount::now() - before;
    if (AllocationCount::available())
        std::printf("%llu\n", static_cast<unsigned long long>(allocations));
    else
        std::printf("-\n");
    return figures.seconds < 0 ? 1 : 0;
}
