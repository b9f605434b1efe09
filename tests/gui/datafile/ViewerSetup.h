#pragma once

#include "TestContext.h"
#include "core/support/LinePrinter.h"
#include "gui/datafile/DataFileViewer.h"

#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

// Records what would be printed.
class RecordingPrinter : public LinePrinter {
public:
    explicit RecordingPrinter(QList<QList<QStringList>> *jobs) : m_jobs(jobs) {}
    bool printPages(const QList<QStringList> &pages) override
    {
        m_jobs->append(pages);
        return true;
    }

private:
    QList<QList<QStringList>> *m_jobs;
};

// A viewer on a test folder whose settings name `fileName` in `folder`: the
// test folder with its trailing '/' when null, no folder setting when empty.
struct ViewerSetup {
    explicit ViewerSetup(const QByteArray &fileName, const QByteArray &content = {},
                         const QByteArray &folder = {})
    {
        const QByteArray dir = folder.isNull() ? t.folder().toLatin1() + "/" : folder;
        t.writeFile(QStringLiteral("ConfigUtility.ini"),
                    "[Database]\r\nDatabaseFileName=" + fileName + "\r\n" +
                        (dir.isEmpty() ? QByteArray() : "DatabaseFileDir=" + dir + "\r\n"));
        t.reloadSettings();
        if (!content.isNull())
            t.writeFile(QString::fromLatin1(fileName), content);
    }
    void open()
    {
        viewer = new DataFileViewer(t.context);
        viewer->setPrinter(std::make_unique<RecordingPrinter>(&printed));
        viewer->show();
    }
    ~ViewerSetup() { delete viewer.data(); }

    QTableWidget *grid() const { return viewer->findChild<QTableWidget *>("grdDeviceData"); }
    QString cell(int row, int column) const
    {
        const QTableWidgetItem *item = grid()->item(row, column);
        return item ? item->text() : QString();
    }
    void click(const char *name) const
    {
        QTest::mouseClick(viewer->findChild<QPushButton *>(QString::fromLatin1(name)),
                          Qt::LeftButton);
    }

    TestContext t;
    QPointer<DataFileViewer> viewer;
    QList<QList<QStringList>> printed;
};

inline QByteArray recordLines(int count)
{
    QByteArray bytes;
    for (int n = 1; n <= count; ++n)
        bytes += "\"10.0.0." + QByteArray::number(n) +
                 "\",\"02-00-00-00-00-01\",\"4.5\",\"X1\",\"two port (Q2, Q2R)\"\r\n";
    return bytes;
}
