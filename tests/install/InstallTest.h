#pragma once

#include <QObject>
#include <QProcessEnvironment>
#include <QTemporaryDir>

// The program as installed with cmake --install into a temporary prefix, its
// share folder read-only, started with temporary XDG folders; and the Debian
// package built from the same install rules.
class InstallTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void installedLayout();
    void installedProgramKeepsUserFilesInXdgFolders();
    void programsAnswerWithoutADisplay_data();
    void programsAnswerWithoutADisplay();
    void manualPagesListEveryOptionOfTheHelp_data();
    void manualPagesListEveryOptionOfTheHelp();
    void bashCompletesCfgutil_data();
    void bashCompletesCfgutil();
    void metadataPassesItsValidators();
    void packageListsDependencies();

private:
    QString prefix(const QString &relative) const { return m_prefix.filePath(relative); }
    QString home(const QString &relative) const { return m_home.filePath(relative); }

    QTemporaryDir m_prefix;
    QTemporaryDir m_home;
    QProcessEnvironment m_environment;
};
