// The product infobase on any file: each entry is found again by its display
// name, a line written with quoted fields reads back as written, and the
// default line appended to the file reads back after the old entries.

#include "FuzzSupport.h"
#include "core/support/Failure.h"
#include "core/tftp/ProductInfobase.h"

namespace {

bool same(const InfobaseEntry &a, const InfobaseEntry &b)
{
    return a.deviceFileName == b.deviceFileName && a.displayName == b.displayName;
}

QList<InfobaseEntry> entriesOf(const QString &path)
{
    try {
        return ProductInfobase::read(path);
    } catch (const Failure &failure) {
        FUZZ_CHECK(failure.number() == FailureNumber::InputPastEndOfFile);
        return {};
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray before = inputBytes(data, size);
    const QString path = scratchFile(QStringLiteral("ProductInfobase.txt"));
    writeScratch(path, before);

    const QList<InfobaseEntry> entries = entriesOf(path);
    for (const InfobaseEntry &entry : entries) {
        for (const QString &field : {entry.deviceFileName, entry.displayName})
            FUZZ_CHECK(!field.contains('\r') && !field.contains('\n'));
        for (const InfobaseEntry &earlier : entries) {
            if (earlier.displayName == entry.displayName) {
                FUZZ_CHECK(ProductInfobase::lookUp(path, entry.displayName) ==
                           earlier.deviceFileName);
                break;
            }
        }
        // Quoted, any field without a quote of its own reads back whole.
        if (!entry.deviceFileName.contains('"') && !entry.displayName.contains('"')) {
            const auto again = ProductInfobase::parseLine('"' + entry.deviceFileName + "\",\"" +
                                                          entry.displayName + '"');
            FUZZ_CHECK(again && same(*again, entry));
        }
    }

    ProductInfobase::appendDefault(path);
    const QByteArray after = readScratch(path);
    FUZZ_CHECK(after.startsWith(before) && after.endsWith(ProductInfobase::defaultLine()));
    FUZZ_CHECK(after.size() - before.size() - ProductInfobase::defaultLine().size() <= 2);
    const QList<InfobaseEntry> appended = entriesOf(path);
    FUZZ_CHECK(appended.size() == entries.size() + 1);
    for (qsizetype i = 0; i < entries.size(); ++i)
        FUZZ_CHECK(same(appended[i], entries[i]));
    FUZZ_CHECK(same(appended.last(), {QStringLiteral("3Q"), QStringLiteral("Standard")}));
    return 0;
}
