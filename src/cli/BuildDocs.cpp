// cfgutil-build-docs PAGE-TEMPLATE PAGE COMPLETION: writes cfgutil(1) and the
// bash completion of cfgutil from its command table. Run by the build only.
#include "cli/CompletionScript.h"
#include "cli/ManualPage.h"

#include <QFile>
#include <cstdio>

namespace {
bool writeFile(const QString &path, const QString &text)
{
    // A link left at the path is replaced, never written through.
    QFile::remove(path);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text.toUtf8()) >= 0 &&
        file.flush())
        return true;
    std::fprintf(stderr, "cfgutil-build-docs: %s: %s\n", qPrintable(path),
                 qPrintable(file.errorString()));
    return false;
}
} // namespace

int main(int argc, char *argv[])
{
    if (argc != 4) {
        std::fputs("Usage: cfgutil-build-docs PAGE-TEMPLATE PAGE COMPLETION\n", stderr);
        return 2;
    }
    QFile page(QString::fromLocal8Bit(argv[1]));
    if (!page.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cfgutil-build-docs: %s: %s\n", argv[1],
                     qPrintable(page.errorString()));
        return 1;
    }
    const QString pageTemplate = QString::fromUtf8(page.readAll());
    return writeFile(QString::fromLocal8Bit(argv[2]), manualPage(pageTemplate)) &&
                   writeFile(QString::fromLocal8Bit(argv[3]), bashCompletionScript())
               ? 0
               : 1;
}
