#pragma once

#include "core/session/AppContext.h"
#include "gui/ToolTable.h"
#include "gui/shell/DialogRegistry.h"
#include "gui/shell/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QDialog>
#include <QEvent>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <functional>

class QLabel;
class QToolBar;

// The form names in the order the program closes them.
inline const QStringList kCloseOrder = {"frmAbout",        "frmAssignIP",     "frmDataFile",
                                        "frmLoadFirmware", "frmLoadWebPages", "frmPingDevice",
                                        "frmQueryDevice",  "frmTelnetDevice", "frmWebConfig"};

// Stands in for a tool dialog: records when it really closes. A hiding one only
// hides on a user close, as a dialog that keeps its session does, and closes for
// good once the program is ending.
class StandInDialog : public QDialog {
public:
    StandInDialog(const QString &form, QStringList *closed, bool hides, QWidget *parent)
        : QDialog(parent), m_closed(closed), m_hides(hides)
    {
        setObjectName(form);
        if (!hides)
            setAttribute(Qt::WA_DeleteOnClose);
    }

protected:
    void closeEvent(QCloseEvent *event) override
    {
        if (m_hides && !property(kProgramEndingProperty).toBool()) {
            hide();
            event->ignore();
            return;
        }
        m_closed->append(objectName());
        event->accept();
    }

private:
    QStringList *m_closed;
    bool m_hides;
};

// Records when a window that is no stand-in (main window, About) goes off the
// screen, which is after its close handler has run.
class CloseRecorder : public QObject {
public:
    explicit CloseRecorder(QStringList *closed) : m_closed(closed) {}
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Hide)
            m_closed->append(watched->objectName());
        return false;
    }

private:
    QStringList *m_closed;
};

// The program's tools with stand-in dialogs, counting what they make (by form name).
struct StandIns {
    QStringList closed;
    QStringList made;
    QStringList hiding;  // these hide on a user close
    QStringList missing; // these have no dialog yet

    QList<ToolEntry> tools()
    {
        QList<ToolEntry> list = programTools();
        for (ToolEntry &tool : list) {
            const QString form = tool.formName;
            tool.create = [this, form](AppContext &, QWidget *parent) -> QWidget * {
                if (missing.contains(form))
                    return nullptr;
                made.append(form);
                return new StandInDialog(form, &closed, hiding.contains(form), parent);
            };
        }
        return list;
    }
};

// Deletes the main window at the end of a test unless it is already gone.
struct WindowGuard {
    QPointer<MainWindow> window;
    ~WindowGuard() { delete window.data(); }
    MainWindow *operator->() const { return window.data(); }
};

// option key, menu item, button key, form name, button picture: written out
// here rather than taken from the program, so that a wrong row there shows up.
struct ExpectedTool {
    const char *option;
    const char *item;
    const char *key;
    const char *form;
    const char *icon;
};
extern const ExpectedTool kExpectedTools[9];

QString keyOf(const QString &form);
QAction *item(const QWidget *window, const QString &name);
QAction *button(const QWidget *window, const QString &key);
QString label(const QWidget *box, const char *name);
QByteArray png(int width, int height);
// How many visible top-level windows bear this name.
int windowsNamed(const QString &name);
// Runs `inside` once the next modal box is up, then presses its cmdOK if any.
void whileModalIsUp(std::function<void(QDialog *)> inside);
