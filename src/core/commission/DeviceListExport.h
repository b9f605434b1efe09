#pragma once

#include "core/device/DeviceListing.h"
#include "core/support/FileIdentity.h"

#include <QByteArray>
#include <QList>

// The device list as a CSV file (UTF-8): the list's titles as the header,
// then one device a row, every text whole.
QByteArray deviceListCsv(const QList<ListedDevice> &devices);

// A commissioning plan to complete: the plan's columns as the header, then a
// row per device with its hardware address and every other column empty.
// Once each row has its new address it is a plan the commission command
// takes.
QByteArray planTemplateCsv(const QList<ListedDevice> &devices);

// Writes an export: whatever is at the path (a file or a link) is replaced,
// a link's target is never written. A target that is one of the files this
// run reads (`read`) is refused with a Failure that names both; write
// failures are thrown as Failure too.
void writeExport(const FileUse &target, const QList<FileUse> &read, const QByteArray &bytes);
