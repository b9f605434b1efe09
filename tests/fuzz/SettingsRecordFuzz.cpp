// The settings record on any settings file: every field keeps its width, and
// storing a data file location changes the two location fields of the next
// start and nothing else. The input is the folder and the file name (each up
// to a 0x1E) followed by the settings file.

#include "FuzzSupport.h"
#include "core/settings/SettingsRecord.h"

namespace {

struct Width {
    QString SettingsRecord::*field;
    int width; // -1: at most 63 characters, as read
};

const Width kWidths[] = {
    {&SettingsRecord::AppName, 32},          {&SettingsRecord::ProductName, -1},
    {&SettingsRecord::TitleBarName, 32},     {&SettingsRecord::VersionNum, 12},
    {&SettingsRecord::CompanyName, 32},      {&SettingsRecord::CopyrightYear, 20},
    {&SettingsRecord::RelNotesURL, 64},      {&SettingsRecord::SubscribeUpdatesEmail, 64},
    {&SettingsRecord::SplashScreenLogo, 32}, {&SettingsRecord::TitleBarIcon, 24},
    {&SettingsRecord::AboutBoxGraphic, 24},  {&SettingsRecord::InfobaseFile, 24},
    {&SettingsRecord::EndUser, -1},
};

bool storable(const QString &text)
{
    return !text.contains('\r') && !text.contains('\n');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    InputParts parts(inputBytes(data, size));
    const QString folder = QString::fromUtf8(parts.next());
    const QString fileName = QString::fromUtf8(parts.next());
    const ProgramPaths paths = ProgramPaths::portable(scratchFolder());
    writeScratch(paths.settingsFile, parts.rest());

    const SettingsRecord loaded = LoadSettings(paths);
    for (const Width &row : kWidths) {
        const QString &value = loaded.*row.field;
        FUZZ_CHECK(row.width < 0 ? value.size() <= 63 : value.size() == row.width);
    }

    SettingsRecord record = loaded;
    SaveDataFileLocation(record, folder, fileName);
    FUZZ_CHECK(record.DatabaseFileDir == folder && record.DatabaseFileName == fileName);

    SettingsRecord expected = loaded;
    if (storable(folder))
        expected.DatabaseFileDir = folder.isEmpty() ? paths.dataFileFolder : folder;
    if (storable(fileName))
        expected.DatabaseFileName = fileName;
    const SettingsRecord next = LoadSettings(paths);
    for (const Width &row : kWidths)
        FUZZ_CHECK(next.*row.field == expected.*row.field);
    FUZZ_CHECK(next.DatabaseFileDir == expected.DatabaseFileDir);
    FUZZ_CHECK(next.DatabaseFileName == expected.DatabaseFileName);
    return 0;
}
